#pragma once
// Mouse input on a grid's cells as a user gives it.
#include <QPoint>

class QLineEdit;

namespace tolvi::platform {
class TolviGrid;
}

namespace tolvi::test {

// Centre of data cell (row from 1, col) in the grid's viewport.
QPoint CellCentre(const platform::TolviGrid& grid, int row, int col);
void ClickCell(platform::TolviGrid& grid, int row, int col);
// Press, release, then the double click and its release, as the window system sends them.
void DoubleClickCell(platform::TolviGrid& grid, int row, int col);
// Double-clicks an edit cell and gives the cell editor that opened (null when none did).
QLineEdit* OpenCellEditor(platform::TolviGrid& grid, int row, int col);

}  // namespace tolvi::test
