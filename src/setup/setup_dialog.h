#pragma once
// The frame every setup dialog is built on. ShowOptionForm (common/option_store.h) shows a dialog
// modally and unloads it; the frame gives each dialog the same life:
//
// - Form_Load: the dialog's Load() (by default: SetupLayout, LocalizeForm, Fill, then
//   gDlgRefresh = 0), after which every push button is made a non-default button (Enter in a
//   box stays with the box) and Ctrl+F1 shows the recorded help topic from any control, cell
//   editors included.
// - Form_Activate, when the window is shown or activated: Activate() (by default: fill again
//   while gDlgRefresh is set, clearing it first).
// - F_Accept_Click / F_Cancel_Click: AcceptForm (pending edits taken, Store, gDlgAccepted = -1,
//   hidden) and CancelForm (pending edits dropped, the tables named by RestoresOnCancel put back
//   as they were at Form_Load, Reload, gDlgAccepted = 0, hidden). Esc and the window's close box
//   run F_Cancel_Click, so a dialog never ends without a verdict.
//
// A dialog derives from SetupDialog, builds its controls in its constructor (FrameButtons for
// Accept and Cancel), and provides Fill, Store and Reload; it overrides Load, Activate or the two
// click handlers only where it departs from the frame, and sets `traits` for the usual
// departures.
#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QBoxLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tolvi {

class SetupDialog : public QDialog {
    Q_OBJECT
public:
    SetupDialog(const char* name, const char* caption, const char* captionTag, QWidget* parent = nullptr);

    Q_INVOKABLE void Form_Load();
    void Form_Activate();
    virtual void F_Accept_Click();
    virtual void F_Cancel_Click();
    // Esc and the close box.
    void reject() override;

    QPushButton* F_Accept = nullptr;
    QPushButton* F_Cancel = nullptr;

    // True once Accept or Cancel has begun: a box that loses the focus as the dialog hides must
    // not commit into the tables any more.
    bool Closing() const { return closing_; }
    // The decimal separator of the user's locale, for the shown numbers ("." when the locale's
    // is not a single code-page character).
    static char DecimalPoint();

protected:
    // What a member of the family does differently from the frame.
    struct Traits {
        bool setsVerdict = true;        // Accept and Cancel set gDlgAccepted
        bool refillsOnActivate = true;  // Activate() fills again while gDlgRefresh is set
        bool clearsRefresh = true;      // the default Load() clears gDlgRefresh
    };
    Traits traits;

    // --- the dialog's steps ---
    virtual void SetupLayout() {}
    virtual void Fill() = 0;
    virtual void Store() = 0;
    virtual void Reload() = 0;
    virtual void Load();
    virtual void Activate();

    // --- the frame's endings ---
    void AcceptForm();
    void CancelForm();
    // Marks a dialog that has nothing to show: ShowOptionForm does not show it.
    void EndDuringLoad();

    // --- building ---
    // The Accept and Cancel buttons under these control names, wired to F_Accept_Click and
    // F_Cancel_Click, in a row aligned right.
    QBoxLayout* FrameButtons(const char* acceptName = "F_Accept", const char* cancelName = "F_Cancel");
    // A text box whose value is taken by commit: on Enter (the key goes no further), and on
    // leaving the box only when it was edited. Accept takes an edit still pending; nothing is
    // taken once the dialog is closing.
    void WatchBox(QLineEdit* box, std::function<void()> commit);
    // The shared tables the dialog edits in place. Cancel puts each back as it was when the
    // dialog was loaded, then reloads: a stored value with fewer fields than its table leaves the
    // later elements as memory holds them, and a cancelled change must not be among them.
    template <typename... Table>
    void RestoresOnCancel(Table&... tables) {
        (keepers_.push_back(
             [&tables] { return std::function<void()>([&tables, kept = tables] { tables = kept; }); }),
         ...);
    }

    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Box {
        QLineEdit* box;
        std::function<void()> commit;
        bool edited = false;
    };
    Box* FindBox(QObject* o);
    void Commit(Box& b);

    std::vector<Box> boxes_;
    // Each takes a copy of its table and gives what puts it back.
    std::vector<std::function<std::function<void()>()>> keepers_;
    std::vector<std::function<void()>> restores_;
    bool closing_ = false;
    bool helpKeyInstalled_ = false;
};

// Asks with the input box, the cell's text shown as the default answer; nullopt when nothing is
// to change: the box was cancelled or cleared, or the shown text was confirmed as it stands (so
// a value is never replaced by its rounded display).
std::optional<std::string> AskForChange(const std::string& prompt, const std::string& header,
                                        const std::string& shown);

// A label or group box with its control name, English caption and (when given) the message id
// that localises it; labels show plain text.
QLabel* NewFormLabel(QWidget* parent, const char* name, const char* caption, const char* tag);
QGroupBox* NewFormFrame(QWidget* parent, const char* name, const char* caption, const char* tag);

}  // namespace tolvi
