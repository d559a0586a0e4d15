#include "mainwindow/app_list.h"

#include <QApplication>
#include <QWidget>
#include <exception>

#include "common/context_help.h"
#include "common/dialog_state.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/command_routing.h"
#include "mainwindow/module_registry.h"
#include "mainwindow/startup.h"
#include "platform/paths.h"
#include "platform/qt/codec.h"
#include "platform/suite_bus.h"
#include "platform/ui.h"

namespace tolvi {
namespace {

std::string NumField(int32_t v) { return v < 0 ? std::to_string(v) : " " + std::to_string(v); }

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        out.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

int32_t FieldNumber(const std::string& field) {
    int32_t v = 0;
    RoundHalfEven(ParseNumber(field), v);
    return v;
}

// The kernel string under key; "" when it is not set.
std::string BoardString(const std::string& key) { return CStrFromPtr(E_GetString(key.c_str())); }

void ClearBoardString(const std::string& key) { E_SetString(key.c_str(), ""); }

QWidget* FindWindowByCaption(const std::string& caption) {
    const QString title = platform::ToQString(caption);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() || w->isMinimized())
            if (w->windowTitle() == title) return w;
    }
    return nullptr;
}

}  // namespace

void ResetAppListState() {
    gTolviApsList.clear();
    gUserApsNames.clear();
    gUserApsCaptions.clear();
    gAllAps.clear();
    gAppNames.assign(1, "");
    gAppCount = 0;
    gMsgTolvi = 0;
    gMainForm = nullptr;
}

void LoadApplicationLists() {
    gTolviApsList.clear();
    gUserApsNames.clear();
    gUserApsCaptions.clear();
    std::string value;
    bool first = true;
    for (int n = 1; n <= 50; ++n) {
        IniGetString("TolviAps", std::to_string(n), "none", value);
        if (value == "none") continue;
        gTolviApsList += (first ? "" : ",") + value;
        first = false;
    }
    bool userTaken = false;
    for (int n = 1;; ++n) {
        IniGetString("UserAps", std::to_string(n), "none", value);
        if (value == "none") break;
        if (value.empty()) continue;
        ParseList(value);
        if (gTokNum[0] != 2.0f) continue;
        const std::string name = gTokStr[1], caption = gTokStr[2];
        gUserApsNames += (userTaken ? "," : "") + name;
        gUserApsCaptions += (userTaken ? "," : "") + caption;
        userTaken = true;
    }
    gAllAps = gTolviApsList + (userTaken ? "," : "") + gUserApsNames;
    E_SetString("AllAps", gAllAps.c_str());
}

void InitAppList() {
    gAppNames.assign(1, "");
    gAppCount = 0;
    gMsgTolvi = platform::suiteBus().RegisterMessage("TOLVI32");
    const std::string all = BoardString("AllAps");
    if (all.empty()) return;
    ParseList(all);
    gAppCount = static_cast<int32_t>(gTokStr.size()) - 1;
    for (int32_t i = 1; i <= gAppCount; ++i) gAppNames.push_back(gTokStr[static_cast<std::size_t>(i)]);
}

void ClearAppStates() {
    for (int32_t i = 1; i <= gAppCount; ++i) ClearBoardString(gAppNames[static_cast<std::size_t>(i)]);
}

std::string FormatAppState(const std::string& caption, int32_t winState, int32_t w3, int32_t w4, int32_t w5) {
    return caption + "," + NumField(winState) + "," + NumField(w3) + "," + NumField(w4) + "," + NumField(w5);
}

AppState ParseAppState(const std::string& text) {
    AppState s;
    std::vector<std::string> f = SplitCommas(text);
    std::size_t numbersFrom = 1;
    if (f.size() > 5) {
        // A caption with commas: the numbers are always the last four fields.
        numbersFrom = f.size() - 4;
        s.caption = f[0];
        for (std::size_t i = 1; i < numbersFrom; ++i) s.caption += "," + f[i];
    } else {
        s.caption = f[0];
    }
    int32_t* numbers[4] = {&s.winState, &s.w3, &s.w4, &s.w5};
    for (std::size_t k = 0; k < 4 && numbersFrom + k < f.size(); ++k)
        *numbers[k] = FieldNumber(f[numbersFrom + k]);
    return s;
}

