#include "interchange/ascii_writer.h"

#include "common/colour_settings.h"
#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/grid_settings.h"
#include "common/layer_settings.h"
#include "common/localisation.h"
#include "common/preview_drawing.h"
#include "common/size_settings.h"
#include "common/utilities.h"
#include "interchange/ascii_format.h"
#include "interchange/exporter.h"
#include "interchange/map_walk.h"

namespace tolvi {

namespace {

constexpr int32_t kMaxHierarchy = 99;
constexpr int32_t kMaxPage = 99;
// An item record type left out: no record of that kind is written.
constexpr AsciiRecordType kNoRecord = AsciiRecordType(0);

// The ids of page on a bucket list; none when the lists were never filled.
const std::vector<int32_t>& OnPage(const std::vector<std::vector<int32_t>>& list, int32_t page) {
    static const std::vector<int32_t> none;
    return page >= 0 && size_t(page) < list.size() ? list[page] : none;
}

}  // namespace

void AsciiDatabaseWriter::SaveAsciiDatabase() {
    mOut.OpenOutput(gExportFile);
    for (auto section : {&AsciiDatabaseWriter::SaveTables, &AsciiDatabaseWriter::SaveViaPadstacks,
                         &AsciiDatabaseWriter::SaveSymbols, &AsciiDatabaseWriter::SaveParts}) {
        if (!mOut.Ok()) return;
        (this->*section)();
    }
    for (mHier = 1; mHier <= kMaxHierarchy && mOut.Ok(); ++mHier)
        if (DB_SetCurHier(mHier) != 0) SaveHierarchy();
    mOut.Record(kRecEnd, "End");
}

void AsciiDatabaseWriter::SaveHierarchy() {
    UpdateMainCaption(gDbHandle);
    FrameTraceLines();
    mOut.Record(kRecHierarchy, gCurHier, gCurHierName, gFrameX1, gFrameY1, gFrameX2, gFrameY2);
    if (!mOut.Ok()) return;
    const int32_t ownPage = gCurPage;

    LoadLayerNames();  // the labels of this hierarchy
    for (int32_t layer = 0; layer < 32; ++layer)
        mOut.Record(kRecLayer, layer, gLayers[layer].Enabled, gLayers[layer].Name);
    for (auto section :
         {&AsciiDatabaseWriter::SaveNetlist, &AsciiDatabaseWriter::SaveBuses, &AsciiDatabaseWriter::SaveVias,
          &AsciiDatabaseWriter::SaveBendPoints, &AsciiDatabaseWriter::SaveLayComps,
          &AsciiDatabaseWriter::SaveTraces, &AsciiDatabaseWriter::SaveLayTexts}) {
        if (!mOut.Ok()) return;
        (this->*section)();
    }
    if (!mOut.Ok()) return;

    BucketPages();
    for (mPage = 1; mPage <= kMaxPage && mOut.Ok(); ++mPage)
        if (DB_SetCurPage(mPage) != 0 && DB_ReadPage(mPage, mPageRec) != 0) SavePage();
    mOut.Record(kRecHierarchyEnd, ownPage);
    if (mOut.Ok()) DB_SetCurPage(ownPage);
}

void AsciiDatabaseWriter::SavePage() {
    UpdateMainCaption(gDbHandle);
    FrameBranchLines();
    mOut.Record(kRecPage, gCurPage, gCurPageName, mPageRec.Sheet1, mPageRec.Sheet2, mPageRec.Sheet3,
                mPageRec.Sheet4, gFrameX1, gFrameY1, gFrameX2, gFrameY2);
    for (auto section : {&AsciiDatabaseWriter::SaveJunctions, &AsciiDatabaseWriter::SaveSchComps,
                         &AsciiDatabaseWriter::SaveBranches}) {
        if (!mOut.Ok()) return;
        (this->*section)();
    }
}

void AsciiDatabaseWriter::ItemRecords(int32_t Array, AsciiRecordType ShapeType, AsciiRecordType TextType,
                                      bool ViaShapes) {
    const int32_t count = OA_GetCount(Array);
    for (int32_t i = 1; i <= count && mOut.Ok(); ++i) {
        ItemRec item;
        const int32_t kind = I_ReadItem(OA_Object(Array, i), item);
        if (kind == 0) continue;  // an item that cannot be read is left out
        if (kind == 6) {
            if (TextType != kNoRecord) mOut.WriteTextRecord(TextType, item);
        } else if (ShapeType != kNoRecord && (!ViaShapes || kind == 3 || kind == 4)) {
            mOut.WriteItemRecord(ShapeType, item);
        }
    }
}

void AsciiDatabaseWriter::PadStacks(int32_t Map, AsciiRecordType HeadType, AsciiRecordType ShapeType,
                                    bool Via) {
    WalkWhileOk(Map, mOut, [&](int32_t number) {
        if (number <= 0) return;
        const int32_t padstack = OM_Object(Map, number);
        PadStackRec r;
        if (!S_ReadPadStack(padstack, r)) return;
        mOut.Record(HeadType, number, r.Status, r.HoleA, r.HoleB);
        ItemRecords(S_PadStackItemArray(padstack), ShapeType, kNoRecord, Via);
    });
}

// The tables are all loaded and walked whatever the output's result: loading them is part of
// the save.
void AsciiDatabaseWriter::SaveTables() {
    mOut.ShowMsg(GetLocalString("/Tables", "1063"));
    mOut.Record(kRecHeader, gDbName, gSysVer, gCurHier, gCurPage, kAsciiFormMarker);

    ReadDbLabel();
    for (const auto& [type, text] :
         {std::pair{kRecDesigner, &gDbLabel.Designer}, std::pair{kRecRevision, &gDbLabel.Revision}}) {
        std::string field = *text;
        field.resize(DbLabelRec::kTextLen, ' ');
        mOut.Record(type, field);
    }

    LoadColourSettings(0);
    LoadColourSettings(1);
    for (const auto* table : {&gSchCategories, &gLayCategories})
        for (const CategoryRec& c : *table)
            if (!c.Name.empty()) mOut.Record(kRecCategory, c.Id, c.Name, c.Colour);

    LoadLayerNames();
    for (int32_t layer = 0; layer < 32; ++layer) mOut.Record(kRecLayerColour, layer, gLayers[layer].Colour);

    LoadGridSettings();
    // A table's record: its values from the first, as many as the record has number fields (the
    // grid tables write their inch half).
    const auto table = [&](AsciiRecordType type, const auto& values) {
        mOut.BeginRecord(type);
        for (int32_t i = 1; i < AsciiFieldCount(type); ++i) mOut.AddNum(values.at(size_t(i - 1)));
        mOut.WriteLine();
    };
    table(kRecSchGrid, gSchGrid);
    table(kRecLayGrid, gLayGrid);
    table(kRecSchSnap, gSchSnap);
    table(kRecLaySnap, gLaySnap);
    table(kRecAngleSnap, gAngleSnap);
    table(kRecPickArea, gPickArea);

    LoadLineSizes();
    for (int32_t column = 0; column < 3; ++column) {
        mOut.BeginRecord(AsciiRecordType(kRecTraceWidths + column));
        for (int32_t row = 1; row <= 16; ++row) mOut.AddNum(gCondSizes[row][column]);
        mOut.WriteLine();
    }
    mOut.Record(kRecBusAirgaps, gBusWidth, gCondSizes[0][0], gCondSizes[0][1], gCondSizes[0][2]);

    LoadTextSizeTable();
    for (int32_t entry = 0; entry < 32; ++entry)
        mOut.Record(kRecTextSize, entry, gTextSizes[entry].Width, gTextSizes[entry].Height,
                    gTextSizes[entry].LineWidth);
}

void AsciiDatabaseWriter::SaveViaPadstacks() {
    mOut.ShowMsg(GetLocalString("/Via Padstacks", "1065"));
    PadStacks(DB_PadStackMap(), kRecViaPadStack, kRecViaPadItem, true);
}

void AsciiDatabaseWriter::SaveSymbols() {
    mOut.ShowMsg(GetLocalString("/Symbols", "1062"));
    WalkWhileOk(DB_SymbMap(), mOut, [&](int32_t symbol) {
        SymbolRec s;
        if (!S_ReadSymbol(symbol, s)) return;
        const bool layout = (s.Status & 2) != 0;
        mOut.Record(kRecSymbol, symbol, s.Status, Quoted{s.Name}, s.EntryCount, s.SimCode);
        for (int32_t entry = 1; entry <= s.EntryCount && mOut.Ok(); ++entry) {
            EntryRec e;
            if (!S_ReadEntry(symbol, entry, e)) continue;
            if (layout)
                mOut.Record(kRecSymbolPad, entry, e.Status, e.X, e.Y, e.Angle, e.PadStack);
            else
                mOut.Record(kRecSymbolPin, entry, e.Status, e.X, e.Y, Quoted{e.Name}, e.PaX, e.PaY, e.PaAngle,
                            e.Attrib, Quoted{e.SimName});
        }
        ItemRecords(S_SymbolItemArray(symbol), kRecSymbolItem, kRecSymbolText, false);
        if (layout && mOut.Ok())
            PadStacks(S_SymbolPadStackMap(symbol), kRecSymbolPadStack, kRecSymbolPadItem, false);
    });
}

void AsciiDatabaseWriter::SaveParts() {
    mOut.ShowMsg(GetLocalString("/Parts", "1057"));
    WalkWhileOk(DB_DeviceMap(), mOut, [&](int32_t device) {
        DeviceRec d;
        if (!D_ReadDevice(device, d)) return;
        mOut.Record(kRecPart, device, d.Status, Quoted{d.Name1}, Quoted{d.Name2}, Quoted{d.Name3},
                    d.SupplyPinCount, d.GroupCount);
        const auto pins = [&](AsciiRecordType type, int32_t array, int32_t count) {
            for (int32_t i = 1; i <= count && mOut.Ok(); ++i) {
                DevicePinRec p;
                if (D_ReadPin(array, i, p)) mOut.Record(type, p.PinNumber, Quoted{p.Name});
            }
        };
        pins(kRecSupplyPin, D_SupplyPinArray(device), d.SupplyPinCount);
        for (int32_t group = 1; group <= d.GroupCount && mOut.Ok(); ++group) {
            DeviceGroupRec g;
            if (!D_ReadGroup(device, group, g)) continue;  // left out with its pins
            mOut.Record(kRecGroup, group, Quoted{g.GroupName}, Quoted{g.SymbolName}, g.PinCount);
            pins(kRecGroupPin, D_GroupPinArray(device, group), g.PinCount);
        }
    });
}

void AsciiDatabaseWriter::SaveNetlist() {
    mOut.ShowMsg(HierStatus(GetLocalString("/Netlist", "1060")));
    WalkWhileOk(DB_NetMap(), mOut, [&](int32_t net) {
        NetRec n;
        if (!N_ReadNet(net, n)) return;
        mOut.Record(kRecNet, net, n.Flags, Quoted{n.Name}, n.Kept);
        WalkWhileOk(N_NodeMap(net), mOut, [&](int32_t node) {
            NodeRec x;
            if (N_ReadNode(net, node, x))
                mOut.Record(kRecNode, node, x.Status, x.SchComp, x.SchEntry, x.LayComp, x.LayPin);
        });
    });
}

void AsciiDatabaseWriter::SaveBuses() {
    mOut.ShowMsg(HierStatus(GetLocalString("/Buses", "1054")));
    WalkWhileOk(DB_BusMap(), mOut, [&](int32_t bus) {
        BusRec b;
        if (!N_ReadBus(bus, b)) return;
        mOut.Record(kRecBus, bus, b.Kept, Quoted{b.Name}, b.LastMember);
        // 64 bits: a last position of 2^31 - 1 must not wrap the loop.
        for (int64_t position = 0; position <= b.LastMember && mOut.Ok(); ++position)
            if (const int32_t member = N_ReadBusMember(bus, int32_t(position)); member != 0)
                mOut.Record(kRecBusMember, position, member);
    });
}

void AsciiDatabaseWriter::SaveVias() {
    mOut.ShowMsg("Hier: " + gCurHierName + "/Vias");
    WalkWhileOk(DB_ViaMap(), mOut, [&](int32_t via) {
        ViaRec v;
        if (V_ReadVia(via, v)) mOut.Record(kRecVia, via, v.Flags, v.X, v.Y, v.Kept, v.PadStack);
    });
}

void AsciiDatabaseWriter::SaveBendPoints() {
    mOut.ShowMsg(HierStatus(GetLocalString("/Bending Points", "1053")));
    WalkWhileOk(DB_BendPointMap(), mOut, [&](int32_t point) {
        BendPointRec p;
        if (T_ReadBendPoint(point, p)) mOut.Record(kRecBendPoint, point, p.Kept, p.X, p.Y);
    });
}

void AsciiDatabaseWriter::SaveLayComps() {
    mOut.ShowMsg(HierStatus(GetLocalString("/Lay. Comps", "1058")));
    WalkWhileOk(DB_LayCompMap(), mOut, [&](int32_t comp) {
        LayCompRec c;
        if (!L_ReadComponent(comp, c)) return;
        mOut.Record(kRecLayComp, comp, c.Flags, Quoted{c.Name}, c.X, c.Y, c.Angle, c.Symbol, c.Device, c.Kept,
                    c.LinkCount);
        for (int32_t i = 1; i <= c.LinkCount && mOut.Ok(); ++i)
            if (const int32_t link = L_GetSchCompId(comp, i); link != 0) mOut.Record(kRecLayCompLink, link);
        ItemRecords(L_CompTextArray(comp), kNoRecord, kRecLayCompText, false);
    });
}

void AsciiDatabaseWriter::SaveTraces() {
    mOut.ShowMsg(HierStatus(GetLocalString("/Traces", "1064")));
    N_SetNodeView(1);
    WalkWhileOk(DB_TraceMap(), mOut, [&](int32_t trace) {
        TraceRec t;
        if (!T_ReadTrace(trace, t)) return;
        mOut.Record(kRecTrace, trace, t.Kept1, t.Kept2, t.SegmentCount);
        for (int32_t i = 1; i <= t.SegmentCount && mOut.Ok(); ++i) {
            TraceSegRec s;
            if (!T_ReadRecord(trace, i, s)) continue;
            // An arc (its centre and radius: the kernel gives both views in one record) or a
            // segment.
            if ((s.Flags & 0x10) != 0)
                mOut.Record(kRecTraceArc, s.Flags, s.X, s.Y, s.Width);
            else
                mOut.Record(kRecTraceSegment, s.Flags, s.X, s.Y, s.Width, s.Gap, s.Kept1, s.Kept2);
        }
    });
}

void AsciiDatabaseWriter::SaveLayTexts() {
    mOut.ShowMsg(HierStatus(GetLocalString("/Lay. Texts", "1059")));
    ItemRecords(DB_LayoutTextArray(), kNoRecord, kRecLayoutText, false);
}

void AsciiDatabaseWriter::BucketPages() {
    for (auto* list : {&mBuckets.junctions, &mBuckets.schComps, &mBuckets.branches}) {
        list->resize(kMaxPage + 1);
        for (auto& ids : *list) ids.clear();
    }
    const auto put = [](std::vector<std::vector<int32_t>>& list, int32_t page, int32_t id) {
        if (page >= 1 && page <= kMaxPage) list[page].push_back(id);
    };
    Walk(DB_JunctMap(), [&](int32_t id) {
        JunctionRec r;
        if (J_ReadJunction(id, r)) put(mBuckets.junctions, r.Page, id);
    });
    Walk(DB_SchCompMap(), [&](int32_t id) {
        SchCompRec r;
        if (C_ReadComponent(id, r)) put(mBuckets.schComps, r.Page, id);
    });
    Walk(DB_BranchMap(), [&](int32_t id) {
        BranchRec r;
        if (B_ReadBranch(id, r)) put(mBuckets.branches, r.Page, id);
    });
}

void AsciiDatabaseWriter::SaveJunctions() {
    mOut.ShowMsg(PageStatus(GetLocalString("/Junction Points", "99154")));
    for (const int32_t id : OnPage(mBuckets.junctions, mPage)) {
        if (!mOut.Ok()) return;
        JunctionRec r;
        if (J_ReadJunction(id, r) && r.Page == mPage) mOut.Record(kRecJunction, id, r.Kept, r.Page, r.X, r.Y);
    }
}

void AsciiDatabaseWriter::SaveSchComps() {
    mOut.ShowMsg(PageStatus(GetLocalString("/Sch. Comps", "99155")));
    for (const int32_t id : OnPage(mBuckets.schComps, mPage)) {
        if (!mOut.Ok()) return;
        SchCompRec c;
        if (!C_ReadComponent(id, c) || c.Page != mPage) continue;
        mOut.Record(kRecSchComp, id, c.Flags, Quoted{c.Name}, c.X, c.Y, c.Symbol, c.Device, c.PackInfo1,
                    c.PackInfo2, c.Page, c.Kept10, c.Angle, c.Kept12);
        ItemRecords(C_CompTextArray(id), kNoRecord, kRecSchCompText, false);
    }
}

void AsciiDatabaseWriter::SaveBranches() {
    mOut.ShowMsg(PageStatus(GetLocalString("/Branches", "99153")));
    N_SetNodeView(0);
    for (const int32_t id : OnPage(mBuckets.branches, mPage)) {
        if (!mOut.Ok()) return;
        BranchRec b;
        if (!B_ReadBranch(id, b) || b.Page != mPage) continue;
        mOut.Record(kRecBranch, id, b.Kept1, b.Kept2, b.PointCount);
        for (int32_t i = 1; i <= b.PointCount && mOut.Ok(); ++i) {
            BranchPointRec p;
            if (B_ReadRecord(id, i, p)) mOut.Record(kRecBranchPoint, p.X, p.Y, p.Kept1, p.Kept2);
        }
        ItemRecords(B_BranchTextArray(id), kNoRecord, kRecBranchText, false);
    }
}

}  // namespace tolvi
