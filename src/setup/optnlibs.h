#pragma once
// The library search sequence dialog: the ordered part, symbol and package library lists the
// design modules search (list 0 parts, 1 symbols, 2 packages), each edited in a grid from the
// library files of its kind in the library directory. The same dialog browses a library file's
// entries, finds the library file that holds a name, previews symbols and packages (drawn by the
// kernel from the temporary symbols -1 and -2) and opens the part browse dialog for a part, after
// which the part's package and the chosen group's symbol are found and previewed.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/kernel.h"
#include "setup/setup_dialog.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tolvi {

namespace platform {
class FileList;
class PreviewCanvas;
class TolviGrid;
}  // namespace platform

// The editing rules of one search list shown in a grid: entries 1..n of `list` (entry 0 stays
// empty), the selected row, the first visible row and how many rows show at once. The grid shows
// GridRows() rows: row k the position of entry k and the entry, or one blank row when the list
// is empty. An edit that is refused beeps; one that does not apply (Insert or Delete on an empty
// list) changes nothing silently.
struct LibListEditor {
    enum Result { Done, Refused, Ignored };

    std::vector<std::string>& list;
    int selectedRow = 1;
    int topRow = 1;
    int visibleRows = 1;
    int currentRow = 1;  // the grid's current row after the edit

    int Count() const { return int(list.size()) - 1; }
    int GridRows() const { return std::max(2, Count() + 1); }

    // Appends text (taken exactly as typed; blank or already listed, case-sensitively, is refused)
    // and scrolls so that the new last row is visible.
    Result Add(const std::string& text);
    // Inserts text before the selected row, which must be visible; the selection stays on the
    // row number, which now holds the new entry.
    Result Insert(const std::string& text);
    // Removes the selected row's entry; the selection stays on the row number, or moves to the
    // new last row.
    Result Delete();

private:
    bool SelectionVisible() const;
    bool Listed(const std::string& text) const;
};

class OPTNLIBS : public SetupDialog {
    Q_OBJECT
public:
    explicit OPTNLIBS(QWidget* parent = nullptr);

    // --- per list: 0 parts, 1 symbols, 2 packages ---
    std::array<QGroupBox*, 3> F_SelFrame{};
    std::array<platform::TolviGrid*, 3> F_Libs{};
    std::array<QLineEdit*, 3> F_Lib{};
    std::array<platform::FileList*, 3> F_Files{};
    std::array<QPushButton*, 3> F_Add{}, F_Insert{}, F_Delete{}, F_Find{};
    std::array<QGroupBox*, 3> F_BrowseFrame{};
    std::array<QComboBox*, 3> F_BrowseList{};
    std::array<QLabel*, 3> F_Count{};
    // --- per preview: 0 symbols, 1 packages ---
    std::array<QGroupBox*, 2> F_SmbFrame{};
    std::array<platform::PreviewCanvas*, 2> ViewPicture{};

    void SetupLibGrids();
    void FillForm();
    void F_Libs_Click(int Index);
    void F_Add_Click(int Index);
    void F_Insert_Click(int Index);
    void F_Delete_Click(int Index);
    void F_Files_Click(int Index);
    void F_Files_DblClick(int Index);
    void F_BrowseList_Click(int Index);
    void F_Find_Click(int Index);
    void ViewPicture_Paint(int Index);

    void BrowseLibrary(int Index);
    // Err 0 and FileIndex = the position in F_Files(Index) of the first library file of the list's
    // kind that holds Name; Err 1 and FileIndex unchanged when none does.
    void FindInLibraries(int32_t& Err, int Index, const std::string& Name, int& FileIndex);
    void LoadPreviewSymbol(int32_t& Err, int k);

    int SelectedRow(int Index) const { return selectedRow_[std::size_t(Index)]; }
    int VisibleRows(int Index) const;
    int32_t PreviewId(int k) const { return preview_[std::size_t(k)].id; }
    const std::string& PreviewName(int k) const { return preview_[std::size_t(k)].name; }
    int32_t PreviewScale(int k) const { return preview_[std::size_t(k)].scale; }

protected:
    void SetupLayout() override { SetupLibGrids(); }
    void Fill() override { FillForm(); }
    void Store() override;
    void Reload() override;

private:
    struct Preview {
        int32_t id = 0;  // -1 symbol preview, -2 package preview, 0 nothing shown
        std::string name;
        std::string lib;  // the library browsed in the list of this preview
        std::string caption;
        FrameRec frame;
        int32_t centreX = 0;
        int32_t centreY = 0;
        int32_t scale = 1;
    };

    static std::vector<std::string>& List(int Index);
    LibListEditor Editor(int Index);
    void Apply(int Index, const LibListEditor& e, LibListEditor::Result r);
    void ShowList(int Index, const LibListEditor& e);
    void ForgetPreview(int k);
    // Selects file FileIndex of F_Files(Index); a file already selected is browsed again.
    void SelectFile(int Index, int FileIndex);
    // Browses the library file of list Index that holds Name with Name first; false when none does.
    bool LocateAndPreview(int Index, const std::string& Name);

    std::array<int, 3> selectedRow_{};
    std::array<int32_t, 3> libHandle_{};
    std::array<Preview, 2> preview_{};
    bool skipPartClick_ = false;
    std::string selectOnBrowse_;
};

}  // namespace tolvi
