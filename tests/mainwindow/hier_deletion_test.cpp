#include "mainwindow/hier_deletion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/bitmap_store.h"
#include "kernel/kernel.h"
#include "support/design_builder.h"

namespace tolvi {
namespace {

constexpr int32_t kMark = 0x100;

int32_t HierObject(int32_t h) { return OM_Object(DB_HierarchyMap(), h); }
bool HierExists(int32_t h) { return HierObject(h) != 0; }
void Mark(int32_t h, int32_t bits = kMark) { O_Mask(HierObject(h), bits, bits); }
std::string Heap(int32_t h) { return "@NDHEAP" + std::to_string(h); }
bool HasFile(const std::string& name) { return OM_FindName(DB_FileMap(), name.c_str()) != 0; }
bool HasSymbol(int32_t id) { return S_Symbol(id) != 0; }

std::vector<int32_t> BitmapOwners() {
    LoadBitmapRecords();
    std::vector<int32_t> owners;
    for (std::size_t i = 1; i < gBitmapRecs.size(); ++i) owners.push_back(gBitmapRecs[i].OwnerId());
    return owners;
}

class HierDeletion : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(designs::BuildHierarchyDesign({4, 2, 0}));
        OpenBitmapStore();
    }

    // Gives hierarchy h everything that must go with it besides what the design holds already:
    // a net, a bus, a bend point, a via, a heap file, a bitmap record and its reserved symbols.
    // Returns a handle of one object of each content map and of its layout text, read while h is
    // current.
    std::vector<int32_t> Own(int32_t h) {
        const int32_t kept = DB_CurHier();
        EXPECT_NE(DB_SetCurHier(h), 0);
        EXPECT_NE(N_CreateNet(0, 0, "N1"), 0);
        EXPECT_NE(N_CreateBus(0, 0, "B1"), 0);
        EXPECT_NE(T_CreateBendPoint(0, 0, 5, 5), 0);
        EXPECT_NE(V_CreateVia(0, 0, 7, 7, 0, 0), 0);
        EXPECT_NE(F_CreateFile(0, Heap(h).c_str()), 0);
        BitmapRec rec;
        rec.SetOwnerId(h);
        LoadBitmapRecords();
        gBitmapRecs.push_back(rec);
        SaveBitmapRecords();
        std::vector<int32_t> pages;
        int32_t cursor = OM_GetFirst(DB_PageMap());
        while (const int32_t p = OM_SearchMask(DB_PageMap(), cursor, 0, 0)) pages.push_back(p);
        for (const int32_t id : ReservedSymbolIds(h, pages)) {  // pages below 100 repeat fixed ids
            if (!HasSymbol(id)) {
                EXPECT_EQ(S_CreateSymbol(id, ("R" + std::to_string(id)).c_str()), id);
            }
        }
        std::vector<int32_t> handles;
        for (const int32_t map :
             {DB_PageMap(), DB_NetMap(), DB_BusMap(), DB_SchCompMap(), DB_BranchMap(), DB_JunctMap(),
              DB_LayCompMap(), DB_TraceMap(), DB_BendPointMap(), DB_ViaMap()}) {
            int32_t c = OM_GetFirst(map);
            handles.push_back(OM_Object(map, OM_SearchMask(map, c, 0, 0)));
        }
        handles.push_back(OA_Object(DB_LayoutTextArray(), 1));
        DB_SetCurHier(kept);
        return handles;
    }
};

