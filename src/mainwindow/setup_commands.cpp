#include "mainwindow/setup_commands.h"

#include <string>

#include "common/context_help.h"
#include "common/dialog_state.h"
#include "common/option_store.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/command_routing.h"
#include "setup/setup_forms.h"

namespace tolvi {

namespace {

bool FormExists(const char* form) {
    for (const SetupFormInfo& f : SetupForms())
        if (std::string(f.name) == form) return true;
    return false;
}

}  // namespace

void RunSetupItem(const char* item) {
    for (const SetupCommand& c : SetupCommands())
        if (std::string(c.item) == item) return RunSetupCommand(c);
}

const std::vector<SetupCommand>& SetupCommands() {
    using B = SetupBusyTest;
    using A = SetupAfterAccept;
    static const std::vector<SetupCommand> commands = {
        {"M_Texts", "OPTNTEXT", 2, 5, 1, 0, B::CurrentOnly, true, A::UpAndLinksInCurrent},
        {"M_Cond", "OPTNLSIZ", 2, 5, 2, 0, B::CurrentOnly, true, A::UpAndLinksInCurrent},
        {"M_Grids", "OPTNGRID", 2, 5, 3, 0, B::CurrentOnly, true, A::UpAndLinksInCurrent},
        {"M_Layers", "OPTNLNAM", 2, 6, 0, 0, B::CurrentOnly, true, A::UpAndLinksInCurrent},
        {"M_SchCC", "OPTNCLSC", 2, 4, 1, 0, B::CurrentOnly, true, A::UpAndLinksInCurrent},
        {"M_LayLC", "OPTNLCLR", 2, 4, 2, 0, B::CurrentOnly, true, A::UpAndLinksInCurrent},
        {"M_LayCC", "OPTNCLLC", 2, 4, 3, 0, B::CurrentOnly, true, A::UpAndLinksInCurrent},
        {"M_Pads", "OPTNPLIB", 2, 3, 3, 0, B::CurrentOnly, true, A::UpAndLinksInCurrent},
        {"M_DefSchematic", "OPTNFRMS", 2, 7, 1, 0, B::Always, false, A::UpAndLinksInCurrent},
        {"M_DefLayout", "OPTNBORD", 2, 7, 2, 0, B::Always, false, A::Nothing},
        {"M_Dirs", "QUVDIRS", 2, 3, 1, 0, B::AlwaysBeforeTopic, false, A::UpAndLinks},
        {"M_LibS", "OPTNLIBS", 2, 3, 2, 0, B::AlwaysBeforeTopic, false, A::UpAndLinks},
        {"M_Aps", "POSTAPT", 2, 3, 4, 0, B::Always, false, A::UpToPostpro},
        {"M_PackPref", "OPTNPACK", 2, 8, 0, 0, B::Always, false, A::PackagingChanged},
        {"M_BackUp", "OPTNBACK", 2, 9, 0, 0, B::Always, true, A::Nothing},
        {"M_App", "OPTNAPPS", 2, 10, 0, 0, B::Always, true, A::Nothing},
    };
    return commands;
}

void RunSetupCommand(const SetupCommand& c) {
    if (!FormExists(c.form)) return;
    bool busy = c.busy == SetupBusyTest::AlwaysBeforeTopic && IsBusy();
    ShowContextHelp(c.menu, c.subMenu, c.tool, c.subTool);
    if (c.busy == SetupBusyTest::Always || (c.busy == SetupBusyTest::CurrentOnly && OptionsAreCurrent()))
        busy = IsBusy();
    if (busy) return;

    QWidget* form = CreateSetupForm(c.form, gMainForm);
    ShowOptionForm(form, c.suffix ? -1 : 0);

    const bool accepted = gDlgAccepted != 0;
    switch (c.after) {
        case SetupAfterAccept::Nothing:
            break;
        case SetupAfterAccept::UpAndLinksInCurrent:
            if (!OptionsAreCurrent()) break;
            [[fallthrough]];
        case SetupAfterAccept::UpAndLinks:
            if (!accepted) break;
            NotifyAll("UP");
            ConnectCommandLinks();
            break;
        case SetupAfterAccept::UpToPostpro:
            if (accepted) SendToApp("QUVLAYPS", "UP");
            break;
        case SetupAfterAccept::PackagingChanged:
            if (accepted) NotifyAll("PX");
            break;
    }
}

void M_Texts_Click() { RunSetupItem("M_Texts"); }
void M_Cond_Click() { RunSetupItem("M_Cond"); }
void M_Grids_Click() { RunSetupItem("M_Grids"); }
void M_Layers_Click() { RunSetupItem("M_Layers"); }
void M_SchCC_Click() { RunSetupItem("M_SchCC"); }
void M_LayLC_Click() { RunSetupItem("M_LayLC"); }
void M_LayCC_Click() { RunSetupItem("M_LayCC"); }

}  // namespace tolvi
