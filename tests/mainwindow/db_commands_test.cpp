#include "mainwindow/db_commands.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <fstream>

#include "common/boxes.h"
#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/option_store.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/db_fixture.h"
#include "mainwindow/optninpt.h"
#include "platform/design_module.h"
#include "platform/qt/codec.h"
#include "support/recording_host.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::QueuePassword;
using test::recordingHost;
using test::scriptedUi;

using DbCommandsTest = test::DbFixture;

TEST_F(DbCommandsTest, NamesFromPaths) {
    struct Case {
        const char* path;
        const char* title;
    };
    const Case cases[] = {
        {"/jobs/BOARD.TPB", "BOARD"}, {"/jobs/A.B.TPB", "A.B"}, {"/jobs/.TPB", ".TPB"},
        {"/jobs/noext", "noext"},     {"C:\\old\\X.TPB", "X"},  {"plain.tpb", "plain"},
    };
    for (const Case& c : cases) {
        SetDatabaseName(c.path);
        EXPECT_EQ(gDbTitle, c.title) << c.path;
    }

    // Saving under a name cuts at the first dot, opening the same file later at the last one.
    const std::string path = tmp.File("board.v2.TPB");
    scriptedUi().QueueFile(path);
    int32_t cancelled = 0;
    SaveDatabase(cancelled, -1);
    EXPECT_EQ(cancelled, 0);
    EXPECT_EQ(gDbTitle, "board");
    EXPECT_EQ(OpenName(), "board");
    EXPECT_EQ(gDbPath, path);
    SetDatabaseName(path);
    EXPECT_EQ(gDbTitle, "board.v2");
}

TEST_F(DbCommandsTest, PasswordCheck) {
    struct Case {
        const char* stored;
        const char* typed;
        bool passes;
    };
    const Case cases[] = {
        {"ab cd   ", "ab", true}, {"AB      ", "ab", false}, {"ab      ", "", false},
        {"        ", "", true},   {" x      ", "", true},    {"secret  ", "  secret ", true},
    };
    for (const Case& c : cases) {
        gDbLabel.PassSet = -1;
        gDbLabel.Password = c.stored;
        QueuePassword(c.typed);
        const int beeps = scriptedUi().beeps;
        EXPECT_EQ(CheckDbPassword(), c.passes) << c.stored << "|" << c.typed;
        EXPECT_EQ(scriptedUi().beeps - beeps, c.passes ? 0 : 1) << c.stored;
    }
    // No password set: nothing is asked.
    gDbLabel.PassSet = 0;
    EXPECT_TRUE(CheckDbPassword());
    EXPECT_EQ(scriptedUi().modalForms.size(), std::size(cases));
}

TEST_F(DbCommandsTest, OpenLoadsTheChosenFile) {
    const std::string path = SavedDatabase("board.TPB", "board", "", "Ann");
    gBackupOn = 1;
    scriptedUi().QueueFile(path);
    M_DbOpen_Click();

    ASSERT_EQ(scriptedUi().fileDialogs.size(), 1u);
    const platform::FileDialogRequest& r = scriptedUi().fileDialogs[0];
    EXPECT_EQ(r.title, "Tolvi32 - Select Database File to Load");
    EXPECT_EQ(r.filter, "Tolvi32 Database Files (*.TPB)|*.TPB");
    EXPECT_EQ(r.flags, 0x1804);
    EXPECT_EQ(r.defaultExt, "TPB");
    EXPECT_EQ(r.initDir, gJobDir);
    EXPECT_FALSE(r.save);

    EXPECT_TRUE(HasHierarchy("KEPT"));
    EXPECT_EQ(gDbPath, path);
    EXPECT_EQ(gDbName, "board");
    EXPECT_EQ(recordingHost().caption, "Tolvi32 - board (hier: MAINHIER)");
    EXPECT_EQ(RTrim(gDbLabel.Designer), "Ann");
    EXPECT_TRUE(Heard("UP"));
    EXPECT_TRUE(recordingHost().backupTimer);
    EXPECT_FALSE(IsDatabaseChanged());
    EXPECT_EQ(Recent(1), path);
    EXPECT_EQ(recordingHost().recentFiles[0], path);
}

