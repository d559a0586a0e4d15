#include "mainwindow/timed_backup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/db_fixture.h"
#include "platform/design_module.h"
#include "support/mount_namespace.h"
#include "support/ordinary_user.h"
#include "support/recording_host.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::recordingHost;
using test::scriptedUi;
namespace fs = std::filesystem;

class TimedBackupTest : public test::DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        gAppNames = {"", "TOLVI32", "QUVSCHED"};
        gAppCount = 2;
        E_SetString("MW_QUVSCHED", "1");
        SetBusy(false);
    }
    static void SetBusy(bool busy) {
        E_SetString("QUVSCHED", busy ? "Capture, 0, 1, 0, 0" : "Capture, 0, 0, 0, 0");
    }
    std::string Backup() const { return tmp.File(gDbName + ".BAK"); }
    // One tick; true when it wrote the backup (the file is taken away again).
    bool Tick() {
        F_BackUp_Timer();
        const bool written = std::ifstream(Backup()).good();
        std::remove(Backup().c_str());
        return written;
    }
};

TEST_F(TimedBackupTest, TicksThatWriteTheBackup) {
    struct Case {
        const char* name;
        float interval;
        int busyTick;  // 0 = never busy
        int lowerAt;   // tick after which the interval drops to 3 (0 = never)
        std::vector<int> written;
    };
    const Case cases[] = {
        {"every five", 5, 0, 0, {5, 10}},
        {"busy at three", 5, 3, 0, {8}},
        {"not whole", 2.5f, 0, 0, {3, 6, 9}},
        {"lowered below the count", 10, 0, 5, {6, 9}},
    };
    for (const Case& c : cases) {
        ResetTimedBackupState();
        gBackupInt = c.interval;
        std::vector<int> written;
        for (int t = 1; t <= 10; ++t) {
            SetBusy(t == c.busyTick);
            if (Tick()) written.push_back(t);
            if (t == c.lowerAt) gBackupInt = 3;
        }
        EXPECT_EQ(written, c.written) << c.name;
    }
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST_F(TimedBackupTest, BackupLeavesTheDatabaseAsItWas) {
    struct Simulator : platform::SimulatorLib {
        int saves = 0;
        std::string state;
        void MM_SaveWork() override {
            ++saves;
            state = CStrFromPtr(E_GetString("TOLVI32"));
            F_BackUp_Timer();  // a tick while the backup is written
        }
    } sim;
    platform::SetSimulatorLib(&sim);
    E_SetString("MW_QUVSIM", "1");
    gBackupInt = 1;
    gDbPath = tmp.File("real.TPB");
    DB_CreateHierarchy(0, "EDITED");
    SetDatabaseChanged(1);
    const std::string caption = recordingHost().caption;

    F_BackUp_Timer();
    platform::SetSimulatorLib(nullptr);

    EXPECT_TRUE(std::ifstream(tmp.File("Untitled.BAK")).good());
    EXPECT_EQ(sim.saves, 1);
    // The manager shows itself busy while the backup is written, and idle again afterwards.
    EXPECT_EQ(ParseAppState(sim.state).w4, -1);
    EXPECT_EQ(ParseAppState(CStrFromPtr(E_GetString("TOLVI32"))).w4, 0);
    EXPECT_EQ(gDbPath, tmp.File("real.TPB"));
    EXPECT_EQ(recordingHost().caption, caption);
    EXPECT_TRUE(IsDatabaseChanged());
    EXPECT_FALSE(std::ifstream(gDbPath).good());
    EXPECT_FALSE(scriptedUi().BusyPointer());
}

TEST_F(TimedBackupTest, FailedBackupShowsOneBoxAndStartsCountingAgain) {
    gJobDir = tmp.File("no-such-dir");
    gBackupInt = 2;
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    EXPECT_FALSE(Tick());
    F_BackUp_Timer();
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text,
              "Can't save Database" + gJobDir + "/Untitled.BAK\r\nNo such file or directory");
    F_BackUp_Timer();  // count 1 of the next interval: nothing
    EXPECT_EQ(scriptedUi().boxes.size(), 1u);
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    F_BackUp_Timer();
    EXPECT_EQ(scriptedUi().boxes.size(), 2u);
}

// The box names why the backup failed: a full disk, a job directory the user may not write.
TEST_F(TimedBackupTest, AFailedBackupSaysWhy) {
    gBackupInt = 1;
    const std::string disk = tmp.File("disk");
    fs::create_directory(disk);
    const int status = test::InOwnMountNamespace([&] {
        if (!test::MountFullDisk(disk)) return test::kNoMountNamespace;
        gJobDir = disk;
        scriptedUi().QueueAnswer(platform::kAnswerOk);
        F_BackUp_Timer();
        const auto& boxes = scriptedUi().boxes;
        if (boxes.size() != 1 ||
            boxes[0].text != "Can't save Database" + disk + "/Untitled.BAK\r\nNo space left on device")
            return 1;
        return fs::directory_iterator(disk)->path().filename() == "fill" &&
                       std::distance(fs::directory_iterator(disk), {}) == 1
                   ? 0
                   : 2;
    });
    if (status == test::kNoMountNamespace) GTEST_SKIP() << "no small file system can be mounted here";
    EXPECT_EQ(status, 0) << "1: not the box, 2: something left on the disk";

    gJobDir = tmp.File("locked");
    fs::create_directory(gJobDir);
    ::chmod(gJobDir.c_str(), 0555);
    {
        test::AsOrdinaryUser user;
        if (!user.Ordinary()) GTEST_SKIP() << "a superuser that cannot give up its rights";
        scriptedUi().QueueAnswer(platform::kAnswerOk);
        F_BackUp_Timer();
    }
    ::chmod(gJobDir.c_str(), 0700);
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text,
              "Can't save Database" + gJobDir + "/Untitled.BAK\r\nPermission denied");
    EXPECT_TRUE(fs::is_empty(gJobDir));
}

}  // namespace
}  // namespace tolvi
