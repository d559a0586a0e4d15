#include "mainwindow/ascii_commands.h"

#include <optional>
#include <string>

#include "common/boxes.h"
#include "common/context_help.h"
#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/localisation.h"
#include "common/option_store.h"
#include "common/utilities.h"
#include "interchange/ascii_loader.h"
#include "interchange/exporter.h"
#include "interchange/quvlasc.h"
#include "interchange/quvsasc.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/command_routing.h"
#include "mainwindow/db_commands.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

// The ASCII file to load; "" when the dialog was cancelled, gave no name or failed.
std::string ChooseAsciiFile() {
    try {
        platform::FileDialogRequest request;
        request.defaultExt = "TPA";
        request.filter =
            "All ASCII Databases (*.TPA;*.TDA)|*.TPA;*.TDA|Tolvi32 ASCII Database(*.TPA)|*.TPA|Tolvi ASCII "
            "Database(*.TDA)|*.TDA";
        request.filterIndex = 1;
        request.title = GetLocalString("Tolvi32 - Select ASCII Database to Load:", "10158");
        request.initDir = gJobDir;
        request.flags = platform::kOpenDialogFlags;
        return platform::ui().FileDialog(request).value_or("");
    } catch (...) {
        return "";
    }
}

struct Target {
    const char* defaultExt;
    const char* filter;
    const char* title;
    const char* titleId;
    const char* extension;  // of the proposed name
    int32_t mode;
};

// The save dialog for target, proposing the database's name; then the window in target's mode.
// A cancelled dialog, an empty name or a failure of the dialog ends the command.
void ChooseAndExport(const Target& target) {
    std::string chosen;
    try {
        platform::FileDialogRequest request;
        request.defaultExt = target.defaultExt;
        request.filter = target.filter;
        request.title = GetLocalString(target.title, target.titleId);
        request.initDir = gJobDir;
        request.fileName = gDbName + target.extension;
        request.flags = platform::kSaveDialogFlags;
        request.save = true;
        chosen = platform::ui().FileDialog(request).value_or("");
    } catch (...) {
        return;
    }
    if (chosen.empty()) return;
    gExportFile = chosen;
    gExportMode = target.mode;
    QWidget* form = new QUVSASC(gMainForm);
    ShowOptionForm(form, 0);
}

void ExportCommand(int32_t subTool, const Target& target) {
    ShowContextHelp(1, 13, subTool, 0);
    if (IsBusy()) return;
    ChooseAndExport(target);
}

}  // namespace

void M_DbAload_Click() {
    if (BusyWithHelp(1, 7)) return;
    // The questions of this command carry the program's title; the title before it comes back on
    // every way out.
    struct KeepTitle {
        std::string kept = gMsgTitle;
        ~KeepTitle() { gMsgTitle = kept; }
    } keep;
    gMsgTitle = "Tolvi32";
    if (IsDatabaseChanged()) {
        if (!SaveChangedBeforeLoad(GetLocalString("Save ?", "10292"))) return;
    } else if (!AskYesNo(ClearQuestion("Current Database ", " will be cleared."))) {
        return;
    }
    // Cleared before a file is chosen, as the question said.
    gDbPath.clear();
    ClearDatabase(0, 2);
    MakeHeaps(0);
    NotifyAll("UP");

    const std::string chosen = ChooseAsciiFile();
    if (chosen.empty()) return;
    gExportFile = chosen;
    QWidget* form = new QUVLASC(gMainForm);
    ShowOptionForm(form, 0);
    MakeHeaps(0);
    if (gAsciiLoadOK) {
        NotifyAll("UP");
        SetDatabaseChanged(0);
        ConnectCommandLinks();
    }
}

void M_DbAsave_Click() {
    if (BusyWithHelp(1, 6)) return;
    ReadDbLabel();
    if (!CheckDbPassword()) return;
    ChooseAndExport(
        {"TPA", "ASCII Databases (*.TPA)|*.TPA", "Tolvi32 - ASCII Database File Name:", "10138", ".TPA", 1});
}

void M_ExpWlist_Click() {
    ExportCommand(
        1, {"WRL", "Wirelist Files (*.WRL)|*.WRL", "Tolvi32 - Wirelist File Name:", "10164", ".wrl", 2});
}

void M_ExpSciNlist_Click() {
    ExportCommand(2, {"NET", "Scicards Netlist Files (*.NET)|*.NET", "Scicards Netlist File Name:", "10250",
                      ".net", 3});
}

void M_ExpOrCadPCBII_Click() {
    ExportCommand(3, {"NET", "OrCad PCB II Files (*.NET)|*.NET", "OrCad PCB II Wirelist File Name:", "10216",
                      ".net", 4});
}

}  // namespace tolvi
