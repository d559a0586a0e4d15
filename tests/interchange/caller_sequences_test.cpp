// The kernel as its callers drive it: the ASCII database writer and the record rebuild with its
// object builders, the hierarchy deletion, and the net hooks of a new hierarchy. Each test runs
// the caller's own sequence of flat calls and checks what that caller relies on.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/db_session.h"
#include "interchange/exporter.h"
#include "kernel/kernel_test_support.h"

namespace kt {
namespace {

// --- object builders, call for call ------------------------------------------------------------

void FindSymbolByName(int& err, int32_t& id, const std::string& name) {
    err = 0;
    id = OM_FindName(DB_SymbMap(), name.c_str());
    if (id == 0) err = 1;
}

void InsertSymbolEntry(int& err, int32_t symbol, const EntryRec& e, const std::string& name,
                       const std::string& sim, int32_t no) {
    err = 1;
    const int32_t r = S_InsertEntry(symbol, no, e.X, e.Y);
    if (r != no || r <= 0) return;
    const std::string n = name.empty() ? std::to_string(no) : name;
    S_ChangeEntryAttrib(symbol, no, n.c_str(), e.Attrib);
    S_ChangeEntryPA(symbol, no, e.PaX, e.PaY, e.PaAngle);
    S_ChangeEntrySimName(symbol, no, sim.c_str());
    O_Mask(S_Entry(symbol, no), e.Status, e.Status);
    err = 0;
}

void InsertPadEntry(int& err, int32_t symbol, const EntryRec& pad, int32_t no) {
    err = 1;
    const int32_t r = S_InsertEntry(symbol, no, pad.X, pad.Y);
    if (r != no || r <= 0) return;
    S_ChangePadRotation(symbol, no, pad.Angle);
    S_ChangePadPadStack(symbol, no, pad.PadStack);
    O_Mask(S_Entry(symbol, no), pad.Status, pad.Status);
    err = 0;
}

void AddItemOrText(int& err, int32_t ownerKind, int32_t owner, const ItemRec& item, const std::string& text,
                   int32_t& itemId) {
    err = 0;
    itemId = item.Kind != 6 ? I_MakeItem(item)
                            : I_MakeText(item.X, item.Y, item.Angle, item.P2, item.P3, text.c_str(),
                                         item.Attr, item.StyleA, item.Width);
    I_ChangeItemLink(itemId, item.Link);
    I_ChangeItemGap(itemId, item.Gap);
    int32_t array = 0;
    switch (ownerKind) {
        case 0:
            array = S_SymbolItemArray(owner);
            break;
        case 1:
            array = C_CompTextArray(owner);
            break;
        case 2:
            array = L_CompTextArray(owner);
            break;
        case 3:
            array = DB_LayoutTextArray();
            break;
        case 4:
            array = B_BranchTextArray(owner);
            break;
        default:
            break;
    }
    const int32_t r = array ? OA_Add(array, itemId) : 0;
    if (r == 0)
        err = 1;
    else
        itemId = r;
}

void AddPadStackItem(int& err, int32_t padstack, const ItemRec& item, int32_t& itemId) {
    err = 0;
    if (item.Kind == 6) return;
    itemId = I_MakeItem(item);
    I_ChangeItemLink(itemId, item.Link);
    I_ChangeItemGap(itemId, item.Gap);
    const int32_t r = OA_Add(S_PadStackItemArray(padstack), itemId);
    if (r == 0)
        err = 1;
    else
        itemId = r;
}

void CreatePadStack(int& err, int32_t symbol, int32_t& padstackId, int32_t number, int32_t holeA,
                    int32_t holeB) {
    err = 0;
    const int32_t map = symbol != 0 ? S_SymbolPadStackMap(symbol) : DB_PadStackMap();
    padstackId = S_MakePadStack();
    if (padstackId == 0) {
        err = 1;
        return;
    }
    const int32_t r = OM_Add(map, padstackId, number);
    if (r != number || r == 0) {
        err = 1;
        return;
    }
    S_ChangePadStackHole(padstackId, holeA, holeB);
}

// --- the ASCII writer's records, as the rebuild takes them -------------------------------------

using Record = std::vector<std::string>;

std::string T(const char* p) { return p ? p : ""; }

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes the open database as an ASCII file at path; the writer's result.
int32_t WriteAscii(const std::string& path) {
    tolvi::gDbTitle = T(O_GetName(DB_DataBase()));
    return tolvi::WriteExportFile(1, path);
}

// The records of an ASCII file, quoted names without their quotes (none of the names used here
// holds a comma). The settings records, which go to the option tables rather than to the kernel's
// builders, are left out.
std::vector<Record> Records(const std::string& text) {
    std::vector<Record> records;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        Record r;
        const std::string line = text.substr(start, end - start);
        size_t from = 0;
        for (size_t comma; (comma = line.find(',', from)) != std::string::npos; from = comma + 1)
            r.push_back(line.substr(from, comma - from));
        r.push_back(line.substr(from));
        for (std::string& f : r)
            if (f.size() >= 2 && f.front() == '"' && f.back() == '"') f = f.substr(1, f.size() - 2);
        const int32_t type = std::stoi(r[0]);
        if ((type >= 2 && type <= 22) || type == 1010) continue;
        records.push_back(r);
    }
    return records;
}

// --- the record rebuild ----------------------------------------------------------------------

struct Reader {
    std::vector<int32_t> viaPadStacks{0};  // element 0 holds no padstack
    int32_t padNumber = 0, padId = 0, symbol = 0, device = 0, group = 0, net = 0, bus = 0;
    int32_t layComp = 0, trace = 0, schComp = 0, branch = 0;
    int32_t selectHier = 0, selectPage = 0;