TEST_F(DbCommandsTest, OpenCancelledKeepsTheOpenDatabase) {
    DB_CreateHierarchy(0, "EDITED");
    SetDatabaseChanged(1);
    gDbPath = tmp.File("mine.TPB");
    gBackupOn = 1;
    scriptedUi().QueueAnswer(platform::kAnswerNo);  // not saved
    scriptedUi().QueueFile(std::nullopt);
    M_DbOpen_Click();

    EXPECT_TRUE(HasHierarchy("EDITED"));
    EXPECT_TRUE(IsDatabaseChanged());
    EXPECT_EQ(gDbTitle, "Untitled");
    EXPECT_EQ(gDbPath, tmp.File("mine.TPB"));
    EXPECT_EQ(scriptedUi().boxes[0].text, "Database: <Untitled> has changed.\r\nSave?");
    // Backups of the kept database go on.
    EXPECT_TRUE(recordingHost().backupTimer);
    EXPECT_FALSE(Heard("UP"));
}

TEST_F(DbCommandsTest, OpenAfterACancelledSaveStops) {
    DB_CreateHierarchy(0, "EDITED");
    SetDatabaseChanged(1);
    scriptedUi().QueueAnswer(platform::kAnswerYes);
    scriptedUi().QueueFile(std::nullopt);  // the save dialog of the "Untitled" database
    M_DbOpen_Click();

    ASSERT_EQ(scriptedUi().fileDialogs.size(), 1u);
    EXPECT_TRUE(scriptedUi().fileDialogs[0].save);
    EXPECT_TRUE(HasHierarchy("EDITED"));
    EXPECT_TRUE(IsDatabaseChanged());
}

TEST_F(DbCommandsTest, OpenWithAWrongPasswordLeavesAnEmptyDatabase) {
    const std::string path = SavedDatabase("locked.TPB", "locked", "pw");
    gBackupOn = 1;
    scriptedUi().QueueFile(path);
    QueuePassword("PW");
    M_DbOpen_Click();

    EXPECT_EQ(scriptedUi().beeps, 1);
    EXPECT_FALSE(HasHierarchy("KEPT"));
    EXPECT_EQ(gDbName, "Untitled");
    EXPECT_TRUE(Heard("UP"));
    EXPECT_FALSE(recordingHost().backupTimer);
    EXPECT_EQ(Recent(1), path);
    EXPECT_TRUE(HostDid("scope: default"));
}

TEST_F(DbCommandsTest, FailedLoadLeavesNoNameOrPathToSaveOver) {
    const std::string path = tmp.Write("broken.TPB", "not a database");
    gBackupOn = 1;
    scriptedUi().QueueFile(path);
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    M_DbOpen_Click();

    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't load Database: " + path);
    EXPECT_EQ(gDbTitle, "Untitled");
    EXPECT_EQ(gDbName, "Untitled");
    EXPECT_EQ(gDbPath, "");
    EXPECT_EQ(recordingHost().caption, "Tolvi32 - Untitled (hier: MAINHIER)");
    EXPECT_TRUE(Heard("UP"));
    EXPECT_FALSE(recordingHost().backupTimer);
    EXPECT_FALSE(IsDatabaseChanged());  // nothing to lose in the empty database
    EXPECT_EQ(Recent(1), "absent");

    // A later Save asks for a name instead of writing the empty database over the file.
    scriptedUi().QueueFile(std::nullopt);
    M_DbSave_Click();
    EXPECT_TRUE(scriptedUi().fileDialogs.back().save);
    EXPECT_EQ(tmp.Read("broken.TPB"), "not a database");
}

