#pragma once
// The manager's mailbox: any application of the suite may write one line into the kernel string
// "TOLVIAUTO" — "<database file>,<application>,<command>" — and the manager carries it out at its
// next timer tick: it loads the database, then closes the application ("CLS"), closes all the
// others and starts it ("XCL"), or starts it. The load asks for no database password: the
// writers are programs of the suite.
#include <array>
#include <string_view>
#include <utility>

namespace tolvi::platform {
class Timer;
}

namespace tolvi {

// What the mailbox needs of the main window.
class MailboxWindow {
public:
    virtual ~MailboxWindow() = default;
    // The mailbox timer, off for the length of each tick.
    virtual platform::Timer* AutoTimer() = 0;
    // Runs the named menu command ("M_Schema_Click", ...) exactly as the menu does.
    virtual void RunStartCommand(const std::string_view handler) = 0;
    // Closes the main window without questions and without the clean-up the mailbox has done;
    // the window goes from the top-level event loop, never from inside the caller.
    virtual void UnloadForced() = 0;
};

// Not owned; nullptr when no main window stands (the tick then does nothing).
void SetMailboxWindow(MailboxWindow* window);

// The applications the mailbox can start, with the menu command that starts each.
inline constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kMailboxStartTable = {{
    {"QUVSIM", "M_Msim_Click"},
    {"QUVLIBED", "M_LibEdit_Click"},
    {"QUVSCHED", "M_Schema_Click"},
    {"QUVLAYED", "M_Layout_Click"},
    {"QUVLAYPS", "M_Post_Click"},
    {"QUVSPCED", "M_Valcor_Click"},
    {"QUVTHERM", "M_Thermo_Click"},
    {"QUVEMA", "M_Ema_Click"},
}};

// The mailbox timer's tick. While the manager shows a modal window the mailbox is left alone and
// its line runs after the window has closed.
void F_AutoTimer_Timer();

void ResetMailboxState();

}  // namespace tolvi
