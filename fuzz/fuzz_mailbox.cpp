// The mailbox line as another program of the suite leaves it on the kernel string board (the
// input up to its first zero byte), carried out by one mailbox tick.
//
// The tick must take the line off the board; start at most one program, and only one of the
// start table; close the manager only without starting anything, leaving the mailbox timer off,
// and otherwise switch the timer on again with a database open; and a blank line does nothing.
// The job directory holds BOARD.TPB, so that loads can succeed too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "fuzz_support.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/mailbox.h"
#include "platform/suite_bus.h"
#include "platform/timer.h"
#include "platform/ui.h"

namespace {

using namespace tolvi;

class Window : public MailboxWindow {
public:
    Window() { timer->SetEnabled(true); }
    std::unique_ptr<platform::Timer> timer = platform::CreateTimer();  // one that never fires
    std::vector<std::string> started;
    bool unloaded = false;
    platform::Timer* AutoTimer() override { return timer.get(); }
    void RunStartCommand(std::string_view handler) override { started.emplace_back(handler); }
    void UnloadForced() override { unloaded = true; }
};

void Fresh() {
    KernelResetForTests();
    platform::ResetSuiteBusState();
    gDbTitle = "Untitled";
    CreateEmptyDatabase();
    gAppNames = {"", "TOLVI32", "QUVSCHED", "QUVLAYED", "QUVSIM"};
    gAppCount = 4;
    gMsgTolvi = platform::suiteBus().RegisterMessage("TOLVI32");
    for (const char* app : {"QUVSCHED", "QUVLAYED"}) {
        E_SetString((std::string("MW_") + app).c_str(), "1");
        E_SetString(app, "Window, 0, 0, 0, 0");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        platform::SetUi(nullptr);  // the silent service: no box needs a display
        gJobDir = fuzz::ScratchDir();
        gIniFile = gJobDir + "/TOLVI32.INI";
        KernelResetForTests();
        DB_CreateDataBase("BOARD", "MAINHIER", "MAINPAGE");
        if (DB_SaveDataBase((gJobDir + "/BOARD.TPB").c_str()) == 0) std::abort();
        return true;
    }();
    (void)ready;
    Fresh();
    Window window;
    SetMailboxWindow(&window);
    const std::string line(reinterpret_cast<const char*>(data), size);
    E_SetString("TOLVIAUTO", line.c_str());
    F_AutoTimer_Timer();
    platform::suiteBus().DeliverPending();
    SetMailboxWindow(nullptr);

    if (!CStrFromPtr(E_GetString("TOLVIAUTO")).empty()) std::abort();
    if (window.started.size() > 1) std::abort();
    for (const std::string& handler : window.started) {
        bool listed = false;
        for (const auto& [app, command] : kMailboxStartTable) listed = listed || handler == command;
        if (!listed) std::abort();
    }
    if (window.unloaded) {
        if (!window.started.empty() || window.timer->Enabled()) std::abort();
    } else if (!window.timer->Enabled() || DB_DataBase() == 0 || DB_CurHier() == 0) {
        std::abort();
    }
    if (Trim(line.c_str()).empty() && (window.unloaded || !window.started.empty())) std::abort();
    return 0;
}
