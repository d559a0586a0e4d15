#include "mainwindow/module_commands.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/context_help.h"
#include "common/general_settings.h"
#include "common/localisation.h"
#include "common/settings_access.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/module_registry.h"
#include "mainwindow/tools.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

// Starts or raises module, handing it file when one is given, under the busy pointer; nothing
// while a module is busy.
void Launch(const char* module, std::string file = {}) {
    if (IsBusy()) return;
    platform::BusyPointerGuard busy;
    int16_t mode = 0;
    InitializeApp(module, mode, file);
}

}  // namespace

void M_LoMEd_Click() { Launch("QUVLOMED"); }
void M_CmndInt_Click() { Launch("QUVCMDIT"); }
void M_DesView_Click() { Launch("QUVVIEWR"); }
void M_LibView_Click() { Launch("QUVLIBSV"); }
void M_LibSearch_Click() { Launch("QUVLIBSC"); }
void M_LibList_Click() { Launch("QUVLIBDC"); }
void M_ValcorLib_Click() { Launch("QUVSPCLE"); }
void M_ExpZOT3_Click() { Launch("QUVTOZOT"); }
void M_DXFSch_Click() { Launch("QUVDXFSC"); }
void M_DXFLay_Click() { Launch("QUVDXFLY"); }
void M_Short_Click() { Launch("QUVCSTMZ"); }
void M_LibEdit_Click() { Launch("QUVLIBED"); }
void M_Schema_Click() { Launch("QUVSCHED"); }
void M_Layout_Click() { Launch("QUVLAYED"); }
void M_Post_Click() { Launch("QUVLAYPS"); }
void M_Msim_Click() { Launch("QUVSIM"); }
void M_Valcor_Click() { Launch("QUVSPCED"); }
void M_Thermo_Click() { Launch("QUVTHERM"); }
void M_Ema_Click() { Launch("QUVEMA"); }

void M_Cap_Click(int Index) {
    if (IsBusy()) return;
    if (gUserApsNames.empty()) return;
    ParseList(gUserApsNames);
    if (Index < 1 || static_cast<std::size_t>(Index) >= gTokStr.size()) return;
    const std::string app = gTokStr[static_cast<std::size_t>(Index)];
    platform::BusyPointerGuard busy;
    ActivateApp(app);
    ConnectCommandLinks();
}

void M_ViewF_Click() {
    // Viewing a file is a convenience: a failure here (a dialog that cannot be shown) ends the
    // command quietly, and the viewer is never started without a file.
    try {
        platform::FileDialogRequest request;
        request.title = GetLocalString("Tolvi32 - Select File", "10161");
        request.filter = "ASCII Files (*.*)|*.*";
        request.initDir = gJobDir;
        request.flags = platform::kOpenDialogFlags;
        const std::optional<std::string> chosen = platform::ui().FileDialog(request);
        ShowContextHelp(1, 9, 0, 0);
        if (!chosen || chosen->empty()) return;
        Launch("QUVSPCVR", *chosen);
    } catch (...) {
        // Ended quietly; the guard has put the pointer back.
    }
}

void M_ConvManager_Click() {
    if (IsBusy()) return;
    platform::BusyPointerGuard busy;
    Ap_ConvtActivate("QUVCONVT");
    ConnectCommandLinks();
}

void RunModuleLauncher(std::string_view handler) {
    static const std::map<std::string_view, void (*)()> kLaunchers = {
        {"M_Msim_Click", M_Msim_Click},     {"M_LibEdit_Click", M_LibEdit_Click},
        {"M_Schema_Click", M_Schema_Click}, {"M_Layout_Click", M_Layout_Click},
        {"M_Post_Click", M_Post_Click},     {"M_Valcor_Click", M_Valcor_Click},
        {"M_Thermo_Click", M_Thermo_Click}, {"M_Ema_Click", M_Ema_Click},
    };
    if (auto it = kLaunchers.find(handler); it != kLaunchers.end()) it->second();
}

}  // namespace tolvi
