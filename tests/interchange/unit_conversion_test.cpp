// The older-unit conversion: the scaling through single precision, angles, the option tables,
// every kind of object, and the overflow that stops it. Expected values were worked out by hand
// from the rule (single precision spaces values of 2^26..2^27 by 8, of 2^30..2^31 by 128).
#include "interchange/unit_conversion.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/db_session.h"
#include "common/grid_settings.h"
#include "common/size_settings.h"
#include "interchange/export_fixture.h"
#include "support/design_builder.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::scriptedUi;

struct ScaleCase {
    ScaleRatio ratio;
    int32_t v;
    int32_t want;  // 0 with fits false: an overflow
    bool fits;
};

TEST(ScalePoint, SinglePrecisionStepsAndTheOverflowBoundaries) {
    const ScaleCase cases[] = {
        {kRatioImperial, 1, 2540, true},
        {kRatioImperial, 7, 17780, true},
        {kRatioImperial, 26421, 67109336, true},  // 67109340 exactly
        {kRatioImperial, 30001, 76202536, true},
        {kRatioImperial, -30001, -76202536, true},
        {kRatioImperial, 0, 0, true},
        {kRatioImperial, 845465, 2147481088, true},
        {kRatioImperial, 845466, 0, false},  // rounds to 2^31
        {kRatioMetric, 1, 1000, true},
        {kRatioMetric, 2147483, 2147483008, true},
        {kRatioMetric, 2147484, 0, false},
        {kRatioSchematic, 1, 5080, true},
        {kRatioSchematic, 30001, 152405072, true},
        {kRatioSchematic, 422732, 2147478528, true},
        {kRatioSchematic, 422733, 0, false},
    };
    for (const ScaleCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.ratio.Divisor) + " " + std::to_string(c.v));
        gRatioA = c.ratio;
        int32_t err = -1, x = c.v, y = 3;
        ScalePointA(err, x, y, 0);
        EXPECT_EQ(err, c.fits ? 0 : 1);
        EXPECT_EQ(x, c.fits ? c.want : c.v) << "an overflow stores neither value";
        const int32_t one = c.ratio.Divisor == 100 ? 1000 : c.ratio.Divisor == 1000 ? 2540 : 5080;
        EXPECT_EQ(y, c.fits ? 3 * one : 3);
    }
    gRatioB = kRatioSchematic;
    int32_t err = -1, w = 1, h = 12345;
    ScalePointB6(err, w, h);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(w, 5080);
    EXPECT_EQ(h, 62712597) << "the division by 6 in double";
    gRatioA = kRatioImperial;
    w = 3, h = -2;
    ScalePointA6(err, w, h);
    EXPECT_EQ(w, 7620);
    EXPECT_EQ(h, -5080);
}

TEST(ConvertAngle, HundredthsToThousandthsThroughWholeDegrees) {
    const std::pair<int32_t, int32_t> cases[] = {
        {4550, 46000},   {4450, 44000},    {-9000, 270000}, {-45000, -90000}, {-1, 0},
        {18050, 180000}, {-18050, 180000}, {-36050, 0},     {35999, 360000},  {0, 0}};
    for (auto [in, want] : cases) {
        int32_t a = in;
        EXPECT_TRUE(ConvertAngle(a));
        EXPECT_EQ(a, want) << in;
    }
    int32_t big = 2147483647;
    EXPECT_FALSE(ConvertAngle(big));
    EXPECT_EQ(big, 2147483647);
}

class ConversionTest : public test::ExportTest {
protected:
    // Option tables in the older units, small enough to convert.
    static void OlderTables() {
        for (auto* t : {&gSchGrid, &gSchSnap, &gLayGrid, &gLaySnap})
            for (int i = 0; i < 14; ++i) (*t)[size_t(i)] = i;
        gAngleSnap = {1, 4500, 9000, 0, 0, 0, 0};
        for (auto& row : gCondSizes) row = {1, 2, 3};
        gBusWidth = 2;
        gWireWidth = 7;
        for (TextSizeRec& t : gTextSizes) t = {1, 2, 3};
    }
};

TEST_F(ConversionTest, TheTablesUseFixedFactorsAndKeepTheirMillimetreHalves) {
    OlderTables();
    gTextSizes[31].Width = 70457;  // beyond 32 bits in the older program's product
    ASSERT_TRUE(ConvertSystemTables());
    EXPECT_EQ(Table(SysSchGrid, 1), 5080);
    EXPECT_EQ(Table(SysSchSnap, 6), 6 * 5080);
    EXPECT_EQ(Table(SysLayGrid, 1), 2540);
    EXPECT_EQ(Table(SysLaySnap, 6), 6 * 2540);
    EXPECT_EQ(Table(SysSchGrid, 0), 0) << "the chosen row";
    EXPECT_EQ(Table(SysSchGrid, 8), 8) << "the millimetre half";
    EXPECT_EQ(Table(SysAngleSnap, 1), 45000);
    EXPECT_EQ(Table(SysAirgaps, 0), 2540);
    EXPECT_EQ(Table(SysPadSizes, 2), 3 * 2540);
    EXPECT_EQ(Table(SysBusWidth, 0), 2 * 5080);
    EXPECT_EQ(Table(SysWireWidth, 0), 7) << "not converted";
    TextSizeRec t[32];
    E_MemCopy(t, DB_TextSizeTable(), sizeof t);
    EXPECT_EQ(t[0].Width, 1) << "entry 0 stays";
    EXPECT_EQ(t[1].Width, 5080);
    EXPECT_EQ(t[1].Height, 2 * 5080);
    EXPECT_EQ(t[1].LineWidth, 3 * 5080);
    EXPECT_EQ(t[31].Width, 70457 * 5080);

    OlderTables();
    gTextSizes[5].Height = 422735;
    EXPECT_FALSE(ConvertSystemTables());
}