TEST_F(HierDeletion, MarkedHierarchiesGoWithEverythingTheyOwnAndNothingElse) {
    std::vector<int32_t> gone = Own(2);
    const std::vector<int32_t> gone4 = Own(4);
    gone.insert(gone.end(), gone4.begin(), gone4.end());
    const std::vector<int32_t> stays = Own(3);
    const int32_t hook = S_CreateSymbol(0, "$&@HOOK");
    ASSERT_NE(hook, 0);
    Mark(2);
    Mark(4, kMark | 0x80);  // other bits besides the mask do not matter
    Mark(3, 0x200);         // a bit outside the mask leaves it alone
    ASSERT_NE(DB_SetCurHier(3), 0);

    DeleteMarkedHierarchies(kMark);

    EXPECT_FALSE(HierExists(2));
    EXPECT_FALSE(HierExists(4));
    EXPECT_TRUE(HierExists(1));
    EXPECT_TRUE(HierExists(3));
    EXPECT_EQ(O_GetStatus(HierObject(3)), 0x200) << "the status bits of the survivors are the caller's";
    EXPECT_EQ(DB_CurHier(), 3) << "the hierarchy current on entry is current again";
    for (const int32_t handle : gone) EXPECT_EQ(O_Mask(handle, 0, 0), 0) << "content left behind";
    for (const int32_t handle : stays) EXPECT_NE(O_Mask(handle, 0, 0), 0) << "a survivor lost content";
    EXPECT_FALSE(HasFile(Heap(2)));
    EXPECT_FALSE(HasFile(Heap(4)));
    EXPECT_TRUE(HasFile(Heap(3)));
    EXPECT_EQ(BitmapOwners(), std::vector<int32_t>{3});
    for (const int32_t id : ReservedSymbolIds(2, {1, 2})) EXPECT_FALSE(HasSymbol(id)) << id;
    for (const int32_t id : ReservedSymbolIds(4, {1, 2})) EXPECT_FALSE(HasSymbol(id)) << id;
    for (const int32_t id : ReservedSymbolIds(3, {1, 2})) EXPECT_TRUE(HasSymbol(id)) << id;
    for (const int32_t id : {1, 2, 3, 4, hook}) EXPECT_TRUE(HasSymbol(id)) << "shared symbol " << id;
}

TEST_F(HierDeletion, WhatIsNotDeletedStaysAsItWas) {
    const std::vector<int32_t> handles = Own(2);
    ASSERT_NE(DB_SetCurHier(2), 0);

    DeleteMarkedHierarchies(kMark);  // nothing carries the mask
    EXPECT_EQ(DB_CurHier(), 2);
    EXPECT_TRUE(HierExists(2));
    for (const int32_t handle : handles) EXPECT_NE(O_Mask(handle, 0, 0), 0);

    // A marked hierarchy that cannot be made current keeps its content and its bits.
    Mark(2);
    KernelFailNextForTests("DB_SetCurHier");
    DeleteMarkedHierarchies(kMark);
    EXPECT_TRUE(HierExists(2));
    EXPECT_EQ(O_GetStatus(HierObject(2)), kMark);
    for (const int32_t handle : handles) EXPECT_NE(O_Mask(handle, 0, 0), 0);
    EXPECT_TRUE(HasFile(Heap(2)));
    EXPECT_EQ(BitmapOwners(), std::vector<int32_t>{2});
}

TEST_F(HierDeletion, TheCurrentHierarchyCanGoAndOneWithoutAHeapFileToo) {
    ASSERT_NE(DB_SetCurHier(3), 0);
    Mark(3, 0x400);
    ASSERT_FALSE(HasFile(Heap(3)));
    DeleteMarkedHierarchies(0x400);
    EXPECT_FALSE(HierExists(3));
    EXPECT_EQ(DB_SetCurHier(1), 1) << "the root can be made current afterwards";
}

TEST(ReservedSymbolIds, FixedFamiliesThenPagesInSixtyFourBits) {
    const std::vector<int32_t> one = ReservedSymbolIds(1, {1, 150});
    ASSERT_EQ(one.size(), 8u + 99u + 2u + 2u);
    EXPECT_EQ(std::vector<int32_t>(one.begin(), one.begin() + 8),
              (std::vector<int32_t>{-101, -201, -301, -401, -501, -601, -701, -801}));
    EXPECT_EQ(one[8], -1001);
    EXPECT_EQ(one[106], -1099);
    EXPECT_EQ(one[107], -12001);
    EXPECT_EQ(one[108], -13001);
    EXPECT_EQ(one[109], -1001) << "page 1";
    EXPECT_EQ(one[110], -1150) << "page 150";

    // (h + 9) * 100 leaves 32 bits here: those ids are left out, the others are exact.
    const int32_t big = 21474828;
    const std::vector<int32_t> far = ReservedSymbolIds(big, {1});
    ASSERT_EQ(far.size(), 10u);
    EXPECT_EQ(far.front(), -(big + 100));
    EXPECT_EQ(far.back(), -(big + 13000));
}

}  // namespace
}  // namespace tolvi
