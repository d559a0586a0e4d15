#include "mainwindow/recent_files.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "common/db_session.h"
#include "common/general_settings.h"
#include "kernel/kernel.h"
#include "mainwindow/db_commands.h"
#include "mainwindow/db_fixture.h"
#include "support/recording_host.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::recordingHost;
using test::scriptedUi;

using RecentFilesTest = test::DbFixture;

TEST_F(RecentFilesTest, AddRecentFileTable) {
    struct Case {
        const char* name;
        std::vector<std::string> before;  // entries 1.. as written ("" = empty entry)
        std::string path;
        std::vector<std::string> after;  // entries 1..4, "absent" for a missing key
    };
    const Case cases[] = {
        {"two and new", {"a", "b"}, "new", {"new", "a", "b", "absent"}},
        {"four and new", {"a", "b", "c", "d"}, "new", {"new", "a", "b", "c"}},
        {"found at 3", {"a", "b", "p", "d"}, "p", {"p", "a", "b", "d"}},
        {"found at 1", {"p", "b"}, "p", {"p", "b", "absent", "absent"}},
        {"other case", {"/j/P.TPB"}, "/j/p.TPB", {"/j/p.TPB", "/j/P.TPB", "absent", "absent"}},
        {"after a gap", {"a", "none", "p"}, "p", {"p", "a", "p", "p"}},
        {"empty path", {"a"}, "", {"", "a", "absent", "absent"}},
    };
    for (const Case& c : cases) {
        std::remove(gIniFile.c_str());
        for (std::size_t i = 0; i < c.before.size(); ++i) PutRecent(int(i) + 1, c.before[i]);
        gDbPath = c.path;
        AddRecentFile();
        for (int n = 1; n <= 4; ++n)
            EXPECT_EQ(Recent(n), c.after[std::size_t(n - 1)]) << c.name << " entry " << n;
    }
}

TEST_F(RecentFilesTest, MenuShowsAtMostFourEntriesWithTheirNumbers) {
    using Paths = std::array<std::string, 4>;
    // An empty first entry shows nothing; the others keep their places (so their numbers).
    PutRecent(1, "");
    PutRecent(2, "/j/R&D.TPB");
    PutRecent(3, "none");
    PutRecent(4, "/j/after-end.TPB");
    ShowRecentFiles();
    EXPECT_EQ(recordingHost().recentFiles, (Paths{"", "/j/R&D.TPB", "", ""}));
    EXPECT_TRUE(recordingHost().recentSeparator);
    EXPECT_EQ(gRecentFiles, recordingHost().recentFiles);

    for (int n = 1; n <= 6; ++n) PutRecent(n, "/j/f" + std::to_string(n));
    ShowRecentFiles();
    EXPECT_EQ(recordingHost().recentFiles, (Paths{"/j/f1", "/j/f2", "/j/f3", "/j/f4"}));

    std::remove(gIniFile.c_str());
    ShowRecentFiles();
    EXPECT_EQ(recordingHost().recentFiles, Paths{});
    EXPECT_FALSE(recordingHost().recentSeparator);
}

TEST_F(RecentFilesTest, MissingFileIsReportedBeforeAnyQuestion) {
    // Even when it is the open file: the edited database stays open and marked changed.
    const std::string path = tmp.File("gone.TPB");
    gDbPath = path;
    PutRecent(1, path);
    ShowRecentFiles();
    DB_CreateHierarchy(0, "EDITED");
    SetDatabaseChanged(1);
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    M_RecentFile_Click(0);
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't find Database File: " + path);
    EXPECT_TRUE(HasHierarchy("EDITED"));
    EXPECT_TRUE(IsDatabaseChanged());
}

TEST_F(RecentFilesTest, ReturnToTheSavedFileDropsTheChanges) {
    const std::string path = SavedDatabase("board.TPB", "board");
    gBackupOn = 1;
    PutRecent(1, path);
    ShowRecentFiles();
    M_RecentFile_Click(0);
    EXPECT_TRUE(scriptedUi().boxes.empty());
    EXPECT_EQ(gDbPath, path);
    EXPECT_TRUE(recordingHost().backupTimer);

    DB_CreateHierarchy(0, "EDITED");
    SetDatabaseChanged(1);
    scriptedUi().QueueAnswer(platform::kAnswerYes);  // return to the saved file; no save question
    M_RecentFile_Click(0);
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Return to saved Database:\r\n" + path + "?");
    EXPECT_FALSE(HasHierarchy("EDITED"));
    EXPECT_TRUE(HasHierarchy("KEPT"));
    EXPECT_FALSE(IsDatabaseChanged());
}

TEST_F(RecentFilesTest, FailedLoadKeepsTheEntryButNoPath) {
    const std::string path = tmp.Write("broken.TPB", "garbage");
    PutRecent(1, "/j/other.TPB");
    PutRecent(2, path);
    ShowRecentFiles();
    gBackupOn = 1;
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    M_RecentFile_Click(1);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't load Database: " + path);
    EXPECT_EQ(gDbTitle, "Untitled");
    EXPECT_EQ(gDbPath, "");
    // No backups of the empty database: they would replace the backup of the work dropped.
    EXPECT_FALSE(recordingHost().backupTimer);
    EXPECT_TRUE(Heard("UP"));
    EXPECT_EQ(Recent(1), path);
    EXPECT_EQ(Recent(2), "/j/other.TPB");
}

TEST_F(RecentFilesTest, ChangeSaveAndReopenFromTheMenu) {
    DB_CreateHierarchy(0, "FIRST");
    EXPECT_TRUE(IsDatabaseChanged());
    const std::string path = tmp.File("work.TPB");
    scriptedUi().QueueFile(path);
    M_DbSaveAs_Click();
    EXPECT_EQ(gDbName, "work");
    EXPECT_EQ(recordingHost().recentFiles[0], path);

    gDbTitle = "Untitled";
    gDbPath.clear();
    CreateEmptyDatabase();
    UpdateMainCaption(gDbHandle);
    SetDatabaseChanged(0);
    ASSERT_FALSE(HasHierarchy("FIRST"));
    M_RecentFile_Click(0);

    EXPECT_TRUE(HasHierarchy("FIRST"));
    EXPECT_EQ(gDbPath, path);
    EXPECT_EQ(recordingHost().caption, "Tolvi32 - work (hier: MAINHIER)");
    EXPECT_FALSE(IsDatabaseChanged());
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

}  // namespace
}  // namespace tolvi
