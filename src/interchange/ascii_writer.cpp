// The ASCII database writer: the whole open database, section by section, into gExportFile.
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

namespace tolvi {

namespace {

constexpr int32_t kMaxHierarchy = 99;
constexpr int32_t kMaxPage = 99;

// Visits every key of a kernel map in its walk order.
template <class F>
void Walk(int32_t map, F&& each) {
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t key = OM_SearchMask(map, cursor, 0, 0)) each(key);
}

// Like Walk, stopping as soon as Result is not 0.
template <class F>
void WalkWhileOk(int32_t map, int32_t& Result, F&& each) {
    int32_t cursor = OM_GetFirst(map);
    while (Result == 0) {
        const int32_t key = OM_SearchMask(map, cursor, 0, 0);
        if (key == 0) return;
        each(key);
    }
}

}  // namespace

std::string Exporter::HierStatus(const std::string& Section) const {
    return GetLocalString("Hier: ", "99747") + gCurHierName + Section;
}

std::string Exporter::PageStatus(const std::string& Section) const {
    return GetLocalString("Hier: ", "99747") + gCurHierName + GetLocalString(" Page: ", "991012") +
           gCurPageName + Section;
}

void Exporter::ItemRecords(int32_t& Result, int32_t Array, const char* ShapeType, const char* TextType,
                           bool ViaShapes) {
    const int32_t count = OA_GetCount(Array);
    for (int32_t i = 1; i <= count && Result == 0; ++i) {
        ItemRec item;
        const int32_t kind = I_ReadItem(OA_Object(Array, i), item);
        if (kind == 0) continue;  // an item that cannot be read is left out
        if (kind == 6) {
            if (TextType) WriteTextRecord(Result, TextType, item);
        } else if (ShapeType && (!ViaShapes || kind == 3 || kind == 4)) {
            WriteItemRecord(Result, ShapeType, item);
        }
    }
}

void Exporter::PadStacks(int32_t& Result, int32_t Map, const char* HeadType, const char* ShapeType,
                         bool Via) {
    WalkWhileOk(Map, Result, [&](int32_t number) {
        if (number <= 0) return;
        const int32_t padstack = OM_Object(Map, number);
        PadStackRec r;
        if (!S_ReadPadStack(padstack, r)) return;
        SetField(1, HeadType);
        SetNum(2, number), SetNum(3, r.Status), SetNum(4, r.HoleA), SetNum(5, r.HoleB);
        WriteRecord(Result, 5);
        if (Result == 0) ItemRecords(Result, S_PadStackItemArray(padstack), ShapeType, nullptr, Via);
    });
}

void Exporter::SaveAsciiDatabase(int32_t& Result) {
    OpenOutput(Result, gExportFile);
    if (Result != 0) return;
    for (auto section :
         {&Exporter::SaveTables, &Exporter::SaveViaPadstacks, &Exporter::SaveSymbols, &Exporter::SaveParts}) {
        (this->*section)(Result);
        if (Result != 0) return;
    }
    for (mHier = 1; mHier <= kMaxHierarchy; ++mHier) {
        if (DB_SetCurHier(mHier) == 0) continue;
        UpdateMainCaption(gDbHandle);
        FrameTraceLines();
        SetField(1, "1000");
        SetNum(2, gCurHier), SetField(3, gCurHierName);
        SetNum(4, gFrameX1), SetNum(5, gFrameY1), SetNum(6, gFrameX2), SetNum(7, gFrameY2);
        WriteRecord(Result, 7);
        if (Result != 0) return;
        const int32_t ownPage = gCurPage;

        LoadLayerNames();  // the labels of this hierarchy
        for (int32_t layer = 0; layer < 32 && Result == 0; ++layer) {
            SetField(1, "1010");
            SetNum(2, layer), SetNum(3, gLayers[layer].Enabled), SetField(4, gLayers[layer].Name);
            WriteRecord(Result, 4);
        }
        if (Result != 0) return;
        for (auto section :
             {&Exporter::SaveNetlist, &Exporter::SaveBuses, &Exporter::SaveVias, &Exporter::SaveBendPoints,
              &Exporter::SaveLayComps, &Exporter::SaveTraces, &Exporter::SaveLayTexts}) {
            (this->*section)(Result);
            if (Result != 0) return;
        }

        BucketPages();
        for (mPage = 1; mPage <= kMaxPage; ++mPage) {
            if (DB_SetCurPage(mPage) == 0 || DB_ReadPage(mPage, mPageRec) == 0) continue;
            UpdateMainCaption(gDbHandle);
            FrameBranchLines();
            SetField(1, "2000");
            SetNum(2, gCurPage), SetField(3, gCurPageName);
            SetNum(4, mPageRec.Sheet1), SetNum(5, mPageRec.Sheet2), SetNum(6, mPageRec.Sheet3);
            SetNum(7, mPageRec.Sheet4);
            SetNum(8, gFrameX1), SetNum(9, gFrameY1), SetNum(10, gFrameX2), SetNum(11, gFrameY2);
            WriteRecord(Result, 11);
            if (Result != 0) return;
            for (auto section :
                 {&Exporter::SaveJunctions, &Exporter::SaveSchComps, &Exporter::SaveBranches}) {
                (this->*section)(Result);
                if (Result != 0) return;
            }
        }

        SetField(1, "1001");
        SetNum(2, ownPage);
        WriteRecord(Result, 2);
        if (Result != 0) return;
        DB_SetCurPage(ownPage);
    }
    SetField(1, "9999");
    SetField(2, "End");
    WriteRecord(Result, 2);
}

