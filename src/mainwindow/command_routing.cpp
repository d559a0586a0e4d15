#include "mainwindow/command_routing.h"

#include <cstdint>
#include <exception>
#include <optional>

#include "common/db_session.h"
#include "common/numbers.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/module_registry.h"
#include "platform/suite_bus.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

std::string Token(int i) { return i < static_cast<int>(gTokStr.size()) ? gTokStr[i] : std::string(); }

int TokenCount() { return static_cast<int>(gTokStr.size()) - 1; }

// One module's NotifyMe. A failing module must not keep the others from hearing the command,
// nor throw back into a module that raised it; its failure is shown and the walk goes on.
void CallNotifyMe(platform::DesignModule& module, const std::optional<std::string>& target,
                  const std::string& cmd) {
    try {
        module.NotifyMe(target, cmd);
    } catch (const std::exception& e) {
        ShowCommandFailure(e.what());
    } catch (...) {
        ShowCommandFailure("Unknown error");
    }
}

}  // namespace

void ShowCommandFailure(const std::string& description) {
    platform::ui().MsgBox(description, platform::kStyleOk, gAppTitle);
}

void RunEvent(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        platform::ui().SetBusyPointer(false);
        ShowCommandFailure(e.what());
    } catch (...) {
        platform::ui().SetBusyPointer(false);
        ShowCommandFailure("Unknown error");
    }
}

void ProcessCmd(const std::string& Target, const std::string& Cmd) {
    const std::string target = Target;
    const std::string cmd = Cmd;
    ParseList(cmd);
    if (TokenCount() < 1) return;
    const std::string keyword = UpperAscii(Trim(Token(1)));
    if (keyword == "SHUTDOWN") {
        ShutDownApp(target);
    } else if (keyword == "SHELL") {
        int16_t mode = 0;
        // A mode beyond 16 bits is a failure that ends the command: nothing is started.
        if (TokenCount() >= 2 && !RoundHalfEven(static_cast<double>(gTokNum[2]), mode)) return;
        std::string file = TokenCount() >= 3 ? Token(3) : std::string();
        InitializeApp(target, mode, file);
    } else if (keyword == "ALL") {
        AP_ExeCmd(cmd);
    } else {
        RouteCmd(target, cmd);
    }
}

void RouteCmd(const std::string& Target, const std::string& Cmd) {
    const std::string target = Target;
    const std::string cmd = Cmd;
    if (UpperAscii(Trim(target)) == kManagerName) {
        AP_ExeCmd(cmd);
        return;
    }
    for (const auto& entry : ServerSnapshot())
        if (entry.second) CallNotifyMe(*entry.second, target, cmd);
}

void AP_ExeCmd(const std::string& Cmd) {
    const std::string cmd = Cmd;
    if (cmd.empty()) return;
    RunEvent([&] {
        ParseList(cmd);
        const int count = TokenCount();
        const std::string t1 = Token(1);
        const std::string t2 = Token(2);
        const std::string t3 = Token(3);
        if (t1 == "All" || t1 == kManagerName) {
            if (count >= 2 && t2 == "UP") {
                gDbTitle = CStrFromPtr(O_GetName(DB_DataBase()));
                UpdateMainCaption(gDbHandle);
                PublishMainState(-1, 0);
            } else if (count >= 3 && t2 == "ST") {
                // "ST" without a name has nothing to act on and is ignored.
                platform::BusyPointerGuard busy;
                ActivateApp(t3);
                ConnectCommandLinks();
            }
        }
        if (t1 == kManagerName) return;
        // A target without a command is ignored: typing "@QUVSCHED$" must not raise a box.
        const std::size_t comma = cmd.find(',');
        if (comma == std::string::npos) return;
        const std::string rest = cmd.substr(comma + 1);
        if (t1 == "All")
            NotifyAll(rest);
        else
            SendToApp(t1, rest);
    });
}

void NotifyClients(const std::string& Msg) {
    const std::string msg = Msg;
    for (const auto& entry : ServerSnapshot())
        if (entry.second) CallNotifyMe(*entry.second, std::nullopt, msg);
}

void NotifyAll(const std::string& Cmd) {
    const std::string line = "All," + Cmd;
    NotifyClients(line);
    platform::suiteBus().Publish(kManagerName, line);
}

void SendToApp(const std::string& App, const std::string& Cmd) {
    const std::string app = App;
    const std::string cmd = Cmd;
    if (app == kManagerName) return;
    const std::string state = CStrFromPtr(E_GetString(app.c_str()));
    if (state.empty()) return;
    RouteCmd(app, cmd);
    platform::suiteBus().Publish(kManagerName, app + "," + cmd);
}

}  // namespace tolvi
