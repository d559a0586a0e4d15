#include "mainwindow/startup.h"

#include <sys/stat.h>

#include "common/context_help.h"
#include "common/localisation.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "platform/text_files.h"

namespace tolvi {

void ResetStartupState() {
    gAppDir.clear();
    gUnitsPerMM = 100000;
    gNumFmt = {};
    gCursors = {};
    gStartingUp = false;
}

void PublishServerPath() {
    gAppDir = GetAppPath();
    E_SetString("ServerPath", gAppDir.c_str());
}

std::string SettingsFilePath(const std::string& argument) {
    static const char kIni[] = "TOLVI32.INI";
    std::string dir = argument;
    if (!dir.empty()) {
        if (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
        int err = 0;
        ValidateDirectory(dir, err);
        // Published to programs started elsewhere, so never relative to this one's directory.
        if (err == 0) return platform::ResolveFixedName(platform::AbsolutePath(dir), kIni);
    }
    // Never a bare name: the current directory of a program started from a menu is anybody's guess.
    const std::string config = platform::UserConfigDirectory();
    if (!platform::IsDirectory(config)) {
        ::mkdir(platform::DirectoryPart(config).c_str(), 0700);
        ::mkdir(config.c_str(), 0700);
    }
    return platform::ResolveFixedName(config, kIni);
}

void LoadIniFilePath() { gIniFile = CStrFromPtr(E_GetString("IniFile")); }

void LoadVectorFont(const std::string& Dir) {
    const std::string path = Trim(platform::JoinPath(Trim(Dir), "QUV32VFONT.TVF"));
    if (G_VectorFontLoad(
            platform::ResolveFixedName(platform::DirectoryPart(path), "QUV32VFONT.TVF").c_str()) == 0)
        ShowDbError(22, "");
}

void InitNumberFormats() {
    gNumFmt[0] = "#0.0000#";
    gNumFmt[1] = "###0.000";
}

void StartupHoldings::EndSession(bool forced) {
    // Given back once: a step that fails is not tried again.
    const unsigned held = held_;
    held_ &= kLocalTexts;
    if (!forced) GiveBack(window_, held);
}

void StartupHoldings::GiveBack(QWidget* window, unsigned held) {
    if (held & kDatabase) tolvi::PublishMainState(0, 0);
    if (held & kCommandLinks) ExitAllModules();
    if (held & kLocalTexts) CloseHelp(window, gHelpFile);
    if (held & kCursors) {
        gCursors[0] = G_DelCur(gCursors[0]);
        gCursors[1] = G_DelCur(gCursors[1]);
    }
    if (held & kDatabase) {
        DB_DiscardDataBase();
        DB_ExitClean();
        EX_ExitClean();
    }
    platform::CloseAllFiles();
}

StartupHoldings::~StartupHoldings() {
    try {
        if ((held_ & ~unsigned{kLocalTexts}) != 0) EndSession(false);
    } catch (...) {
        // A destructor gives back what it can; the local texts still close.
    }
    if (Holds(kLocalTexts)) CloseLocalTexts();
}

}  // namespace tolvi