void Exporter::SaveTables(int32_t& Result) {
    ShowMsg(GetLocalString("/Tables", "1063"));
    const auto write = [&](int32_t count) {
        if (Result == 0) WriteRecord(Result, count);
    };
    SetField(1, "0001");
    SetField(2, gDbName), SetField(3, gSysVer), SetNum(4, gCurHier), SetNum(5, gCurPage);
    SetField(6, kAsciiFormMarker);
    write(6);

    ReadDbLabel();
    for (const auto& [type, text] :
         {std::pair{"0002", &gDbLabel.Designer}, std::pair{"0003", &gDbLabel.Revision}}) {
        std::string field = *text;
        field.resize(DbLabelRec::kTextLen, ' ');
        SetField(1, type), SetField(2, field);
        write(2);
    }

    LoadColourSettings(0);
    LoadColourSettings(1);
    for (const auto* table : {&gSchCategories, &gLayCategories})
        for (const CategoryRec& c : *table) {
            if (c.Name.empty()) continue;
            SetField(1, "0010");
            SetNum(2, c.Id), SetField(3, c.Name), SetNum(4, c.Colour);
            write(4);
        }

    LoadLayerNames();
    for (int32_t layer = 0; layer < 32; ++layer) {
        SetField(1, "0011");
        SetNum(2, layer), SetNum(3, gLayers[layer].Colour);
        write(3);
    }

    LoadGridSettings();
    const auto table = [&](const char* type, const int32_t* values, int32_t count) {
        SetField(1, type);
        for (int32_t i = 0; i < count; ++i) SetNum(i + 2, values[i]);
        write(count + 1);
    };
    table("0012", gSchGrid.data(), 7);
    table("0013", gLayGrid.data(), 7);
    table("0014", gSchSnap.data(), 7);
    table("0015", gLaySnap.data(), 7);
    table("0016", gAngleSnap.data(), 7);
    table("0017", gPickArea.data(), 5);

    LoadLineSizes();
    for (int32_t column = 0; column < 3; ++column) {
        SetField(1, RecordTypeText(kRecTraceWidths + column));
        for (int32_t row = 1; row <= 16; ++row) SetNum(row + 1, gCondSizes[row][column]);
        write(17);
    }
    SetField(1, "0021");
    SetNum(2, gBusWidth), SetNum(3, gCondSizes[0][0]), SetNum(4, gCondSizes[0][1]),
        SetNum(5, gCondSizes[0][2]);
    write(5);

    LoadTextSizeTable();
    for (int32_t entry = 0; entry < 32; ++entry) {
        SetField(1, "0022");
        SetNum(2, entry), SetNum(3, gTextSizes[entry].Width), SetNum(4, gTextSizes[entry].Height);
        SetNum(5, gTextSizes[entry].LineWidth);
        write(5);
    }
}

void Exporter::SaveViaPadstacks(int32_t& Result) {
    ShowMsg(GetLocalString("/Via Padstacks", "1065"));
    PadStacks(Result, DB_PadStackMap(), "0030", "0031", true);
}