    static int32_t F(const Record& r, size_t n) { return std::stoi(r.at(n - 1)); }

    static ItemRec Unpack(const Record& r, std::string& text) {
        ItemRec it;
        it.Kind = F(r, 2), it.Attr = F(r, 3), it.Link = F(r, 4), it.X = F(r, 5), it.Y = F(r, 6);
        it.StyleA = uint8_t(F(r, 7)), it.StyleB = uint8_t(F(r, 8)), it.Width = F(r, 9), it.Gap = F(r, 10);
        it.Angle = F(r, 11), it.P2 = F(r, 12), it.P3 = F(r, 13);
        if (it.Kind == 6) {
            text = r.at(13);
        } else {
            it.P4 = F(r, 14), it.P5 = F(r, 15);
            text.clear();
        }
        return it;
    }

    static bool FindOrCreate(int32_t map, int32_t id, const std::string& name,
                             int32_t (*create)(int32_t, const char*)) {
        const int32_t found = OM_FindName(map, name.c_str());
        if (found) return found == id;
        return create(id, name.c_str()) == id;
    }

    // One record; false where the reader fails it.
    bool record(const Record& r) {
        int err = 0;
        int32_t itemId = 0;
        std::string text;
        switch (F(r, 1)) {
            case 1:
                if (!DB_CreateDataBase(r.at(1).c_str(), "MAINHIER", "MAINPAGE")) return false;
                if (!DB_SetCurHier(OM_FindName(DB_HierarchyMap(), "MAINHIER"))) return false;
                if (!DB_SetCurPage(OM_FindName(DB_PageMap(), "MAINPAGE"))) return false;
                selectHier = F(r, 4), selectPage = F(r, 5);
                return true;
            case 30:
                if (viaPadStacks.size() > 7) {
                    padNumber = padId = 0;
                    return true;
                }
                viaPadStacks.push_back(F(r, 2));
                padNumber = F(r, 2);
                CreatePadStack(err, 0, padId, F(r, 2), F(r, 4), F(r, 5));
                O_Mask(OM_Object(DB_PadStackMap(), F(r, 2)), F(r, 3), F(r, 3));
                return err == 0;
            case 31:
            case 106:
                if (!padNumber || !padId) return true;
                AddPadStackItem(err, padId, Unpack(r, text), itemId);
                return err == 0;
            case 100:
                symbol = F(r, 2);
                if (S_CreateSymbol(F(r, 2), r.at(3).c_str()) != F(r, 2)) return false;
                O_Mask(S_Symbol(F(r, 2)), F(r, 3), F(r, 3));
                S_ChangeSimCode(F(r, 2), F(r, 6));
                padNumber = padId = 0;
                return true;
            case 101: {
                EntryRec e;
                e.Status = F(r, 3), e.X = F(r, 4), e.Y = F(r, 5), e.PaX = F(r, 7), e.PaY = F(r, 8);
                e.PaAngle = F(r, 9), e.Attrib = F(r, 10);
                InsertSymbolEntry(err, symbol, e, r.at(5), r.at(10), F(r, 2));
                return err == 0;
            }
            case 102: {
                EntryRec p;
                p.Status = F(r, 3), p.X = F(r, 4), p.Y = F(r, 5), p.Angle = F(r, 6), p.PadStack = F(r, 7);
                InsertPadEntry(err, symbol, p, F(r, 2));
                return err == 0;
            }
            case 103:
            case 104:
                AddItemOrText(err, 0, symbol, Unpack(r, text), text, itemId);
                return err == 0;
            case 105:
                padNumber = F(r, 2);
                CreatePadStack(err, symbol, padId, F(r, 2), F(r, 4), F(r, 5));
                O_Mask(OM_Object(S_SymbolPadStackMap(symbol), F(r, 2)), F(r, 3), F(r, 3));
                return err == 0;
            case 200:
                device = F(r, 2), group = 0;
                if (D_CreateDevice(F(r, 2), r.at(3).c_str(), r.at(4).c_str(), r.at(5).c_str()) != F(r, 2))
                    return false;
                O_Mask(D_Device(F(r, 2)), F(r, 3), F(r, 3));
                return true;
            case 201:
                return D_AddPin(D_SupplyPinArray(device), F(r, 2), r.at(2).c_str()) != 0;
            case 202:
                if (F(r, 2) != group + 1) return false;
                group = F(r, 2);
                return D_AddGroup(device, r.at(2).c_str(), r.at(3).c_str()) != 0;
            case 203:
                return group != 0 && D_AddPin(D_GroupPinArray(device, group), F(r, 2), r.at(2).c_str()) != 0;
            case 1000:
                return F(r, 2) != 0 &&
                       FindOrCreate(DB_HierarchyMap(), F(r, 2), r.at(2), DB_CreateHierarchy) &&
                       DB_SetCurHier(F(r, 2)) != 0;
            case 1001:
                return DB_SetCurPage(F(r, 2)) != 0;
            case 1100:
                net = F(r, 2);
                return N_CreateNet(F(r, 2), F(r, 3), r.at(3).c_str()) == F(r, 2);
            case 1101:
                if (N_CreateNode(net, F(r, 2), F(r, 4), F(r, 5), F(r, 6), F(r, 7)) != F(r, 2)) return false;
                O_Mask(N_Node(net, F(r, 2)), F(r, 3), F(r, 3));
                return true;
            case 1200:
                bus = F(r, 2);
                return N_CreateBus(F(r, 2), F(r, 3), r.at(3).c_str()) == F(r, 2);
            case 1201: {
                const int32_t got = N_SetBusMember(bus, F(r, 3), F(r, 2));
                return got != -1 && got == F(r, 2);
            }
            case 1300: {
                if (viaPadStacks.size() == 1) return false;
                size_t slot = 1;
                for (size_t k = 1; k < viaPadStacks.size(); ++k)
                    if (viaPadStacks[k] == F(r, 7)) {
                        slot = k;
                        break;
                    }
                const int32_t flags = F(r, 3) | (1 << slot);
                const int32_t got =
                    V_CreateVia(F(r, 2), flags, F(r, 4), F(r, 5), viaPadStacks[slot], F(r, 6));
                return got == F(r, 2) && got != 0;
            }
            case 1400:
                return T_CreateBendPoint(F(r, 2), F(r, 3), F(r, 4), F(r, 5)) == F(r, 2);
            case 1500:
                layComp = F(r, 2);
                return L_CreateComponent(F(r, 2), r.at(3).c_str(), F(r, 3), F(r, 9), F(r, 8), F(r, 10),
                                         F(r, 5), F(r, 6), F(r, 7)) == F(r, 2);
            case 1501:
                L_AddSchCompId(layComp, F(r, 2));
                return true;
            case 1502:
                AddItemOrText(err, 2, layComp, Unpack(r, text), text, itemId);
                return err == 0;
            case 1600:
                trace = F(r, 2);
                return T_CreateTrace(F(r, 2), F(r, 3), F(r, 4)) == F(r, 2);
            case 1601: {
                const int32_t no = T_InsertRecord(trace, -1, F(r, 2), F(r, 3), F(r, 4), F(r, 5));
                if (!no) return false;
                T_ChangeRecordGap(trace, no, F(r, 6));
                return true;
            }
            case 1602:
                return T_InsertArcRecord(trace, -1, F(r, 2), F(r, 3), F(r, 4), F(r, 5)) != 0;
            case 1700:
                AddItemOrText(err, 3, 0, Unpack(r, text), text, itemId);
                return err == 0;
            case 2000:
                return F(r, 2) != 0 && FindOrCreate(DB_PageMap(), F(r, 2), r.at(2), DB_CreatePage) &&
                       DB_SetCurPage(F(r, 2)) != 0;
            case 2400:
                return J_CreateJunction(F(r, 2), F(r, 3), F(r, 5), F(r, 6)) == F(r, 2);
            case 2500:
                schComp = F(r, 2);
                if (C_CreateComponent(F(r, 2), r.at(3).c_str(), F(r, 3), F(r, 8), F(r, 7), F(r, 14), F(r, 5),
                                      F(r, 6), F(r, 13)) != F(r, 2))
                    return false;
                C_ChangeCompPackInfo(F(r, 2), F(r, 9), F(r, 10));
                return true;
            case 2501:
                AddItemOrText(err, 1, schComp, Unpack(r, text), text, itemId);
                return err == 0;
            case 2600:
                branch = F(r, 2);
                return B_CreateBranch(F(r, 2), F(r, 3), F(r, 4)) == F(r, 2);
            case 2601:
                return B_InsertRecord(branch, -1, F(r, 2), F(r, 3)) != 0;
            case 2602:
                AddItemOrText(err, 4, branch, Unpack(r, text), text, itemId);
                return err == 0;
            case 9999:
                return true;
            default:
                return false;
        }
    }

