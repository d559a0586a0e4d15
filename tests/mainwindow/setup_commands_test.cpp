#include "mainwindow/setup_commands.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <algorithm>
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
};

// Each item: help topic always recorded; in Current scope a busy module stops it (with the busy
// box); the caption carries the scope; after an Accept in Current scope "UP" goes to the modules
// and the command links are refreshed, after a Cancel or in Default scope nothing.
TEST_F(SetupMenu, ItemsOfTheSizeColourAndLayerDialogs) {
    const struct {
        void (*click)();
        const char* form;
        int32_t topic;
    } items[] = {
        {&M_Texts_Click, "OPTNTEXT", 13836}, {&M_Cond_Click, "OPTNLSIZ", 13848},
        {&M_Grids_Click, "OPTNGRID", 13860}, {&M_Layers_Click, "OPTNLNAM", 13968},
        {&M_SchCC_Click, "OPTNCLSC", 13703}, {&M_LayLC_Click, "OPTNLCLR", 13715},
        {&M_LayCC_Click, "OPTNCLLC", 13727},
    };
    for (const auto& item : items) {
        for (int32_t scope : {0, -1}) {
            for (bool busy : {false, true}) {
                for (bool accept : {true, false}) {
                    SCOPED_TRACE(std::string(item.form) + " scope " + std::to_string(scope) +
                                 (busy ? " busy" : "") + (accept ? " accept" : " cancel"));
                    ResetStores();
                    if (scope != 0) UseCurrentScope();
                    E_SetString("QUVSCHED", busy ? "Capture, 0, 1, 0, 0" : "Capture, 0, 0, 0, 0");
                    gHelpTopic = 0;
                    fakes.journal.clear();
                    const int linkAttempts = platform::suiteBus().LinkAttempts();
                    const bool shown = !(busy && scope != 0);
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
                    EXPECT_EQ(gHelpTopic, item.topic);
                    if (shown) {
                        const std::string suffix = scope != 0 ? " (Current)" : " (Default)";
                        EXPECT_TRUE(caption.ends_with(suffix)) << caption;
                    } else {
                        EXPECT_EQ(scriptedUi().boxes.back().text, "Finish current operation for: Capture");
                    }
                    const bool told = shown && accept && scope != 0;
                    const bool up =
                        std::count(fakes.journal.begin(), fakes.journal.end(), "QUVSCHED notify - All,UP");
                    EXPECT_EQ(up, told);
                    EXPECT_EQ(platform::suiteBus().LinkAttempts() > linkAttempts, told);
                    scriptedUi().Reset();
                }
            }
        }
    }
}

// The dialogs of the sets that live in the settings file: every item runs the busy test in
// either scope; after an Accept the directories and the page formats tell the modules "UP" and
// refresh the links (the page formats only in Current scope), the packaging preferences "PX"
// without the links, the others nothing. The backup dialog's caption drops the scope again.
TEST_F(SetupMenu, ItemsOfTheSettingsFileDialogs) {
    const struct {
        const char* item;
        const char* form;
        int32_t topic;
        bool scopeShown;   // the caption ends with the scope
        const char* told;  // nullptr: nothing
        bool onlyInCurrent;
        bool links;
    } items[] = {
        {"M_Dirs", "QUVDIRS", 13570, false, "UP", false, true},
        {"M_DefSchematic", "OPTNFRMS", 14102, false, "UP", true, true},
        {"M_DefLayout", "OPTNBORD", 14114, false, nullptr, false, false},
        {"M_PackPref", "OPTNPACK", 14234, false, "PX", false, false},
        {"M_BackUp", "OPTNBACK", 14367, false, nullptr, false, false},
        {"M_App", "OPTNAPPS", 14500, true, nullptr, false, false},
    };
    for (const auto& item : items) {
        for (int32_t scope : {0, -1}) {
            for (bool busy : {false, true}) {
                for (bool accept : {true, false}) {
                    SCOPED_TRACE(std::string(item.item) + " scope " + std::to_string(scope) +
                                 (busy ? " busy" : "") + (accept ? " accept" : " cancel"));
                    ResetStores();
                    if (scope != 0) UseCurrentScope();
                    E_SetString("QUVSCHED", busy ? "Capture, 0, 1, 0, 0" : "Capture, 0, 0, 0, 0");
                    gHelpTopic = 0;
                    fakes.journal.clear();
                    const int linkAttempts = platform::suiteBus().LinkAttempts();
                    std::string caption;
                    if (!busy) {
                        scriptedUi().QueueModal(item.form, [&](QWidget* form) {
                            caption = form->windowTitle().toStdString();
                            auto* dialog = static_cast<SetupDialog*>(form);
                            (accept ? dialog->F_Accept : dialog->F_Cancel)->click();
                        });
                    } else {
                        scriptedUi().QueueAnswer(platform::kAnswerOk);
                    }
                    RunSetupItem(item.item);
                    scriptedUi().Verify();
                    EXPECT_EQ(gHelpTopic, item.topic) << "recorded, busy or not";
                    if (!busy) {
                        const bool suffixed =
                            caption.ends_with(" (Current)") || caption.ends_with(" (Default)");
                        EXPECT_EQ(suffixed, item.scopeShown) << caption;
                        if (suffixed)
                            EXPECT_TRUE(caption.ends_with(scope != 0 ? " (Current)" : " (Default)"));
                    } else {
                        EXPECT_EQ(scriptedUi().boxes.back().text, "Finish current operation for: Capture");
                    }
                    const bool told = !busy && accept && item.told && (!item.onlyInCurrent || scope != 0);
                    for (const char* cmd : {"UP", "PX"}) {
                        const bool sent = std::count(fakes.journal.begin(), fakes.journal.end(),
                                                     std::string("QUVSCHED notify - All,") + cmd);
                        EXPECT_EQ(sent, told && std::string(item.told) == cmd) << cmd;
                    }
                    EXPECT_EQ(platform::suiteBus().LinkAttempts() > linkAttempts, told && item.links);
                    scriptedUi().Reset();
                }
            }
        }
    }
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
    EXPECT_EQ(expected.size(), 13u);
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
