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
#include "interchange/map_walk.h"

namespace tolvi {

namespace {

constexpr int32_t kMaxHierarchy = 99;
constexpr int32_t kMaxPage = 99;

}  // namespace

std::string Exporter::HierStatus(const std::string& Section) const {
    return GetLocalString("Hier: ", "99747") + gCurHierName + Section;
}

std::string Exporter::PageStatus(const std::string& Section) const {
    return HierStatus(GetLocalString(" Page: ", "991012") + gCurPageName + Section);
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
        BeginRecord(HeadType);
        AddNum(number), AddNum(r.Status), AddNum(r.HoleA), AddNum(r.HoleB);
        WriteLine(Result);
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
        BeginRecord("1000");
        AddNum(gCurHier), AddText(gCurHierName);
        AddNum(gFrameX1), AddNum(gFrameY1), AddNum(gFrameX2), AddNum(gFrameY2);
        WriteLine(Result);
        if (Result != 0) return;
        const int32_t ownPage = gCurPage;

        LoadLayerNames();  // the labels of this hierarchy
        for (int32_t layer = 0; layer < 32 && Result == 0; ++layer) {
            BeginRecord("1010");
            AddNum(layer), AddNum(gLayers[layer].Enabled), AddText(gLayers[layer].Name);
            WriteLine(Result);
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
            BeginRecord("2000");
            AddNum(gCurPage), AddText(gCurPageName);
            AddNum(mPageRec.Sheet1), AddNum(mPageRec.Sheet2), AddNum(mPageRec.Sheet3);
            AddNum(mPageRec.Sheet4);
            AddNum(gFrameX1), AddNum(gFrameY1), AddNum(gFrameX2), AddNum(gFrameY2);
            WriteLine(Result);
            if (Result != 0) return;
            for (auto section :
                 {&Exporter::SaveJunctions, &Exporter::SaveSchComps, &Exporter::SaveBranches}) {
                (this->*section)(Result);
                if (Result != 0) return;
            }
        }

        BeginRecord("1001");
        AddNum(ownPage);
        WriteLine(Result);
        if (Result != 0) return;
        DB_SetCurPage(ownPage);
    }
    BeginRecord("9999");
    AddText("End");
    WriteLine(Result);
}

