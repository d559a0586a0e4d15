#include "setup/optngrid.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QLocale>
#include <QTabWidget>
#include <QTest>
#include <string>

#include "common/grid_settings.h"
#include "common/settings_access.h"
#include "platform/qt/tolvi_grid.h"
#include "support/grid_input.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::scriptedUi;

enum Grid { SchGrid, SchSnap, SchPrecision, LayGrid, LaySnap, LayPrecision, ASnap, PickArea };

TEST(GridCell, TypedValuesTable) {
    const struct {
        Grid grid;
        int col;
        const char* text;
        int32_t stored;  // 0: refused
        const char* shown;
    } cases[] = {
        {LayGrid, 2, "0.2", 508000, "0.2000"},
        {LayGrid, 4, "5,08", 508000, "5.080"},
        {SchGrid, 2, "0.0009", 0, nullptr},
        {LaySnap, 2, "0.0009", 0, nullptr},
        {SchSnap, 2, "0.001", 2540, "0.0010"},
        {LaySnap, 2, "1", 2540000, "1.0000"},
        {SchSnap, 4, "25.4", 2540000, "25.400"},
        {SchSnap, 4, "25.41", 0, nullptr},
        {SchPrecision, 2, "0.0001", 254, "0.0001"},
        {LayPrecision, 4, "0.00254", 254, "0.003"},
        {LayGrid, 2, "5", 12700000, "5.0000"},
        {LayGrid, 2, "5.0001", 0, nullptr},
        {SchGrid, 2, "", 0, nullptr},
        {SchGrid, 4, "abc", 0, nullptr},
        {SchGrid, 4, "1e40", 0, nullptr},
        {ASnap, 2, "90", 90000, "90.0"},
        {ASnap, 2, "0", 0, nullptr},
        {ASnap, 2, "90.5", 0, nullptr},
        {ASnap, 2, "0.0004", 0, nullptr},  // would be a step of 0
        {ASnap, 2, "0.5", 500, ".5"},
        {ASnap, 2, "-5", 0, nullptr},
        {PickArea, 2, "2.5", 2, "2"},
        {PickArea, 2, "1", 1, "1"},
        {PickArea, 2, "99.6", 0, nullptr},  // would be 100
        {PickArea, 2, "100", 0, nullptr},
        {PickArea, 2, "0.9", 0, nullptr},
    };
    const auto& specs = GridSpecs();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(specs[c.grid].name) + " " + c.text);
        const GridSpec& g = specs[c.grid];
        const int row = 3;
        const int element = c.col == 2 || g.kind != GridValueKind::Length ? row : row + g.mmChosen;
        g.table[element] = 777;
        EXPECT_EQ(CommitGridCell(g, c.col, row, c.text), c.stored != 0);
        EXPECT_EQ(g.table[element], c.stored != 0 ? c.stored : 777);
        if (c.shown) {
            EXPECT_EQ(GridCellText(g, c.col, row, '.'), c.shown);
        }
    }
    gLayGrid[1] = 508000;
    EXPECT_EQ(GridCellText(GridSpecs()[LayGrid], 2, 1, ','), "0,2000") << "the locale's decimal separator";
    EXPECT_TRUE(CommitGridCell(GridSpecs()[LayGrid], 2, 1, "0,1"));
    EXPECT_EQ(gLayGrid[1], 254000);
}

class GridDialog : public test::SetupFixture {};

