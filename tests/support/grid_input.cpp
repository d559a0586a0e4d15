#include "support/grid_input.h"

#include <QLineEdit>
#include <QTest>

#include "platform/qt/tolvi_grid.h"

namespace tolvi::test {

QPoint CellCentre(const platform::TolviGrid& grid, int row, int col) {
    return {grid.columnViewportPosition(col) + grid.columnWidth(col) / 2,
            grid.rowViewportPosition(row - 1) + grid.rowHeight(row - 1) / 2};
}

void ClickCell(platform::TolviGrid& grid, int row, int col) {
    grid.scrollToItem(grid.item(row - 1, col));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(grid, row, col));
}

void DoubleClickCell(platform::TolviGrid& grid, int row, int col) {
    grid.scrollToItem(grid.item(row - 1, col));
    const QPoint at = CellCentre(grid, row, col);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, at);
}

QLineEdit* OpenCellEditor(platform::TolviGrid& grid, int row, int col) {
    QLineEdit* editor = nullptr;
    const auto seen = QObject::connect(&grid, &platform::TolviGrid::EditorOpened,
                                       [&](QWidget* e) { editor = qobject_cast<QLineEdit*>(e); });
    DoubleClickCell(grid, row, col);
    QObject::disconnect(seen);
    return editor;
}

}  // namespace tolvi::test