TEST_F(DbCommandsTest, SaveOfUntitledAsksForANameInTheJobDirectory) {
    SetDatabaseChanged(1);
    gBackupOn = 1;
    scriptedUi().QueueFile(std::nullopt);
    M_DbSave_Click();

    ASSERT_EQ(scriptedUi().fileDialogs.size(), 1u);
    const platform::FileDialogRequest& r = scriptedUi().fileDialogs[0];
    EXPECT_EQ(r.title, "Tolvi32 - Database File Name:");
    EXPECT_EQ(r.fileName, "Untitled.TPB");
    EXPECT_EQ(r.initDir, gJobDir);
    EXPECT_EQ(r.flags, 0x2006);
    EXPECT_EQ(r.defaultExt, "TPB");
    EXPECT_TRUE(r.save);
    // Cancelled: still changed, nothing recorded, backups go on.
    EXPECT_TRUE(IsDatabaseChanged());
    EXPECT_EQ(Recent(1), "absent");
    EXPECT_TRUE(recordingHost().backupTimer);

    const std::string path = tmp.File("Untitled.TPB");
    scriptedUi().QueueFile(path);
    M_DbSave_Click();
    EXPECT_FALSE(IsDatabaseChanged());
    EXPECT_EQ(Recent(1), path);
    EXPECT_EQ(recordingHost().recentFiles[0], path);
}

TEST_F(DbCommandsTest, SaveOfALoadedDatabaseWritesItsFileInOrder) {
    const std::string path = SavedDatabase("board.TPB", "board");
    scriptedUi().QueueFile(path);
    M_DbOpen_Click();
    DB_CreateHierarchy(0, "ADDED");
    SetDatabaseChanged(1);
    std::remove(path.c_str());

    // The simulator saves its work before the database is renamed and written.
    struct Simulator : platform::SimulatorLib {
        std::string nameSeen;
        bool fileSeen = true;
        std::string path;
        void MM_SaveWork() override {
            nameSeen = CStrFromPtr(O_GetName(DB_DataBase()));
            fileSeen = std::ifstream(path).good();
        }
    } sim;
    sim.path = path;
    platform::SetSimulatorLib(&sim);
    E_SetString("MW_QUVSIM", "1");
    gDbName = "renamed";  // the caption's name is the one saved
    M_DbSave_Click();
    platform::SetSimulatorLib(nullptr);

    EXPECT_EQ(scriptedUi().fileDialogs.size(), 1u);  // only Open's
    EXPECT_EQ(sim.nameSeen, "board");
    EXPECT_FALSE(sim.fileSeen);
    EXPECT_EQ(OpenName(), "renamed");
    EXPECT_FALSE(IsDatabaseChanged());
    EXPECT_FALSE(scriptedUi().BusyPointer());

    gDbTitle = "Untitled";
    CreateEmptyDatabase();
    ASSERT_NE(DB_LoadDataBase(path.c_str()), 0);
    EXPECT_TRUE(HasHierarchy("ADDED"));
}

TEST_F(DbCommandsTest, FailedSaveIsNotReportedAsSaved) {
    SetDatabaseChanged(1);
    const std::string path = tmp.File("missing-dir/x.TPB");
    scriptedUi().QueueFile(path);
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    M_DbSaveAs_Click();

    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't save Database" + path + "\r\nNo such file or directory");
    EXPECT_TRUE(IsDatabaseChanged());
    EXPECT_EQ(Recent(1), "absent");
    // The database keeps its name and file: nothing names the file that was never written.
    EXPECT_EQ(gDbPath, "");
    EXPECT_EQ(gDbTitle, "Untitled");
    EXPECT_EQ(CStrFromPtr(O_GetName(DB_DataBase())), "Untitled");
}

