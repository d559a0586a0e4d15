#include "kernel_test_support.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace kt {

namespace {

std::string S(const char* p) { return p ? "\"" + std::string(p) + "\"" : "null"; }

struct Out {
    std::ostringstream os;
    template <class... T>
    void line(const T&... v) {
        ((os << v << ' '), ...);
        os << '\n';
    }
};

void DumpItems(Out& o, const char* what, int32_t array) {
    const int32_t n = OA_GetCount(array);
    o.line(what, n);
    for (int32_t i = 1; i <= n; ++i) {
        ItemRec r;
        const int32_t h = OA_Object(array, i);
        const int32_t ok = I_ReadItem(h, r);
        o.line(" item", ok, r.Attr, r.Link, r.X, r.Y, int(r.StyleA), int(r.StyleB), r.Width, r.Gap, r.Angle,
               r.P2, r.P3, r.P4, r.P5, S(r.Text), O_GetStatus(h));
    }
}

void DumpMapKeys(Out& o, const char* what, int32_t map, std::vector<int32_t>& keys) {
    keys.clear();
    int32_t c = OM_GetFirst(map);
    while (int32_t k = OM_SearchMask(map, c, 0, 0)) keys.push_back(k);
    o.line(what, keys.size());
}

void DumpPadStacks(Out& o, int32_t map) {
    std::vector<int32_t> keys;
    DumpMapKeys(o, "padstacks", map, keys);
    for (int32_t k : keys) {
        PadStackRec r;
        const int32_t ps = OM_Object(map, k);
        const int32_t ok = S_ReadPadStack(ps, r);
        o.line(" padstack", k, ok, r.Status, r.HoleA, r.HoleB, S(O_GetName(ps)));
        DumpItems(o, " shapes", S_PadStackItemArray(ps));
    }
}

void DumpPins(Out& o, int32_t array) {
    DevicePinRec p;
    for (int32_t i = 1; D_ReadPin(array, i, p); ++i) o.line("  pin", p.PinNumber, S(p.Name));
}

void DumpHierarchy(Out& o, int32_t h) {
    std::vector<int32_t> keys;
    const int32_t hh = OM_Object(DB_HierarchyMap(), h);
    const int32_t selected = DB_SetCurHier(h);
    o.line("hierarchy", h, S(O_GetName(hh)), O_GetStatus(hh), selected, DB_CurPage());
    for (int32_t k = 1; k <= OA_GetCount(DB_LayerArray()); ++k)
        o.line(" layer", k, S(O_GetName(OA_Object(DB_LayerArray(), k))));
    o.line(" mask", ReadInt(E_SysTable(11)));

    DumpMapKeys(o, "pages", DB_PageMap(), keys);
    for (int32_t k : keys) {
        PageRec r;
        const int32_t ok = DB_ReadPage(k, r);
        o.line(" page", k, ok, r.Kept, S(r.Name), r.Sheet1, r.Sheet2, r.Sheet3, r.Sheet4,
               O_GetStatus(DB_Page(k)));
    }
    DumpMapKeys(o, "nets", DB_NetMap(), keys);
    for (int32_t k : keys) {
        NetRec r;
        int32_t pos = -7;
        const int32_t bus = N_FindBusMember(k, pos);
        const int32_t read = N_ReadNet(k, r);
        o.line(" net", k, read, r.Flags, S(r.Name), r.Kept, bus, pos);
        std::vector<int32_t> nodes;
        DumpMapKeys(o, " nodes", N_NodeMap(k), nodes);
        for (int32_t d : nodes) {
            NodeRec n;
            o.line("  node", d, N_ReadNode(k, d, n), n.Status, n.SchComp, n.SchEntry, n.LayComp, n.LayPin);
        }
    }
    DumpMapKeys(o, "buses", DB_BusMap(), keys);
    for (int32_t k : keys) {
        BusRec r;
        const int32_t ok = N_ReadBus(k, r);
        o.line(" bus", k, ok, r.Kept, S(r.Name), r.LastMember, O_GetStatus(N_Bus(k)));
        for (int32_t p = 0; p <= r.LastMember; ++p) o.line("  member", p, N_ReadBusMember(k, p));
    }
    DumpMapKeys(o, "schcomps", DB_SchCompMap(), keys);
    for (int32_t k : keys) {
        SchCompRec r;
        const int32_t ok = C_ReadComponent(k, r);
        o.line(" schcomp", k, ok, r.Flags, S(r.Name), r.X, r.Y, r.Symbol, r.Device, r.PackInfo1, r.PackInfo2,
               r.Page, r.Kept10, r.Angle, r.Kept12);
        DumpItems(o, " texts", C_CompTextArray(k));
    }
    DumpMapKeys(o, "branches", DB_BranchMap(), keys);
    for (int32_t k : keys) {
        BranchRec r;
        const int32_t ok = B_ReadBranch(k, r);
        o.line(" branch", k, ok, r.Kept1, r.Kept2, r.Page, r.PointCount,
               O_GetStatus(OM_Object(DB_BranchMap(), k)));
        for (int32_t p = 1; p <= r.PointCount; ++p) {
            BranchPointRec b;
            const int32_t ok = B_ReadRecord(k, p, b);
            o.line("  point", ok, b.X, b.Y, b.Kept1, b.Kept2);
        }
        DumpItems(o, " texts", B_BranchTextArray(k));
    }
    DumpMapKeys(o, "junctions", DB_JunctMap(), keys);
    for (int32_t k : keys) {
        JunctionRec r;
        const int32_t ok = J_ReadJunction(k, r);
        o.line(" junction", k, ok, r.Kept, r.Page, r.X, r.Y);
    }
    DumpMapKeys(o, "laycomps", DB_LayCompMap(), keys);
    for (int32_t k : keys) {
        LayCompRec r;
        const int32_t ok = L_ReadComponent(k, r);
        o.line(" laycomp", k, ok, r.Flags, S(r.Name), r.X, r.Y, r.Angle, r.Symbol, r.Device, r.Kept,
               r.LinkCount);
        for (int32_t i = 1; i <= r.LinkCount; ++i) o.line("  link", L_GetSchCompId(k, i));
        DumpItems(o, " texts", L_CompTextArray(k));
    }
    DumpMapKeys(o, "traces", DB_TraceMap(), keys);
    for (int32_t k : keys) {
        TraceRec r;
        const int32_t ok = T_ReadTrace(k, r);
        o.line(" trace", k, ok, r.Kept1, r.Kept2, r.SegmentCount);
        for (int32_t i = 1; i <= r.SegmentCount; ++i) {
            TraceSegRec s;
            const int32_t ok = T_ReadRecord(k, i, s);
            o.line("  rec", ok, s.Flags, s.X, s.Y, s.Width, s.Gap, s.Kept1, s.Kept2);
        }
    }
    DumpMapKeys(o, "bendpoints", DB_BendPointMap(), keys);
    for (int32_t k : keys) {
        BendPointRec r;
        const int32_t ok = T_ReadBendPoint(k, r);
        o.line(" bend", k, ok, r.Kept, r.X, r.Y);
    }
    DumpMapKeys(o, "vias", DB_ViaMap(), keys);
    for (int32_t k : keys) {
        ViaRec r;
        const int32_t ok = V_ReadVia(k, r);
        o.line(" via", k, ok, r.Flags, r.X, r.Y, r.Kept, r.PadStack);
    }
    DumpItems(o, "layouttexts", DB_LayoutTextArray());
}

}  // namespace

