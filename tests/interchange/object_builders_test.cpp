// The object builders against the kernel, its failures injected where a builder tests a result.
#include "interchange/object_builders.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "common/utilities.h"
#include "interchange/export_fixture.h"
#include "support/design_builder.h"

namespace tolvi {
namespace {

class BuilderTest : public test::ExportTest {
protected:
    void SetUp() override {
        ExportTest::SetUp();
        ASSERT_EQ(S_CreateSymbol(1, "SYM"), 1);
        ASSERT_EQ(C_CreateComponent(1, "U1", 0, 0, 1, 0, 0, 0, 0), 1);
        ASSERT_EQ(L_CreateComponent(1, "U1", 0, 0, 1, 0, 0, 0, 0), 1);
        ASSERT_EQ(B_CreateBranch(1, 0, 0), 1);
    }
    static std::string Name(const char* p) { return CStrFromPtr(p); }
};

TEST_F(BuilderTest, FindSymbolByName) {
    int32_t err = -1, id = -1;
    FindSymbolByName(err, id, "SYM");
    EXPECT_EQ(err, 0);
    EXPECT_EQ(id, 1);
    FindSymbolByName(err, id, "sym");
    EXPECT_EQ(err, 1);
    EXPECT_EQ(id, 0);
}

TEST_F(BuilderTest, InsertSymbolEntryNamesItsEntryAndGivesUpWhenTheNumberIsNotTheOneAsked) {
    EntryRec e;
    e.Status = 5, e.X = 10, e.Y = 20, e.PaX = 1, e.PaY = 2, e.PaAngle = 90000, e.Attrib = 3;
    int32_t err = -1;
    for (int32_t n = 1; n <= 12; ++n) {
        InsertSymbolEntry(err, 1, e, n == 12 ? "" : "P", "SIM", n);
        ASSERT_EQ(err, 0) << n;
    }
    EntryRec r;
    ASSERT_NE(S_ReadEntry(1, 12, r), 0);
    EXPECT_EQ(Name(r.Name), "12") << "an empty name is the entry number, no blank";
    EXPECT_EQ(Name(r.SimName), "SIM");
    EXPECT_EQ(r.X, 10);
    EXPECT_EQ(r.PaAngle, 90000);
    EXPECT_EQ(r.Attrib, 3);
    EXPECT_EQ(r.Status, 5);

    InsertSymbolEntry(err, 1, e, "P", "", 20);  // not the next number
    EXPECT_EQ(err, 1);
    KernelFailNextForTests("S_InsertEntry");
    InsertSymbolEntry(err, 1, e, "P", "", 13);
    EXPECT_EQ(err, 1);
    EXPECT_EQ(OA_GetCount(S_SymbolEntryArray(1)), 12);
    InsertSymbolEntry(err, 99, e, "P", "", 1);
    EXPECT_EQ(err, 1) << "no such symbol";
}

TEST_F(BuilderTest, InsertPadEntry) {
    ASSERT_EQ(S_CreateSymbol(2, "PKG"), 2);
    O_Mask(S_Symbol(2), 2, 2);
    EntryRec pad;
    pad.Status = 3, pad.X = 7, pad.Y = 8, pad.Angle = 270000, pad.PadStack = 4;
    int32_t err = -1;
    InsertPadEntry(err, 2, pad, 1);
    ASSERT_EQ(err, 0);
    EntryRec r;
    ASSERT_NE(S_ReadEntry(2, 1, r), 0);
    EXPECT_EQ(r.Angle, 270000);
    EXPECT_EQ(r.PadStack, 4);
    EXPECT_EQ(r.Status, 3);
    KernelFailNextForTests("S_InsertEntry");
    InsertPadEntry(err, 2, pad, 2);
    EXPECT_EQ(err, 1);
}

TEST_F(BuilderTest, AddItemOrTextAppendsToTheArrayOfItsOwnerKind) {
    struct Case {
        int32_t ownerKind;
        int32_t owner;
        int32_t array;
    };
    const Case cases[] = {{0, 1, S_SymbolItemArray(1)},
                          {1, 1, C_CompTextArray(1)},
                          {2, 1, L_CompTextArray(1)},
                          {3, 999, DB_LayoutTextArray()},  // the owner is not used
                          {4, 1, B_BranchTextArray(1)}};
    ItemRec text;
    text.Kind = 6, text.Attr = 8, text.Link = 4, text.X = 5, text.Y = 6, text.StyleA = 44, text.Width = 2540;
    text.Gap = 9, text.Angle = 90000, text.P2 = 25400, text.P3 = 12700;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ownerKind);
        for (const ItemRec& item : {text, designs::Shape(2, 3)}) {
            int32_t err = -1, id = 0;
            AddItemOrText(err, c.ownerKind, c.owner, item, "VALUE", id);
            ASSERT_EQ(err, 0);
            EXPECT_EQ(OA_Object(c.array, OA_GetCount(c.array)), id);
            ItemRec r;
            ASSERT_EQ(I_ReadItem(id, r), item.Kind);
            EXPECT_EQ(r.Link, item.Link);
            EXPECT_EQ(r.Gap, item.Gap);
            EXPECT_EQ(r.P3, item.P3);
            if (item.Kind == 6) {
                EXPECT_EQ(Name(r.Text), "VALUE");
            } else {
                EXPECT_EQ(r.P5, item.P5);
            }
        }
    }
    for (int32_t kind : {5, -1}) {
        int32_t err = -1, id = 77;
        AddItemOrText(err, kind, 1, text, "X", id);
        EXPECT_EQ(err, 1);
        EXPECT_EQ(id, 77) << "nothing made";
    }
    for (const char* failing : {"OA_Add", "I_MakeText"}) {
        int32_t err = -1, id = 0;
        KernelFailNextForTests(failing);
        AddItemOrText(err, 3, 0, text, "X", id);
        EXPECT_EQ(err, 1) << failing;
    }
    int32_t err = -1, id = 0;
    AddItemOrText(err, 1, 42, text, "X", id);
    EXPECT_EQ(err, 1) << "no such owner";
}

