#include "mainwindow/ascii_commands.h"

#include <optional>
#include <string>

#include "common/context_help.h"
#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/localisation.h"
#include "common/option_store.h"
#include "interchange/exporter.h"
#include "interchange/quvsasc.h"
#include "mainwindow/app_list.h"
#include "mainwindow/db_commands.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

constexpr int kSaveFlags = 0x2006;  // create prompt, overwrite prompt, hide read-only

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
        request.flags = kSaveFlags;
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

void M_DbAsave_Click() {
    int32_t busy = 0;
    std::string caption;
    CheckBusy(busy, caption);
    ShowContextHelp(1, 6, 0, 0);
    if (busy != 0) return;
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