void Exporter::SaveSymbols(int32_t& Result) {
    ShowMsg(GetLocalString("/Symbols", "1062"));
    WalkWhileOk(DB_SymbMap(), Result, [&](int32_t symbol) {
        SymbolRec s;
        if (!S_ReadSymbol(symbol, s)) return;
        const bool layout = (s.Status & 2) != 0;
        SetField(1, "0100");
        SetNum(2, symbol), SetNum(3, s.Status), SetQuoted(4, s.Name), SetNum(5, s.EntryCount);
        SetNum(6, s.SimCode);
        WriteRecord(Result, 6);
        for (int32_t entry = 1; entry <= s.EntryCount && Result == 0; ++entry) {
            EntryRec e;
            if (!S_ReadEntry(symbol, entry, e)) continue;
            SetNum(2, entry), SetNum(3, e.Status), SetNum(4, e.X), SetNum(5, e.Y);
            if (layout) {
                SetField(1, "0102");
                SetNum(6, e.Angle), SetNum(7, e.PadStack);
                WriteRecord(Result, 7);
            } else {
                SetField(1, "0101");
                SetQuoted(6, e.Name), SetNum(7, e.PaX), SetNum(8, e.PaY), SetNum(9, e.PaAngle);
                SetNum(10, e.Attrib), SetQuoted(11, e.SimName);
                WriteRecord(Result, 11);
            }
        }
        if (Result == 0) ItemRecords(Result, S_SymbolItemArray(symbol), "0103", "0104", false);
        if (Result == 0 && layout) PadStacks(Result, S_SymbolPadStackMap(symbol), "0105", "0106", false);
    });
}

void Exporter::SaveParts(int32_t& Result) {
    ShowMsg(GetLocalString("/Parts", "1057"));
    WalkWhileOk(DB_DeviceMap(), Result, [&](int32_t device) {
        DeviceRec d;
        if (!D_ReadDevice(device, d)) return;
        SetField(1, "0200");
        SetNum(2, device), SetNum(3, d.Status), SetQuoted(4, d.Name1), SetQuoted(5, d.Name2);
        SetQuoted(6, d.Name3), SetNum(7, d.SupplyPinCount), SetNum(8, d.GroupCount);
        WriteRecord(Result, 8);
        const auto pins = [&](const char* type, int32_t array, int32_t count) {
            for (int32_t i = 1; i <= count && Result == 0; ++i) {
                DevicePinRec p;
                if (!D_ReadPin(array, i, p)) continue;
                SetField(1, type);
                SetNum(2, p.PinNumber), SetQuoted(3, p.Name);
                WriteRecord(Result, 3);
            }
        };
        pins("0201", D_SupplyPinArray(device), d.SupplyPinCount);
        for (int32_t group = 1; group <= d.GroupCount && Result == 0; ++group) {
            DeviceGroupRec g;
            if (!D_ReadGroup(device, group, g)) continue;  // left out with its pins
            SetField(1, "0202");
            SetNum(2, group), SetQuoted(3, g.GroupName), SetQuoted(4, g.SymbolName), SetNum(5, g.PinCount);
            WriteRecord(Result, 5);
            pins("0203", D_GroupPinArray(device, group), g.PinCount);
        }
    });
}

void Exporter::SaveNetlist(int32_t& Result) {
    ShowMsg(HierStatus(GetLocalString("/Netlist", "1060")));
    WalkWhileOk(DB_NetMap(), Result, [&](int32_t net) {
        NetRec n;
        if (!N_ReadNet(net, n)) return;
        SetField(1, "1100");
        SetNum(2, net), SetNum(3, n.Flags), SetQuoted(4, n.Name), SetNum(5, n.Kept);
        WriteRecord(Result, 5);
        if (Result != 0) return;
        WalkWhileOk(N_NodeMap(net), Result, [&](int32_t node) {
            NodeRec x;
            if (!N_ReadNode(net, node, x)) return;
            SetField(1, "1101");
            SetNum(2, node), SetNum(3, x.Status), SetNum(4, x.SchComp), SetNum(5, x.SchEntry);
            SetNum(6, x.LayComp), SetNum(7, x.LayPin);
            WriteRecord(Result, 7);
        });
    });
}

