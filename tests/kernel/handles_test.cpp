// Handles: stale after delete or discard, refused when of the wrong kind, and every call safe
// with no database open.
#include <functional>
#include <vector>

#include "kernel_test_support.h"

namespace kt {
namespace {

TEST_F(KernelTest, HandlesGoStaleWithTheirObjectAndAreNeverReused) {
    BuildFixtureDesign();
    const int32_t comp = C_Component(1);
    const int32_t texts = C_CompTextArray(1);
    const int32_t text = C_CompText(1, 1);
    const int32_t nodes = N_NodeMap(3);
    const int32_t layers = DB_LayerArray();
    const int32_t hier2 = OM_Object(DB_HierarchyMap(), 2);
    ItemRec item;
    ASSERT_NE(I_ReadItem(text, item), 0);
    EXPECT_EQ(C_Component(1), comp) << "an object keeps its handle";

    OM_Delete(DB_SchCompMap(), 1);
    OM_Delete(DB_NetMap(), 3);
    EXPECT_EQ(O_GetName(comp), nullptr);
    EXPECT_EQ(OA_GetCount(texts), 0);
    EXPECT_EQ(I_ReadItem(text, item), 0);
    EXPECT_EQ(I_ChangeItemGap(text, 1), 0);
    int32_t cursor = 0;
    EXPECT_EQ(OM_SearchMask(nodes, cursor, 0, 0), 0);

    // Deleting a hierarchy takes its maps, arrays and layers with it, and the selection.
    DB_SetCurHier(2);
    const int32_t pages2 = DB_PageMap();
    OM_Delete(DB_HierarchyMap(), 2);
    EXPECT_EQ(DB_CurHier(), 0);
    EXPECT_EQ(DB_PageMap(), 0);
    EXPECT_EQ(OM_FindName(pages2, "P1"), 0);
    EXPECT_EQ(O_GetStatus(hier2), 0);
    EXPECT_EQ(E_SysTable(11), nullptr);
    DB_SetCurHier(1);

    const int32_t db = DB_DataBase();
    DB_DiscardDataBase();
    EXPECT_EQ(OA_GetCount(layers), 0);
    EXPECT_EQ(O_GetName(db), nullptr);
    DB_CreateDataBase("NEW", "H", "P");
    EXPECT_NE(DB_DataBase(), db);
    EXPECT_NE(DB_LayerArray(), layers);
    EXPECT_EQ(O_GetName(db), nullptr);
}

// Many handles (the registry keeps them in pages of a few thousand): each names its object for
// as long as it lives and nothing after, whatever became of its neighbours.
TEST_F(KernelTest, ManyHandlesStayRightAcrossTheirPages) {
    constexpr int kItems = 20000;
    const int32_t texts = DB_LayoutTextArray();
    std::vector<int32_t> handles;
    for (int i = 0; i < kItems; ++i) {
        const int32_t item = I_MakeText(i, 0, 0, 1, 1, "T", 0, 0, 0);
        ASSERT_NE(item, 0);
        if (!handles.empty()) {
            ASSERT_GT(item, handles.back()) << "handles only go up";
        }
        handles.push_back(item);
    }
    // Placed out of the order they were made in: every free item is found and placed once.
    for (int i = kItems - 1; i >= 0; i -= 2) ASSERT_EQ(OA_Add(texts, handles[size_t(i)]), handles[size_t(i)]);
    for (int i = 0; i < kItems; i += 2) ASSERT_EQ(OA_Add(texts, handles[size_t(i)]), handles[size_t(i)]);
    EXPECT_EQ(OA_Add(texts, handles[0]), 0) << "placed already";
    ASSERT_EQ(OA_GetCount(texts), kItems);
    // The first half of the array (the items made odd) goes; the even ones still answer, each
    // where it was placed.
    for (int i = 0; i < kItems / 2; ++i) ASSERT_NE(OA_Delete(texts, 1), 0);
    ItemRec r;
    for (int i = 0; i < kItems; ++i) {
        if (i % 2) {
            ASSERT_EQ(I_ReadItem(handles[size_t(i)], r), 0) << i;
        } else {
            ASSERT_EQ(I_ReadItem(handles[size_t(i)], r), 6) << i;
            ASSERT_EQ(r.X, i);
            ASSERT_EQ(OA_Object(texts, i / 2 + 1), handles[size_t(i)]) << i;
        }
    }
    DB_DiscardDataBase();
    for (const int32_t h : handles) ASSERT_EQ(I_ReadItem(h, r), 0);
    DB_CreateDataBase("NEW", "H", "P");
    const int32_t again = I_MakeText(0, 0, 0, 1, 1, "T", 0, 0, 0);
    EXPECT_GT(again, handles.back());
    EXPECT_NE(I_ReadItem(again, r), 0);
}

TEST_F(KernelTest, WrongKindHandlesAreRefused) {
    BuildFixtureDesign();
    const int32_t symbol = S_Symbol(1);
    const int32_t map = DB_NetMap();
    const int32_t array = S_SymbolItemArray(1);
    PadStackRec ps;
    ItemRec item;
    DevicePinRec pin;
    int32_t cursor = 0;
    EXPECT_EQ(S_ReadPadStack(symbol, ps), 0);
    EXPECT_EQ(I_ReadItem(symbol, item), 0);
    EXPECT_EQ(D_ReadPin(array, 1, pin), 0);
    EXPECT_EQ(OA_GetCount(map), 0);
    EXPECT_EQ(OA_Object(map, 1), 0);
    EXPECT_EQ(OM_SearchMask(array, cursor, 0, 0), 0);
    EXPECT_EQ(OA_Add(array, map), 0);
    EXPECT_EQ(OM_Add(S_SymbolPadStackMap(1), symbol, 1), 0);
    EXPECT_EQ(O_ChangePosition(map, 1, 1), 0);
    EXPECT_EQ(O_Rename(OA_Object(array, 1), "X"), 0) << "items have no name";
    for (int32_t h : {0, -1, 12345, 0x7FFFFFFF}) {
        EXPECT_EQ(O_GetName(h), nullptr);
        EXPECT_EQ(O_GetStatus(h), 0);
        EXPECT_EQ(OA_GetCount(h), 0);
    }
}

// With no database open (after a discard, while a box pumps events) every call answers 0 or
// null and crashes nothing.
TEST(NoDatabase, EveryCallAnswersZero) {
    KernelResetForTests();
    DB_CreateDataBase("A", "B", "C");
    BuildFixtureDesign();
    const int32_t stale = C_Component(1);
    DB_DiscardDataBase();
    DB_DiscardDataBase();  // twice is harmless

    PageRec page;
    SymbolRec sym;
    EntryRec entry;
    DeviceRec dev;
    SchCompRec sc;
    LayCompRec lc;
    NetRec net;
    NodeRec node;
    BusRec bus;
    TraceRec tr;
    TraceSegRec seg;
    ViaRec via;
    JunctionRec j;
    BranchRec br;
    BranchPointRec bp;
    BendPointRec bend;
    ItemRec item;
    PadStackRec ps;
    int32_t cursor = 0, pos = 0;
    char buf[8];
    const std::vector<std::function<long long()>> calls = {
        [] { return DB_DataBase(); },
        [] { return DB_HierarchyMap(); },
        [] { return DB_PageMap(); },
        [] { return DB_FileMap(); },
        [] { return DB_SymbMap(); },
        [] { return DB_PadStackMap(); },
        [] { return DB_DeviceMap(); },
        [] { return DB_NetMap(); },
        [] { return DB_BusMap(); },
        [] { return DB_SchCompMap(); },
        [] { return DB_BranchMap(); },
        [] { return DB_JunctMap(); },
        [] { return DB_LayCompMap(); },
        [] { return DB_TraceMap(); },
        [] { return DB_BendPointMap(); },
        [] { return DB_ViaMap(); },
        [] { return DB_LayerArray(); },
        [] { return DB_LayoutTextArray(); },
        [] { return DB_TextSizeTable() != nullptr; },
        [] { return DB_CreateHierarchy(0, "H"); },
        [] { return DB_CreatePage(0, "P"); },
        [] { return DB_SetCurHier(1); },
        [] { return DB_SetCurPage(1); },
        [] { return DB_CurHier(); },
        [] { return DB_CurPage(); },
        [] { return DB_Page(1); },
        [&] { return DB_ReadPage(1, page); },
        [] { return DB_SaveDataBase("/tmp/never.tpb"); },
        [&] { return OM_SearchMask(stale, cursor, 0, 0); },
        [&] { return OM_FindName(stale, "R1"); },
        [&] { return OM_Object(stale, 1); },
        [&] { return OM_Delete(stale, 1); },
        [&] { return O_GetName(stale) != nullptr; },
        [&] { return O_Rename(stale, "X"); },
        [&] { return O_GetStatus(stale); },
        [&] { return O_ChangePosition(stale, 1, 1); },
        [] { return S_CreateSymbol(0, "S"); },
        [&] { return S_ReadSymbol(1, sym); },
        [] { return S_InsertEntry(1, 1, 0, 0); },
        [&] { return S_ReadEntry(1, 1, entry); },
        [] { return S_SymbolItemArray(1); },
        [] { return S_MakePadStack(); },
        [&] { return S_ReadPadStack(stale, ps); },
        [] { return D_CreateDevice(0, "D", "", ""); },
        [&] { return D_ReadDevice(1, dev); },
        [] { return D_AddGroup(1, "G", "S"); },
        [] { return C_CreateComponent(0, "C", 0, 0, 0, 0, 0, 0, 0); },
        [&] { return C_ReadComponent(1, sc); },
        [&] { return C_ReadEntry(1, 1, entry); },
        [] { return L_CreateComponent(0, "L", 0, 0, 0, 0, 0, 0, 0); },
        [&] { return L_ReadComponent(1, lc); },
        [] { return L_AddSchCompId(1, 1); },
        [] { return N_CreateNet(0, 0, "N"); },
        [&] { return N_ReadNet(1, net); },
        [] { return N_CreateNode(1, 0, 0, 0, 0, 0); },
        [&] { return N_ReadNode(1, 1, node); },
        [] { return N_MaskAllNodes(0, 0); },
        [] { return N_MaskCompNodes(1, 1, 1, 1, 1, 1); },
        [] { return N_CreateBus(0, 0, "B"); },
        [] { return N_SetBusMember(1, 1, 0) + 1; },
        [&] { return N_ReadBus(1, bus); },
        [&] { return N_FindBusMember(1, pos); },
        [] { return T_CreateTrace(0, 0, 0); },
        [&] { return T_ReadTrace(1, tr); },
        [] { return T_InsertRecord(1, -1, 0, 0, 0, 0); },
        [&] { return T_ReadRecord(1, 1, seg); },
        [] { return T_CreateBendPoint(0, 0, 0, 0); },
        [&] { return T_ReadBendPoint(1, bend); },
        [] { return V_CreateVia(0, 0, 0, 0, 0, 0); },
        [&] { return V_ReadVia(1, via); },
        [] { return J_CreateJunction(0, 0, 0, 0); },
        [&] { return J_ReadJunction(1, j); },
        [] { return B_CreateBranch(0, 0, 0); },
        [&] { return B_ReadBranch(1, br); },
        [&] { return B_ReadRecord(1, 1, bp); },
        [&] { return I_MakeItem(item); },
        [&] { return I_MakeText(0, 0, 0, 0, 0, "T", 0, 0, 0); },
        [&] { return I_ReadItem(stale, item); },
        [] { return E_SysTable(0) != nullptr; },
        [] { return E_SysTable(11) != nullptr; },
        [] { return E_MemCopy(E_SysTable(12), E_SysTable(13), 4); },
        [] { return F_CreateFile(0, "F"); },
        [&] { return F_Read(1, buf, 8); },
        [&] { return F_Write(1, buf, 8); },
        [] { return F_GetLength(1); },
        [] { return F_Seek(1, 0, 0) + 1; },
    };
    for (size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i](), 0) << "call " << i;

    // Process-wide state still answers.
    EXPECT_NE(E_SysTable(12), nullptr);
    EXPECT_NE(E_SysTable(16), nullptr);
    EXPECT_NE(E_SetString("K", "V"), 0);
    KernelResetForTests();
}

}  // namespace
}  // namespace kt
