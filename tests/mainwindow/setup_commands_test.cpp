#include "mainwindow/setup_commands.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/context_help.h"
#include "common/dialog_state.h"
#include "common/option_store.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/fake_module.h"
#include "mainwindow/quvmain.h"
#include "platform/suite_bus.h"
#include "platform/ui.h"
#include "setup/setup_dialog.h"
#include "setup/setup_forms.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::scriptedUi;

// What an Options menu item does, as its row of the menu table says.
struct MenuRow {
    std::function<void()> click;
    const char* form;
    int32_t topic;
    bool busyTestInDefault;  // a busy module stops it in Default scope too
    bool scopeShown;         // the caption ends with the scope
    const char* told;        // after an Accept: "UP" or "PX" to every module; nullptr: nothing
    bool toldOnlyInCurrent;
    bool links;                // the command links are refreshed after telling
    bool postproOnly = false;  // "UP" goes to the post-processor alone
};

class SetupMenu : public test::SetupFixture {
protected:
    test::FakeModules fakes;

    void SetUp() override {
        SetupFixture::SetUp();
        fakes.Register("QUVSCHED");
        int16_t mode = 0;
        std::string arg;
        InitializeApp("QUVSCHED", mode, arg);
        gAppNames = {"", "TOLVI32", "QUVSCHED", "APP3"};
        gAppCount = 3;
        CreateCommandLinks();
    }

    void CheckMenuItems(const std::vector<MenuRow>& rows);
};

// Each item in either scope, with a module busy or not, ended with Accept or Cancel: the help
// topic is always recorded; a busy module stops it (with the busy box) where its busy test runs;
// the caption carries the scope or not; the modules are told, and the links refreshed, only as
// the row says.
void SetupMenu::CheckMenuItems(const std::vector<MenuRow>& rows) {
    for (const MenuRow& item : rows) {
        for (int32_t scope : {0, -1}) {
            for (bool busy : {false, true}) {
                for (bool accept : {true, false}) {
                    SCOPED_TRACE(std::string(item.form) + " scope " + std::to_string(scope) +
                                 (busy ? " busy" : "") + (accept ? " accept" : " cancel"));
                    ResetStores();
                    if (scope != 0) UseCurrentScope();
                    E_SetString("QUVSCHED", busy ? "Capture, 0, 1, 0, 0" : "Capture, 0, 0, 0, 0");
                    E_SetString("QUVLAYPS", "Post, 0, 0, 0, 0");
                    gHelpTopic = 0;
                    fakes.journal.clear();
                    const int linkAttempts = platform::suiteBus().LinkAttempts();
                    const bool shown = !(busy && (scope != 0 || item.busyTestInDefault));
                    std::string caption;
                    if (shown) {
                        scriptedUi().QueueModal(item.form, [&](QWidget* form) {
                            caption = form->windowTitle().toStdString();
                            auto* dialog = static_cast<SetupDialog*>(form);
                            (accept ? dialog->F_Accept : dialog->F_Cancel)->click();
                        });
                    } else {
                        scriptedUi().QueueAnswer(platform::kAnswerOk);
                    }
                    item.click();
                    scriptedUi().Verify();
                    EXPECT_EQ(gHelpTopic, item.topic) << "recorded, busy or not";
                    if (shown) {
                        const bool suffixed =
                            caption.ends_with(" (Current)") || caption.ends_with(" (Default)");
                        EXPECT_EQ(suffixed, item.scopeShown) << caption;
                        if (suffixed) {
                            EXPECT_TRUE(caption.ends_with(scope != 0 ? " (Current)" : " (Default)"));
                        }
                    } else {
                        EXPECT_EQ(scriptedUi().boxes.back().text, "Finish current operation for: Capture");
                    }
                    const bool told = shown && accept && item.told && (!item.toldOnlyInCurrent || scope != 0);
                    const auto sent = [&](const std::string& line) {
                        return std::count(fakes.journal.begin(), fakes.journal.end(), line) != 0;
                    };
                    for (const char* cmd : {"UP", "PX"})
                        EXPECT_EQ(sent(std::string("QUVSCHED notify - All,") + cmd),
                                  told && !item.postproOnly && std::string(item.told) == cmd)
                            << cmd;
                    EXPECT_EQ(sent("QUVSCHED notify QUVLAYPS UP"), told && item.postproOnly);
                    EXPECT_EQ(platform::suiteBus().LinkAttempts() > linkAttempts, told && item.links);
                    scriptedUi().Reset();
                }
            }
        }
    }
}