void Exporter::SaveBuses(int32_t& Result) {
    ShowMsg(HierStatus(GetLocalString("/Buses", "1054")));
    WalkWhileOk(DB_BusMap(), Result, [&](int32_t bus) {
        BusRec b;
        if (!N_ReadBus(bus, b)) return;
        SetField(1, "1200");
        SetNum(2, bus), SetNum(3, b.Kept), SetQuoted(4, b.Name), SetNum(5, b.LastMember);
        WriteRecord(Result, 5);
        // 64 bits: a last position of 2^31 - 1 must not wrap the loop.
        for (int64_t position = 0; position <= b.LastMember && Result == 0; ++position) {
            const int32_t member = N_ReadBusMember(bus, int32_t(position));
            if (member == 0) continue;
            SetField(1, "1201");
            SetNum(2, position), SetNum(3, member);
            WriteRecord(Result, 3);
        }
    });
}

void Exporter::SaveVias(int32_t& Result) {
    ShowMsg("Hier: " + gCurHierName + "/Vias");
    WalkWhileOk(DB_ViaMap(), Result, [&](int32_t via) {
        ViaRec v;
        if (!V_ReadVia(via, v)) return;
        SetField(1, "1300");
        SetNum(2, via), SetNum(3, v.Flags), SetNum(4, v.X), SetNum(5, v.Y), SetNum(6, v.Kept);
        SetNum(7, v.PadStack);
        WriteRecord(Result, 7);
    });
}

void Exporter::SaveBendPoints(int32_t& Result) {
    ShowMsg(HierStatus(GetLocalString("/Bending Points", "1053")));
    WalkWhileOk(DB_BendPointMap(), Result, [&](int32_t point) {
        BendPointRec p;
        if (!T_ReadBendPoint(point, p)) return;
        SetField(1, "1400");
        SetNum(2, point), SetNum(3, p.Kept), SetNum(4, p.X), SetNum(5, p.Y);
        WriteRecord(Result, 5);
    });
}

void Exporter::SaveLayComps(int32_t& Result) {
    ShowMsg(HierStatus(GetLocalString("/Lay. Comps", "1058")));
    WalkWhileOk(DB_LayCompMap(), Result, [&](int32_t comp) {
        LayCompRec c;
        if (!L_ReadComponent(comp, c)) return;
        SetField(1, "1500");
        SetNum(2, comp), SetNum(3, c.Flags), SetQuoted(4, c.Name), SetNum(5, c.X), SetNum(6, c.Y);
        SetNum(7, c.Angle), SetNum(8, c.Symbol), SetNum(9, c.Device), SetNum(10, c.Kept);
        SetNum(11, c.LinkCount);
        WriteRecord(Result, 11);
        for (int32_t i = 1; i <= c.LinkCount && Result == 0; ++i) {
            const int32_t link = L_GetSchCompId(comp, i);
            if (link == 0) continue;
            SetField(1, "1501");
            SetNum(2, link);
            WriteRecord(Result, 2);
        }
        if (Result == 0) ItemRecords(Result, L_CompTextArray(comp), nullptr, "1502", false);
    });
}

void Exporter::SaveTraces(int32_t& Result) {
    ShowMsg(HierStatus(GetLocalString("/Traces", "1064")));
    N_SetNodeView(1);
    WalkWhileOk(DB_TraceMap(), Result, [&](int32_t trace) {
        TraceRec t;
        if (!T_ReadTrace(trace, t)) return;
        SetField(1, "1600");
        SetNum(2, trace), SetNum(3, t.Kept1), SetNum(4, t.Kept2), SetNum(5, t.SegmentCount);
        WriteRecord(Result, 5);
        for (int32_t i = 1; i <= t.SegmentCount && Result == 0; ++i) {
            TraceSegRec s;
            if (!T_ReadRecord(trace, i, s)) continue;
            SetNum(2, s.Flags), SetNum(3, s.X), SetNum(4, s.Y), SetNum(5, s.Width);
            if (s.Flags & 0x10) {
                // An arc: centre and radius (the kernel gives both views in one record).
                SetField(1, "1602");
                WriteRecord(Result, 5);
            } else {
                SetField(1, "1601");
                SetNum(6, s.Gap), SetNum(7, s.Kept1), SetNum(8, s.Kept2);
                WriteRecord(Result, 8);
            }
        }
    });
}

