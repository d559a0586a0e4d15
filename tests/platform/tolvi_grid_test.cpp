#include "platform/qt/tolvi_grid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <string>
#include <utility>
#include <vector>

#include "support/grid_input.h"

namespace tolvi::platform {
namespace {

// A grid of `rows` data rows by `cols` columns, cell (r, c) holding "r.c", shown.
struct Grid {
    TolviGrid g;
    std::vector<std::pair<int, int>> afterEdits;
    int clicks = 0;
    std::vector<int> clickCols;

    Grid(int rows, int cols) {
        g.SetRows(rows + 1);
        g.SetCols(cols);
        for (int r = 0; r <= rows; ++r)
            for (int c = 0; c < cols; ++c) g.SetTextMatrix(r, c, std::to_string(r) + "." + std::to_string(c));
        QObject::connect(&g, &TolviGrid::AfterEdit,
                         [this](int col, int row) { afterEdits.emplace_back(col, row); });
        QObject::connect(&g, &TolviGrid::Click, [this] {
            ++clicks;
            clickCols.push_back(g.MouseCol());
        });
        g.resize(300, 200);
        g.show();
    }
    std::vector<std::string> Column(int col) const {
        std::vector<std::string> out;
        out.reserve(static_cast<std::size_t>(g.Rows()));
        for (int r = 0; r < g.Rows(); ++r) out.push_back(g.TextMatrix(r, col));
        return out;
    }
};

TEST(TolviGrid, ShapeChangesKeepTheSurvivingTextsAndRowZeroIsTheHeading) {
    Grid t(3, 2);
    EXPECT_EQ(t.g.horizontalHeaderItem(1)->text(), "0.1") << "row 0 is the heading";
    t.g.SetRows(6);
    EXPECT_EQ(t.Column(0), (std::vector<std::string>{"0.0", "1.0", "2.0", "3.0", "", ""}));
    t.g.SetRows(3);
    EXPECT_EQ(t.Column(0), (std::vector<std::string>{"0.0", "1.0", "2.0"}));
    t.g.InsertRow("new\tcell", 2);
    EXPECT_EQ(t.Column(0), (std::vector<std::string>{"0.0", "1.0", "new", "2.0"}));
    EXPECT_EQ(t.g.TextMatrix(2, 1), "cell");
    t.g.RemoveRow(1);
    EXPECT_EQ(t.Column(0), (std::vector<std::string>{"0.0", "new", "2.0"}));
    t.g.RemoveRow(9);  // nothing there
    EXPECT_EQ(t.g.Rows(), 3);

    // Row and Col address the current cell; row 0 only the headings.
    t.g.SetRow(0);
    t.g.SetCol(1);
    t.g.SetText("head");
    EXPECT_EQ(t.g.TextMatrix(0, 1), "head");
    t.g.SetRow(2);
    EXPECT_EQ(t.g.currentRow(), 1);
    EXPECT_EQ(t.g.currentColumn(), 1);
    EXPECT_EQ(t.g.Text(), "2.1");
}

TEST(TolviGrid, ChoiceColumnMarkFollowsAClickBeforeClickIsRaised) {
    Grid t(6, 3);
    t.g.SetChoiceColumn(1, true);
    t.g.SetMarkedRow(1, 2);
    int markAtClick = -1;
    QObject::connect(&t.g, &TolviGrid::Click, [&] { markAtClick = t.g.MarkedRow(1); });
    test::ClickCell(t.g, 4, 1);
    EXPECT_EQ(t.g.MarkedRow(1), 4);
    EXPECT_EQ(markAtClick, 4);
    EXPECT_EQ(t.g.Row(), 4);
    test::ClickCell(t.g, 5, 2);
    EXPECT_EQ(t.g.MarkedRow(1), 4) << "a click elsewhere leaves the mark";
    EXPECT_EQ(t.clickCols, (std::vector<int>{1, 2}));
}

TEST(TolviGrid, AMarkOutsideTheDataRowsShowsNothing) {
    Grid t(6, 2);
    t.g.SetChoiceColumn(1, true);
    const auto shot = [&](int marked) {
        t.g.SetMarkedRow(1, marked);
        return t.g.grab().toImage();
    };
    const QImage none = shot(0);
    EXPECT_EQ(shot(7), none);
    EXPECT_NE(shot(3), none);
}

// The edit ends as the dialogs end it: Enter and Esc switch EditActive off from KeyPressEdit.
TEST(TolviGrid, AfterEditOnlyForAChangedTextNeverAfterEsc) {
    struct Case {
        const char* typed;  // replaces the cell's text; nullptr types nothing
        int endKey;
        bool withHandler;
        std::vector<std::pair<int, int>> afterEdits;
        const char* cell;
    };
    const Case cases[] = {
        {"0.5", Qt::Key_Return, true, {{1, 2}}, "0.5"},
        {"0.5", Qt::Key_Escape, true, {}, "2.1"},
        {nullptr, Qt::Key_Return, true, {}, "2.1"},
        {"2.1", Qt::Key_Return, true, {}, "2.1"},  // retyped as it was
        {"0.5", Qt::Key_Return, false, {{1, 2}}, "0.5"},
        {"0.5", Qt::Key_Escape, false, {}, "2.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed ? c.typed : "-") + " " + std::to_string(c.endKey));
        Grid t(3, 2);
        t.g.SetEditColumn(1, true);
        std::vector<int> keys;
        QObject::connect(&t.g, &TolviGrid::KeyPressEdit, [&](int key, int, int) {
            keys.push_back(key);
            if (c.withHandler && (key == 13 || key == 27)) {
                t.g.SetEditActive(false);
                t.g.SetFocus();
            }
        });
        QWidget* editor = nullptr;
        QObject::connect(&t.g, &TolviGrid::EditorOpened, [&](QWidget* e) { editor = e; });
        t.g.SetRow(2);
        t.g.SetCol(1);
        t.g.SetEditActive(true);
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(t.g.EditActive());
        if (c.typed) static_cast<QLineEdit*>(editor)->setText(QString::fromLatin1(c.typed));
        QTest::keyClick(editor, Qt::Key(c.endKey));
        QApplication::processEvents();
        EXPECT_FALSE(t.g.EditActive());
        EXPECT_EQ(t.afterEdits, c.afterEdits);
        EXPECT_EQ(t.g.TextMatrix(2, 1), c.cell);
        if (c.withHandler) {
            EXPECT_EQ(keys.back(), c.endKey == Qt::Key_Return ? 13 : 27);
        }
    }
}

TEST(TolviGrid, OnlyEditColumnsOpenAnEditor) {
    Grid t(3, 3);
    t.g.SetEditColumn(2, true);
    int dbl = 0;
    QObject::connect(&t.g, &TolviGrid::DblClick, [&] { ++dbl; });
    test::DoubleClickCell(t.g, 1, 1);
    EXPECT_FALSE(t.g.EditActive());
    test::DoubleClickCell(t.g, 1, 2);
    EXPECT_TRUE(t.g.EditActive());
    EXPECT_EQ(dbl, 2);
    EXPECT_EQ(t.clicks, 2) << "each double click is a click first";
    t.g.DiscardEdit();
    EXPECT_FALSE(t.g.EditActive());
}

TEST(TolviGrid, TopRowScrollsAndReadsBack) {
    Grid t(40, 2);
    t.g.FitRows(5);
    QApplication::processEvents();
    EXPECT_EQ(t.g.VisibleDataRows(), 5);
    EXPECT_EQ(t.g.TopRow(), 1);
    t.g.SetTopRow(12);
    EXPECT_EQ(t.g.TopRow(), 12);
    t.g.SetTopRow(0);  // not a data row: nothing moves
    EXPECT_EQ(t.g.TopRow(), 12);
    EXPECT_EQ(t.g.RowHeight(3), t.g.rowHeight(2));
}

}  // namespace
}  // namespace tolvi::platform
