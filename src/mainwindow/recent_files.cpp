#include "mainwindow/recent_files.h"

#include <QAction>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <string>

#include "common/bitmap_store.h"
#include "common/boxes.h"
#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/host.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/command_routing.h"
#include "mainwindow/db_commands.h"
#include "platform/ui.h"

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

QAction* MenuItem(const std::string& name) {
    return gMainForm ? gMainForm->findChild<QAction*>(QString::fromStdString(name)) : nullptr;
}

QAction* RecentItem(int index) { return MenuItem("M_RecentFile(" + std::to_string(index) + ")"); }

void AddRecentPath(const std::string& path) {
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

void ShowRecentFiles() {
    for (int i = 0; i < kMaxEntries; ++i)
        if (QAction* item = RecentItem(i)) item->setVisible(false);
    QAction* separator = MenuItem("M_RFileSep");
    if (separator) separator->setVisible(false);

    int n = 1;
    for (; n <= kMaxEntries; ++n) {
        const std::string entry = ReadEntry(n);
        if (entry == "none") break;
        if (entry.empty()) continue;
        if (QAction* item = RecentItem(n - 1)) {
            // A path is the file system's bytes, not text of the code page.
            QString shown = QFile::decodeName(QByteArray::fromStdString(entry));
            shown.replace('&', QStringLiteral("&&"));
            item->setText(QStringLiteral("&%1. ").arg(n) + shown);
            item->setData(QByteArray::fromStdString(entry));
            item->setVisible(true);
        }
    }
    if (n >= 2 && separator) separator->setVisible(true);
}

void AddRecentFile() { AddRecentPath(gDbPath); }

void M_RecentFile_Click(int16_t Index) {
    if (IsBusy()) return;
    QAction* item = RecentItem(Index);
    if (item == nullptr) return;
    // The path is kept beside the caption, whose "&" are doubled for the menu.
    const std::string path = Trim(item->data().toByteArray().toStdString());
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

    gDbTitle = "Untitled";
    SetDatabaseName(path);
    CreateEmptyDatabase();
    platform::ui().SetBusyPointer(true);
    const bool loaded = DB_LoadDataBase(path.c_str()) != 0;
    platform::ui().SetBusyPointer(false);
    if (!loaded) ShowDbError(1, path);
    OpenBitmapStore();
    if (loaded) {
        gDbPath = path;
    } else {
        // The empty database must not carry the file's name and path: a later save or backup
        // would write it over the file.
        gDbTitle = "Untitled";
        gDbPath.clear();
    }
    host().SetBackupTimer(false);
    UpdateMainCaption(gDbHandle);
    ReadDbLabel();
    ApplyDefaultsToDesign();
    platform::ui().SetBusyPointer(true);
    for (int16_t n = 1; n <= 3; ++n) MakeHeap(n, -1);
    platform::ui().SetBusyPointer(false);

    const bool mismatch = !CheckDbPassword();
    if (mismatch) ClearDatabase(0, 2);
    NotifyAll("UP");
    int32_t backupOn = 0;
    if (!mismatch && RoundHalfEven(gBackupOn, backupOn) && backupOn != 0) host().SetBackupTimer(true);
    // The file tried heads the list even when it could not be loaded.
    AddRecentPath(path);
    ShowRecentFiles();
    ClearDatabaseChanged();
    ConnectCommandLinks();
}

}  // namespace tolvi
