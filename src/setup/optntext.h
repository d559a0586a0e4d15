#pragma once
// The text sizes dialog: fifteen schematic and fifteen layout text sizes, each a height and a
// line width shown in inch and mm, the layout ones with the line D-code of the current aperture
// table; a sample "AbCd" in the vector font shows the size of the current row.
#include <array>
#include <string>

#include "kernel/kernel.h"
#include "setup/setup_dialog.h"

class QLabel;

namespace tolvi {

namespace platform {
class PreviewCanvas;
class TolviGrid;
}  // namespace platform

// The text a cell of a text-size row shows: 0 height in inch, 1 height in mm, 2 line width in
// inch, 3 line width in mm (the height is six times the height factor).
std::string TextSizeCell(const TextSizeRec& rec, int col, char decimalPoint);
// Takes a typed height (cols 0, 1: both factors become a sixth of it) or line width (cols 2, 3)
// into rec when it converts into 508 .. 10,000,000 units; false (rec unchanged) otherwise.
bool CommitTextSize(TextSizeRec& rec, int col, const std::string& text);

class OPTNTEXT : public SetupDialog {
    Q_OBJECT
public:
    explicit OPTNTEXT(QWidget* parent = nullptr);

    std::array<platform::TolviGrid*, 2> F_Sizes{};  // 0 schematic, 1 layout
    std::array<platform::PreviewCanvas*, 2> ViewPicture{};

    void TXT_SetupGrids();
    void TXT_FillGrids();
    void TXT_ShowRow(int Grid, int Row);
    void TXT_UpdatePreview(int Grid);
    void TXT_DrawSample(int Grid, int Row, const std::string& Text);
    void F_Sizes_Click(int Index);
    void F_Sizes_DblClick(int Index);
    void ViewPicture_Paint(int Index);
    int RememberedRow(int Grid) const { return row_[std::size_t(Grid)]; }

protected:
    void SetupLayout() override { TXT_SetupGrids(); }
    void Fill() override { TXT_FillGrids(); }
    void Store() override;
    void Reload() override;

private:
    static int RecordOf(int Grid, int Row) { return Grid == 0 ? Row : Row + 16; }
    void SizeColumns();

    std::array<int, 2> row_{};
    std::array<std::array<QLabel*, 2>, 2> columnLabels_{};
};

}  // namespace tolvi
