#include "mainwindow/mailbox.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/db_session.h"
#include "common/dialog_state.h"
#include "common/general_settings.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/command_routing.h"
#include "mainwindow/db_commands.h"
#include "mainwindow/fake_module.h"
#include "mainwindow/startup.h"
#include "platform/suite_bus.h"
#include "support/manual_timer.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tolvi {
namespace {

using test::scriptedUi;

// The main window as the mailbox sees it; everything lands in one journal, in order, together
// with what the modules hear, what the manager publishes and the registered message.
class MailboxTest : public ::testing::Test, public MailboxWindow {
protected:
    void SetUp() override {
        timer.SetHandler(&F_AutoTimer_Timer);
        timer.SetEnabled(true);
        SetMailboxWindow(this);
        gJobDir = tmp.path();
        gIniFile = tmp.File("TOLVI32.INI");
        gAppNames = {"", "TOLVI32", "QUVSCHED", "QUVLAYED", "QUVSIM", "QuvLayed"};
        gAppCount = 5;
        CreateCommandLinks();
        gMsgTolvi = platform::suiteBus().RegisterMessage("TOLVI32");
        platform::suiteBus().ListenRegistered(
            [this](uint32_t, int32_t w) { log.push_back("message " + std::to_string(w)); });
        platform::suiteBus().Link(kManagerName,
                                  [this](const std::string& t) { log.push_back("published " + t); });
        mods.Register("QUVSCHED", [this](test::FakeModule& m) {
            m.onNotify = [this](test::FakeModule&, const std::string& cmd) {
                log.push_back("QUVSCHED hears " + cmd);
            };
        });
        int16_t mode = 0;
        std::string file;
        InitializeApp("QUVSCHED", mode, file);
        E_SetString("QUVSCHED", "Capture, 0, 0, 0, 0");
    }
    void TearDown() override { SetMailboxWindow(nullptr); }

    platform::Timer* AutoTimer() override { return &timer; }
    void RunStartCommand(std::string_view handler) override {
        if (failStart) throw std::runtime_error("Subscript out of range");
        log.push_back("start " + std::string(handler));
    }
    void UnloadForced() override { log.push_back("unload"); }

    // Writes the mailbox and runs one tick, delivering what it published.
    void Tick(const std::string& line) {
        E_SetString("TOLVIAUTO", line.c_str());
        timer.Tick();
        platform::suiteBus().DeliverPending();
    }
    std::string Mail() const { return CStrFromPtr(E_GetString("TOLVIAUTO")); }

    // A database saved under name in the job directory; the open one is empty again afterwards.
    std::string SavedDatabase(const std::string& file, const std::string& name) {
        DB_CreateDataBase(name.c_str(), "MAINHIER", "MAINPAGE");
        std::string path = tmp.File(file);
        EXPECT_NE(DB_SaveDataBase(path.c_str()), 0);
        DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE");
        return path;
    }
    std::string OpenName() const { return CStrFromPtr(O_GetName(DB_DataBase())); }

