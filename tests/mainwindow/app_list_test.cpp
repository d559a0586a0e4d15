#include "mainwindow/app_list.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "common/dialog_state.h"
#include "common/settings_access.h"
#include "kernel/kernel.h"
#include "mainwindow/fake_module.h"
#include "mainwindow/startup.h"
#include "platform/help.h"
#include "platform/suite_bus.h"
#include "support/scripted_ui.h"
#include "support/string_board.h"
#include "support/temp_dir.h"

namespace tolvi {
namespace {

using test::Board;
using test::scriptedUi;

void UseSettings(const test::TempDir& dir, const std::string& text) {
    gIniFile = dir.Write("TOLVI32.INI", text);
}

void SetApps(const std::vector<std::string>& names) {
    gAppNames = {""};
    gAppNames.insert(gAppNames.end(), names.begin(), names.end());
    gAppCount = static_cast<int32_t>(names.size());
}

TEST(ApplicationLists, AreReadInKeyOrderWithGapsAndInvalidUserEntries) {
    test::TempDir dir;
    UseSettings(dir,
                "[TolviAps]\n1=TOLVI32\n2=QUVSCHED\n5=QUVLAYED\n51=QUVLAYPS\n"
                "[UserAps]\n1=MYCALC,Calculator\n2=BROKEN\n3=MYVIEW,Viewer\n");
    LoadApplicationLists();
    EXPECT_EQ(gTolviApsList, "TOLVI32,QUVSCHED,QUVLAYED");
    EXPECT_EQ(gUserApsNames, "MYCALC,MYVIEW");
    EXPECT_EQ(gUserApsCaptions, "Calculator,Viewer");
    EXPECT_EQ(Board("AllAps"), "TOLVI32,QUVSCHED,QUVLAYED,MYCALC,MYVIEW");
    InitAppList();
    EXPECT_EQ(gAppCount, 5);
    EXPECT_EQ(gAppNames[3], "QUVLAYED");
    EXPECT_NE(gMsgTolvi, 0u);

    // A missing key ends the user list.
    UseSettings(dir, "[UserAps]\n1=MYCALC,Calculator\n3=MYVIEW,Viewer\n");
    LoadApplicationLists();
    EXPECT_EQ(gUserApsNames, "MYCALC");
    // Without [TolviAps] the list starts with an empty entry.
    EXPECT_EQ(Board("AllAps"), ",MYCALC");
    InitAppList();
    EXPECT_EQ(gAppCount, 2);
    EXPECT_EQ(gAppNames[1], "");
    EXPECT_EQ(gAppNames[2], "MYCALC");
}

TEST(ApplicationLists, ClearAppStatesEmptiesEveryListedString) {
    SetApps({"TOLVI32", "QUVSCHED"});
    E_SetString("TOLVI32", "Tolvi32, 0, 0, 0, 0");
    E_SetString("QUVSCHED", "Capture, 0, 0, 0, 1");
    ClearAppStates();
    EXPECT_EQ(Board("TOLVI32"), "");
    EXPECT_EQ(Board("QUVSCHED"), "");
}

TEST(MainState, IsPublishedInTheTextPeersParse) {
    QWidget main;
    main.setWindowTitle("Cap");
    gMainForm = &main;
    PublishMainState(-1, 0);
    EXPECT_EQ(Board("TOLVI32"), "Cap, 0, 0, 0, 0");
    PublishMainState(-1, -1);
    EXPECT_EQ(Board("TOLVI32"), "Cap, 0, 0,-1, 0");
    gModalDepth = 1;
    main.setWindowState(Qt::WindowMinimized);
    PublishMainState(1, 0);
    EXPECT_EQ(Board("TOLVI32"), "Cap, 1, 0, 0, 1");
    PublishMainState(0, 0);
    EXPECT_EQ(Board("TOLVI32"), "");
}

TEST(AppStateStrings, AreReadWithCommasInTheCaptionAndMissingNumbersAsZero) {
    const struct {
        const char* text;
        const char* caption;
        int32_t ws, w3, w4, w5;
    } cases[] = {
        {"Capture - a,b, 1, 0, 0, 0", "Capture - a,b", 1, 0, 0, 0},  // minimised, not busy
        {"x,y,z, 0, 0, 0, 2", "x,y,z", 0, 0, 0, 2},
        {"Cap, 2, 0,-1, 0", "Cap", 2, 0, -1, 0},
        {"Cap, 0", "Cap", 0, 0, 0, 0},
        {"Cap", "Cap", 0, 0, 0, 0},
        {"Cap, 0, 2.5, 0, 0", "Cap", 0, 2, 0, 0},
    };
    for (const auto& c : cases) {
        const AppState s = ParseAppState(c.text);
        EXPECT_EQ(s.caption, c.caption) << c.text;
        EXPECT_EQ(s.winState, c.ws) << c.text;
        EXPECT_EQ(s.w3, c.w3) << c.text;
        EXPECT_EQ(s.w4, c.w4) << c.text;
        EXPECT_EQ(s.w5, c.w5) << c.text;
    }
    EXPECT_EQ(FormatAppState("a,b", 1, 0, -1, 2), "a,b, 1, 0,-1, 2");
}

TEST(BusyBoard, CheckBusyTable) {
    struct Entry {
        const char* app;
        const char* flag;  // "MW_" value, nullptr = unset
        const char* state;
    };
    const struct {
        const char* what;
        std::vector<Entry> entries;
        int32_t quiet;
        int32_t busy;
        const char* caption;
        std::vector<const char*> cleared;
    } cases[] = {
        {"fifth field set", {{"QUVSCHED", "1", "Capture, 0, 0, 0, 1"}}, 0, 1, "Capture", {}},
        {"all zero", {{"QUVSCHED", "1", "Capture, 0, 0, 0, 0"}}, 0, 0, "", {}},
        {"flag with blanks", {{"QUVSCHED", " 1 ", "Capture, 0, 1, 0, 0"}}, 0, 1, "Capture", {}},
        {"flag 0 clears", {{"QUVSCHED", "0", "Capture, 0, 1, 1, 1"}}, 0, 0, "", {"QUVSCHED"}},
        {"flag unset clears", {{"QUVSCHED", nullptr, "Capture, 0, 1, 1, 1"}}, 0, 0, "", {"QUVSCHED"}},
        {"manager ignored", {{"TOLVI32", "1", "Tolvi32, 0, 0,-1, 1"}}, 0, 0, "", {}},
        {"first in list decides",
         {{"QUVLAYED", "1", "Layout, 0, 0, 1, 0"}, {"QUVSCHED", "1", "Capture, 0, 0, 0, 1"}},
         0,
         1,
         "Layout",
         {}},
        {"quiet", {{"QUVSCHED", "1", "Capture, 0, 0, 0, 1"}}, 1, 1, "Capture", {}},
        {"minimised caption with comma", {{"QUVSCHED", "1", "Capture - a,b, 1, 0, 0, 0"}}, 0, 0, "", {}},
        {"short string", {{"QUVSCHED", "1", "Capture, 0"}}, 0, 0, "", {}},
    };
    for (const auto& c : cases) {
        KernelResetForTests();
        scriptedUi().Reset();
        std::vector<std::string> names;
        for (const auto& e : c.entries) {
            names.push_back(e.app);
            if (e.flag) E_SetString(("MW_" + std::string(e.app)).c_str(), e.flag);
            E_SetString(e.app, e.state);
        }
        SetApps(names);
        if (c.busy && !c.quiet) scriptedUi().QueueAnswer(platform::kAnswerOk);
        int32_t flag = c.quiet;
        std::string caption;
        CheckBusy(flag, caption);
        EXPECT_EQ(flag, c.busy) << c.what;
        if (c.busy) {
            EXPECT_EQ(caption, c.caption) << c.what;
        }
        const bool boxShown = !scriptedUi().boxes.empty();
        EXPECT_EQ(boxShown, c.busy && !c.quiet) << c.what;
        if (boxShown) {
            EXPECT_EQ(scriptedUi().boxes[0].text, std::string("Finish current operation for: ") + c.caption);
            EXPECT_EQ(scriptedUi().boxes[0].style, 4144);
            EXPECT_EQ(scriptedUi().boxes[0].title, "Tolvi32");
        }
        for (const char* app : c.cleared) EXPECT_EQ(Board(app), "") << c.what;
        scriptedUi().Verify();
    }
}

TEST(ExitAllModules, TellsTheSuiteInOrder) {
    test::FakeModules fakes;
    fakes.Register("QUVSCHED");
    int16_t mode = 0;
    std::string file;
    InitializeApp("QUVSCHED", mode, file);
    fakes.journal.clear();

    struct JournalHelp : platform::Help {
        std::vector<std::string>* journal;
        void ShowTopic(const std::string&, int32_t) override {}
        void Command(const std::string& f, int c, const std::string&) override {
            journal->push_back("help " + std::to_string(c) + " " + f);
        }
    } help;
    help.journal = &fakes.journal;
    platform::SetHelp(&help);
    platform::suiteBus().ListenRegistered([&](uint32_t id, int32_t w) {
        fakes.journal.push_back("message " + platform::suiteBus().MessageName(id) + " " + std::to_string(w));
    });

    gAppDir = "/opt/tolvi";
    SetApps({"TOLVI32", "QUVSCHED", "QUVLAYED"});
    gMsgTolvi = platform::suiteBus().RegisterMessage("TOLVI32");
    E_SetString("TOLVI32", "Tolvi32, 0, 0, 0, 0");
    E_SetString("QUVSCHED", "Capture, 0, 0, 0, 0");
    E_SetString("QUVLAYED", "");  // not running: nothing sent
    ExitAllModules();
    platform::SetHelp(nullptr);
    EXPECT_EQ(fakes.journal,
              (std::vector<std::string>{"message TOLVI32 3", "help 2 /opt/tolvi/TOLVI32.HLP",
                                        "QUVSCHED notify QUVSCHED EX", "QUVSCHED notify - All,EX"}));
}

TEST(ActivateApp, RaisesARunningWindowElseStartsTheModule) {
    test::FakeModules fakes;
    fakes.Register("QUVLAYED");

    QWidget layout;
    layout.setWindowTitle("Layout - board");
    layout.show();
    layout.setWindowState(Qt::WindowMinimized);
    E_SetString("MW_QUVLAYED", "1");
    E_SetString("QUVLAYED", "Layout - board, 1, 0, 0, 0");
    ActivateApp("QUVLAYED");
    EXPECT_FALSE(layout.isMinimized());
    EXPECT_EQ(fakes.created["QUVLAYED"], 0);

    // A stale caption whose window is gone: started.
    E_SetString("QUVLAYED", "Layout - gone, 0, 0, 0, 0");
    ActivateApp("QUVLAYED");
    EXPECT_EQ(fakes.created["QUVLAYED"], 1);

    // Not running at all: started (reached again, not created twice).
    E_SetString("QUVLAYED", "");
    ActivateApp("QUVLAYED");
    EXPECT_EQ(fakes.created["QUVLAYED"], 1);
    EXPECT_EQ(fakes.journal.back(), "QUVLAYED run 0");
}

}  // namespace
}  // namespace tolvi