void Exporter::SaveTables(int32_t& Result) {
    ShowMsg(GetLocalString("/Tables", "1063"));
    const auto write = [&] {
        if (Result == 0) WriteLine(Result);
    };
    BeginRecord("0001");
    AddText(gDbName), AddText(gSysVer), AddNum(gCurHier), AddNum(gCurPage);
    AddText(kAsciiFormMarker);
    write();

    ReadDbLabel();
    for (const auto& [type, text] :
         {std::pair{"0002", &gDbLabel.Designer}, std::pair{"0003", &gDbLabel.Revision}}) {
        std::string field = *text;
        field.resize(DbLabelRec::kTextLen, ' ');
        BeginRecord(type), AddText(field);
        write();
    }

    LoadColourSettings(0);
    LoadColourSettings(1);
    for (const auto* table : {&gSchCategories, &gLayCategories})
        for (const CategoryRec& c : *table) {
            if (c.Name.empty()) continue;
            BeginRecord("0010");
            AddNum(c.Id), AddText(c.Name), AddNum(c.Colour);
            write();
        }

    LoadLayerNames();
    for (int32_t layer = 0; layer < 32; ++layer) {
        BeginRecord("0011");
        AddNum(layer), AddNum(gLayers[layer].Colour);
        write();
    }

    LoadGridSettings();
    const auto table = [&](const char* type, const int32_t* values, int32_t count) {
        BeginRecord(type);
        for (int32_t i = 0; i < count; ++i) AddNum(values[i]);
        write();
    };
    table("0012", gSchGrid.data(), 7);
    table("0013", gLayGrid.data(), 7);
    table("0014", gSchSnap.data(), 7);
    table("0015", gLaySnap.data(), 7);
    table("0016", gAngleSnap.data(), 7);
    table("0017", gPickArea.data(), 5);

    LoadLineSizes();
    for (int32_t column = 0; column < 3; ++column) {
        BeginRecord(RecordTypeText(kRecTraceWidths + column));
        for (int32_t row = 1; row <= 16; ++row) AddNum(gCondSizes[row][column]);
        write();
    }
    BeginRecord("0021");
    AddNum(gBusWidth), AddNum(gCondSizes[0][0]), AddNum(gCondSizes[0][1]), AddNum(gCondSizes[0][2]);
    write();

    LoadTextSizeTable();
    for (int32_t entry = 0; entry < 32; ++entry) {
        BeginRecord("0022");
        AddNum(entry), AddNum(gTextSizes[entry].Width), AddNum(gTextSizes[entry].Height);
        AddNum(gTextSizes[entry].LineWidth);
        write();
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
        BeginRecord("0100");
        AddNum(symbol), AddNum(s.Status), AddQuoted(s.Name), AddNum(s.EntryCount);
        AddNum(s.SimCode);
        WriteLine(Result);
        for (int32_t entry = 1; entry <= s.EntryCount && Result == 0; ++entry) {
            EntryRec e;
            if (!S_ReadEntry(symbol, entry, e)) continue;
            BeginRecord(layout ? "0102" : "0101");
            AddNum(entry), AddNum(e.Status), AddNum(e.X), AddNum(e.Y);
            if (layout) {
                AddNum(e.Angle), AddNum(e.PadStack);
            } else {
                AddQuoted(e.Name), AddNum(e.PaX), AddNum(e.PaY), AddNum(e.PaAngle);
                AddNum(e.Attrib), AddQuoted(e.SimName);
            }
            WriteLine(Result);
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
        BeginRecord("0200");
        AddNum(device), AddNum(d.Status), AddQuoted(d.Name1), AddQuoted(d.Name2);
        AddQuoted(d.Name3), AddNum(d.SupplyPinCount), AddNum(d.GroupCount);
        WriteLine(Result);
        const auto pins = [&](const char* type, int32_t array, int32_t count) {
            for (int32_t i = 1; i <= count && Result == 0; ++i) {
                DevicePinRec p;
                if (!D_ReadPin(array, i, p)) continue;
                BeginRecord(type);
                AddNum(p.PinNumber), AddQuoted(p.Name);
                WriteLine(Result);
            }
        };
        pins("0201", D_SupplyPinArray(device), d.SupplyPinCount);
        for (int32_t group = 1; group <= d.GroupCount && Result == 0; ++group) {
            DeviceGroupRec g;
            if (!D_ReadGroup(device, group, g)) continue;  // left out with its pins
            BeginRecord("0202");
            AddNum(group), AddQuoted(g.GroupName), AddQuoted(g.SymbolName), AddNum(g.PinCount);
            WriteLine(Result);
            pins("0203", D_GroupPinArray(device, group), g.PinCount);
        }
    });
}

void Exporter::SaveNetlist(int32_t& Result) {
    ShowMsg(HierStatus(GetLocalString("/Netlist", "1060")));
    WalkWhileOk(DB_NetMap(), Result, [&](int32_t net) {
        NetRec n;
        if (!N_ReadNet(net, n)) return;
        BeginRecord("1100");
        AddNum(net), AddNum(n.Flags), AddQuoted(n.Name), AddNum(n.Kept);
        WriteLine(Result);
        if (Result != 0) return;
        WalkWhileOk(N_NodeMap(net), Result, [&](int32_t node) {
            NodeRec x;
            if (!N_ReadNode(net, node, x)) return;
            BeginRecord("1101");
            AddNum(node), AddNum(x.Status), AddNum(x.SchComp), AddNum(x.SchEntry);
            AddNum(x.LayComp), AddNum(x.LayPin);
            WriteLine(Result);
        });
    });
}

void Exporter::SaveBuses(int32_t& Result) {
    ShowMsg(HierStatus(GetLocalString("/Buses", "1054")));
    WalkWhileOk(DB_BusMap(), Result, [&](int32_t bus) {
        BusRec b;
        if (!N_ReadBus(bus, b)) return;
        BeginRecord("1200");
        AddNum(bus), AddNum(b.Kept), AddQuoted(b.Name), AddNum(b.LastMember);
        WriteLine(Result);
        // 64 bits: a last position of 2^31 - 1 must not wrap the loop.
        for (int64_t position = 0; position <= b.LastMember && Result == 0; ++position) {
            const int32_t member = N_ReadBusMember(bus, int32_t(position));
            if (member == 0) continue;
            BeginRecord("1201");
            AddNum(position), AddNum(member);
            WriteLine(Result);
        }
    });
}