// One object of each kind at 1 and -1, converted: layout by 2540 (or 1000 in a metric design),
// schematic by 5080, angles to 1/1000 degree.
TEST_F(ConversionTest, EveryKindOfObjectIsConverted) {
    for (bool metric : {false, true}) {
        SCOPED_TRACE(metric ? "metric" : "imperial");
        designs::NewDatabase("OLD");
        UpdateMainCaption(gDbHandle);
        OlderTables();
        O_Mask(OM_Object(DB_HierarchyMap(), 1), metric ? 2 : 0, 2);
        const int32_t a = metric ? 1000 : 2540;
        ASSERT_EQ(DB_CreateHierarchy(2, "SUB"), 2);
        O_Mask(OM_Object(DB_HierarchyMap(), 2), metric ? 0 : 2, 2);

        // Symbols and padstacks.
        S_CreateSymbol(1, "SCH");
        S_InsertEntry(1, 1, 1, -1);
        S_ChangeEntryPA(1, 1, 1, -1, 9000);
        ItemRec arc = designs::Shape(5, 1);
        arc.X = 1, arc.Width = 1, arc.Gap = -1, arc.Angle = 4500, arc.P2 = 1, arc.P3 = 9000, arc.P4 = -9000;
        designs::AddShape(S_SymbolItemArray(1), arc);
        S_CreateSymbol(2, "PKG");
        O_Mask(S_Symbol(2), 2, 2);
        S_InsertEntry(2, 1, 1, -1);
        S_ChangePadRotation(2, 1, 18050);
        ItemRec circle = designs::Shape(4, 1);
        circle.X = 1, circle.P2 = 1, circle.P3 = 5, circle.P4 = 6, circle.P5 = 7;
        designs::AddShape(S_SymbolItemArray(2), circle);
        const int32_t own = S_MakePadStack();
        OM_Add(S_SymbolPadStackMap(2), own, 4);
        S_ChangePadStackHole(own, 1, 2);
        const int32_t via = S_MakePadStack();
        OM_Add(DB_PadStackMap(), via, 5);
        S_ChangePadStackHole(via, 1, -1);

        // Hierarchy 1: layout and one page of schematic.
        V_CreateVia(1, 2, 1, -1, 5, 0);
        T_CreateBendPoint(1, 0, 1, -1);
        L_CreateComponent(1, "U1", 2, 0, 2, 0, 1, -1, -9000);
        designs::AddText(L_CompTextArray(1), "U1", 0, 1, 1);
        T_CreateTrace(1, 0, 0);
        T_InsertRecord(1, -1, 1, 1, -1, 1);
        T_ChangeRecordGap(1, 1, 1);
        T_InsertArcRecord(1, -1, 0, 1, -1, 1);
        T_InsertRecord(1, -1, 0x20, 2, 2, 2);  // not an arc: 0x10 marks one
        designs::AddText(DB_LayoutTextArray(), "T", 0, 1, -1);
        J_CreateJunction(1, 0, 1, -1);
        C_CreateComponent(1, "C1", 2, 0, 1, 0, 1, -1, 18050);
        designs::AddText(C_CompTextArray(1), "C1", 0, 1, 1);
        B_CreateBranch(1, 0, 0);
        B_InsertRecord(1, -1, 1, -1);
        designs::AddText(B_BranchTextArray(1), "W", 0, 1, 1);
        ItemRec line = designs::Shape(1, 1);
        line.X = 1;
        designs::AddShape(B_BranchTextArray(1), line);
        UpdateMainCaption(gDbHandle);

        ASSERT_TRUE(ConvertLoadedDatabase());
        EXPECT_TRUE(scriptedUi().boxes.empty());
        EXPECT_EQ(DB_CurHier(), 1);
        for (int32_t h : {1, 2}) EXPECT_EQ(O_GetStatus(OM_Object(DB_HierarchyMap(), h)) & 2, metric ? 2 : 0);

        EntryRec e;
        ASSERT_NE(S_ReadEntry(1, 1, e), 0);
        EXPECT_EQ(e.X, 5080);
        EXPECT_EQ(e.PaY, -5080);
        EXPECT_EQ(e.PaAngle, 90000);
        ItemRec r;
        ASSERT_EQ(I_ReadItem(OA_Object(S_SymbolItemArray(1), 1), r), 5);
        EXPECT_EQ(r.X, 5080);
        EXPECT_EQ(r.Gap, -5080);
        EXPECT_EQ(r.Angle, 45000);
        EXPECT_EQ(r.P2, 5080);
        EXPECT_EQ(r.P3, 90000) << "an arc's angles";
        EXPECT_EQ(r.P4, 270000);
        ASSERT_NE(S_ReadEntry(2, 1, e), 0);
        EXPECT_EQ(e.X, a);
        EXPECT_EQ(e.Angle, 180000);
        ASSERT_EQ(I_ReadItem(OA_Object(S_SymbolItemArray(2), 1), r), 4);
        EXPECT_EQ(r.P2, a);
        EXPECT_EQ(r.P3, 5) << "a circle keeps the rest";
        EXPECT_EQ(r.P5, 7);
        PadStackRec p;
        S_ReadPadStack(own, p);
        EXPECT_EQ(p.HoleB, 2 * a);
        S_ReadPadStack(via, p);
        EXPECT_EQ(p.HoleB, -a);

        ViaRec v;
        V_ReadVia(1, v);
        EXPECT_EQ(v.Y, -a);
        BendPointRec b;
        T_ReadBendPoint(1, b);
        EXPECT_EQ(b.X, a);
        LayCompRec l;
        L_ReadComponent(1, l);
        EXPECT_EQ(l.Y, -a);
        EXPECT_EQ(l.Angle, 270000);
        EXPECT_EQ(l.Flags & 2, 2) << "mirrored stays mirrored";
        ASSERT_EQ(I_ReadItem(OA_Object(L_CompTextArray(1), 1), r), 6);
        EXPECT_EQ(r.X, a);
        EXPECT_EQ(r.P2, 25400 * a) << "a text's size";
        TraceSegRec s;
        T_ReadRecord(1, 1, s);
        EXPECT_EQ(s.X, a) << "corners are converted";
        EXPECT_EQ(s.Width, a);
        EXPECT_EQ(s.Gap, a);
        T_ReadRecord(1, 2, s);
        EXPECT_EQ(s.Flags, 0x10);
        EXPECT_EQ(s.Y, -a);
        EXPECT_EQ(s.Width, a) << "the radius";
        T_ReadRecord(1, 3, s);
        EXPECT_EQ(s.Flags, 0x20);
        EXPECT_EQ(s.X, 2 * a);
        EXPECT_EQ(s.Width, 2 * a);
        ASSERT_EQ(I_ReadItem(OA_Object(DB_LayoutTextArray(), 1), r), 6);
        EXPECT_EQ(r.Y, -a);

        JunctionRec j;
        J_ReadJunction(1, j);
        EXPECT_EQ(j.Y, -5080);
        SchCompRec c;
        C_ReadComponent(1, c);
        EXPECT_EQ(c.X, 5080);
        EXPECT_EQ(c.Angle, 180000);
        ASSERT_EQ(I_ReadItem(OA_Object(C_CompTextArray(1), 1), r), 6);
        EXPECT_EQ(r.X, 5080);
        BranchPointRec bp;
        B_ReadRecord(1, 1, bp);
        EXPECT_EQ(bp.Y, -5080) << "branch points are converted";
        ASSERT_EQ(I_ReadItem(OA_Object(B_BranchTextArray(1), 1), r), 6);
        EXPECT_EQ(r.X, 5080);
        ASSERT_EQ(I_ReadItem(OA_Object(B_BranchTextArray(1), 2), r), 1);
        EXPECT_EQ(r.X, 1) << "a branch's other items are not";
    }
}

