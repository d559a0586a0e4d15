#pragma once
// What the common services need of the main window, without including it. The main window
// implements this and installs itself at start-up; tests install a recorder.
#include <array>
#include <string>

namespace tolvi {

class Host {
public:
    virtual ~Host() = default;
    // The main window's caption (the database title and the program name).
    virtual void SetCaption(const std::string& caption) = 0;
    // Sends cmd to every running design module ("UP", "EX", "AH 1", ...).
    virtual void NotifyAll(const std::string& cmd) = 0;
    // Republishes the manager's state string in the kernel string table.
    virtual void PublishMainState() = 0;
    // Switches the backup timer on or off.
    virtual void SetBackupTimer(bool on) = 0;
    // Shows or hides the in-house menu items.
    virtual void ShowInHouseMenu(bool visible) = 0;
    // Draws the recent-file items of the File menu: entry n (index n - 1) as "&n. <path>", none
    // where the path is "", and the separator above them when separator is set.
    virtual void DrawRecentFiles(const std::array<std::string, 4>& paths, bool separator) = 0;
    // Ticks Options > Current when current is set, else Options > Default.
    virtual void MarkOptionScope(bool current) = 0;
    // Ends the program after a failure it cannot go on from (no questions, exit status code).
    virtual void FatalExit(int code) = 0;
};

// The installed host. Until one is installed a silent host does nothing.
Host& host();
void SetHost(Host* h);  // not owned; nullptr restores the silent host

}  // namespace tolvi
