#pragma once
// The hierarchy and page browser (menu Hierarchy): the designer picks the current hierarchy and
// page, creates a hierarchy from a block symbol (with a net hook per pin when asked), marks
// hierarchies for deletion, and sees the current page and the layout side by side. Every change
// to the hierarchies is tentative: Accept deletes the marked ones, Cancel (also Esc and the close
// box) deletes the ones made since the browser opened and returns to the hierarchy it opened on.
//
// The browser keeps its bookkeeping in the status bits of the hierarchies; outside a showing all
// of them are clear.
#include <QDialog>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace tolvi {

namespace platform {
class PreviewCanvas;
}
class QPainterSink;

constexpr int32_t kHierListed = 0x80;
constexpr int32_t kHierMarked = 0x100;     // deleted by Accept
constexpr int32_t kHierCreated = 0x200;    // made during this showing: deleted by Cancel
constexpr int32_t kHierDeleteNow = 0x400;  // made during this showing and deleted by Delete at once

// The distance between the net hooks of a block with Entries pins: 406400, less 50800 at a time
// while the hooks would span more than 440000000 (64-bit, so any count of pins is safe).
int32_t HookPitch(int64_t Entries);

// Menu Hierarchy: shows the browser and, when the current hierarchy or page changed, tells the
// design modules.
void M_Hier_Click();

class QUVHIER : public QDialog {
    Q_OBJECT
public:
    explicit QUVHIER(QWidget* parent = nullptr);
    ~QUVHIER() override;

    QWidget* F_MenuPan = nullptr;
    std::array<QGroupBox*, 3> F_ListFrame{};
    // 0 hierarchies, 1 pages of the current hierarchy, 2 block symbols.
    std::array<QComboBox*, 3> F_BrowseList{};
    QCheckBox* F_hooks = nullptr;
    QPushButton* F_Accept = nullptr;
    QPushButton* F_Cancel = nullptr;
    QPushButton* F_Delete = nullptr;
    // 0 the current page of the schematic, 1 the layout of the current hierarchy.
    std::array<platform::PreviewCanvas*, 2> ViewPicture{};
    QLabel* F_MsgLine = nullptr;

    void Form_Load();
    void Form_Resize();
    void F_BrowseList_Click(int Index);
    void F_BrowseList_KeyPress(int Index, int& KeyAscii);
    void F_BrowseList_LostFocus(int Index);
    void F_Accept_Click();
    void F_Cancel_Click();
    void F_Delete_Click();
    void ViewPicture_Paint(int Index);
    // Net hooks for the block symbol BlockName in the current hierarchy (the new one, its page 1
    // current).
    void CreateNetHooks(const std::string& BlockName);
    // The message line shows " " and Text at once.
    void ShowMessage(const std::string& Text);
    void FillList(int32_t Which);
    void OpenPreviewDC(int32_t Index);

    void reject() override;

    // The state of one showing.
    int32_t mOrgHier = 0;
    std::string mOrgHierName;
    int32_t mOrgPage = 0;
    std::string mOrgPageName;
    int mMinHeight = 0;
    int mMinWidth = 0;
    int32_t mInLayout = 0;
    int32_t mKeyTyped = 0;
    double mFitScale = 0;
    double mFitScaleY = 0;
    std::array<int32_t, 2> mViewScale{};
    std::array<std::array<int32_t, 2>, 2> mViewCentre{};

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateHierarchy(const std::string& Text);
    void SetListText(int Which, const std::string& Text);
    void RepaintPreviews();

    std::unique_ptr<QPainterSink> sink_;
    // Set once Accept or Cancel has run: a list losing the focus as the browser hides must not
    // act on its text any more.
    bool closing_ = false;
};

}  // namespace tolvi