std::string DumpDatabase() {
    Out o;
    o.line("db", S(O_GetName(DB_DataBase())));
    for (int32_t n = 0; n < kSysTableCount; ++n) {
        if (n == 11 || n == 12 || n == 16 || n == 18) continue;
        const uint8_t* t = E_SysTable(n);
        o.os << "table " << n << ':';
        for (int32_t i = 0; t && i < kSysTableBytes[n]; ++i) o.os << ' ' << int(t[i]);
        o.os << '\n';
    }
    o.os << "textsizes:";
    for (int32_t i = 0; DB_TextSizeTable() && i < kTextSizeTableBytes; ++i)
        o.os << ' ' << int(DB_TextSizeTable()[i]);
    o.os << '\n';

    std::vector<int32_t> keys;
    DumpMapKeys(o, "files", DB_FileMap(), keys);
    for (int32_t k : keys) {
        std::vector<char> buf(size_t(F_GetLength(k)));
        F_Seek(k, 0, 0);
        F_Read(k, buf.data(), int32_t(buf.size()));
        o.line(" file", k, S(O_GetName(OM_Object(DB_FileMap(), k))), std::string(buf.begin(), buf.end()));
    }
    DumpPadStacks(o, DB_PadStackMap());
    DumpMapKeys(o, "symbols", DB_SymbMap(), keys);
    for (int32_t k : keys) {
        SymbolRec r;
        const int32_t ok = S_ReadSymbol(k, r);
        o.line(" symbol", k, ok, r.Status, r.EntryCount, S(r.Name), r.SimCode);
        for (int32_t e = 1; e <= r.EntryCount; ++e) {
            EntryRec x;
            const int32_t ok = S_ReadEntry(k, e, x);
            o.line("  entry", ok, x.Kept, x.Status, x.X, x.Y, S(x.Name), x.PaX, x.PaY, x.PaAngle, x.Attrib,
                   S(x.SimName), x.Angle, x.PadStack);
        }
        DumpItems(o, " items", S_SymbolItemArray(k));
        DumpPadStacks(o, S_SymbolPadStackMap(k));
    }
    DumpMapKeys(o, "devices", DB_DeviceMap(), keys);
    for (int32_t k : keys) {
        DeviceRec r;
        const int32_t ok = D_ReadDevice(k, r);
        o.line(" device", k, ok, r.Status, S(r.Name1), S(r.Name2), S(r.Name3), r.SupplyPinCount,
               r.GroupCount);
        DumpPins(o, D_SupplyPinArray(k));
        for (int32_t g = 1; g <= r.GroupCount; ++g) {
            DeviceGroupRec gr;
            const int32_t ok = D_ReadGroup(k, g, gr);
            o.line("  group", ok, S(gr.GroupName), S(gr.SymbolName), gr.PinCount);
            DumpPins(o, D_GroupPinArray(k, g));
        }
    }
    const int32_t cur = DB_CurHier();
    o.line("current", cur);
    DumpMapKeys(o, "hierarchies", DB_HierarchyMap(), keys);
    for (int32_t h : keys) DumpHierarchy(o, h);
    DB_SetCurHier(cur);
    return o.os.str();
}

