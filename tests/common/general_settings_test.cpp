#include "common/general_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "common/settings_access.h"
#include "kernel/kernel.h"
#include "option_fixture.h"
#include "platform/paths.h"
#include "support/recording_host.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using platform::JoinPath;

class GeneralSettings : public test::SettingsFixture {
protected:
    static std::string Kernel(const char* key) {
        const char* s = E_GetString(key);
        return s ? s : "<unset>";
    }
    static int32_t HelpFlag() {
        int32_t v = 0;
        std::memcpy(&v, E_SysTable(12) + 2044, 4);
        return v;
    }
};

TEST_F(GeneralSettings, EmptyFileGivesTheBuiltInDefaults) {
    LoadDirectories();
    LoadBackupSettings();
    LoadAutoHelp();
    LoadSystemIdentity();
    LoadStartupApps();
    LoadApertureFileName();
    ShowInHouseMenu();

    const std::string home = platform::HomeDirectory();
    EXPECT_EQ(gJobDir, JoinPath(JoinPath(home, "Tolvi32"), "JOB"));
    EXPECT_EQ(gLibDir, JoinPath(JoinPath(home, "Tolvi32"), "LIB"));
    EXPECT_EQ(gSysDir, JoinPath(JoinPath(home, "Tolvi32"), "SYS"));
    EXPECT_EQ(gZot3JobDir, JoinPath(home, "CADJOB"));
    EXPECT_EQ(Kernel("JobDir"), gJobDir);
    EXPECT_EQ(Kernel("LibDir"), gLibDir);
    EXPECT_EQ(Kernel("ZOT3JobDir"), gZot3JobDir);
    EXPECT_EQ(Kernel("SysDir"), "<unset>");
    EXPECT_EQ(gBackupInt, 5.0f);
    EXPECT_EQ(gBackupOn, 0.0f);
    EXPECT_EQ(gAutoHelp, -1);
    EXPECT_EQ(HelpFlag(), -1);
    EXPECT_EQ(gSysName, "Tolvi32");
    EXPECT_EQ(gSysVer, "1.0");
    EXPECT_EQ(gSysRev, "930630");
    EXPECT_EQ(gAppsStart, (std::array<int32_t, 4>{1, 1, 0, 1}));
    EXPECT_EQ(gAppsMin, (std::array<int32_t, 4>{0, 1, 0, 0}));
    EXPECT_EQ(gAperFile, "NONE");
    EXPECT_EQ(test::recordingHost().calls, std::vector<std::string>{"inhouse: off"});
    EXPECT_EQ(IniText(), "");  // loading writes nothing
}

TEST_F(GeneralSettings, StoredValuesReadBackWithTheirExactText) {
    gJobDir = "/data/jobs";
    gLibDir = "/data/lib";
    gSysDir = "/data/Sys Dir";
    gZot3JobDir = "/data/zot3";
    gBackupInt = 12.5f;
    gBackupOn = -1.0f;
    gAppsStart = {1, 0, 0, -1};
    gAppsMin = {0, 1, 1, 0};
    gAperFile = "STD";
    SaveDirectories();
    SaveBackupSettings();
    SaveStartupApps();
    SaveApertureFileName();
    EXPECT_EQ(Kernel("ZOT3JobDir"), "/data/zot3");

    const std::string ini = IniText();
    for (const char* line : {"JobDir=/data/jobs", "SysDir=/data/Sys Dir", "BackupInt= 12.5", "BackupON=-1",
                             "Apps= 1, 0, 0,-1", "AppsWin= 0, 1, 1, 0", "[POSTART]", "Aper=STD"})
        EXPECT_NE(ini.find(std::string(line) + "\r\n"), std::string::npos) << line;

    ResetGeneralSettingsState();
    KernelResetForTests();
    LoadDirectories();
    LoadBackupSettings();
    LoadStartupApps();
    LoadApertureFileName();
    EXPECT_EQ(gJobDir, "/data/jobs");
    EXPECT_EQ(gLibDir, "/data/lib");
    EXPECT_EQ(gSysDir, "/data/Sys Dir");
    EXPECT_EQ(gZot3JobDir, "/data/zot3");
    EXPECT_EQ(Kernel("JobDir"), "/data/jobs");
    EXPECT_EQ(Kernel("ZOT3JobDir"), "/data/zot3");
    EXPECT_EQ(gBackupInt, 12.5f);
    EXPECT_EQ(gBackupOn, -1.0f);
    EXPECT_EQ(gAppsStart, (std::array<int32_t, 4>{1, 0, 0, -1}));
    EXPECT_EQ(gAppsMin, (std::array<int32_t, 4>{0, 1, 1, 0}));
    EXPECT_EQ(gAperFile, "STD");
}