    // The record that failed, or "" when every record was taken.
    std::string load(const std::vector<Record>& records) {
        DB_DiscardDataBase();
        for (const Record& r : records) {
            if (!record(r)) {
                std::string line;
                for (const std::string& f : r) line += f + ",";
                return line;
            }
        }
        DB_SetCurHier(selectHier);
        DB_SetCurPage(selectPage);
        return "";
    }
};

ItemRec Shape(int32_t kind, int32_t attr) {
    ItemRec r;
    r.Kind = kind, r.Attr = attr, r.Link = 3, r.X = -kind * 100, r.Y = kind * 7, r.StyleA = 44;
    r.StyleB = kind == 2 ? 16 : 0, r.Width = 2540, r.Gap = 9, r.Angle = 45000;
    r.P2 = 11 * kind, r.P3 = kind == 5 ? 90000 : -12, r.P4 = kind == 5 ? 270000 : 13, r.P5 = 14;
    return r;
}

ItemRec Text(int32_t attr) {
    ItemRec r;
    r.Kind = 6, r.Attr = attr, r.Link = 2, r.X = 50800, r.Y = -50800, r.StyleA = 44, r.Width = 2540,
    r.Gap = 1;
    r.Angle = 90000, r.P2 = 25400, r.P3 = 25400;
    return r;
}

// A design made the way the design modules and the builders make one, using every field the
// ASCII file carries.
void BuildDesign() {
    int err = 0;
    int32_t id = 0, item = 0;
    const auto ok = [&](int line) { ASSERT_EQ(err, 0) << "line " << line; };

    for (int32_t n : {5, 9}) {
        CreatePadStack(err, 0, id, n, 3000 * n, 0), ok(__LINE__);
        O_Mask(OM_Object(DB_PadStackMap(), n), 0x40, 0x40);
        AddPadStackItem(err, id, Shape(4, 0), item), ok(__LINE__);
    }
    ASSERT_EQ(S_CreateSymbol(1, "BLOCK"), 1);
    O_Mask(S_Symbol(1), 1, 3);
    S_ChangeSimCode(1, 17);
    for (int32_t e = 1; e <= 3; ++e) {
        EntryRec pin;
        pin.Status = e == 2 ? 5 : 1, pin.X = -254000, pin.Y = e * 254000, pin.PaX = 1, pin.PaY = -2;
        pin.PaAngle = 180000, pin.Attrib = e;
        InsertSymbolEntry(err, 1, pin, std::string(1, char('A' + e)), "S" + std::to_string(e), e),
            ok(__LINE__);
    }
    for (int32_t k = 1; k <= 5; ++k) AddItemOrText(err, 0, 1, Shape(k, k), "", id), ok(__LINE__);
    AddItemOrText(err, 0, 1, Text(8), "U?", id), ok(__LINE__);

    ASSERT_EQ(S_CreateSymbol(2, "DIP8"), 2);
    O_Mask(S_Symbol(2), 2, 2);
    for (int32_t e = 1; e <= 2; ++e) {
        EntryRec pad;
        pad.Status = 3, pad.X = e * 100, pad.Y = 5, pad.Angle = 90000 * e, pad.PadStack = 4;
        InsertPadEntry(err, 2, pad, e), ok(__LINE__);
    }
    CreatePadStack(err, 2, id, 4, 800, 900), ok(__LINE__);
    O_Mask(OM_Object(S_SymbolPadStackMap(2), 4), 6, 6);
    AddPadStackItem(err, id, Shape(3, 0), item), ok(__LINE__);
    AddPadStackItem(err, id, Shape(5, 0), item), ok(__LINE__);
    ASSERT_EQ(S_CreateSymbol(-101, "RSV"), -101);
    AddItemOrText(err, 0, -101, Shape(1, 0), "", id), ok(__LINE__);

    ASSERT_EQ(D_CreateDevice(1, "7400", "NAND", "DIP14"), 1);
    O_Mask(D_Device(1), 0x20, 0x20);
    D_AddPin(D_SupplyPinArray(1), 14, "VCC");
    for (int32_t g = 1; g <= 2; ++g) {
        D_AddGroup(1, ("G" + std::to_string(g)).c_str(), "BLOCK");
        D_AddPin(D_GroupPinArray(1, g), g, "IN");
    }

    // Root hierarchy: two pages, the second current.
    ASSERT_EQ(DB_CreatePage(2, "P2"), 2);
    ASSERT_EQ(N_CreateNet(1, 2, "VCC"), 1);
    ASSERT_EQ(N_CreateNode(1, 4, 1, 1, 1, 2), 4);
    O_Mask(N_Node(1, 4), 0x10, 0x10);
    ASSERT_EQ(N_CreateNet(3, 0, "D0"), 3);
    ASSERT_EQ(N_CreateBus(2, 7, "DATA"), 2);
    N_SetBusMember(2, 3, 0);
    N_SetBusMember(2, 1, 3);
    ASSERT_EQ(V_CreateVia(1, 4, 10, 20, 9, (1 << 24) + 1), 1);
    ASSERT_EQ(V_CreateVia(2, 2, 30, 40, 5, 0), 2);
    ASSERT_EQ(T_CreateBendPoint(6, 1, -5, -6), 6);
    ASSERT_EQ(L_CreateComponent(1, "U1", 2, 1, 2, 8, 1000, 2000, 270000), 1);
    L_AddSchCompId(1, 1);
    AddItemOrText(err, 2, 1, Text(0), "U1", id), ok(__LINE__);
    ASSERT_EQ(T_CreateTrace(1, 11, 12), 1);
    const int32_t seg = T_InsertRecord(1, -1, 1, 0, 0, 2540);
    T_ChangeRecordGap(1, seg, 500);
    T_InsertArcRecord(1, -1, 0x20, 100, 0, 100);
    T_InsertRecord(1, -1, 0, 200, 0, 2540);
    AddItemOrText(err, 3, 0, Text(0), "TOP", id), ok(__LINE__);
    ASSERT_EQ(J_CreateJunction(1, 3, 7, 8), 1);
    ASSERT_EQ(C_CreateComponent(1, "U1", 2, 1, 1, 1, 500, 600, 90000), 1);
    C_ChangeCompPackInfo(1, 4, 5);
    AddItemOrText(err, 1, 1, Text(1), "U1", id), ok(__LINE__);
    AddItemOrText(err, 1, 1, Text(8), "10k", id), ok(__LINE__);
    ASSERT_EQ(B_CreateBranch(1, 1, 2), 1);
    B_InsertRecord(1, -1, 0, 0);
    B_InsertRecord(1, -1, 5080, 0);
    AddItemOrText(err, 4, 1, Text(0), "WIRE", id), ok(__LINE__);
    ASSERT_EQ(DB_SetCurPage(2), 2);
    ASSERT_EQ(C_CreateComponent(2, "U2", 0, 0, 1, 0, 1, 1, 0), 2);
    ASSERT_EQ(B_CreateBranch(2, 0, 0), 2);
    B_InsertRecord(2, -1, -100, -100);

    // A hierarchy numbered 3 (none numbered 2) with its own page and net.
    ASSERT_EQ(DB_CreateHierarchy(3, "SUB"), 3);
    ASSERT_EQ(DB_SetCurHier(3), 3);
    ASSERT_EQ(DB_CreatePage(1, "MAINPAGE"), 1);
    ASSERT_EQ(DB_SetCurPage(1), 1);
    ASSERT_EQ(N_CreateNet(1, 5, "A"), 1);
    ASSERT_EQ(N_CreateNode(1, 0, 1, 1, 0, 0), 1);
    ASSERT_EQ(C_CreateComponent(1, "H1", 1, 0, 1, 1, 0, -100, 0), 1);
    ASSERT_EQ(DB_SetCurHier(1), 1);
}

class CallerTest : public KernelTest {};

TEST_F(CallerTest, AsciiWriteThenRebuildGivesBackEveryRecord) {
    BuildDesign();
    ASSERT_FALSE(HasFatalFailure());
    tolvi::ReadDbLabel();  // the writer reads the label; a database without one would get it now
    ClearChanged();
    TempDir dir;
    ASSERT_EQ(WriteAscii(dir.path("first.TPA")), 0);
    EXPECT_FALSE(Changed()) << "the writer only reads";
    EXPECT_EQ(DB_CurHier(), 1) << "the writer leaves the selection as it found it";
    EXPECT_EQ(DB_CurPage(), 2);

    Reader reader;
    const std::string first = ReadText(dir.path("first.TPA"));
    ASSERT_EQ(reader.load(Records(first)), "") << "a record the kernel refused";
    EXPECT_EQ(DB_CurHier(), 1);
    EXPECT_EQ(DB_CurPage(), 2);
    tolvi::ReadDbLabel();
    ASSERT_EQ(WriteAscii(dir.path("second.TPA")), 0);
    EXPECT_EQ(ReadText(dir.path("second.TPA")), first);

    // What the writers read from the rebuilt design: the value text behind its mark, the bus
    // member, the arc flags, the per-hierarchy page.
    const int32_t pos = OA_SearchMask(C_CompTextArray(1), 1, 8);
    ItemRec text;
    ASSERT_GT(pos, 0);
    ASSERT_EQ(I_ReadItem(C_CompText(1, pos), text), 6);
    EXPECT_STREQ(text.Text, "10k");
    int32_t member = -1;
    EXPECT_EQ(N_FindBusMember(1, member), 2);
    EXPECT_EQ(member, 3);
    EXPECT_STREQ(O_GetName(N_Bus(2)), "DATA");
    TraceSegRec arc;
    ASSERT_EQ(T_ReadRecord(1, 2, arc), 1);
    EXPECT_EQ(arc.Flags, 0x30);
    EXPECT_EQ(DB_SetCurHier(3), 3);
    EXPECT_EQ(DB_CurPage(), 1);

    // The net on pin 2 of layout component 1, found through the temporary mark; marking and
    // clearing leave the database unchanged.
    DB_SetCurHier(1);
    ClearChanged();
    N_SetNodeView(1);
    OM_MaskAll(DB_NetMap(), 0, 0x100);
    N_MaskAllNodes(0, 0x100);
    N_MaskCompNodes(1, 2, 0x100, 0x100, 0x100, 0x100);
    int32_t c = OM_GetFirst(DB_NetMap());
    const int32_t net = OM_SearchMask(DB_NetMap(), c, 0x100, 0x100);
    EXPECT_EQ(net, 1);
    c = OM_GetFirst(N_NodeMap(net));
    EXPECT_EQ(OM_SearchMask(N_NodeMap(net), c, 0x100, 0x100), 4);
    OM_MaskAll(DB_NetMap(), 0, 0x100);
    N_MaskAllNodes(0, 0x100);
    c = OM_GetFirst(DB_NetMap());
    EXPECT_EQ(OM_SearchMask(DB_NetMap(), c, 0x100, 0x100), 0);
    EXPECT_EQ(O_GetStatus(N_Node(1, 4)), 0x10);
    EXPECT_FALSE(Changed());
}

// Records the rebuild must refuse: the reader takes any other id than the one it asked for as
// a failure, and the kernel must answer exactly that way.
struct RefusedCase {
    const char* what;
    Record record;
};

class RefusedRecordTest : public KernelTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedRecordTest, KernelRefusesAndTheRecordFails) {
    BuildDesign();
    ASSERT_FALSE(HasFatalFailure());
    Reader reader;
    reader.symbol = 1, reader.net = 1, reader.bus = 2, reader.device = 1;
    reader.viaPadStacks = {0, 5, 9};
    EXPECT_FALSE(reader.record(GetParam().record));
}

