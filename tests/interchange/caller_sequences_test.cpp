// The kernel as its callers drive it: the ASCII database writer and the ASCII reader with its
// object builders, the hierarchy deletion, and the net hooks of a new hierarchy. Each test runs
// the caller itself, or its sequence of flat calls, and checks what that caller relies on.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "common/db_session.h"
#include "common/utilities.h"
#include "interchange/ascii_loader.h"
#include "interchange/exporter.h"
#include "interchange/object_builders.h"
#include "kernel/kernel_test_support.h"
#include "mainwindow/hier_deletion.h"
#include "support/scripted_ui.h"

namespace kt {
namespace {

using tolvi::AddItemOrText;
using tolvi::AddPadStackItem;
using tolvi::CreatePadStack;
using tolvi::DeleteMarkedHierarchies;
using tolvi::FindSymbolByName;
using tolvi::InsertPadEntry;
using tolvi::InsertSymbolEntry;

// --- the ASCII writer's file, read back by the ASCII reader ------------------------------------

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes the open database as an ASCII file at path; the writer's result.
int32_t WriteAscii(const std::string& path) {
    tolvi::gDbTitle = tolvi::CStrFromPtr(O_GetName(DB_DataBase()));
    return tolvi::WriteExportFile(1, path);
}

// Reads the ASCII file at path into a new database and selects the header's hierarchy and page,
// as the load window does; the reader's result.
int32_t ReadAscii(const std::string& path) {
    tolvi::AsciiLoader loader;
    const int32_t result = loader.ReadFile(path);
    if (result < 0) return -1;
    DB_SetCurHier(loader.mHierToSelect);
    DB_SetCurPage(loader.mPageToSelect);
    return result;
}

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
    int32_t err = 0;
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
    // The reader trims layer labels; two of the kernel's defaults end in a blank.
    for (int32_t h : {3, 1}) {
        DB_SetCurHier(h);
        for (int32_t k = 1; k <= 32; ++k) {
            const int32_t layer = OA_Object(DB_LayerArray(), k);
            O_Rename(layer, tolvi::Trim(tolvi::CStrFromPtr(O_GetName(layer))).c_str());
        }
    }
    tolvi::ReadDbLabel();  // the writer reads the label; a database without one would get it now
    ClearChanged();
    TempDir dir;
    ASSERT_EQ(WriteAscii(dir.path("first.TPA")), 0);
    EXPECT_FALSE(Changed()) << "the writer only reads";
    EXPECT_EQ(DB_CurHier(), 1) << "the writer leaves the selection as it found it";
    EXPECT_EQ(DB_CurPage(), 2);

    const std::string first = ReadText(dir.path("first.TPA"));
    ASSERT_EQ(ReadAscii(dir.path("first.TPA")), 0) << "a record the kernel refused";
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
// a failure, and the kernel must answer exactly that way. Each record goes into the written file
// of the design right after the line that gives it its context.
struct RefusedCase {
    const char* what;
    const char* after;  // the start of the line it follows
    const char* record;
    const char* reason;
};
// Shown by its name in failures, not as the bytes of the record.
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.what; }

class RefusedRecordTest : public KernelTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedRecordTest, KernelRefusesAndTheRecordFails) {
    const RefusedCase& c = GetParam();
    BuildDesign();
    ASSERT_FALSE(HasFatalFailure());
    TempDir dir;
    ASSERT_EQ(WriteAscii(dir.path("design.TPA")), 0);
    std::string text = ReadText(dir.path("design.TPA"));
    const size_t at = text.find(std::string("\r\n") + c.after);
    ASSERT_NE(at, std::string::npos) << c.after;
    const size_t end = text.find("\r\n", at + 2);
    text.insert(end + 2, std::string(c.record) + "\r\n");
    std::ofstream(dir.path("refused.TPA"), std::ios::binary) << text;
    tolvi::test::scriptedUi().QueueAnswer(1);
    EXPECT_EQ(ReadAscii(dir.path("refused.TPA")), 1);
    ASSERT_EQ(tolvi::test::scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(tolvi::test::scriptedUi().boxes[0].title, std::string("ASCII Load Error: ") + c.reason);
    EXPECT_EQ(tolvi::test::scriptedUi().boxes[0].text, c.record);
}

const char* const kInvalid = "Invalid record";

INSTANTIATE_TEST_SUITE_P(
    Records, RefusedRecordTest,
    ::testing::Values(RefusedCase{"taken_symbol", "0100, 1,", "0100, 1, 0,\"X\", 0, 0", kInvalid},
                      RefusedCase{"entry_out_of_order", "0101, 3,", "0101, 5, 0, 0, 0,\"P\", 0, 0, 0, 0,\"\"",
                                  kInvalid},
                      RefusedCase{"taken_device", "0200, 1,", "0200, 1, 0,\"D\",\"\",\"\", 0, 0", kInvalid},
                      RefusedCase{"hierarchy_100", "1000, 1,", "1000, 100,NEW, 0, 0, 0, 0", kInvalid},
                      RefusedCase{"hierarchy_name_under_other_id", "1000, 3,", "1000, 7,SUB, 0, 0, 0, 0",
                                  "Incorrect Record Sequence"},
                      RefusedCase{"page_100", "2000, 1,", "2000, 100,P100, 0, 0, 0, 0, 0, 0, 0, 0", kInvalid},
                      RefusedCase{"missing_page", "1000, 1,", "1001, 42", kInvalid},
                      RefusedCase{"taken_net", "1100, 3,", "1100, 3, 0,\"N\", 0", kInvalid},
                      RefusedCase{"taken_node", "1101, 4,", "1101, 4, 0, 0, 0, 0, 0", kInvalid},
                      RefusedCase{"negative_member_position", "1200, 2,", "1201,-1, 3", kInvalid},
                      RefusedCase{"taken_via", "1300, 2,", "1300, 1, 0, 0, 0, 0, 5", kInvalid},
                      RefusedCase{"taken_bend_point", "1400, 6,", "1400, 6, 0, 0, 0", kInvalid},
                      RefusedCase{"taken_schematic_component", "2500, 1,",
                                  "2500, 1, 0,\"X\", 0, 0, 0, 0, 0, 0, 2, 0, 0, 0", kInvalid},
                      RefusedCase{"text_on_missing_branch", "2000, 1,",
                                  "2602, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,\"T\"", kInvalid}),
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
    owned.reserve(owned.size() + 5);
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

struct DeletionCase {
    const char* what;
    int32_t mask;
    std::vector<int32_t> marked;  // hierarchies carrying the mask bit
    int32_t current;              // current hierarchy on entry
    std::vector<int32_t> left;
    int32_t currentAfter;
};
// Shown by its name in failures, not as the bytes of the record.
void PrintTo(const DeletionCase& c, std::ostream* os) { *os << c.what; }

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
    int32_t err = 0;
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