void Exporter::SaveVias(int32_t& Result) {
    ShowMsg("Hier: " + gCurHierName + "/Vias");
    WalkWhileOk(DB_ViaMap(), Result, [&](int32_t via) {
        ViaRec v;
        if (!V_ReadVia(via, v)) return;
        BeginRecord("1300");
        AddNum(via), AddNum(v.Flags), AddNum(v.X), AddNum(v.Y), AddNum(v.Kept);
        AddNum(v.PadStack);
        WriteLine(Result);
    });
}

void Exporter::SaveBendPoints(int32_t& Result) {
    ShowMsg(HierStatus(GetLocalString("/Bending Points", "1053")));
    WalkWhileOk(DB_BendPointMap(), Result, [&](int32_t point) {
        BendPointRec p;
        if (!T_ReadBendPoint(point, p)) return;
        BeginRecord("1400");
        AddNum(point), AddNum(p.Kept), AddNum(p.X), AddNum(p.Y);
        WriteLine(Result);
    });
}

void Exporter::SaveLayComps(int32_t& Result) {
    ShowMsg(HierStatus(GetLocalString("/Lay. Comps", "1058")));
    WalkWhileOk(DB_LayCompMap(), Result, [&](int32_t comp) {
        LayCompRec c;
        if (!L_ReadComponent(comp, c)) return;
        BeginRecord("1500");
        AddNum(comp), AddNum(c.Flags), AddQuoted(c.Name), AddNum(c.X), AddNum(c.Y);
        AddNum(c.Angle), AddNum(c.Symbol), AddNum(c.Device), AddNum(c.Kept);
        AddNum(c.LinkCount);
        WriteLine(Result);
        for (int32_t i = 1; i <= c.LinkCount && Result == 0; ++i) {
            const int32_t link = L_GetSchCompId(comp, i);
            if (link == 0) continue;
            BeginRecord("1501");
            AddNum(link);
            WriteLine(Result);
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
        BeginRecord("1600");
        AddNum(trace), AddNum(t.Kept1), AddNum(t.Kept2), AddNum(t.SegmentCount);
        WriteLine(Result);
        for (int32_t i = 1; i <= t.SegmentCount && Result == 0; ++i) {
            TraceSegRec s;
            if (!T_ReadRecord(trace, i, s)) continue;
            // An arc (its centre and radius: the kernel gives both views in one record) or a
            // segment.
            const bool arc = (s.Flags & 0x10) != 0;
            BeginRecord(arc ? "1602" : "1601");
            AddNum(s.Flags), AddNum(s.X), AddNum(s.Y), AddNum(s.Width);
            if (!arc) AddNum(s.Gap), AddNum(s.Kept1), AddNum(s.Kept2);
            WriteLine(Result);
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
        BeginRecord("2400");
        AddNum(id), AddNum(r.Kept), AddNum(r.Page), AddNum(r.X), AddNum(r.Y);
        WriteLine(Result);
        if (Result != 0) return;
    }
}

void Exporter::SaveSchComps(int32_t& Result) {
    ShowMsg(PageStatus(GetLocalString("/Sch. Comps", "99155")));
    for (const int32_t id : OnPage(buckets_.schComps, mPage)) {
        SchCompRec c;
        if (!C_ReadComponent(id, c) || c.Page != mPage) continue;
        BeginRecord("2500");
        AddNum(id), AddNum(c.Flags), AddQuoted(c.Name), AddNum(c.X), AddNum(c.Y);
        AddNum(c.Symbol), AddNum(c.Device), AddNum(c.PackInfo1), AddNum(c.PackInfo2);
        AddNum(c.Page), AddNum(c.Kept10), AddNum(c.Angle), AddNum(c.Kept12);
        WriteLine(Result);
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
        BeginRecord("2600");
        AddNum(id), AddNum(b.Kept1), AddNum(b.Kept2), AddNum(b.PointCount);
        WriteLine(Result);
        for (int32_t i = 1; i <= b.PointCount && Result == 0; ++i) {
            BranchPointRec p;
            if (!B_ReadRecord(id, i, p)) continue;
            BeginRecord("2601");
            AddNum(p.X), AddNum(p.Y), AddNum(p.Kept1), AddNum(p.Kept2);
            WriteLine(Result);
        }
        if (Result == 0) ItemRecords(Result, B_BranchTextArray(id), nullptr, "2602", false);
        if (Result != 0) return;
    }
}

}  // namespace tolvi
