#include "common/context_help.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <climits>
#include <string>
#include <vector>

#include "kernel/kernel.h"
#include "support/recording_help.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::recordingHelp;
using test::scriptedUi;
using Calls = std::vector<std::string>;

const std::string kPosition =
    "command: /prog/tolvi32.HLP | 258 | PositionWindow(600, 150, 400, 800, 1, \"main\")";

void SetAutoHelp(int32_t on) { ASSERT_NE(E_MemCopy(E_SysTable(12) + 2044, &on, 4), 0); }

class ContextHelp : public ::testing::Test {
protected:
    void SetUp() override { gHelpFile = "/prog/tolvi32.HLP"; }
};

TEST(HelpTopicId, NumbersEachCoordinateSetByItsFinestLevel) {
    struct Case {
        int32_t m, s, t, st, id;
    };
    const Case cases[] = {
        {1, 9, 0, 0, 1066},
        {2, 1, 0, 0, 13303},
        {2, 5, 2, 0, 13848},
        {2, 13, 0, 0, 14899},
        {11, 100, 11, 11, 146311},
        {1, 0, 0, 0, 1},
        {1, 1, 0, 0, 2},
        {1, 1, 1, 0, 3},
        {1, 1, 1, 1, 4},
        {8, 0, 0, 0, 93108},
        // a finer level without the coarser ones has no topic
        {2, 0, 3, 0, 0},
        {0, 4, 0, 0, 0},
        {1, 1, 0, 2, 0},
        {0, 0, 0, 0, 0},
        // only upper limits are checked; numbers far out of range give no topic, not garbage
        {INT_MIN, 1, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HelpTopicId(c.m, c.s, c.t, c.st), c.id) << c.m << "," << c.s << "," << c.t << "," << c.st;
}

TEST_F(ContextHelp, CoordinatesAboveTheirLimitsAreReportedAndKeepTheTopic) {
    struct Case {
        int32_t m, s, t, st;
        const char* message;
    };
    const Case cases[] = {
        {12, 0, 0, 0, "Menu No: exceeds 11"},
        {1, 101, 12, 0, " SubMenu No. exceeds 100 Tool No: exceeds 11"},
        {1, 1, 1, 12, " SubTool No: exceeds 11"},
        {12, 101, 12, 12,
         "Menu No: exceeds 11 SubMenu No. exceeds 100 Tool No: exceeds 11 SubTool No: exceeds 11"},
    };
    SetAutoHelp(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        scriptedUi().Reset();
        recordingHelp().Reset();
        gHelpTopic = 1066;
        scriptedUi().QueueAnswer(1);
        ShowContextHelp(c.m, c.s, c.t, c.st);
        EXPECT_EQ(gHelpTopic, 1066);
        EXPECT_TRUE(recordingHelp().calls.empty());
        ASSERT_EQ(scriptedUi().boxes.size(), 1u);
        EXPECT_EQ(scriptedUi().boxes[0].text, c.message);
        EXPECT_EQ(scriptedUi().boxes[0].style, 0);
        EXPECT_EQ(scriptedUi().boxes[0].title, "Tolvi32");
    }
    EXPECT_TRUE(ValidateHelpIds(11, 100, 11, 11));
    EXPECT_TRUE(ValidateHelpIds(-3, -3, -3, -3));
}

TEST_F(ContextHelp, AutomaticHelpOffOnlyRecordsOnShowsAtOnce) {
    ShowContextHelp(1, 9, 0, 0);
    EXPECT_EQ(gHelpTopic, 1066);
    EXPECT_TRUE(recordingHelp().calls.empty());

    ShowContextHelp(0, 0, 0, 0);
    EXPECT_EQ(gHelpTopic, 0);

    SetAutoHelp(-1);
    ShowContextHelp(2, 5, 2, 0);
    EXPECT_EQ(gHelpTopic, 13848);
    EXPECT_EQ(recordingHelp().calls, (Calls{"topic: /prog/tolvi32.HLP | 13848", kPosition}));

    // The flag survives a change of database.
    recordingHelp().Reset();
    DB_DiscardDataBase();
    ASSERT_NE(DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE"), 0);
    ShowContextHelp(1, 9, 0, 0);
    EXPECT_EQ(recordingHelp().calls, (Calls{"topic: /prog/tolvi32.HLP | 1066", kPosition}));
}

TEST_F(ContextHelp, CtrlF1ShowsTheRecordedTopicWhateverAutomaticHelpSaysOtherKeysDoNothing) {
    QWidget form;
    InstallHelpKey(&form);
    ShowContextHelp(1, 9, 0, 0);
    struct Case {
        Qt::KeyboardModifiers mods;
        int key;
        bool shows;
    };
    const Case cases[] = {
        {Qt::ControlModifier, Qt::Key_F1, true},
        {Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_F1, false},
        {Qt::NoModifier, Qt::Key_F1, false},
        {Qt::ControlModifier, Qt::Key_F2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        recordingHelp().Reset();
        QKeyEvent e(QEvent::KeyRelease, c.key, c.mods);
        QApplication::sendEvent(&form, &e);
        const Calls want = c.shows ? Calls{"topic: /prog/tolvi32.HLP | 1066", kPosition} : Calls{};
        EXPECT_EQ(recordingHelp().calls, want);
    }
}

TEST_F(ContextHelp, WindowPlacementQuitAndHelpFileCommandsReachTheEngine) {
    InitHelpWindow(nullptr, gHelpFile);
    CloseHelp(nullptr, gHelpFile);
    ShowHelpFile("/prog/TOLVI32.HLP", 3, "Tolvi32");
    ShowHelpFile("/prog/TOLVI32.HLP", 2, "");
    EXPECT_EQ(recordingHelp().calls,
              (Calls{"command: /prog/tolvi32.HLP | 258 | PositionWindow(0, 85, 1025, 935, 1, \"main\")",
                     "command: /prog/tolvi32.HLP | 2 | ", "command: /prog/TOLVI32.HLP | 3 | Tolvi32",
                     "command: /prog/TOLVI32.HLP | 2 | "}));
}

TEST(KernelHelpHandler, TopicsOfTheDesignModulesReachTheHelpEngine) {
    H_DispTopic(nullptr, "/prog/QUVSCHED.HLP", 12);
    EXPECT_EQ(recordingHelp().calls, Calls{}) << "nothing before the handler is installed";
    InstallKernelHelpHandler();
    H_DispTopic(nullptr, "/prog/QUVSCHED.HLP", 12);
    H_DispTopic(nullptr, nullptr, 0);
    EXPECT_EQ(recordingHelp().calls, (Calls{"topic: /prog/QUVSCHED.HLP | 12", "topic:  | 0"}));
}

}  // namespace
}  // namespace tolvi
