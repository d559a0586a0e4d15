// Saving the database over a symbolic link, or over a file the user may not write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/db_session.h"
#include "kernel/kernel.h"
#include "mainwindow/db_commands.h"
#include "mainwindow/db_fixture.h"
#include "support/mount_namespace.h"
#include "support/ordinary_user.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::scriptedUi;
namespace fs = std::filesystem;

using DbSaveTarget = test::DbFixture;

TEST_F(DbSaveTarget, ALinkStaysALinkToTheSavedFile) {
    const std::string real = SavedDatabase("real.TPB", "board");
    const std::string link = tmp.File("link.TPB");
    ASSERT_EQ(::symlink("real.TPB", link.c_str()), 0);
    scriptedUi().QueueFile(link);
    M_DbOpen_Click();
    DB_CreateHierarchy(0, "ADDED");
    SetDatabaseChanged(1);
    M_DbSave_Click();

    EXPECT_TRUE(scriptedUi().boxes.empty());
    EXPECT_FALSE(IsDatabaseChanged());
    EXPECT_TRUE(fs::is_symlink(link));
    CreateEmptyDatabase();
    ASSERT_NE(DB_LoadDataBase(real.c_str()), 0);
    EXPECT_TRUE(HasHierarchy("ADDED"));
}

TEST_F(DbSaveTarget, AFileTheUserMayNotWriteIsRefusedAndLeftAsItWas) {
    const std::string path = SavedDatabase("locked.TPB", "locked");
    scriptedUi().QueueFile(path);
    M_DbOpen_Click();
    DB_CreateHierarchy(0, "ADDED");
    SetDatabaseChanged(1);
    const std::string before = tmp.Read("locked.TPB");
    ::chmod(path.c_str(), 0444);
    ::chmod(tmp.path().c_str(), 0777);  // the directory would take a new file

    {
        test::AsOrdinaryUser user;
        if (!user.Ordinary()) GTEST_SKIP() << "a superuser that cannot give up its rights";
        scriptedUi().QueueAnswer(platform::kAnswerOk);
        M_DbSave_Click();
    }
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't save Database" + path + "\r\nPermission denied");
    EXPECT_TRUE(IsDatabaseChanged());
    EXPECT_EQ(tmp.Read("locked.TPB"), before);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    for (const auto& e : fs::directory_iterator(tmp.path()))
        EXPECT_EQ(e.path().filename().string().find("tmp"), std::string::npos) << e.path();
}

// The box names why the save failed, after the path on a line of its own; the database stays
// unsaved as it was.
TEST_F(DbSaveTarget, AFailedSaveSaysWhy) {
    SetDatabaseChanged(1);
    const std::string disk = tmp.File("disk");
    fs::create_directory(disk);
    const int status = test::InOwnMountNamespace([&] {
        if (!test::MountFullDisk(disk)) return test::kNoMountNamespace;
        const std::string path = disk + "/x.TPB";
        scriptedUi().QueueFile(path);
        scriptedUi().QueueAnswer(platform::kAnswerOk);
        M_DbSaveAs_Click();
        const auto& boxes = scriptedUi().boxes;
        if (boxes.size() != 1 ||
            boxes[0].text != "Can't save Database" + path + "\r\nNo space left on device")
            return 1;
        if (!IsDatabaseChanged()) return 2;
        return std::distance(fs::directory_iterator(disk), {}) == 1 ? 0 : 3;
    });
    if (status == test::kNoMountNamespace) GTEST_SKIP() << "no small file system can be mounted here";
    EXPECT_EQ(status, 0) << "1: not the box, 2: taken as saved, 3: something left on the disk";

    const std::string locked = tmp.File("locked");
    fs::create_directory(locked);
    ::chmod(locked.c_str(), 0555);
    const std::string path = locked + "/x.TPB";
    {
        test::AsOrdinaryUser user;
        if (!user.Ordinary()) GTEST_SKIP() << "a superuser that cannot give up its rights";
        scriptedUi().QueueFile(path);
        scriptedUi().QueueAnswer(platform::kAnswerOk);
        M_DbSaveAs_Click();
    }
    ::chmod(locked.c_str(), 0700);
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't save Database" + path + "\r\nPermission denied");
    EXPECT_TRUE(IsDatabaseChanged());
    EXPECT_TRUE(fs::is_empty(locked));
}

}  // namespace
}  // namespace tolvi