    test::TempDir tmp;
    test::ManualTimer timer;
    test::FakeModules mods;
    std::vector<std::string> log;
    bool failStart = false;
};

TEST_F(MailboxTest, StartTableAndCommands) {
    struct Case {
        const char* line;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {",quvsched", {"start M_Schema_Click"}},
        {" , quvsim , whatever ", {"start M_Msim_Click"}},
        {",QUVEMA", {"start M_Ema_Click"}},
        {",QUVVIEWR", {}},  // not in the table: nothing starts
        {",QUVSIM,CLS", {"message 3"}},
        {",QUVSCHED,cls", {"QUVSCHED hears EX", "published QUVSCHED,EX"}},
        // Publications reach linked programs after the tick, never inside it.
        {",QUVSIM,XCL", {"QUVSCHED hears EX", "start M_Msim_Click", "published QUVSCHED,EX"}},
        {"   ", {}},
    };
    E_SetString("MW_QUVSCHED", "1");
    for (const Case& c : cases) {
        log.clear();
        Tick(c.line);
        EXPECT_EQ(log, c.log) << c.line;
        EXPECT_EQ(Mail(), "") << c.line;
        EXPECT_TRUE(timer.Enabled()) << c.line;
    }
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST_F(MailboxTest, XclClosesEveryOtherRunningApplication) {
    // Running as far as the board says: flag and state string. Only the entry spelt exactly as
    // the application in capitals is kept; the one listed in mixed case is sent EX too.
    for (const char* app : {"QUVLAYED", "QuvLayed", "QUVSIM"}) {
        E_SetString((std::string("MW_") + app).c_str(), "1");
        E_SetString(app, "Window, 0, 0, 0, 0");
    }
    E_SetString("MW_QUVSCHED", "1");
    E_SetString("MW_QUVLAYED", "1");
    Tick(",quvlayed,xcl");
    const std::vector<std::string> expected = {
        "message 3",           "QUVSCHED hears EX",    "QUVSCHED hears EX",
        "QUVSCHED hears EX",   "start M_Layout_Click", "published QUVSCHED,EX",
        "published QUVSIM,EX", "published QuvLayed,EX"};
    EXPECT_EQ(log, expected);
}

TEST_F(MailboxTest, ClsOfTheManagerClosesWithoutQuestions) {
    gCursors = {G_SelectCur(1), G_SelectCur(2)};
    E_SetString("TOLVI32", "Tolvi32, 0, 0, 0, 0");
    Tick(",TOLVI32,CLS,");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "message 3");
    EXPECT_NE(std::find(log.begin(), log.end(), "unload"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "published All,EX"), log.end());
    EXPECT_EQ(
        std::count_if(log.begin(), log.end(), [](const std::string& s) { return s.rfind("start", 0) == 0; }),
        0);
    EXPECT_EQ(CStrFromPtr(E_GetString("TOLVI32")), "");
    EXPECT_EQ(DB_DataBase(), 0);
    EXPECT_FALSE(timer.Enabled()) << "a closing tick leaves the timer off";
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST_F(MailboxTest, DatabaseLoadKeepsThePathsCaseThenStarts) {
    const std::string path = SavedDatabase("board.tpb", "BOARD");
    Tick(path + ",quvlayed");
    EXPECT_EQ(OpenName(), "BOARD");
    EXPECT_EQ(gDbTitle, "board");
    EXPECT_EQ(gDbPath, path);
    std::string recent;
    IniGetString("RecentFiles", "1", "", recent);
    EXPECT_EQ(recent, path);
    EXPECT_EQ(
        log, (std::vector<std::string>{"QUVSCHED hears All,UP", "start M_Layout_Click", "published All,UP"}));
    EXPECT_FALSE(IsDatabaseChanged());
    EXPECT_TRUE(scriptedUi().boxes.empty());
    EXPECT_FALSE(scriptedUi().BusyPointer());
}

TEST_F(MailboxTest, BareNameIsFoundInTheJobDirectory) {
    SavedDatabase("job.tpb", "JOB");
    Tick("job.tpb");
    EXPECT_EQ(OpenName(), "JOB");
    EXPECT_EQ(gDbPath, tmp.File("job.tpb"));
    std::string recent;
    IniGetString("RecentFiles", "1", "", recent);
    EXPECT_EQ(recent, tmp.File("job.tpb")) << "the full path is recorded";
}

TEST_F(MailboxTest, MissingFileIsReportedAndTheApplicationStillStarts) {
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    Tick("quvsched");
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't find Database File: " + tmp.File("quvsched"));
    EXPECT_TRUE(log.empty());

    scriptedUi().QueueAnswer(platform::kAnswerOk);
    Tick("nowhere.tpb,QUVLAYED");
    EXPECT_EQ(log, std::vector<std::string>{"start M_Layout_Click"});
}

TEST_F(MailboxTest, FailedLoadLeavesAnUntitledDatabase) {
    const std::string bad = tmp.Write("bad.tpb", "not a database");
    gDbTitle = "PREVIOUS";
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    Tick(bad);
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_NE(scriptedUi().boxes[0].text.find("Can't load Database: " + bad), std::string::npos);
    EXPECT_EQ(gDbTitle, "Untitled");
    EXPECT_EQ(OpenName(), "Untitled");
    EXPECT_EQ(gDbPath, "");
}

TEST_F(MailboxTest, WaitsWhileTheManagerIsModal) {
    gModalDepth = 1;
    Tick(",QUVSCHED");
    EXPECT_EQ(Mail(), ",QUVSCHED");
    EXPECT_TRUE(log.empty());
    gModalDepth = 0;
    timer.Tick();
    EXPECT_EQ(log, std::vector<std::string>{"start M_Schema_Click"});
    EXPECT_EQ(Mail(), "");
}

TEST_F(MailboxTest, FailureInATickIsShownAndTheTimerComesBack) {
    failStart = true;
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    Tick(",QUVSCHED");
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Subscript out of range");
    EXPECT_TRUE(timer.Enabled());
    E_SetString("TOLVIAUTO", nullptr);
    timer.Tick();
    EXPECT_TRUE(timer.Enabled());
}

}  // namespace
}  // namespace tolvi