TEST_F(BuilderTest, PadStacksTheirItemsAndVias) {
    int32_t err = -1, ps = 0, id = 0;
    CreatePadStack(err, 0, ps, 5, 300, 200);
    ASSERT_EQ(err, 0);
    EXPECT_EQ(OM_Object(DB_PadStackMap(), 5), ps);
    PadStackRec r;
    ASSERT_NE(S_ReadPadStack(ps, r), 0);
    EXPECT_EQ(r.HoleA, 300);
    EXPECT_EQ(r.HoleB, 200);

    AddPadStackItem(err, ps, designs::Shape(4, 1), id);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(OA_GetCount(S_PadStackItemArray(ps)), 1);
    ItemRec text;
    text.Kind = 6;
    id = 55;
    AddPadStackItem(err, ps, text, id);
    EXPECT_EQ(err, 0) << "a text is passed over";
    EXPECT_EQ(id, 55);
    EXPECT_EQ(OA_GetCount(S_PadStackItemArray(ps)), 1);
    KernelFailNextForTests("OA_Add");
    AddPadStackItem(err, ps, designs::Shape(3, 1), id);
    EXPECT_EQ(err, 1);

    CreatePadStack(err, 1, ps, 5, 0, 0);
    EXPECT_EQ(err, 0) << "a symbol's own map";
    EXPECT_EQ(OM_Object(S_SymbolPadStackMap(1), 5), ps);
    CreatePadStack(err, 0, ps, 5, 0, 0);
    EXPECT_EQ(err, 1) << "number taken";
    for (const char* failing : {"S_MakePadStack", "OM_Add"}) {
        KernelFailNextForTests(failing);
        CreatePadStack(err, 0, ps, 6, 0, 0);
        EXPECT_EQ(err, 1) << failing;
    }

    gViaPadStacks = {0, 11, 12, 13};
    struct Case {
        int32_t flags, slot, want;
    };
    for (const Case& c : {Case{0, 3, 8}, Case{8, 3, 8}, Case{2, 3, 10}, Case{0, 1, 2}}) {
        const int32_t via = 10 + c.flags + c.slot;
        CreateVia(err, via, c.flags, c.slot, 16777217, 1, 2);
        ASSERT_EQ(err, 0);
        ViaRec v;
        ASSERT_NE(V_ReadVia(via, v), 0);
        EXPECT_EQ(v.Flags, c.want);
        EXPECT_EQ(v.PadStack, gViaPadStacks[size_t(c.slot)]);
        EXPECT_EQ(v.Kept, 16777217);
    }
    CreateVia(err, 13, 0, 1, 0, 0, 0);
    EXPECT_EQ(err, 1) << "the id is taken";
    EXPECT_THROW(CreateVia(err, 30, 0, 4, 0, 0, 0), std::out_of_range);
    EXPECT_THROW(CreateVia(err, 30, 0, -1, 0, 0, 0), std::out_of_range);
}

}  // namespace
}  // namespace tolvi