TEST_F(GridDialog, MarksShowTheChosenRowsAndAClickChoosesPerUnit) {
    int err = 0;
    IniPutString("Tolvi32", "LayGridTable", "0, 508000, 254000,127000,63500,25400,12700", err);
    auto f = Shown<OPTNGRID>();
    EXPECT_EQ(f->mstGridSnap->currentIndex(), 0);
    EXPECT_EQ(f->mstGridSnap->tabText(2).toStdString(), "General");
    platform::TolviGrid& schGrid = *f->grids[SchGrid];
    EXPECT_EQ(schGrid.MarkedRow(1), 3) << "from the settings file";
    EXPECT_EQ(f->grids[LaySnap]->MarkedRow(3), 4);
    EXPECT_EQ(f->grids[LayGrid]->MarkedRow(1), 0) << "a chosen row of 0 shows no mark";
    EXPECT_EQ(schGrid.TextMatrix(0, 2), "inch");
    EXPECT_EQ(schGrid.TextMatrix(0, 3), "Default");
    EXPECT_EQ(schGrid.TextMatrix(2, 0), " 2");
    EXPECT_EQ(schGrid.TextMatrix(2, 2), "0.1600");
    EXPECT_EQ(schGrid.TextMatrix(2, 4), "4.000");
    EXPECT_EQ(f->grids[ASnap]->TextMatrix(0, 2), "Degrees");
    EXPECT_EQ(f->grids[ASnap]->TextMatrix(6, 2), "90.0");
    EXPECT_EQ(f->grids[PickArea]->Rows(), 5);

    platform::TolviGrid& snap = *f->grids[SchSnap];
    test::ClickCell(snap, 4, 3);
    EXPECT_EQ(gSchSnap[7], 4);
    EXPECT_EQ(gSchSnap[0], 2) << "the inch choice stays";
    EXPECT_EQ(snap.MarkedRow(3), 4);
    test::ClickCell(snap, 5, 2);
    test::ClickCell(snap, 6, 0);
    EXPECT_EQ(gSchSnap[0], 2);
    EXPECT_EQ(gSchSnap[7], 4) << "a click in another column chooses nothing";
    test::ClickCell(snap, 1, 1);
    EXPECT_EQ(gSchSnap[0], 1);
}

TEST_F(GridDialog, NumbersShowTheLocalesDecimalSeparator) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto f = Shown<OPTNGRID>();
    EXPECT_EQ(f->grids[SchGrid]->TextMatrix(2, 2), "0,1600");
    EXPECT_EQ(f->grids[ASnap]->TextMatrix(6, 2), "90,0");
    QLocale::setDefault(QLocale::c());
}

// Typed in place: Enter takes the value (a refused one beeps and shows the stored value), Esc and
// an Enter on the text as shown change nothing, even where the shown text is rounded.
TEST_F(GridDialog, CellEditsEndWithEnterOrEsc) {
    auto f = Shown<OPTNGRID>();
    f->mstGridSnap->setCurrentIndex(1);
    platform::TolviGrid& snap = *f->grids[LaySnap];
    gLaySnap[13] = 2540;  // mm row 6 shows 0.025
    snap.SetTextMatrix(6, 4, GridCellText(GridSpecs()[LaySnap], 4, 6, '.'));
    struct Case {
        int row, col;
        const char* typed;  // nullptr: the text is left as shown
        int key;
        int element;
        int32_t stored;
        const char* shown;
        int beeps;
    };
    const Case cases[] = {
        {2, 4, "0.75", Qt::Key_Return, 9, 75000, "0.750", 0},
        {6, 4, nullptr, Qt::Key_Return, 13, 2540, "0.025", 0},
        {6, 4, "0.5", Qt::Key_Escape, 13, 2540, "0.025", 0},
        {3, 2, "2", Qt::Key_Return, 3, 63500, "0.0250", 1},  // beyond the snap range
        {3, 2, "0.02", Qt::Key_Return, 3, 50800, "0.0200", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.col) + " " + (c.typed ? c.typed : "-"));
        scriptedUi().beeps = 0;
        QLineEdit* editor = test::OpenCellEditor(snap, c.row, c.col);
        ASSERT_NE(editor, nullptr);
        if (c.typed) editor->setText(c.typed);
        QTest::keyClick(editor, Qt::Key(c.key));
        EXPECT_FALSE(snap.EditActive());
        EXPECT_EQ(gLaySnap[std::size_t(c.element)], c.stored);
        EXPECT_EQ(snap.TextMatrix(c.row, c.col), c.shown);
        EXPECT_EQ(scriptedUi().beeps, c.beeps);
    }
    EXPECT_EQ(snap.MarkedRow(3), 4) << "a value edit moves no mark";
}

}  // namespace
}  // namespace tolvi