namespace {

int32_t AddText(int32_t array, const char* text, int32_t attr) {
    return OA_Add(array, I_MakeText(100, 200, 90000, 25400, 50800, text, attr, 3, 5080));
}

int32_t AddShape(int32_t array, int32_t kind) {
    ItemRec r;
    r.Kind = kind, r.Attr = 0x40 + kind, r.X = kind * 10, r.Y = -kind, r.StyleA = 7, r.StyleB = 0x10;
    r.Width = 254, r.Angle = 4500, r.P2 = 11, r.P3 = 12, r.P4 = 13, r.P5 = 14;
    const int32_t item = I_MakeItem(r);
    I_ChangeItemLink(item, 77);
    I_ChangeItemGap(item, 88);
    return OA_Add(array, item);
}

}  // namespace

void BuildFixtureDesign() {
    // Settings tables and layers of the root hierarchy.
    E_SysTable(0)[5] = 0x42;
    WriteInt(E_SysTable(13), 60000);
    DB_TextSizeTable()[7] = 9;
    O_Rename(OA_Object(DB_LayerArray(), 4), "INNER1");
    WriteInt(E_SysTable(11), 0x00010007);

    // Internal files.
    const int32_t label = F_CreateFile(0, "DBLABEL");
    std::vector<char> rec(88, ' ');
    std::memcpy(rec.data() + 4, "SECRET", 6);
    F_Write(label, rec.data(), 88);
    F_CreateFile(0, "HIERSTCK");  // empty

    // Via padstacks.
    const int32_t ps = S_MakePadStack();
    OM_Add(DB_PadStackMap(), ps, 7);
    S_ChangePadStackHole(ps, 1000, 2000);
    O_Mask(ps, 0x21, 0x21);
    AddShape(S_PadStackItemArray(ps), 4);

    // A schematic symbol with pins and every item kind, a layout symbol with pads and its own
    // padstack, a reserved symbol and a preview symbol.
    S_CreateSymbol(1, "RES");
    S_ChangeSimCode(1, 12);
    O_Mask(S_Symbol(1), 1, 3);
    for (int32_t e = 1; e <= 2; ++e) {
        S_InsertEntry(1, e, e * 100, -e * 100);
        S_ChangeEntryAttrib(1, e, e == 1 ? "A" : "B", 5 + e);
        S_ChangeEntryPA(1, e, 1, 2, 3000);
        S_ChangeEntrySimName(1, e, "SIM");
        O_Mask(S_Entry(1, e), 1, 1);
    }
    for (int32_t kind = 1; kind <= 5; ++kind) AddShape(S_SymbolItemArray(1), kind);
    AddText(S_SymbolItemArray(1), "R?", 8);

    S_CreateSymbol(2, "DIP8");
    O_Mask(S_Symbol(2), 2, 2);
    S_InsertEntry(2, -1, 10, 20);
    S_ChangePadRotation(2, 1, 90000);
    S_ChangePadPadStack(2, 1, 3);
    const int32_t ps2 = S_MakePadStack();
    OM_Add(S_SymbolPadStackMap(2), ps2, 3);
    S_ChangePadStackHole(ps2, 300, 0);
    AddShape(S_PadStackItemArray(ps2), 3);

    S_CreateSymbol(-101, "RESERVED");
    S_CreateSymbol(-1, "PREVIEW");
    S_InsertEntry(-1, 1, 0, 0);

    // Devices, with a preview device.
    D_CreateDevice(1, "7400", "QUAD NAND", "DIP14 X");
    D_AddPin(D_SupplyPinArray(1), 14, "VCC");
    D_AddPin(D_SupplyPinArray(1), 7, "GND");
    D_AddGroup(1, "A", "NAND");
    D_AddPin(D_GroupPinArray(1, 1), 1, "I1");
    D_CreateDevice(-1, "PREVIEW", "", "");

    // Root hierarchy content.
    C_CreateComponent(1, "R1", 2, 1, 1, 1, 500, 600, 90000);
    C_ChangeCompPackInfo(1, 4, 5);
    AddText(C_CompTextArray(1), "10k", 8);
    AddText(C_CompTextArray(1), "R1", 1);
    N_CreateNet(3, 2, "VCC");
    N_CreateNode(3, 0, 1, 1, 1, 2);
    N_CreateNode(3, 9, 1, 2, 0, 0);
    O_Mask(N_Node(3, 9), 0x100, 0x100);
    N_CreateNet(4, 0, "D0");
    N_CreateBus(1, 42, "DATA");
    N_SetBusMember(1, 4, 2);  // positions with a gap
    N_SetBusMember(1, 3, 5);
    B_CreateBranch(1, 8, 9);
    B_InsertRecord(1, -1, 0, 0);
    B_InsertRecord(1, -1, 100, 0);
    AddText(B_BranchTextArray(1), "WIRE", 0);
    J_CreateJunction(1, 6, 100, 0);
    L_CreateComponent(2, "R1", 2, 1, 2, 33, 1000, 2000, 180000);
    L_AddSchCompId(2, 1);
    AddText(L_CompTextArray(2), "R1", 0);
    T_CreateTrace(1, 11, 22);
    T_InsertRecord(1, -1, 1, 0, 0, 2540);
    T_InsertArcRecord(1, -1, 0x20, 50, 50, 70);
    T_ChangeRecordGap(1, 1, 1234);
    T_CreateBendPoint(1, 5, 10, 10);
    V_CreateVia(1, 2, 30, 40, 7, 0x7000000);
    AddText(DB_LayoutTextArray(), "TOP", 0);

    // A second hierarchy with two pages, the second current.
    const int32_t h2 = DB_CreateHierarchy(0, "SUB");
    O_Mask(OM_Object(DB_HierarchyMap(), h2), 2, 2);
    DB_SetCurHier(h2);
    DB_CreatePage(1, "P1");
    DB_CreatePage(2, "P2");
    O_Mask(DB_Page(2), 4, 4);
    DB_SetCurPage(2);
    C_CreateComponent(0, "U1", 0, 0, 1, 0, 1, 1, 0);
    S_CreateSymbol(-(h2 + 100), "RESERVED2");
    DB_SetCurHier(1);
    O_Rename(DB_DataBase(), "FIXTURE");
}

bool Changed() { return ReadInt(E_SysTable(18)) != 0; }

void ClearChanged() {
    const int32_t zero = 0;
    E_MemCopy(E_SysTable(18), &zero, 4);
}

int32_t ReadInt(const uint8_t* p) {
    int32_t v = 0;
    if (p) std::memcpy(&v, p, 4);
    return v;
}

void WriteInt(uint8_t* p, int32_t v) { E_MemCopy(p, &v, 4); }

TempDir::TempDir() {
    char tmpl[] = "/tmp/kernel-test-XXXXXX";
    const char* d = ::mkdtemp(tmpl);
    dir_ = d ? d : "/tmp";
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(dir_, ec);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace kt