INSTANTIATE_TEST_SUITE_P(
    Records, RefusedRecordTest,
    ::testing::Values(
        RefusedCase{"taken_symbol", {"0100", "1", "0", "X", "0", "0"}},
        RefusedCase{"entry_out_of_order", {"0101", "5", "0", "0", "0", "P", "0", "0", "0", "0", ""}},
        RefusedCase{"taken_device", {"0200", "1", "0", "D", "", "", "0", "0"}},
        RefusedCase{"hierarchy_100", {"1000", "100", "NEW", "0", "0", "0", "0"}},
        RefusedCase{"hierarchy_name_under_other_id", {"1000", "7", "SUB", "0", "0", "0", "0"}},
        RefusedCase{"page_100", {"2000", "100", "P100", "0", "0", "0", "0", "0", "0", "0", "0"}},
        RefusedCase{"missing_page", {"1001", "42"}}, RefusedCase{"taken_net", {"1100", "3", "0", "N"}},
        RefusedCase{"taken_node", {"1101", "4", "0", "0", "0", "0", "0"}},
        RefusedCase{"negative_member_position", {"1201", "-1", "3"}},
        RefusedCase{"taken_via", {"1300", "1", "0", "0", "0", "0", "5"}},
        RefusedCase{"taken_bend_point", {"1400", "6", "0", "0", "0"}},
        RefusedCase{"taken_schematic_component",
                    {"2500", "1", "0", "X", "0", "0", "0", "0", "0", "0", "2", "0", "0", "0"}},
        RefusedCase{"text_on_missing_branch",
                    {"2602", "6", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "T"}}),
    [](const auto& info) { return std::string(info.param.what); });

