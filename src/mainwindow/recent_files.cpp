#include "mainwindow/recent_files.h"

#include <string>

#include "common/boxes.h"
#include "common/db_session.h"
#include "common/host.h"
#include "common/localisation.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/db_commands.h"

namespace tolvi {

namespace {

const char* const kSection = "RecentFiles";
constexpr int kMaxEntries = 4;

// Reads name the key as the number with a blank in the place of its sign, writes without it; the
// settings file ignores blanks around key names, so both reach the same key.
std::string ReadEntry(int n) {
    std::string value;
    IniGetString(kSection, " " + std::to_string(n), "none", value);
    return value;
}

void WriteEntry(int n, const std::string& value) {
    int err = 0;
    IniPutString(kSection, std::to_string(n), value, err);
}

void AddRecentPath(const std::string& path) {
    SettingsOperation op;  // the list moves down in one write
    int found = 0;
    for (int n = 1;; ++n) {
        const std::string entry = ReadEntry(n);
        if (entry == path) {
            found = n;
            break;
        }
        if (entry == "none") break;
    }
    if (found == 1 || found > kMaxEntries) return;
    // Not in the list: every entry moves down one and the fourth drops off; found further down:
    // only the entries above it move.
    const int from = found == 0 ? kMaxEntries - 1 : found - 1;
    for (int i = from; i >= 1; --i) {
        const std::string entry = ReadEntry(i);
        if (found != 0 || entry != "none") WriteEntry(i + 1, entry);
    }
    WriteEntry(1, path);
}

}  // namespace

void ResetRecentFilesState() { gRecentFiles.fill(std::string()); }

void ShowRecentFiles() {
    gRecentFiles.fill(std::string());
    int n = 1;
    for (; n <= kMaxEntries; ++n) {
        const std::string entry = ReadEntry(n);
        if (entry == "none") break;
        gRecentFiles[static_cast<std::size_t>(n - 1)] = entry;  // an empty entry shows no item
    }
    host().DrawRecentFiles(gRecentFiles, n >= 2);
}

void AddRecentFile() { AddRecentPath(gDbPath); }

void M_RecentFile_Click(int16_t Index) {
    if (IsBusy()) return;
    if (Index < 0 || Index >= kMaxEntries) return;
    const std::string path = Trim(gRecentFiles[static_cast<std::size_t>(Index)]);
    if (path.empty()) return;

    // The file is tested before anything is asked or dropped: a vanished file must leave the open
    // database as it was, changed mark included.
    int err = 0;
    FileOpenTest(err, -1, path);
    if (err != 0) return;

    if (Trim(gDbPath) == path) {
        if (!AskYesNo(GetLocalString("Return to saved Database:", "10234") + "\r\n" + path + "?")) return;
        ClearDatabaseChanged();
    }
    if (!SaveChangedBeforeLoad(GetLocalString("Do you want to save?", "10130"))) return;

    if (LoadDatabaseFile(path)) {
        AfterDatabaseLoaded();
        return;
    }
    // The file tried heads the list even when it could not be loaded.
    AddRecentPath(path);
    ShowRecentFiles();
    ConnectCommandLinks();
}

}  // namespace tolvi
