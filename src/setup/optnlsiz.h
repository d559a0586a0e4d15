#pragma once
// The conductor widths and sizes dialog: sixteen trace widths, round pad diameters and square pad
// sizes (each with its line D-code), sixteen symbol-edit line widths, the three airgaps and the
// schematic bus and wire widths. The grids show inch and mm; the five boxes show the unit chosen
// under "Measurments:", inch at every showing.
#include <array>
#include <cstdint>
#include <string>

#include "setup/setup_dialog.h"

class QButtonGroup;
class QLineEdit;
class QRadioButton;

namespace tolvi {

namespace platform {
class TolviGrid;
}

// The text of a size cell: col 1 inch, col 2 mm (grid 3 keeps three decimals in mm, as the
// others do, but its own narrower pattern).
std::string SizeCell(int grid, int col, int32_t units, char decimalPoint);
// Takes a typed size (col 1 inch, col 2 mm) into slot when it converts into 1 unit .. 5080 mm
// (1000 mm for grid 3); false (slot unchanged) otherwise.
bool CommitSizeEntry(int grid, int col, const std::string& text, int32_t& slot);
// The text of box i (0..2 airgaps, 3 bus width, 4 wire width) in the unit (0 inch, else mm).
std::string AirgapText(int32_t units, int unitFlag, char decimalPoint);
// Takes box i's text (its sign dropped) into slot: airgaps up to 0.508 mm (0 allowed), bus and
// wire widths 0.0508 .. 5.08 mm; false (slot unchanged) when refused. The text the box shows for
// slot is taken as no change, so a value is never replaced by its rounded display.
bool CommitAirgapBox(int box, int unitFlag, const std::string& text, int32_t& slot, char decimalPoint);

class OPTNLSIZ : public SetupDialog {
    Q_OBJECT
public:
    explicit OPTNLSIZ(QWidget* parent = nullptr);

    std::array<platform::TolviGrid*, 4> F_Sizes{};
    std::array<QLineEdit*, 5> F_Agap{};
    std::array<QRadioButton*, 2> F_Unit{};

    void SIZ_SetupGrids();
    void SIZ_FillGrids();
    void SIZ_ShowRow(int Grid, int Row);
    void SIZ_ShowAirgaps();
    void SIZ_ParseAirgap(int Index);
    void SIZ_ClampColumn(int Grid);
    void F_Sizes_Click(int Index);
    void F_Sizes_DblClick(int Index);
    void F_Unit_Click(int Index);
    int RememberedRow(int Grid) const { return row_[std::size_t(Grid)]; }
    int UnitFlag() const { return unit_; }

protected:
    void Load() override;
    void SetupLayout() override { SIZ_SetupGrids(); }
    void Fill() override { SIZ_FillGrids(); }
    void Store() override;
    void Reload() override;

private:
    // The size in row Row of grid Grid, and the value of box i.
    static int32_t& SizeValue(int Grid, int Row);
    int32_t& BoxValue(int i);
    void SizeColumns();

    std::array<int, 4> row_{};
    int unit_ = 0;
    QButtonGroup* units_ = nullptr;
};

}  // namespace tolvi