// --- hierarchy deletion ----------------------------------------------------------------------

// Hierarchy h with two pages, content on every map, layout texts, reserved symbols, a heap file
// and a bitmap record; returns the handles that must go stale with it.
std::vector<int32_t> FillHierarchy(int32_t h) {
    std::vector<int32_t> owned;
    EXPECT_EQ(DB_CreateHierarchy(h, ("H" + std::to_string(h)).c_str()), h);
    DB_SetCurHier(h);
    DB_CreatePage(1, "MAINPAGE");
    DB_CreatePage(7, "P7");
    DB_SetCurPage(1);
    N_CreateNet(1, 0, "N"), N_CreateNode(1, 0, 1, 1, 1, 1);
    N_CreateBus(1, 0, "B");
    C_CreateComponent(1, "C", 0, 0, 1, 0, 0, 0, 0);
    B_CreateBranch(1, 0, 0), J_CreateJunction(1, 0, 0, 0);
    L_CreateComponent(1, "L", 0, 0, 2, 0, 0, 0, 0);
    T_CreateTrace(1, 0, 0), T_CreateBendPoint(1, 0, 0, 0), V_CreateVia(1, 0, 0, 0, 5, 0);
    for (int32_t i = 0; i < 5; ++i)
        owned.push_back(OA_Add(DB_LayoutTextArray(), I_MakeText(0, 0, 0, 1, 1, "T", 0, 0, 0)));
    owned.push_back(N_Net(1));
    owned.push_back(DB_Page(7));
    owned.push_back(OA_Add(C_CompTextArray(1), I_MakeText(0, 0, 0, 1, 1, "V", 8, 0, 0)));
    owned.push_back(DB_LayerArray());
    for (int32_t id :
         {-(h + 100), -(h + 800), -((h + 9) * 100 + 1), -((h + 9) * 100 + 99), -(h + 12000), -(h + 13000)})
        S_CreateSymbol(id, "RSV");
    F_CreateFile(0, ("@NDHEAP" + std::to_string(h)).c_str());
    return owned;
}

