// Map walks, id allocation and status-bit semantics.
#include <functional>
#include <ostream>
#include <set>

#include "kernel_test_support.h"

namespace kt {
namespace {

std::vector<int32_t> Walk(int32_t map, int32_t value = 0, int32_t mask = 0) {
    std::vector<int32_t> keys;
    int32_t c = OM_GetFirst(map);
    while (int32_t k = OM_SearchMask(map, c, value, mask)) keys.push_back(k);
    return keys;
}

using Keys = std::vector<int32_t>;

class MapTest : public KernelTest {};

TEST_F(MapTest, ScanOrderIsPositivesAscendingThenNegativesDescending) {
    for (int32_t id : {5, -1, 3, -101, -2, 1, -1001}) ASSERT_EQ(S_CreateSymbol(id, "S"), id);
    EXPECT_EQ(Walk(DB_SymbMap()), (Keys{1, 3, 5, -1, -2, -101, -1001}));

    // A list that stops at the first key <= 0 still sees every ordinary symbol.
    Keys listed;
    int32_t c = OM_GetFirst(DB_SymbMap());
    for (int32_t id = OM_SearchMask(DB_SymbMap(), c, 0, 0); id > 0; id = OM_SearchMask(DB_SymbMap(), c, 0, 0))
        listed.push_back(id);
    EXPECT_EQ(listed, (Keys{1, 3, 5}));

    // Name search: first in scan order, byte-exact, so the design symbol wins over previews.
    S_CreateSymbol(-3, "DUP");
    S_CreateSymbol(8, "DUP");
    EXPECT_EQ(OM_FindName(DB_SymbMap(), "DUP"), 8);
    EXPECT_EQ(OM_FindName(DB_SymbMap(), "dup"), 0);
    O_Rename(S_Symbol(8), "OTHER");
    EXPECT_EQ(OM_FindName(DB_SymbMap(), "DUP"), -3);
    EXPECT_EQ(OM_FindName(DB_SymbMap(), "OTHER"), 8);
}

TEST_F(MapTest, WalkSurvivesDeletesAndAddsAroundTheCursor) {
    for (int32_t id : {1, 2, 3, 5, 6}) N_CreateNet(id, 0, "N");
    const int32_t map = DB_NetMap();
    Keys seen;
    int32_t c = OM_GetFirst(map);
    while (int32_t k = OM_SearchMask(map, c, 0, 0)) {
        seen.push_back(k);
        if (k == 2) {
            OM_Delete(map, 2);  // the current one
            OM_Delete(map, 3);  // the next one
            N_CreateNet(4, 0, "AHEAD");
            N_CreateNet(7, 0, "LAST");
        }
        if (k == 5) OM_Delete(map, 1);  // one already passed
    }
    EXPECT_EQ(seen, (Keys{1, 2, 4, 5, 6, 7}));
    EXPECT_EQ(Walk(map), (Keys{4, 5, 6, 7}));

    // Deleting most of a large map while walking it keeps the walk and every lookup right.
    OM_DeleteAll(map);
    for (int32_t id = 1; id <= 300; ++id) N_CreateNet(id, 0, "N");
    size_t visited = 0;
    c = OM_GetFirst(map);
    while (int32_t k = OM_SearchMask(map, c, 0, 0)) {
        ++visited;
        if (k % 10) OM_Delete(map, k);
    }
    EXPECT_EQ(visited, 300u);
    EXPECT_EQ(Walk(map).size(), 30u);
    EXPECT_EQ(OM_Object(map, 150) != 0, true);
    EXPECT_EQ(OM_Object(map, 151), 0);
    EXPECT_EQ(N_CreateNet(0, 0, "N"), 301);
}

// A map takes keys in any order, runs of them going up between others (a file gives one page's
// objects, then the next page's) or down, and deletes among them: lookups, walks and the next
// free id always agree with an ordered set of the same keys.
TEST_F(MapTest, KeysInAnyOrderAgreeWithAnOrderedSet) {
    constexpr int32_t kKeys = 2000;
    const struct {
        const char* order;
        std::function<int32_t(int32_t)> key;  // the i-th key made, 0 <= i < kKeys
    } cases[] = {
        {"ascending", [](int32_t i) { return i + 1; }},
        {"descending", [](int32_t i) { return kKeys - i; }},
        {"four pages", [](int32_t i) { return (i % 500) * 4 + i / 500 + 1; }},
        {"scattered", [](int32_t i) { return int32_t((uint32_t(i) * 7919u) % uint32_t(kKeys)) + 1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.order);
        KernelResetForTests();
        ASSERT_NE(DB_CreateDataBase("T", "H", "P"), 0);
        const int32_t map = DB_NetMap();
        std::set<int32_t> model;
        for (int32_t i = 0; i < kKeys; ++i) {
            const int32_t key = c.key(i);
            ASSERT_EQ(N_CreateNet(key, 0, "N"), key);
            model.insert(key);
            // Every third key made, a key made before goes again.
            if (i % 3 == 2) {
                const int32_t gone = c.key(i / 2);
                EXPECT_EQ(OM_Delete(map, gone), model.erase(gone) ? 1 : 0);
            }
        }
        EXPECT_EQ(Walk(map), Keys(model.begin(), model.end()));
        for (int32_t key = 0; key <= kKeys + 1; ++key)
            ASSERT_EQ(OM_Object(map, key) != 0, model.count(key) == 1) << key;
        // Looked up backwards, then made again where they went.
        for (int32_t key = kKeys; key >= 1; --key) ASSERT_EQ(N_Net(key) != 0, model.count(key) == 1) << key;
        for (int32_t key = 1; key <= kKeys; ++key) {
            if (!model.count(key)) {
                ASSERT_EQ(N_CreateNet(key, 0, "AGAIN"), key);
            }
        }
        EXPECT_EQ(Walk(map).size(), size_t(kKeys));
        EXPECT_EQ(N_CreateNet(0, 0, "NEXT"), kKeys + 1);
    }
}

TEST_F(MapTest, FiltersSelectStatusUnderMask) {
    const int32_t status[] = {0, 0x100, 0x180, 0x80, 0x380};
    for (int32_t i = 0; i < 5; ++i) N_CreateNet(i + 1, status[i], "N");
    struct Case {
        int32_t value, mask;
        Keys keys;
    } cases[] = {
        {0, 0, {1, 2, 3, 4, 5}},
        {0x100, 0x100, {2, 3, 5}},
        {0, 0x100, {1, 4}},
        {0x180, 0x180, {3, 5}},
        {0x80, 0x180, {4}},
        {0x200, 0x200, {5}},
        // a value outside the mask never matches
        {0x100, 0, {}},
    };
    for (const Case& t : cases)
        EXPECT_EQ(Walk(DB_NetMap(), t.value, t.mask), t.keys) << t.value << "/" << t.mask;
    EXPECT_EQ(OM_FindNameMask(DB_NetMap(), "N", 0x80, 0x180), 4);
    EXPECT_EQ(OM_FindNameMask(DB_NetMap(), "N", 0x400, 0x400), 0);
}

TEST_F(MapTest, MaskSetsOnlyTheBitsUnderTheMask) {
    struct Case {
        int32_t before, value, mask, after;
    } cases[] = {
        {0x0F, 0x00, 0x03, 0x0C}, {0x00, 0xFF, 0x30, 0x30}, {0x55, 0xAA, 0x00, 0x55},
        {0x5, 0x5, 0x5, 0x5},     {-1, 0, 0x100, ~0x100},
    };
    for (const Case& t : cases) {
        const int32_t net = N_Net(N_CreateNet(0, t.before, "N"));
        O_Mask(net, t.value, t.mask);
        EXPECT_EQ(O_GetStatus(net), t.after);
    }
    OM_MaskAll(DB_NetMap(), 0x100, 0x100);
    EXPECT_EQ(Walk(DB_NetMap(), 0x100, 0x100).size(), std::size(cases));
}

TEST_F(MapTest, CompNodesFollowTheNodeView) {
    N_CreateNet(1, 0, "A");
    N_CreateNet(2, 0, "B");
    N_CreateNode(1, 0, /*sch*/ 7, 3, /*lay*/ 9, 1);
    N_CreateNode(2, 0, /*sch*/ 9, 1, /*lay*/ 7, 3);
    for (int32_t view : {0, 1}) {
        N_MaskAllNodes(0, 0x100);
        OM_MaskAll(DB_NetMap(), 0, 0x100);
        N_SetNodeView(view);
        N_MaskCompNodes(7, 3, 0x100, 0x100, 0x100, 0x100);
        const int32_t hit = view == 0 ? 1 : 2;
        EXPECT_EQ(Walk(DB_NetMap(), 0x100, 0x100), Keys{hit}) << view;
        EXPECT_EQ(Walk(N_NodeMap(hit), 0x100, 0x100), Keys{1}) << view;
        EXPECT_EQ(Walk(N_NodeMap(3 - hit), 0x100, 0x100), Keys{}) << view;
    }
}

TEST_F(MapTest, ArraySearchFindsTheTextCarryingTheMaskBits) {
    C_CreateComponent(1, "R1", 0, 0, 0, 0, 0, 0, 0);
    const int32_t texts = C_CompTextArray(1);
    for (int32_t attr : {1, 0x10, 0x19, 0x8}) OA_Add(texts, I_MakeText(0, 0, 0, 1, 1, "T", attr, 0, 0));
    EXPECT_EQ(OA_SearchMask(texts, 1, 8), 3);  // the value text: status with bit 8
    EXPECT_EQ(OA_SearchMask(texts, 0, 8), 1);  // bit 8 clear
    EXPECT_EQ(OA_SearchMask(texts, 1, 0x20), 0);
    I_ChangeItemAttr(C_CompText(1, 3), 0, 0, 0, 0);
    EXPECT_EQ(OA_SearchMask(texts, 1, 8), 4);
    EXPECT_EQ(O_GetStatus(C_CompText(1, 4)), 8) << "an item's status is its Attr";
}

TEST_F(MapTest, ArrayDeleteCompactsAndAddRefusesOwnedOrMissingItems) {
    const int32_t texts = DB_LayoutTextArray();
    for (const char* t : {"A", "B", "C"}) OA_Add(texts, I_MakeText(0, 0, 0, 1, 1, t, 0, 0, 0));
    ItemRec r;
    EXPECT_NE(OA_Delete(texts, 1), 0);
    I_ReadItem(OA_Object(texts, 1), r);
    EXPECT_STREQ(r.Text, "B");
    while (OA_Delete(texts, 1)) {
    }
    EXPECT_EQ(OA_GetCount(texts), 0);

    const int32_t item = I_MakeText(0, 0, 0, 1, 1, "X", 0, 0, 0);
    EXPECT_EQ(OA_Add(texts, item), item);
    EXPECT_EQ(OA_Add(texts, item), 0) << "already owned";
    EXPECT_EQ(OA_Add(texts, 0), 0);
    EXPECT_EQ(OA_Add(0, I_MakeText(0, 0, 0, 1, 1, "Y", 0, 0, 0)), 0);
    const int32_t ps = S_MakePadStack();
    EXPECT_EQ(OA_Add(S_PadStackItemArray(ps), I_MakeText(0, 0, 0, 1, 1, "Z", 0, 0, 0)), 0)
        << "padstack shapes take no text";
    EXPECT_EQ(OA_Delete(DB_LayerArray(), 1), 0) << "the 32 layers stay";
}

// Appends to long lists give consecutive positions and keep every element (their cost at any
// length is measured in bench/bench_kernel_appends.cpp).
TEST_F(MapTest, AppendsToLongListsKeepEveryElement) {
    constexpr int kAppends = 5000;
    const int32_t trace = T_CreateTrace(0, 0, 0);
    const int32_t branch = B_CreateBranch(0, 0, 0);
    const struct {
        const char* what;
        std::function<bool(int)> append;
    } cases[] = {
        {"OA_Add",
         [](int) { return OA_Add(DB_LayoutTextArray(), I_MakeText(0, 0, 0, 1, 1, "T", 0, 0, 0)) != 0; }},
        {"T_InsertRecord", [&](int i) { return T_InsertRecord(trace, -1, 0, i, 0, 1) == i + 1; }},
        {"B_InsertRecord", [&](int i) { return B_InsertRecord(branch, -1, i, 0) == i + 1; }},
    };
    for (const auto& c : cases) {
        bool ok = true;
        for (int i = 0; i < kAppends && ok; ++i) ok = c.append(i);
        EXPECT_TRUE(ok) << c.what;
    }
    EXPECT_EQ(OA_GetCount(DB_LayoutTextArray()), kAppends);
}

// --- ids -------------------------------------------------------------------------------------

using Create = std::function<int32_t(int32_t id)>;

struct KindCase {
    const char* kind;
    Create create;
    bool negativeIds = false;  // symbols keep reserved ids below 0
    void (*setup)() = nullptr;
};
// Shown by its name in failures, not as the bytes of the record.
void PrintTo(const KindCase& c, std::ostream* os) { *os << c.kind; }

class IdTest : public KernelTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(IdTest, ZeroTakesNextFreeExplicitIsHonouredOrRefused) {
    if (GetParam().setup) GetParam().setup();
    const Create& create = GetParam().create;
    EXPECT_EQ(create(0), 1);
    EXPECT_EQ(create(7), 7);
    EXPECT_EQ(create(7), 0) << "taken";
    EXPECT_EQ(create(0), 8);
    EXPECT_EQ(create(-5), GetParam().negativeIds ? -5 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, IdTest,
    ::testing::Values(
        KindCase{"symbol", [](int32_t id) { return S_CreateSymbol(id, "S"); }, true},
        KindCase{"device", [](int32_t id) { return D_CreateDevice(id, "D", "", ""); }},
        KindCase{"net", [](int32_t id) { return N_CreateNet(id, 0, "N"); }},
        KindCase{"node", [](int32_t id) { return N_CreateNode(100, id, 0, 0, 0, 0); }, false,
                 [] { N_CreateNet(100, 0, "OWNER"); }},
        KindCase{"bus", [](int32_t id) { return N_CreateBus(id, 0, "B"); }},
        KindCase{"schcomp", [](int32_t id) { return C_CreateComponent(id, "C", 0, 0, 0, 0, 0, 0, 0); }},
        KindCase{"laycomp", [](int32_t id) { return L_CreateComponent(id, "L", 0, 0, 0, 0, 0, 0, 0); }},
        KindCase{"trace", [](int32_t id) { return T_CreateTrace(id, 0, 0); }},
        KindCase{"bendpoint", [](int32_t id) { return T_CreateBendPoint(id, 0, 0, 0); }},
        KindCase{"via", [](int32_t id) { return V_CreateVia(id, 0, 0, 0, 0, 0); }},
        KindCase{"junction", [](int32_t id) { return J_CreateJunction(id, 0, 0, 0); }},
        KindCase{"branch", [](int32_t id) { return B_CreateBranch(id, 0, 0); }},
        KindCase{"file",
                 [](int32_t id) {
                     static int serial = 0;  // file names must differ
                     return F_CreateFile(id, ("F" + std::to_string(++serial)).c_str());
                 }}),
    [](const auto& info) { return std::string(info.param.kind); });

TEST_F(KernelTest, HierarchiesAndPagesUseLowestFreeIdWithin99) {
    EXPECT_EQ(DB_CurHier(), 1);
    EXPECT_EQ(DB_CurPage(), 1);
    EXPECT_EQ(DB_CreateHierarchy(0, "H2"), 2);
    EXPECT_EQ(DB_CreateHierarchy(99, "H99"), 99);
    EXPECT_EQ(DB_CreateHierarchy(100, "H100"), 0);
    EXPECT_EQ(DB_CreateHierarchy(0, "H2"), 0) << "duplicate name";
    EXPECT_EQ(DB_CurHier(), 1) << "creating does not select";
    OM_Delete(DB_HierarchyMap(), 2);
    EXPECT_EQ(DB_CreateHierarchy(0, "AGAIN"), 2) << "hierarchy ids are reused";

    EXPECT_EQ(DB_CreatePage(0, "P2"), 2);
    EXPECT_EQ(DB_CreatePage(0, "P2"), 0) << "duplicate name";
    EXPECT_EQ(DB_CreatePage(100, "P100"), 0);
    for (int32_t i = 3; i <= 99; ++i) ASSERT_EQ(DB_CreatePage(0, ("P" + std::to_string(i)).c_str()), i);
    EXPECT_EQ(DB_CreatePage(0, "FULL"), 0);

    // Ids of other kinds are never reused.
    N_CreateNet(0, 0, "A");
    OM_Delete(DB_NetMap(), 1);
    EXPECT_EQ(N_CreateNet(0, 0, "B"), 2);

    // Each hierarchy remembers its current page.
    DB_SetCurPage(5);
    DB_SetCurHier(2);
    EXPECT_EQ(DB_CurPage(), 0);
    EXPECT_EQ(DB_CreatePage(1, "MAINPAGE"), 1);
    DB_SetCurPage(1);
    DB_SetCurHier(1);
    EXPECT_EQ(DB_CurPage(), 5);
    EXPECT_EQ(DB_SetCurHier(50), 0);
    EXPECT_EQ(DB_SetCurPage(500), 0);

    // Renaming to a taken name is refused for hierarchies, pages and files.
    EXPECT_EQ(O_Rename(DB_Page(5), "P6"), 0);
    F_CreateFile(0, "A");
    const int32_t b = F_CreateFile(0, "B");
    EXPECT_EQ(F_CreateFile(0, "A"), 0);
    EXPECT_EQ(O_Rename(OM_Object(DB_FileMap(), b), "A"), 0);
}

TEST_F(KernelTest, PreviewAndReservedIdsAndInsertPositions) {
    EXPECT_EQ(S_CreateSymbol(-1, "P"), -1);
    EXPECT_EQ(S_CreateSymbol(-101, "R"), -101);
    EXPECT_EQ(S_CreateSymbol(0, "S"), 1) << "0 gives a positive id";
    EXPECT_EQ(D_CreateDevice(-1, "P", "", ""), -1);
    EXPECT_EQ(D_CreateDevice(-3, "P", "", ""), 0);

    // Entries: 1..count+1 inserts, -1 appends, anything else is refused.
    EXPECT_EQ(S_InsertEntry(1, 2, 0, 0), 0);
    EXPECT_EQ(S_InsertEntry(1, 1, 10, 0), 1);
    EXPECT_EQ(S_InsertEntry(1, -1, 30, 0), 2);
    EXPECT_EQ(S_InsertEntry(1, 2, 20, 0), 2);
    EntryRec e;
    for (int32_t i = 1; i <= 3; ++i) {
        S_ReadEntry(1, i, e);
        EXPECT_EQ(e.X, i * 10);
    }
    EXPECT_EQ(OA_GetCount(S_SymbolEntryArray(1)), 3);

    // Trace records: arcs always carry 0x10 and read back in the arc view.
    T_CreateTrace(1, 0, 0);
    EXPECT_EQ(T_InsertRecord(1, -1, 1, 5, 6, 7), 1);
    EXPECT_EQ(T_InsertArcRecord(1, 1, 0x20, 50, 60, 70), 1);
    EXPECT_EQ(T_InsertRecord(1, 4, 0, 0, 0, 0), 0);
    TraceSegRec s;
    T_ReadRecord(1, 1, s);
    EXPECT_EQ(s.Flags, 0x30);
    EXPECT_EQ(s.X, 50);
    EXPECT_EQ(s.Width, 70);
    T_DeleteRecord(1, 1);
    T_ReadRecord(1, 1, s);
    EXPECT_EQ(s.X, 5);

    // A record's or a branch point's position moves alone; a number that is not there, nothing.
    EXPECT_EQ(T_ChangeRecordXY(1, 1, -5, -6), 1);
    T_ReadRecord(1, 1, s);
    EXPECT_EQ(s.X, -5);
    EXPECT_EQ(s.Y, -6);
    EXPECT_EQ(s.Width, 7);
    EXPECT_EQ(T_ChangeRecordXY(1, 2, 0, 0), 0);
    B_CreateBranch(1, 0, 0);
    B_InsertRecord(1, -1, 1, 2);
    EXPECT_EQ(B_ChangeRecordXY(1, 1, 3, 4), 1);
    BranchPointRec p;
    B_ReadRecord(1, 1, p);
    EXPECT_EQ(p.X, 3);
    EXPECT_EQ(p.Y, 4);
    EXPECT_EQ(B_ChangeRecordXY(1, 2, 0, 0), 0);
    EXPECT_EQ(B_ChangeRecordXY(2, 1, 0, 0), 0);

    // Buses keep gaps; the net learns it is a member.
    N_CreateNet(4, 0, "D");
    N_CreateBus(1, 0, "BUS");
    EXPECT_EQ(N_SetBusMember(1, 4, 3), 3);
    EXPECT_EQ(N_SetBusMember(1, 4, -1), -1);
    BusRec b;
    N_ReadBus(1, b);
    EXPECT_EQ(b.LastMember, 3);
    EXPECT_EQ(N_ReadBusMember(1, 0), 0);
    int32_t pos = -1;
    EXPECT_EQ(N_FindBusMember(4, pos), 1);
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(O_GetStatus(N_Net(4)) & 8, 8);

    // A padstack enters a padstack map once, under a free number.
    const int32_t ps = S_MakePadStack();
    EXPECT_EQ(OM_Add(DB_NetMap(), ps, 1), 0) << "not a padstack map";
    EXPECT_EQ(OM_Add(DB_PadStackMap(), ps, 4), 4);
    EXPECT_EQ(OM_Add(DB_PadStackMap(), ps, 5), 0) << "already in a map";
    EXPECT_EQ(OM_Add(DB_PadStackMap(), S_MakePadStack(), 4), 0) << "taken";
    EXPECT_EQ(OM_Object(DB_PadStackMap(), 4), ps);
}

}  // namespace
}  // namespace kt
