#pragma once
// The grid, snap and precision dialog: the eight lists of grid, snap, precision, angle-snap and
// pick-area steps, each value editable in place and one entry per list (per unit for lengths)
// chosen as the default.
#include <array>
#include <cstdint>
#include <string>

#include "setup/setup_dialog.h"

class QTabWidget;

namespace tolvi {

namespace platform {
class TolviGrid;
}

enum class GridValueKind { Length, Angle, Pick };

// One of the eight lists and how its grid shows and takes it.
struct GridSpec {
    const char* name;  // the grid's control name
    int32_t* table;    // element 0: chosen row of the (inch) list
    int rows;          // data rows
    int mmChosen;      // element holding the chosen row of the mm list (7 or 16); 0: one list
    double lo, hi;     // accepted range of the converted value
    GridValueKind kind;
};

// The eight lists in grid order: SchGrid, SchSnap, SchPrecision, LayGrid, LaySnap, LayPrecision,
// ASnap, PickArea.
const std::array<GridSpec, 8>& GridSpecs();

// The text a value cell shows: col 2 the inch list (or the only list), col 4 the mm list.
std::string GridCellText(const GridSpec& g, int col, int row, char decimalPoint);
// Takes the text typed into a value cell into its table element when it converts into the
// list's range; false (the element unchanged) otherwise. An angle must round to 1..90000
// thousandths of a degree and a pick area to 1..99 pixels.
bool CommitGridCell(const GridSpec& g, int col, int row, const std::string& text);

class OPTNGRID : public SetupDialog {
    Q_OBJECT
public:
    explicit OPTNGRID(QWidget* parent = nullptr);

    QTabWidget* mstGridSnap = nullptr;
    std::array<platform::TolviGrid*, 8> grids{};  // in GridSpecs() order

    void InitUnits();
    void FillGridTables();
    void Grid_Click(int g);
    void Grid_KeyPressEdit(int g, int key);
    void Grid_AfterEdit(int g, int col, int row);

protected:
    void SetupLayout() override { InitUnits(); }
    void Fill() override { FillGridTables(); }
    void Store() override;
    void Reload() override;

private:
    std::array<std::string, 2> unitCaption_;
};

}  // namespace tolvi