// Whether a handle of a layout text, net, page, component text or layer array still resolves.
bool Alive(int32_t handle) {
    ItemRec r;
    return I_ReadItem(handle, r) != 0 || O_GetName(handle) != nullptr || OA_GetCount(handle) > 0;
}

// The deletion routine, step for step, including its layout-text loop over rising positions.
void DeleteMarkedHierarchies(int32_t mask) {
    const int32_t saved = DB_CurHier();
    const int32_t map = DB_HierarchyMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t h = OM_SearchMask(map, cursor, mask, mask)) {
        if (!DB_SetCurHier(h)) continue;
        for (int32_t k = 1; k <= 8; ++k) OM_Delete(DB_SymbMap(), -(h + 100 * k));
        for (int32_t j = 1; j <= 99; ++j) OM_Delete(DB_SymbMap(), -((h + 9) * 100 + j));
        OM_Delete(DB_SymbMap(), -(h + 12000));
        OM_Delete(DB_SymbMap(), -(h + 13000));
        int32_t pc = OM_GetFirst(DB_PageMap());
        while (const int32_t p = OM_SearchMask(DB_PageMap(), pc, 0, 0))
            OM_Delete(DB_SymbMap(), -((h + 9) * 100 + p));
        for (int32_t m : {DB_PageMap(), DB_NetMap(), DB_BusMap(), DB_SchCompMap(), DB_BranchMap(),
                          DB_JunctMap(), DB_LayCompMap(), DB_TraceMap(), DB_BendPointMap(), DB_ViaMap()})
            OM_DeleteAll(m);
        if (const int32_t f = OM_FindName(DB_FileMap(), ("@NDHEAP" + std::to_string(h)).c_str()))
            OM_Delete(DB_FileMap(), f);
        for (int32_t i = 1; OA_Delete(DB_LayoutTextArray(), i); ++i) {
        }
        OM_Delete(map, h);
        cursor = OM_GetFirst(map);
    }
    DB_SetCurHier(saved);
}

struct DeletionCase {
    const char* what;
    int32_t mask;
    std::vector<int32_t> marked;  // hierarchies carrying the mask bit
    int32_t current;              // current hierarchy on entry
    std::vector<int32_t> left;
    int32_t currentAfter;
};

class HierarchyDeletionTest : public KernelTest, public ::testing::WithParamInterface<DeletionCase> {};