TEST_F(DbCommandsTest, NewDatabase) {
    gMsgTitle = "before";
    // Unchanged, No to clearing: nothing cleared, still refreshed.
    DB_CreateHierarchy(0, "KEEP");
    SetDatabaseChanged(0);
    scriptedUi().QueueAnswer(platform::kAnswerNo);
    M_DbClear_Click(0);
    EXPECT_EQ(scriptedUi().boxes.back().text, "Current Database <Untitled> will be cleared.\r\nContinue ?");
    EXPECT_EQ(scriptedUi().boxes.back().title, "Tolvi32");
    EXPECT_TRUE(HasHierarchy("KEEP"));
    EXPECT_EQ(gMsgTitle, "before");

    // Changed, Yes, save dialog cancelled: nothing cleared and the changes stay marked.
    SetDatabaseChanged(1);
    scriptedUi().QueueAnswer(platform::kAnswerYes);
    scriptedUi().QueueFile(std::nullopt);
    M_DbClear_Click(0);
    EXPECT_EQ(scriptedUi().boxes.back().text, "Database: <Untitled> has changed.\r\nSave ?");
    EXPECT_TRUE(HasHierarchy("KEEP"));
    EXPECT_TRUE(IsDatabaseChanged());
    EXPECT_EQ(gMsgTitle, "before");
    EXPECT_FALSE(Heard("UP"));

    // Changed, No: cleared without a second question.
    gDbPath = "/somewhere/old.TPB";
    recordingHost().MarkOptionScope(true);
    scriptedUi().QueueAnswer(platform::kAnswerNo);
    M_DbClear_Click(0);
    EXPECT_FALSE(HasHierarchy("KEEP"));
    EXPECT_EQ(gDbPath, "");
    EXPECT_EQ(gDbName, "Untitled");
    EXPECT_FALSE(IsDatabaseChanged());
    EXPECT_TRUE(Heard("UP"));
    EXPECT_FALSE(recordingHost().scopeCurrent);
    EXPECT_EQ(gOptCurrent, 0);
    EXPECT_EQ(gMsgTitle, "before");
}

TEST_F(DbCommandsTest, InfoAsksForThePasswordFirst) {
    gDbLabel.PassSet = -1;
    gDbLabel.Password = "pw      ";
    QueuePassword("wrong");
    M_DbInfo_Click();
    EXPECT_EQ(scriptedUi().modalForms, std::vector<std::string>{"OPTNINPT"});

    QueuePassword("pw");
    scriptedUi().QueueModal("OPTNINFO", [](QWidget* f) { f->hide(); });
    M_DbInfo_Click();
    EXPECT_EQ(scriptedUi().modalForms.back(), "OPTNINFO");
}

TEST_F(DbCommandsTest, SaveOrClearLaunchers) {
    mods.Register("QUVFNTED");
    DB_CreateHierarchy(0, "KEEP");
    // No and No: nothing changes and the module does not start.
    scriptedUi().QueueAnswer(platform::kAnswerNo);
    scriptedUi().QueueAnswer(platform::kAnswerNo);
    M_FontEditor_Click();
    EXPECT_TRUE(HasHierarchy("KEEP"));
    EXPECT_EQ(mods.created.count("QUVFNTED"), 0u);
    EXPECT_EQ(scriptedUi().boxes[0].title, "Vector Font Editor");
    EXPECT_EQ(scriptedUi().boxes[0].text, "Save Database: Untitled");
    EXPECT_EQ(gMsgTitle, "");

    // No to saving, Yes to clearing: cleared, then the module starts; the file that was open is
    // no longer the database's file.
    gDbPath = tmp.File("board.TPB");
    scriptedUi().QueueAnswer(platform::kAnswerNo);
    scriptedUi().QueueAnswer(platform::kAnswerYes);
    M_FontEditor_Click();
    EXPECT_EQ(scriptedUi().boxes.back().text, "Current Database Untitled will be cleared.\r\nContinue ?");
    EXPECT_FALSE(HasHierarchy("KEEP"));
    EXPECT_EQ(gDbPath, "");
    EXPECT_EQ(mods.created["QUVFNTED"], 1);
    EXPECT_FALSE(scriptedUi().BusyPointer());

    // Saved, then not cleared: the database stays open and its backups go on.
    gBackupOn = 1;
    scriptedUi().QueueAnswer(platform::kAnswerYes);
    scriptedUi().QueueFile(tmp.File("font.TPB"));
    scriptedUi().QueueAnswer(platform::kAnswerNo);
    M_FontEditor_Click();
    EXPECT_EQ(gDbPath, tmp.File("font.TPB"));
    EXPECT_TRUE(recordingHost().backupTimer);
}

}  // namespace
}  // namespace tolvi
