#pragma once
// The Options menu items that show a setup dialog. Each records its help topic, runs the busy
// test as its rule says, shows its dialog (made afresh by form name) through ShowOptionForm, with
// or without the scope suffix, and after an Accept tells the design modules as its row says.
// Rows whose dialog is not built yet do nothing at all.
#include <cstdint>
#include <vector>

namespace tolvi {

enum class SetupBusyTest {
    Always,             // after the help topic is recorded
    AlwaysBeforeTopic,  // before it (the topic is recorded either way)
    CurrentOnly,        // only in Current scope
};

enum class SetupAfterAccept {
    Nothing,
    UpAndLinks,           // "UP" to every module, then the command links refreshed
    UpAndLinksInCurrent,  // the same, only when accepted in Current scope
    UpToPostpro,          // "UP" to the post-processor alone
    PackagingChanged,     // "PX" to every module
};

struct SetupCommand {
    const char* item;                      // menu item, "M_Texts"
    const char* form;                      // dialog, "OPTNTEXT"
    int32_t menu, subMenu, tool, subTool;  // help topic
    SetupBusyTest busy;
    bool suffix;  // scope suffix in the caption
    SetupAfterAccept after;
};

const std::vector<SetupCommand>& SetupCommands();
void RunSetupCommand(const SetupCommand& command);

void M_Texts_Click();
void M_Cond_Click();
void M_Grids_Click();
void M_Layers_Click();
void M_SchCC_Click();
void M_LayLC_Click();
void M_LayCC_Click();

// Runs the command of a menu item of the table ("M_Texts"); other names do nothing.
void RunSetupItem(const char* item);

}  // namespace tolvi