TEST_F(GeneralSettings, BackupIntervalOutsideOneToSixtyBecomesFive) {
    const struct {
        const char* text;
        float want;
    } cases[] = {{"0", 5},
                 {"61", 5},
                 {"-5", 5},
                 {"", 5},
                 {"0.5", 5},
                 {"60.5", 5},
                 {"1e400", 5},
                 {"1", 1},
                 {"60", 60},
                 {"7.5", 7.5f},
                 {"12 minutes", 12},
                 {"2,5", 2},
                 // the rule looks at the stored single-precision value
                 {"0.99999999", 1},
                 {"60.000001", 60},
                 {"60.00001", 5}};
    for (const auto& c : cases) {
        Put("Tolvi32", "BackupInt", c.text);
        LoadBackupSettings();
        EXPECT_EQ(gBackupInt, c.want) << '"' << c.text << '"';
    }
    Put("Tolvi32", "BackupON", "1x");
    LoadBackupSettings();
    EXPECT_EQ(gBackupOn, 1.0f);
}

TEST_F(GeneralSettings, AutoHelpIsCopiedIntoTheHelpTable) {
    const struct {
        const char* text;
        int32_t want;
    } cases[] = {{"0", 0}, {"-1", -1}, {"0,6", 1}, {"-0.5", 0}, {"junk", 0}};
    for (const auto& c : cases) {
        Put("Tolvi32", "AutoHelp", c.text);
        gAutoHelp = 99;
        LoadAutoHelp();
        EXPECT_EQ(gAutoHelp, c.want) << c.text;
        EXPECT_EQ(HelpFlag(), c.want) << c.text;
    }
}

TEST_F(GeneralSettings, StartupAppsNeedExactlyFourFields) {
    const struct {
        const char* apps;
        const char* appsWin;
        std::array<int32_t, 4> start;
        std::array<int32_t, 4> min;
    } cases[] = {
        {"0,0,1,1", "1,0,1,1", {0, 0, 1, 1}, {1, 0, 1, 1}},
        {" 1, 1, 0,-1", "0, 0, 0, 0", {1, 1, 0, -1}, {0, 0, 0, 0}},
        // any other field count sets the first three flags and keeps the viewer's
        {"0,0,0", "1,1,1", {-1, -1, 0, 7}, {0, -1, 0, 7}},
        {"0,0,0,0,0", "1,1,1,1,1", {-1, -1, 0, 7}, {0, -1, 0, 7}},
        {"", "", {-1, -1, 0, 7}, {0, -1, 0, 7}},
    };
    for (const auto& c : cases) {
        Put("Tolvi32", "Apps", c.apps);
        Put("Tolvi32", "AppsWin", c.appsWin);
        gAppsStart = {7, 7, 7, 7};
        gAppsMin = {7, 7, 7, 7};
        LoadStartupApps();
        EXPECT_EQ(gAppsStart, c.start) << c.apps;
        EXPECT_EQ(gAppsMin, c.min) << c.appsWin;
    }
}

TEST_F(GeneralSettings, InHouseMenuShowsOnlyForOne) {
    const struct {
        const char* text;
        bool shown;
    } cases[] = {{"1", true},  {"1.0", true}, {"1 yes", true}, {"-1", false},
                 {"2", false}, {"0", false},  {"on", false},   {"", false}};
    for (const auto& c : cases) {
        Put("InHouse", "Enabled", c.text);
        test::recordingHost().Reset();
        ShowInHouseMenu();
        EXPECT_EQ(test::recordingHost().calls,
                  std::vector<std::string>{c.shown ? "inhouse: on" : "inhouse: off"})
            << '"' << c.text << '"';
    }
}

TEST_F(GeneralSettings, PresentButEmptyKeysDoNotTakeTheDefault) {
    Put("Tolvi32", "JobDir", "");
    Put("Tolvi32", "SysName", "");
    Put("POSTART", "Aper", "");
    LoadDirectories();
    LoadSystemIdentity();
    LoadApertureFileName();
    EXPECT_EQ(gJobDir, "");
    EXPECT_EQ(Kernel("JobDir"), "");
    EXPECT_EQ(gSysName, "");
    EXPECT_EQ(gAperFile, "");
}

}  // namespace
}  // namespace tolvi
