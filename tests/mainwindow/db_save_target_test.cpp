// Saving the database over a symbolic link, or over a file the user may not write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/db_session.h"
#include "kernel/kernel.h"
#include "mainwindow/db_commands.h"
#include "mainwindow/db_fixture.h"
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
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't save Database" + path);
    EXPECT_TRUE(IsDatabaseChanged());
    EXPECT_EQ(tmp.Read("locked.TPB"), before);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    for (const auto& e : fs::directory_iterator(tmp.path()))
        EXPECT_EQ(e.path().filename().string().find("tmp"), std::string::npos) << e.path();
}

}  // namespace
}  // namespace tolvi
