#pragma once
// The aperture table editor: lists the aperture tables (NAME.APT in the system directory), shows
// the current one (gAperFile, gApertures) as sizes with their line, round and square D-codes,
// inserts and deletes sizes, takes typed D-codes, saves the table under a name and makes another
// table current.
#include <array>
#include <cstdint>
#include <string>

#include "setup/setup_dialog.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tolvi {

namespace platform {
class FileList;
class TolviGrid;
}  // namespace platform

// --- the table rules, over gApertures ---

// A typed D-code: blank gives 0 (no aperture); otherwise "D" first, then a number from 10 to
// 999 before the first "*" (letters taken in upper case), rounded; anything else gives -1.
void ParseDcode(const std::string& Text, int32_t& Code);
// A typed size (mm when Mm, else inch) in database units, 1 .. 220,000,000 (2200 mm); -1 when
// the text gives no size in that range.
int32_t ApertureSizeFromText(const std::string& Text, bool Mm);
// Inserts a row of Size with no D-codes where it keeps the table ascending; its row, or 0 when
// the table already holds that size.
int InsertApertureSize(int32_t Size);
// Removes row Row; false (nothing changed) when it is not a row or the last one left.
bool DeleteApertureRow(int Row);
// The first row to show so that Row is visible in a grid of RowCount rows (the heading row
// included) showing VisibleRows at once: pages start at row 1, each at the last row of the one
// before; a row beyond the last full page shows the last VisibleRows rows.
int ApertureTopRow(int Row, int RowCount, int VisibleRows);
// The table file's text: one line a row ("Size,Line,Round,Square") and the end line, CR LF.
std::string ApertureTableText();
// The five cells of a row (inch, mm and the three D-codes); a row past the table shows row 0.
std::array<std::string, 5> ApertureRowCells(int Row, char DecimalPoint);

class POSTAPT : public SetupDialog {
    Q_OBJECT
public:
    explicit POSTAPT(QWidget* parent = nullptr);

    platform::FileList* AptLst = nullptr;
    QLabel* CurApt = nullptr;
    platform::TolviGrid* Sizes = nullptr;
    std::array<QLineEdit*, 3> NewDcode{};
    QLabel* CurSize = nullptr;
    QLabel* F_SizeType = nullptr;
    std::array<QPushButton*, 2> InsSize{};
    QPushButton* DelSize = nullptr;
    QPushButton* SaveAfile = nullptr;
    QLineEdit* NewFname = nullptr;

    void SetupGrid();
    void LoadSelectedTable();
    void FillGrid();
    void ShowCurrentRow(int Row);
    void AptLst_Click();
    void Sizes_Click();
    void InsSize_Click(int Index);
    void DelSize_Click();
    void NewDcode_KeyPress(int Index);
    void SaveAfile_Click();
    void F_Accept_Click() override;  // AptAccept

    // What a save came to: written, no name to save under, a name that cannot be a table's, or
    // a file that could not be written (its box shown).
    enum SaveResult { Saved, NoName, BadName, Failed };
    SaveResult SaveApertureTable();
    // False when the designer wanted the changes saved and they were not: the caller then
    // keeps the dialog and the table as they are.
    bool AskSaveIfChanged();

    bool Changed() const { return changed_; }
    int SelectedRow() const { return selected_; }
    int VisibleRows() const;

protected:
    void Load() override;
    void Fill() override { SetupGrid(); }
    void Store() override {}
    void Reload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetGridCell(int Row);
    void ShowGridRow(int Row);
    void SetCurrentTableName(const std::string& Name);
    void SizeColumns();

    bool changed_ = false;
    int selected_ = 1;
    std::string nameAtLoad_;
    std::array<QLabel*, 2> columnLabels_{};
};

}  // namespace tolvi
