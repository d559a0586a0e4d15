#include "mainwindow/mailbox.h"

#include <exception>
#include <string>

#include "common/context_help.h"
#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/command_routing.h"
#include "mainwindow/db_commands.h"
#include "mainwindow/recent_files.h"
#include "mainwindow/startup.h"
#include "platform/paths.h"
#include "platform/suite_bus.h"
#include "platform/timer.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

MailboxWindow* gMailboxWindow = nullptr;

std::string Field(int i) { return i < static_cast<int>(gTokStr.size()) ? Trim(gTokStr[i]) : std::string(); }

void LoadMailboxDatabase(const std::string& file) {
    int err = 0;
    std::string path = file;
    FileOpenTest(err, 0, path);
    if (err) {
        path = platform::JoinPath(gJobDir, file);
        FileOpenTest(err, -1, path);
        if (err) return;
    }
    // No password is asked and the backup timer stays off: the writers are programs of the suite.
    if (LoadDatabaseFile(path)) {
        NotifyAll("UP");
        AddRecentFile();
        ShowRecentFiles();
        ClearDatabaseChanged();
    }
    ConnectCommandLinks();
}

// The manager ends without questions: everything the unload would give back is given back
// here, in the close's order, then the window goes.
void CloseManager(MailboxWindow& window) {
    StartupHoldings::GiveBack(gMainWnd, StartupHoldings::kEverything);
    window.UnloadForced();
}

void StartFromTable(MailboxWindow& window, const std::string& app) {
    for (const auto& [name, handler] : kMailboxStartTable)
        if (app == name) {
            window.RunStartCommand(handler);
            return;
        }
}

// Carries out one line; true when the manager is closing.
bool RunMailboxLine(MailboxWindow& window, const std::string& line) {
    ParseList(line);
    // Only the application and the command are compared in capitals: a Linux path keeps its case.
    const std::string file = Field(1);
    const std::string app = UpperAscii(Field(2));
    const std::string cmd = UpperAscii(Field(3));
    if (!file.empty()) LoadMailboxDatabase(file);
    if (app.empty()) return false;
    if (cmd == "CLS") {
        if (app == kManagerName) {
            CloseManager(window);
            return true;
        }
        if (app == "QUVSIM")
            platform::suiteBus().Broadcast(gMsgTolvi, 3);
        else
            SendExitIfActive(app);
        return false;
    }
    if (cmd == "XCL") {
        if (app != "QUVSIM") platform::suiteBus().Broadcast(gMsgTolvi, 3);
        for (int i = 1; i <= gAppCount && i < static_cast<int>(gAppNames.size()); ++i) {
            const std::string entry = gAppNames[i];
            // The application was put in capitals; only the entry spelt exactly so is kept, one
            // listed in other letters is closed with the rest.
            if (entry == kManagerName || entry == app) continue;
            if (CStrFromPtr(E_GetString(entry.c_str())).empty()) continue;
            SendExitIfActive(entry);
        }
    }
    StartFromTable(window, app);
    return false;
}

}  // namespace

void SetMailboxWindow(MailboxWindow* window) { gMailboxWindow = window; }

void ResetMailboxState() { gMailboxWindow = nullptr; }

void F_AutoTimer_Timer() {
    MailboxWindow* window = gMailboxWindow;
    if (!window) return;
    // Loading or closing under an open dialog would pull the database or the window from under
    // it; the line waits in the mailbox.
    if (ManagerIsModal()) return;
    platform::Timer* timer = window->AutoTimer();
    if (timer) timer->SetEnabled(false);
    bool closing = false;
    RunEvent([&] {
        const char* mail = E_GetString("TOLVIAUTO");
        if (mail) {
            const std::string line = Trim(std::string(mail));
            E_SetString("TOLVIAUTO", "");
            if (!line.empty()) closing = RunMailboxLine(*window, line);
        }
    });
    if (!closing && timer) timer->SetEnabled(true);
}

}  // namespace tolvi