void Exporter::SaveLayTexts(int32_t& Result) {
    ShowMsg(HierStatus(GetLocalString("/Lay. Texts", "1059")));
    ItemRecords(Result, DB_LayoutTextArray(), nullptr, "1700", false);
}

void Exporter::BucketPages() {
    for (auto* list : {&buckets_.junctions, &buckets_.schComps, &buckets_.branches}) {
        list->resize(kMaxPage + 1);
        for (auto& ids : *list) ids.clear();
    }
    const auto put = [](std::vector<std::vector<int32_t>>& list, int32_t page, int32_t id) {
        if (page >= 1 && page <= kMaxPage) list[page].push_back(id);
    };
    Walk(DB_JunctMap(), [&](int32_t id) {
        JunctionRec r;
        if (J_ReadJunction(id, r)) put(buckets_.junctions, r.Page, id);
    });
    Walk(DB_SchCompMap(), [&](int32_t id) {
        SchCompRec r;
        if (C_ReadComponent(id, r)) put(buckets_.schComps, r.Page, id);
    });
    Walk(DB_BranchMap(), [&](int32_t id) {
        BranchRec r;
        if (B_ReadBranch(id, r)) put(buckets_.branches, r.Page, id);
    });
}

namespace {
// The ids of page on a bucket list; none when the lists were never filled.
const std::vector<int32_t>& OnPage(const std::vector<std::vector<int32_t>>& list, int32_t page) {
    static const std::vector<int32_t> none;
    return page >= 0 && size_t(page) < list.size() ? list[page] : none;
}
}  // namespace

void Exporter::SaveJunctions(int32_t& Result) {
    ShowMsg(PageStatus(GetLocalString("/Junction Points", "99154")));
    for (const int32_t id : OnPage(buckets_.junctions, mPage)) {
        JunctionRec r;
        if (!J_ReadJunction(id, r) || r.Page != mPage) continue;
        SetField(1, "2400");
        SetNum(2, id), SetNum(3, r.Kept), SetNum(4, r.Page), SetNum(5, r.X), SetNum(6, r.Y);
        WriteRecord(Result, 6);
        if (Result != 0) return;
    }
}

void Exporter::SaveSchComps(int32_t& Result) {
    ShowMsg(PageStatus(GetLocalString("/Sch. Comps", "99155")));
    for (const int32_t id : OnPage(buckets_.schComps, mPage)) {
        SchCompRec c;
        if (!C_ReadComponent(id, c) || c.Page != mPage) continue;
        SetField(1, "2500");
        SetNum(2, id), SetNum(3, c.Flags), SetQuoted(4, c.Name), SetNum(5, c.X), SetNum(6, c.Y);
        SetNum(7, c.Symbol), SetNum(8, c.Device), SetNum(9, c.PackInfo1), SetNum(10, c.PackInfo2);
        SetNum(11, c.Page), SetNum(12, c.Kept10), SetNum(13, c.Angle), SetNum(14, c.Kept12);
        WriteRecord(Result, 14);
        if (Result == 0) ItemRecords(Result, C_CompTextArray(id), nullptr, "2501", false);
        if (Result != 0) return;
    }
}

void Exporter::SaveBranches(int32_t& Result) {
    ShowMsg(PageStatus(GetLocalString("/Branches", "99153")));
    N_SetNodeView(0);
    for (const int32_t id : OnPage(buckets_.branches, mPage)) {
        BranchRec b;
        if (!B_ReadBranch(id, b) || b.Page != mPage) continue;
        SetField(1, "2600");
        SetNum(2, id), SetNum(3, b.Kept1), SetNum(4, b.Kept2), SetNum(5, b.PointCount);
        WriteRecord(Result, 5);
        for (int32_t i = 1; i <= b.PointCount && Result == 0; ++i) {
            BranchPointRec p;
            if (!B_ReadRecord(id, i, p)) continue;
            SetField(1, "2601");
            SetNum(2, p.X), SetNum(3, p.Y), SetNum(4, p.Kept1), SetNum(5, p.Kept2);
            WriteRecord(Result, 5);
        }
        if (Result == 0) ItemRecords(Result, B_BranchTextArray(id), nullptr, "2602", false);
        if (Result != 0) return;
    }
}

}  // namespace tolvi
