#pragma once
// Everything that asks or tells the user goes through the Ui service: message boxes, the input
// box, file dialogs, beeps, the busy pointer, modal and modeless forms and yielding to the event
// loop. The program installs the Qt implementation; tests install a scripted one.
#include <optional>
#include <string>

class QWidget;

namespace tolvi::platform {

// Message box answers.
enum MsgAnswer {
    kAnswerOk = 1,
    kAnswerCancel = 2,
    kAnswerAbort = 3,
    kAnswerRetry = 4,
    kAnswerIgnore = 5,
    kAnswerYes = 6,
    kAnswerNo = 7
};

// Message box style bits, summed as the callers write them (4132 = 4096 + 32 + 4).
enum MsgStyle {
    kStyleOk = 0,
    kStyleOkCancel = 1,
    kStyleAbortRetryIgnore = 2,
    kStyleYesNoCancel = 3,
    kStyleYesNo = 4,
    kStyleRetryCancel = 5,
    kStyleButtonMask = 0x0F,
    kStyleCritical = 16,
    kStyleQuestion = 32,
    kStyleExclamation = 48,
    kStyleInformation = 64,
    kStyleIconMask = 0x70,
    kStyleSystemModal = 4096,
};

// The flags of the program's file dialogs: an open dialog whose file and path must exist, and a
// save dialog that asks before creating or overwriting; both hide the read-only box.
inline constexpr int kOpenDialogFlags = 0x1804;
inline constexpr int kSaveDialogFlags = 0x2006;

struct FileDialogRequest {
    std::string title;
    // Pairs "description|pattern|description|pattern", patterns separated by ";" ("*.TPB",
    // "*.*" = every file). Patterns match without regard to case.
    std::string filter;
    int filterIndex = 1;  // 1-based
    std::string initDir;
    std::string fileName;    // proposed name
    std::string defaultExt;  // without the dot
    int flags = 0;           // kept as the caller gives them (overwrite prompt, must exist, ...)
    bool save = false;       // save dialog rather than open dialog
};

class Ui {
public:
    virtual ~Ui() = default;

    // Shows text (plain text, never markup) with the raw numeric style; returns a MsgAnswer.
    virtual int MsgBox(const std::string& text, int style, const std::string& title) = 0;
    // A plain input box; nullopt when cancelled.
    virtual std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                                const std::string& value) = 0;
    // The chosen path, or nullopt when cancelled.
    virtual std::optional<std::string> FileDialog(const FileDialogRequest& request) = 0;
    virtual void Beep() = 0;
    // The busy (hourglass) pointer is a state, not a stack: SetBusyPointer(false) always ends it.
    virtual void SetBusyPointer(bool busy) = 0;
    virtual bool BusyPointer() const = 0;
    // Shows form modally; returns when the form has been hidden or closed.
    virtual void ShowModal(QWidget* form) = 0;
    virtual void ShowModeless(QWidget* form) = 0;
    // Lets pending events run (the old DoEvents).
    virtual void DoEvents() = 0;
};

// The answer of the box's default button for style: Cancel when the box has one, No for Yes/No,
// Abort for Abort/Retry/Ignore, else OK. The silent service answers with it.
int DefaultAnswer(int style);

// The installed service. Until one is installed a silent service answers every box with its
// default button (Cancel, No or OK) and every dialog with cancel.
Ui& ui();
// Installs service (not owned; nullptr puts the silent one back).
void SetUi(Ui* service);

// The busy pointer for the life of a scope: on when made, back to the default pointer when the
// scope ends, a failure leaving it included. The pointer is a state, so the end of an inner guard
// also ends an outer one's, as the default pointer always has.
class BusyPointerGuard {
public:
    BusyPointerGuard() { ui().SetBusyPointer(true); }
    ~BusyPointerGuard() { ui().SetBusyPointer(false); }
    BusyPointerGuard(const BusyPointerGuard&) = delete;
    BusyPointerGuard& operator=(const BusyPointerGuard&) = delete;
};

}  // namespace tolvi::platform
