#include "common/general_settings.h"

#include <cstdint>
#include <initializer_list>
#include <limits>

#include "common/host.h"
#include "common/numbers.h"
#include "common/settings_access.h"
#include "kernel/kernel.h"
#include "platform/paths.h"

namespace tolvi {

namespace {

const char* const kMain = "Tolvi32";

// The directories default to fixed places under the user's home directory.
std::string HomeDir(std::initializer_list<const char*> parts) {
    std::string path = platform::HomeDirectory();
    for (const char* p : parts) path = platform::JoinPath(path, p);
    return path;
}

std::string Get(const char* section, const char* key, const std::string& def) {
    std::string value;
    IniGetString(section, key, def, value);
    return value;
}

void Put(const char* section, const char* key, const std::string& value) {
    int err = 0;  // reported by the settings layer; the next key is written all the same
    IniPutString(section, key, value, err);
}

void PublishDirectories() {
    E_SetString("JobDir", gJobDir.c_str());
    E_SetString("LibDir", gLibDir.c_str());
    E_SetString("ZOT3JobDir", gZot3JobDir.c_str());
}

// Four flags from the last ParseList, when it gave exactly four fields.
bool TakeFourFlags(std::array<int32_t, 4>& flags) {
    if (gTokNum[0] != 4.0f) return false;
    for (std::size_t k = 0; k < 4; ++k) {
        int32_t v = 0;
        if (RoundHalfEven(static_cast<double>(gTokNum[k + 1]), v)) flags[k] = v;
    }
    return true;
}

bool FitsSingle(double v) {
    return v >= -static_cast<double>(std::numeric_limits<float>::max()) &&
           v <= static_cast<double>(std::numeric_limits<float>::max());
}

std::string FlagsText(const std::array<int32_t, 4>& flags) {
    std::string text;
    for (std::size_t k = 0; k < flags.size(); ++k) {
        if (k) text += ",";
        text += IniNumText(flags[k]);
    }
    return text;
}

}  // namespace

void ResetGeneralSettingsState() {
    gJobDir.clear();
    gLibDir.clear();
    gSysDir.clear();
    gZot3JobDir.clear();
    gBackupInt = 0.0f;
    gBackupOn = 0.0f;
    gAutoHelp = 0;
    gSysName.clear();
    gSysVer.clear();
    gSysRev.clear();
    gAppsStart.fill(0);
    gAppsMin.fill(0);
    gAperFile.clear();
}

void LoadDirectories() {
    gJobDir = Get(kMain, "JobDir", HomeDir({"Tolvi32", "JOB"}));
    gLibDir = Get(kMain, "LibDir", HomeDir({"Tolvi32", "LIB"}));
    gSysDir = Get(kMain, "SysDir", HomeDir({"Tolvi32", "SYS"}));
    gZot3JobDir = Get(kMain, "ZOT3JobDir", HomeDir({"CADJOB"}));
    PublishDirectories();
}

void SaveDirectories() {
    Put(kMain, "JobDir", gJobDir);
    Put(kMain, "LibDir", gLibDir);
    Put(kMain, "SysDir", gSysDir);
    Put(kMain, "ZOT3JobDir", gZot3JobDir);
    PublishDirectories();
}

void LoadBackupSettings() {
    const std::string interval = Get(kMain, "BackupInt", "5");
    const std::string on = Get(kMain, "BackupON", "0");
    // Values beyond single precision are not narrowed (that would be undefined); a huge switch
    // value still means "on", a huge interval is out of range anyway.
    const double onValue = NumberStoppingAtBlank(on);
    gBackupOn = FitsSingle(onValue) ? static_cast<float>(onValue) : 1.0f;
    // The range rule applies to the stored single, so 0.99999999 (stored as 1) is kept.
    const double minutes = NumberStoppingAtBlank(interval);
    gBackupInt = FitsSingle(minutes) ? static_cast<float>(minutes) : 0.0f;
    if (gBackupInt < 1.0f || gBackupInt > 60.0f) gBackupInt = 5.0f;
}

void SaveBackupSettings() {
    Put(kMain, "BackupInt", IniSingleText(gBackupInt));
    Put(kMain, "BackupON", IniSingleText(gBackupOn));
}

void LoadAutoHelp() {
    const std::string value = Get(kMain, "AutoHelp", "-1");
    int32_t flag = 0;
    if (RoundHalfEven(ParseNumber(value), flag)) gAutoHelp = flag;
    WriteAutoHelpFlag(gAutoHelp);
}

int32_t ReadAutoHelpFlag() {
    int32_t flag = 0;
    if (uint8_t* table = E_SysTable(SysHelpState)) E_MemCopy(&flag, table + kAutoHelpOffset, 4);
    return flag;
}

void WriteAutoHelpFlag(int32_t Flag) {
    if (uint8_t* table = E_SysTable(SysHelpState)) E_MemCopy(table + kAutoHelpOffset, &Flag, 4);
}

void LoadSystemIdentity() {
    gSysName = Get(kMain, "SysName", "Tolvi32");
    gSysVer = Get(kMain, "Ver", "1.0");
    gSysRev = Get(kMain, "Rev", "930630");
}

void LoadStartupApps() {
    const std::string apps = Get(kMain, "Apps", "1,1,0,1");
    const std::string appsWin = Get(kMain, "AppsWin", "0,1,0,0");
    ParseList(apps);
    if (!TakeFourFlags(gAppsStart)) {
        gAppsStart[0] = -1;
        gAppsStart[1] = -1;
        gAppsStart[2] = 0;
    }
    ParseList(appsWin);
    if (!TakeFourFlags(gAppsMin)) {
        gAppsMin[0] = 0;
        gAppsMin[1] = -1;
        gAppsMin[2] = 0;
    }
}

void SaveStartupApps() {
    Put(kMain, "Apps", FlagsText(gAppsStart));
    Put(kMain, "AppsWin", FlagsText(gAppsMin));
}

void LoadApertureFileName() { gAperFile = Get("POSTART", "Aper", "NONE"); }

void SaveApertureFileName() { Put("POSTART", "Aper", gAperFile); }

void ShowInHouseMenu() {
    const std::string value = Get("InHouse", "Enabled", "0");
    host().ShowInHouseMenu(NumberStoppingAtBlank(value) == 1.0);
}

}  // namespace tolvi
