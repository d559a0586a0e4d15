#include "setup/optnlsiz.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <string>

#include "common/size_settings.h"
#include "platform/qt/tolvi_grid.h"
#include "support/grid_input.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::scriptedUi;

TEST(ConductorSizes, TypedValuesTable) {
    const struct {
        int grid, col;
        const char* text;
        int32_t stored;  // 0: refused
    } entries[] = {
        {0, 2, "0", 0},
        {0, 2, "5080", 508000000},
        {3, 2, "5080", 0},
        {3, 2, "1000", 100000000},
        {1, 2, "1234.5678", 123456784},
        {2, 1, "0.02", 50800},
        {0, 2, "0.00001", 1},
        {0, 2, "0.000004", 0},
    };
    for (const auto& c : entries) {
        int32_t slot = 777;
        EXPECT_EQ(CommitSizeEntry(c.grid, c.col, c.text, slot), c.stored != 0) << c.text;
        EXPECT_EQ(slot, c.stored != 0 ? c.stored : 777) << c.text;
    }
    const struct {
        int box, unit;
        const char* text;
        bool taken;
        int32_t stored;
    } boxes[] = {
        {0, 0, "0.02", true, 50800},  {0, 0, "0.0201", false, 777}, {1, 1, "-0.1", true, 10000},
        {2, 0, "abc", true, 0},       {3, 0, "0.002", true, 5080},  {3, 0, "0.2", true, 508000},
        {4, 0, "0.0019", false, 777}, {4, 1, "5.09", false, 777},   {4, 1, "0.0508", true, 5080},
    };
    for (const auto& c : boxes) {
        int32_t slot = 777;
        EXPECT_EQ(CommitAirgapBox(c.box, c.unit, c.text, slot, '.'), c.taken) << c.text;
        EXPECT_EQ(slot, c.stored) << c.text;
    }
    EXPECT_EQ(AirgapText(10000, 1, '.'), "0.100");
    EXPECT_EQ(AirgapText(50800, 0, '.'), "0.020");
    EXPECT_EQ(SizeCell(0, 1, 508000000, '.'), "200.0000");
    EXPECT_EQ(SizeCell(0, 2, 123456784, '.'), "1234.568");
}

class ConductorDialog : public test::SetupFixture {};

// A box is read when Enter is pressed in it or when it is left after an edit; leaving it, or
// switching the unit, without an edit keeps values the display rounds (20000 shows 0.008 inch,
// 30480 shows 0.305 mm).
TEST_F(ConductorDialog, BoxesAreReadOnlyWhenEdited) {
    auto f = Shown<OPTNLSIZ>();
    EXPECT_EQ(f->UnitFlag(), 0);
    EXPECT_TRUE(f->F_Unit[0]->isChecked());
    EXPECT_EQ(f->F_Agap[0]->text().toStdString(), "0.008");
    QLineEdit* gap0 = f->F_Agap[0];
    QLineEdit* gap1 = f->F_Agap[1];
    gap0->setFocus();
    gap1->setFocus();
    QTest::keyClick(gap1, Qt::Key_Return);
    EXPECT_EQ(gCondSizes[0][0], 20000);
    QTest::mouseClick(f->F_Unit[1], Qt::LeftButton);
    EXPECT_EQ(f->UnitFlag(), 1);
    EXPECT_EQ(gap1->text().toStdString(), "0.305");
    gap1->setFocus();
    f->F_Agap[2]->setFocus();
    EXPECT_EQ(gCondSizes[0][1], 30480);
    EXPECT_EQ(gCondSizes[0][0], 20000);

    gap1->setFocus();
    gap1->selectAll();
    QTest::keyClicks(gap1, "0.3");
    f->F_Agap[2]->setFocus();
    EXPECT_EQ(gCondSizes[0][1], 30000) << "edited, then left";
    EXPECT_EQ(scriptedUi().beeps, 0);
}

TEST_F(ConductorDialog, DoubleClicksEditTheValueColumns) {
    auto f = Shown<OPTNLSIZ>();
    platform::TolviGrid& trace = *f->F_Sizes[0];
    EXPECT_EQ(trace.TextMatrix(1, 0), " 1");
    EXPECT_EQ(trace.TextMatrix(1, 3), "D10* ");
    EXPECT_EQ(f->F_Sizes[1]->TextMatrix(1, 3), "D13* ") << "pad sizes show their line D-code too";
    EXPECT_EQ(f->F_Sizes[3]->Cols(), 3);
    EXPECT_EQ(f->F_Sizes[3]->TextMatrix(0, 1), "inch");

    std::string label;
    test::AnswerInput("0.005", &label);
    test::DoubleClickCell(trace, 2, 0);
    EXPECT_EQ(label, "Instant Selection\r\nTrace Segment width (inch):");
    EXPECT_EQ(gCondSizes[2][0], 12700);
    EXPECT_EQ(trace.TextMatrix(2, 3), "D10* ");

    test::AnswerInput("2");
    test::DoubleClickCell(*f->F_Sizes[3], 4, 3 - 1);  // grid 3 has no D-code column
    EXPECT_EQ(gLineWidths[4], 200000);
    test::AnswerInput("0.3");
    test::DoubleClickCell(*f->F_Sizes[2], 6, 3);  // the D-code column edits the mm value
    EXPECT_EQ(gCondSizes[6][2], 30000);
}

}  // namespace
}  // namespace tolvi
