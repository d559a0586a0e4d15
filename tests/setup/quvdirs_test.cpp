#include "setup/quvdirs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>
#include <string>
#include <vector>

#include "common/dialog_state.h"
#include "common/general_settings.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "platform/paths.h"
#include "platform/qt/codec.h"
#include "platform/qt/file_lists.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::scriptedUi;

class Directories : public test::SetupFixture {
protected:
    static std::string Ini(const char* key) { return test::IniValue("Tolvi32", key); }
    static std::string Kernel(const char* key) { return CStrFromPtr(E_GetString(key)); }
};

// The path an assign button takes: one trailing "/" cut (the root stays the root), the case as
// typed; a path that is no directory to enter is refused with the box naming the path taken.
TEST_F(Directories, AssignmentTable) {
    const std::string jobs = dir.File("Jobs");
    std::filesystem::create_directory(jobs);
    struct Case {
        std::string shown;
        std::string taken;  // "": refused, with the box naming the path without its trailing "/"
    };
    std::vector<Case> cases = {
        {jobs + "/", jobs},
        {jobs, jobs},
        {"/", "/"},
        {"//", "/"},
        {dir.File("NoSuchDir") + "/", ""},
        {dir.Write("plain.txt", "x"), ""},
        {"", ""},
    };
    if (geteuid() != 0) {  // root enters any directory
        std::filesystem::create_directory(dir.File("locked"));
        chmod(dir.File("locked").c_str(), 0);
        cases.push_back({dir.File("locked"), ""});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        scriptedUi().Reset();
        const bool refused = c.taken.empty();
        if (refused) scriptedUi().QueueAnswer(1);
        std::string assigned = "OLD";
        EXPECT_EQ(AssignDirectory(c.shown, assigned), !refused);
        if (refused) {
            EXPECT_EQ(assigned, "OLD");
            ASSERT_EQ(scriptedUi().boxes.size(), 1u);
            EXPECT_EQ(scriptedUi().boxes[0].text, "Path: " + AssignedPath(c.shown) + " not available");
            EXPECT_EQ(scriptedUi().boxes[0].style, 4144);
        } else {
            EXPECT_EQ(assigned, c.taken);
            EXPECT_TRUE(scriptedUi().boxes.empty());
        }
    }
    chmod(dir.File("locked").c_str(), 0700);
}

TEST_F(Directories, BrowseAssignAndAcceptPublishesTheDirectories) {
    std::filesystem::create_directories(dir.File("Lib/Parts"));
    std::filesystem::create_directory(dir.File("Job"));
    ShowScripted<QUVDIRS>([&](QUVDIRS& f) {
        EXPECT_EQ(platform::PathFromQString(f.CurPath->text()), platform::AbsolutePath(""))
            << "the list opens at the current directory";
        EXPECT_EQ(platform::FromQString(f.CurDisk[2]->text()), dir.path());

        // Browsing moves the shown path; assigning takes it.
        ASSERT_TRUE(f.Dir1->setPath(dir.path()));
        EXPECT_EQ(platform::PathFromQString(f.CurPath->text()), dir.path());
        const auto lib = f.Dir1->findItems("Lib", Qt::MatchExactly);
        ASSERT_EQ(lib.size(), 1);
        emit f.Dir1->itemActivated(lib[0]);
        EXPECT_EQ(platform::PathFromQString(f.CurPath->text()), dir.File("Lib"));
        f.SelDsk[0]->click();
        EXPECT_EQ(gLibDir, dir.File("Lib"));
        EXPECT_EQ(platform::FromQString(f.CurDisk[0]->text()), dir.File("Lib"));

        // A typed path, with its trailing "/".
        f.CurPath->setText(platform::PathToQString(dir.File("Job") + "/"));
        f.SelDsk[1]->click();
        f.CurPath->setText("/");
        f.SelDsk[3]->click();
        // A missing one leaves the ZOT3 directory as it was.
        scriptedUi().QueueAnswer(1);
        f.CurPath->setText(platform::PathToQString(dir.File("Gone")));
        f.SelDsk[3]->click();
        EXPECT_EQ(gZot3JobDir, "/");
        f.F_Accept->click();
    });
    EXPECT_EQ(gDlgAccepted, -1);
    EXPECT_EQ(Ini("LibDir"), dir.File("Lib"));
    EXPECT_EQ(Ini("JobDir"), dir.File("Job"));
    EXPECT_EQ(Ini("SysDir"), dir.path());
    EXPECT_EQ(Ini("ZOT3JobDir"), "/");
    EXPECT_EQ(Kernel("LibDir"), dir.File("Lib"));
    EXPECT_EQ(Kernel("JobDir"), dir.File("Job"));
    EXPECT_EQ(Kernel("ZOT3JobDir"), "/");
}

TEST_F(Directories, CancelRestoresTheStoredDirectories) {
    int err = 0;
    IniPutString("Tolvi32", "JobDir", dir.path(), err);
    LoadDirectories();
    const std::string lib = gLibDir;
    ShowScripted<QUVDIRS>([&](QUVDIRS& f) {
        f.CurPath->setText("/");
        for (QPushButton* b : f.SelDsk) b->click();
        EXPECT_EQ(gJobDir, "/");
        f.F_Cancel->click();
    });
    EXPECT_EQ(gDlgAccepted, 0);
    EXPECT_EQ(gJobDir, dir.path());
    EXPECT_EQ(gLibDir, lib);
    EXPECT_EQ(gSysDir, dir.path());
    EXPECT_EQ(Kernel("JobDir"), dir.path());
    EXPECT_EQ(Ini("ZOT3JobDir"), "(missing)") << "nothing written";
}

}  // namespace
}  // namespace tolvi