void PublishMainState(int32_t Active, int32_t Mode) {
    std::string text;
    if (Active != 0) {
        std::string caption;
        int32_t winState = 0;
        if (gMainForm) {
            caption = platform::FromQString(gMainForm->windowTitle());
            if (gMainForm->isMinimized())
                winState = 1;
            else if (gMainForm->isMaximized())
                winState = 2;
        }
        text = FormatAppState(caption, winState, 0, Mode, gModalDepth);
    }
    E_SetString("TOLVI32", text.c_str());
}

bool IsModuleActive(const std::string& Name) {
    return Trim(BoardString("MW_" + UpperAscii(Trim(Name)))) == "1";
}

void GetAppState(const std::string& App, std::string& Caption, int32_t& WinState, int32_t& W3, int32_t& W4,
                 int32_t& W5) {
    Caption.clear();
    WinState = W3 = W4 = W5 = 0;
    if (IsModuleActive(App)) {
        const std::string text = BoardString(App);
        if (text.empty()) return;
        const AppState s = ParseAppState(text);
        Caption = s.caption;
        WinState = s.winState;
        W3 = s.w3;
        W4 = s.w4;
        W5 = s.w5;
    } else {
        ClearBoardString(Trim(App));
    }
}

void CheckBusy(int32_t& Flag, std::string& Caption) {
    const bool quiet = Flag != 0;
    // A copy: a box may let other commands run, and they must not change the walk.
    const std::vector<std::string> names = gAppNames;
    for (int32_t i = 1; i <= gAppCount && static_cast<std::size_t>(i) < names.size(); ++i) {
        const std::string& app = names[static_cast<std::size_t>(i)];
        if (app == "TOLVI32") continue;
        if (IsModuleActive(app)) {
            const std::string text = BoardString(app);
            if (text.empty()) continue;
            const AppState s = ParseAppState(text);
            if (s.w3 != 0 || s.w4 != 0 || s.w5 != 0) {
                Flag = 1;
                Caption = s.caption;
                if (!quiet)
                    platform::ui().MsgBox(GetLocalString("Finish current operation for: ", "99688") + Caption,
                                          4144, gAppTitle);
                return;
            }
        } else {
            ClearBoardString(Trim(app));
        }
    }
    Flag = 0;
}

bool IsBusy() {
    int32_t flag = 0;
    std::string caption;
    CheckBusy(flag, caption);
    return flag != 0;
}

void ActivateApp(const std::string& App) {
    std::string caption;
    int32_t winState = 0, w3 = 0, w4 = 0, w5 = 0;
    GetAppState(App, caption, winState, w3, w4, w5);
    if (!caption.empty()) {
        // Restored and raised rather than sent an Enter keystroke, which could press a default
        // button in the application.
        if (QWidget* w = FindWindowByCaption(caption)) {
            if (winState == 1 || w->isMinimized()) w->showNormal();
            w->raise();
            w->activateWindow();
            return;
        }
        if (platform::suiteBus().Activate(App, winState == 1)) return;
    }
    int16_t mode = 0;
    std::string file;
    InitializeApp(App, mode, file);
}

void StartModule(const std::string& App, int32_t Mode) {
    int16_t mode = static_cast<int16_t>(Mode);
    std::string file;
    InitializeApp(App, mode, file);
}

void SendExitIfActive(const std::string& App) {
    if (IsModuleActive(App)) SendToApp(App, "EX");
}

void ExitAllModules() {
    // Each step on its own: a peer that fails must not keep the others from hearing of the close.
    auto guarded = [](auto&& step) {
        try {
            step();
        } catch (...) {
        }
    };
    guarded([] { platform::suiteBus().Broadcast(gMsgTolvi, 3); });
    guarded([] { ShowHelpFile(platform::JoinPath(gAppDir, "TOLVI32.HLP"), 2, ""); });
    const std::vector<std::string> names = gAppNames;
    for (int32_t i = 1; i <= gAppCount && static_cast<std::size_t>(i) < names.size(); ++i) {
        const std::string& app = names[static_cast<std::size_t>(i)];
        if (app == "TOLVI32") continue;
        if (BoardString(app).empty()) continue;
        guarded([&] { SendExitIfActive(app); });
    }
    guarded([] { NotifyAll("EX"); });
}

}  // namespace tolvi