TEST_F(ConversionTest, AnOverflowStopsTheConversionWithOneBoxNamingWhatDidNotFit) {
    struct Case {
        const char* what;
        std::function<void()> build;
        std::string box;
    };
    const Case cases[] = {
        {"symbol_item",
         [] {
             S_CreateSymbol(1, "BIG");
             ItemRec r = designs::Shape(1, 1);
             r.X = 500000;
             designs::AddShape(S_SymbolItemArray(1), r);
         },
         "Range Error: Smb: BIG - Graphic Items"},
        {"via", [] { V_CreateVia(7, 0, 845466, 0, 5, 0); }, "Range Error: Via: 7 - Position"},
        {"component", [] { L_CreateComponent(3, "U3", 0, 0, 0, 0, 0, -900000, 0); },
         "Range Error: Cmp: U3 - Position"},
        {"junction", [] { J_CreateJunction(1, 0, 422733, 0); }, "Range Error: MAINPAGE/Junction Points"},
        {"tables", [] { gLaySnap[3] = 900000; }, "Range Error: /Tables"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        scriptedUi().Reset();
        designs::NewDatabase("OLD");
        UpdateMainCaption(gDbHandle);
        OlderTables();
        c.build();
        scriptedUi().QueueAnswer(1);
        EXPECT_FALSE(ConvertLoadedDatabase());
        ASSERT_EQ(scriptedUi().boxes.size(), 1u);
        EXPECT_EQ(scriptedUi().boxes[0].text, c.box);
        EXPECT_EQ(DB_CurHier(), 1);
        EXPECT_EQ(DB_CurPage(), 1);
    }
}

}  // namespace
}  // namespace tolvi