TEST_P(HierarchyDeletionTest, MarkedHierarchiesGoWithEverythingTheyOwn) {
    const DeletionCase& c = GetParam();
    ASSERT_EQ(S_CreateSymbol(1, "BLOCK"), 1);
    ASSERT_EQ(S_CreateSymbol(2, "$&@HOOK"), 2);
    std::map<int32_t, std::vector<int32_t>> owned;
    for (int32_t h : {2, 3}) owned[h] = FillHierarchy(h);
    for (int32_t h : c.marked) O_Mask(OM_Object(DB_HierarchyMap(), h), c.mask, c.mask);
    ASSERT_EQ(DB_SetCurHier(c.current), c.current);
    ClearChanged();

    DeleteMarkedHierarchies(c.mask);

    std::vector<int32_t> left;
    int32_t cursor = OM_GetFirst(DB_HierarchyMap());
    while (const int32_t h = OM_SearchMask(DB_HierarchyMap(), cursor, 0, 0)) left.push_back(h);
    EXPECT_EQ(left, c.left);
    EXPECT_EQ(DB_CurHier(), c.currentAfter);
    EXPECT_EQ(Changed(), !c.marked.empty());
    EXPECT_NE(S_Symbol(1), 0);
    EXPECT_NE(S_Symbol(2), 0);
    for (int32_t h : {2, 3}) {
        const bool gone = std::count(c.marked.begin(), c.marked.end(), h) > 0;
        for (int32_t handle : owned[h]) EXPECT_EQ(!Alive(handle), gone) << "hierarchy " << h;
        EXPECT_EQ(S_Symbol(-(h + 100)) == 0, gone);
        EXPECT_EQ(S_Symbol(-((h + 9) * 100 + 99)) == 0, gone);
        EXPECT_EQ(S_Symbol(-(h + 13000)) == 0, gone);
        EXPECT_EQ(OM_FindName(DB_FileMap(), ("@NDHEAP" + std::to_string(h)).c_str()) == 0, gone);
    }
    if (c.currentAfter == 0) {
        // No hierarchy is current: every hierarchy-bound call answers 0 until one is selected.
        EXPECT_EQ(DB_NetMap(), 0);
        EXPECT_EQ(DB_CurPage(), 0);
        EXPECT_EQ(N_CreateNet(0, 0, "N"), 0);
        EXPECT_EQ(E_SysTable(11), nullptr);
        EXPECT_EQ(DB_SetCurHier(OM_FindNameMask(DB_HierarchyMap(), "MAINHIER", 0, 0)), 1);
        EXPECT_EQ(DB_CurPage(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Masks, HierarchyDeletionTest,
                         ::testing::Values(DeletionCase{"accept_two_marked", 0x100, {2, 3}, 1, {1}, 1},
                                           DeletionCase{"mask_on_none", 0x100, {}, 2, {1, 2, 3}, 2},
                                           DeletionCase{"cancel_one_created", 0x200, {3}, 2, {1, 2}, 2},
                                           DeletionCase{"immediate_current", 0x400, {2}, 2, {1, 3}, 0}),
                         [](const auto& info) { return std::string(info.param.what); });

// --- net hooks of a new hierarchy ------------------------------------------------------------

TEST_F(CallerTest, NewHierarchyWithNetHooksFromABlockSymbol) {
    int err = 0;
    int32_t id = 0;
    for (int32_t s : {1, 2}) {
        ASSERT_EQ(S_CreateSymbol(s, s == 1 ? "ALU" : "REG"), s);
        O_Mask(S_Symbol(s), 1, 3);
        for (int32_t e = 1; e <= 3; ++e) {
            EntryRec pin;
            InsertSymbolEntry(err, s, pin, std::string("P") + char('0' + e), "", e);
            ASSERT_EQ(err, 0);
        }
    }
    S_CreateSymbol(-101, "ALU");  // a reserved symbol may share the name; the design one wins
    S_CreateSymbol(-1, "REG");

    int32_t hookCount = 0;
    for (const char* block : {"ALU", "REG"}) {
        // The block-symbol list walks positives first and stops at the first id <= 0.
        std::vector<std::string> listed;
        int32_t c = OM_GetFirst(DB_SymbMap());
        for (int32_t s = OM_SearchMask(DB_SymbMap(), c, 1, 3); s > 0;
             s = OM_SearchMask(DB_SymbMap(), c, 1, 3))
            if (OM_FindNameMask(DB_SymbMap(), O_GetName(OM_Object(DB_SymbMap(), s)), 1, 3) > 0)
                listed.push_back(O_GetName(OM_Object(DB_SymbMap(), s)));
        EXPECT_EQ(listed, (std::vector<std::string>{"ALU", "REG"}));

        // Creating the hierarchy.
        int32_t blockId = 0;
        FindSymbolByName(err, blockId, block);
        ASSERT_EQ(err, 0);
        ASSERT_EQ(O_GetStatus(S_Symbol(blockId)) & 2, 0);
        ASSERT_EQ(OM_FindName(DB_HierarchyMap(), block), 0);
        const int32_t hier = DB_CreateHierarchy(0, block);
        ASSERT_GT(hier, 1);
        O_Mask(OM_Object(DB_HierarchyMap(), hier), 0, 2);
        ASSERT_NE(DB_SetCurHier(hier), 0);
        ASSERT_EQ(DB_CreatePage(1, "MAINPAGE"), 1);
        DB_SetCurPage(1);
        DB_SetCurHier(1);
        O_Mask(OM_Object(DB_HierarchyMap(), hier), 0x280, 0x280);
        EXPECT_EQ(DB_CurHier(), 1);
        ASSERT_NE(DB_SetCurHier(hier), 0);

        // The hooks.
        int32_t hook = 0;
        FindSymbolByName(err, hook, "$&@HOOK");
        if (err) {
            hook = S_CreateSymbol(0, "$&@HOOK");
            ASSERT_GT(hook, 0);
            ++hookCount;
            EntryRec pin;
            pin.Status = 1;
            InsertSymbolEntry(err, hook, pin, "HOOK", "", 1);
            ASSERT_EQ(err, 0);
            ItemRec line;
            line.Kind = 1, line.Attr = 1, line.StyleA = 44, line.Width = 2540, line.P2 = -1016000;
            AddItemOrText(err, 0, hook, line, "", id);
            ASSERT_EQ(err, 0);
            ItemRec tri = line;
            tri.Kind = 2, tri.StyleB = 16, tri.P2 = -101600, tri.P3 = -101600, tri.P4 = -101600,
            tri.P5 = 101600;
            AddItemOrText(err, 0, hook, tri, "", id);
            ASSERT_EQ(err, 0);
        }
        SymbolRec b;
        ASSERT_GT(S_ReadSymbol(blockId, b), 0);
        const int32_t pitch = 406400;
        int32_t y = -(b.EntryCount * pitch) / 2;
        for (int32_t e = 1; e <= b.EntryCount; ++e) {
            EntryRec entry;
            ASSERT_NE(S_ReadEntry(blockId, e, entry), 0);
            const std::string pinName = entry.Name;
            const int32_t net = N_CreateNet(0, 5, pinName.c_str());
            ASSERT_NE(net, 0);
            const int32_t comp =
                C_CreateComponent(0, ("$&@HOOK" + std::to_string(e)).c_str(), 1, 0, hook, 1, 0, y, 0);
            ASSERT_NE(comp, 0);
            ItemRec t;
            t.Kind = 6, t.Attr = 1, t.X = 50800, t.Y = 50800, t.StyleA = 44, t.P2 = 25400, t.P3 = 25400;
            AddItemOrText(err, 1, comp, t, pinName, id);
            EXPECT_EQ(err, 0);
            ASSERT_NE(N_CreateNode(net, 0, comp, 1, 0, 0), 0);
            y += pitch;
        }

        // What the hierarchy now holds, read back as the writers and the previews read it.
        const int32_t ys[] = {-609600, -203200, 203200};
        for (int32_t e = 1; e <= 3; ++e) {
            SchCompRec c;
            ASSERT_NE(C_ReadComponent(e, c), 0);
            EXPECT_STREQ(c.Name, ("$&@HOOK" + std::to_string(e)).c_str());
            EXPECT_EQ(c.Flags, 1);
            EXPECT_EQ(c.Y, ys[e - 1]);
            EXPECT_EQ(c.Symbol, hook);
            EXPECT_EQ(c.Page, 1);
            EXPECT_EQ(c.Kept12, 1);
            ItemRec t;
            ASSERT_EQ(I_ReadItem(C_CompText(e, 1), t), 6);
            EXPECT_STREQ(t.Text, ("P" + std::to_string(e)).c_str());
            EXPECT_EQ(t.X, 50800);
            EXPECT_EQ(t.P2, 25400);
            NetRec n;
            ASSERT_NE(N_ReadNet(e, n), 0);
            EXPECT_EQ(n.Flags, 5);
            EXPECT_STREQ(n.Name, t.Text);
            NodeRec d;
            ASSERT_NE(N_ReadNode(e, 1, d), 0);
            EXPECT_EQ(d.SchComp, e);
            EXPECT_EQ(d.SchEntry, 1);
            EntryRec pin;
            ASSERT_NE(C_ReadEntry(e, 1, pin), 0);
            EXPECT_STREQ(pin.Name, "HOOK");
            EXPECT_EQ(pin.Status, 1);
        }
        EXPECT_EQ(O_GetStatus(OM_Object(DB_HierarchyMap(), hier)), 0x280);
        DB_SetCurHier(1);
    }
    EXPECT_EQ(hookCount, 1) << "the hook symbol is shared";
    const int32_t hook = OM_FindName(DB_SymbMap(), "$&@HOOK");
    ItemRec line, tri;
    ASSERT_EQ(I_ReadItem(OA_Object(S_SymbolItemArray(hook), 1), line), 1);
    ASSERT_EQ(I_ReadItem(OA_Object(S_SymbolItemArray(hook), 2), tri), 2);
    EXPECT_EQ(line.Attr, 1);
    EXPECT_EQ(line.StyleA, 44);
    EXPECT_EQ(line.Width, 2540);
    EXPECT_EQ(line.P2, -1016000);
    EXPECT_EQ(tri.StyleB, 16);
    EXPECT_EQ(tri.P4, -101600);
    EXPECT_EQ(tri.P5, 101600);

    // Cancel: the hierarchies created in this run go, the hook symbol stays.
    DeleteMarkedHierarchies(0x200);
    OM_MaskAll(DB_HierarchyMap(), 0, 0x380);
    int32_t cursor = OM_GetFirst(DB_HierarchyMap());
    EXPECT_EQ(OM_SearchMask(DB_HierarchyMap(), cursor, 0, 0), 1);
    EXPECT_EQ(OM_SearchMask(DB_HierarchyMap(), cursor, 0, 0), 0);
    EXPECT_EQ(OM_FindName(DB_SymbMap(), "$&@HOOK"), hook);
}

}  // namespace
}  // namespace kt
