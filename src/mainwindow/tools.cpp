#include "mainwindow/tools.h"

#include "common/general_settings.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/startup.h"
#include "platform/paths.h"
#include "platform/process_launcher.h"
#include "platform/suite_bus.h"
#include "platform/ui.h"

namespace tolvi {

std::string ModuleCommandLine(const std::string& appDir, const std::string& app, const std::string& iniFile,
                              int32_t autoHelp, const std::string& sep) {
    return "\"" + appDir + sep + app + "\" \"" + iniFile + "\" \"" + std::to_string(autoHelp) + "\"";
}

std::vector<std::string> ModuleArguments(const std::string& appDir, const std::string& app,
                                         const std::string& iniFile, int32_t autoHelp) {
    return {platform::JoinPath(appDir, app), iniFile, std::to_string(autoHelp)};
}

void Ap_ConvtActivate(const std::string& App) {
    const std::string app = App;
    std::string caption;
    int32_t winState = 0, w3 = 0, w4 = 0, w5 = 0;
    GetAppState(app, caption, winState, w3, w4, w5);
    // A state string left by a program that has ended cannot be activated: start a new one.
    if (!caption.empty() && platform::suiteBus().Activate(app, winState == 1)) return;
    if (!platform::processLauncher().Start(ModuleArguments(gAppDir, app, gIniFile, ReadAutoHelpFlag()))) {
        platform::ui().MsgBox("Can't start: " + app, 4144, "Tolvi32");
        return;
    }
    E_SetString(("MW_" + UpperAscii(app)).c_str(), "1");
}

}  // namespace tolvi