// The dialogs of the per-database sets: busy test and "UP" with the links only in Current scope.
TEST_F(SetupMenu, ItemsOfTheSizeColourAndLayerDialogs) {
    CheckMenuItems({
        {&M_Texts_Click, "OPTNTEXT", 13836, false, true, "UP", true, true},
        {&M_Cond_Click, "OPTNLSIZ", 13848, false, true, "UP", true, true},
        {&M_Grids_Click, "OPTNGRID", 13860, false, true, "UP", true, true},
        {&M_Layers_Click, "OPTNLNAM", 13968, false, true, "UP", true, true},
        {&M_SchCC_Click, "OPTNCLSC", 13703, false, true, "UP", true, true},
        {&M_LayLC_Click, "OPTNLCLR", 13715, false, true, "UP", true, true},
        {&M_LayCC_Click, "OPTNCLLC", 13727, false, true, "UP", true, true},
    });
}

// The dialogs of the sets that live in the settings file: the busy test in either scope; after an
// Accept the directories and the page formats tell the modules "UP" and refresh the links (the
// page formats only in Current scope), the packaging preferences "PX" without the links, the
// others nothing. The backup dialog's caption drops the scope again.
TEST_F(SetupMenu, ItemsOfTheSettingsFileDialogs) {
    const auto item = [](const char* name) { return [name] { RunSetupItem(name); }; };
    CheckMenuItems({
        {item("M_Dirs"), "QUVDIRS", 13570, true, false, "UP", false, true},
        {item("M_DefSchematic"), "OPTNFRMS", 14102, true, false, "UP", true, true},
        {item("M_DefLayout"), "OPTNBORD", 14114, true, false, nullptr, false, false},
        {item("M_PackPref"), "OPTNPACK", 14234, true, false, "PX", false, false},
        {item("M_BackUp"), "OPTNBACK", 14367, true, false, nullptr, false, false},
        {item("M_App"), "OPTNAPPS", 14500, true, true, nullptr, false, false},
    });
}

// The library, padstack and aperture items: "UP" with the links after the library search lists
// in either scope and after the padstack library in Current scope only (its caption shows the
// scope); the aperture tables tell the post-processor alone.
TEST_F(SetupMenu, ItemsOfTheLibraryPadstackAndApertureDialogs) {
    const auto item = [](const char* name) { return [name] { RunSetupItem(name); }; };
    CheckMenuItems({
        {item("M_LibS"), "OPTNLIBS", 13582, true, false, "UP", false, true},
        {item("M_Pads"), "OPTNPLIB", 13594, false, true, "UP", true, true},
        {item("M_Aps"), "POSTAPT", 13606, true, false, "UP", false, false, true},
    });
}

TEST_F(SetupMenu, TheMainMenuItemsShowTheirDialogs) {
    QUVMAIN w;
    std::vector<std::string> expected;
    for (const SetupCommand& c : SetupCommands()) {
        if (!std::unique_ptr<QWidget>(CreateSetupForm(c.form))) continue;
        expected.push_back(c.form);
        scriptedUi().QueueModal(c.form,
                                [](QWidget* form) { static_cast<SetupDialog*>(form)->F_Cancel->click(); });
        w.Item(c.item)->trigger();
    }
    EXPECT_EQ(scriptedUi().modalForms, expected);
    EXPECT_EQ(expected.size(), 16u);
}

TEST_F(SetupMenu, ItemsWhoseDialogIsNotBuiltDoNothing) {
    for (const SetupCommand& c : SetupCommands()) {
        if (std::string(c.item) != "M_Dirs") continue;
        E_SetString("QUVSCHED", "Capture, 0, 1, 0, 0");
        RunSetupCommand(SetupCommand{c.item, "NOSUCHFORM", c.menu, c.subMenu, c.tool, c.subTool, c.busy,
                                     c.suffix, c.after});
        EXPECT_EQ(gHelpTopic, 0);
        EXPECT_TRUE(scriptedUi().boxes.empty());
    }
}

}  // namespace
}  // namespace tolvi
