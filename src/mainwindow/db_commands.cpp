#include "mainwindow/db_commands.h"

#include <QAction>
#include <QMainWindow>
#include <QVariant>
#include <exception>
#include <functional>

#include "common/bitmap_store.h"
#include "common/boxes.h"
#include "common/context_help.h"
#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/host.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/option_store.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/command_routing.h"
#include "mainwindow/module_registry.h"
#include "mainwindow/optninfo.h"
#include "mainwindow/optninpt.h"
#include "mainwindow/recent_files.h"
#include "platform/paths.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

const char* const kDbFilter = "Tolvi32 Database Files (*.TPB)|*.TPB";
constexpr int kOpenFlags = 0x1804;  // file and path must exist, hide read-only
constexpr int kSaveFlags = 0x2006;  // create prompt, overwrite prompt, hide read-only

void StartBackupWhenOn() {
    if (gBackupOn != 0) host().SetBackupTimer(true);
}

// Open and the recent-file open take the switch rounded to a whole number.
bool BackupsOnRounded() {
    int32_t on = 0;
    return RoundHalfEven(gBackupOn, on) && on != 0;
}

void MakeHeaps(int32_t flag) {
    for (int16_t n = 1; n <= 3; ++n) MakeHeap(n, flag);
}

// The menu item of the main window called name, if both exist.
QAction* MainItem(const char* name) {
    return gMainForm ? gMainForm->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
}

bool BusyWithHelp(int32_t menu, int32_t subMenu) {
    int32_t flag = 0;
    std::string caption;
    CheckBusy(flag, caption);
    ShowContextHelp(menu, subMenu, 0, 0);
    return flag != 0;
}

std::string ClearQuestion(const std::string& before, const std::string& after) {
    return GetLocalString(before, "10112") + gDbName + GetLocalString(after, "10281") + "\r\n" +
           GetLocalString("Continue ?", "99477");
}

// The file part of path: after its last "/" (or "\", for paths typed the old way).
std::string FilePart(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The open dialog and the load. Replaced tells whether the open database was discarded (a file
// was chosen), whatever the load's outcome.
void OpenChosenFile(int32_t& Result, bool& Replaced) {
    Result = 1;
    Replaced = false;
    try {
        platform::FileDialogRequest request;
        request.defaultExt = "TPB";
        request.filter = kDbFilter;
        request.title = GetLocalString("Tolvi32 - Select Database File to Load", "10160");
        request.initDir = gJobDir;
        request.flags = kOpenFlags;
        const std::optional<std::string> chosen = platform::ui().FileDialog(request);
        if (!chosen || chosen->empty()) return;
        const std::string path = *chosen;

        gDbTitle = "Untitled";
        SetDatabaseName(path);
        Replaced = true;
        CreateEmptyDatabase();
        platform::ui().SetBusyPointer(true);
        const bool loaded = DB_LoadDataBase(path.c_str()) != 0;
        platform::ui().SetBusyPointer(false);
        if (loaded) {
            Result = 0;
            OpenBitmapStore();
            gDbPath = path;
            return;
        }
        ShowDbError(1, path);
        OpenBitmapStore();
        // The empty database must not carry the file's name and path: a later save or backup
        // would write it over the file the designer tried to open.
        gDbTitle = "Untitled";
        gDbPath.clear();
        UpdateMainCaption(gDbHandle);
        ReadDbLabel();
        SetDatabaseChanged(0);
    } catch (...) {
        platform::ui().SetBusyPointer(false);
        Result = 1;
    }
}

// After a successful load from a file: what the designer and the modules see of it.
void AfterLoad() {
    UpdateMainCaption(gDbHandle);
    ReadDbLabel();
    ApplyDefaultsToDesign();
    platform::ui().SetBusyPointer(true);
    MakeHeaps(-1);
    platform::ui().SetBusyPointer(false);
}

// The launchers of modules that replace the open database: offer to save it, then clear it and
// start the module.
void SaveOrClearLaunch(const char* title, const char* titleId, const char* module) {
    if (IsBusy()) return;
    gMsgTitle = GetLocalString(title, titleId);
    const bool toSave = AskYesNo(GetLocalString("Save Database: ", "10243") + gDbName);
    if (toSave) {
        host().SetBackupTimer(false);
        int32_t cancelled = 0;
        SaveDatabase(cancelled, 0);
        UpdateMainCaption(gDbHandle);
    }
    platform::ui().SetBusyPointer(true);
    if (AskYesNo(ClearQuestion("Current Database ", " will be cleared."))) {
        ExitAllModules();
        // What the module builds is a new database: once it has a name, a Save must not write
        // it over the file that was open before.
        gDbPath.clear();
        ClearDatabase(0, 2);
        int16_t mode = 0;
        std::string file;
        InitializeApp(module, mode, file);
    } else if (toSave) {
        StartBackupWhenOn();  // the database stays open, so its backups go on
    }
    platform::ui().SetBusyPointer(false);
    gMsgTitle.clear();
}

}  // namespace

void ResetDbCommandsState() {
    gDbPath.clear();
    gPasswordEntry.clear();
}

int32_t AskDatabaseChanged(const std::string& LastLine) {
    return AskQuestion(GetLocalString("Database: <", "10125") + gDbName +
                       GetLocalString("> has changed.", "1068") + "\r\n" + LastLine);
}

bool CheckDbPassword() {
    if (gDbLabel.PassSet == 0) return true;
    QWidget* form = new OPTNINPT(gMainForm);
    ShowOptionForm(form, -1);
    if (FirstWord(gDbLabel.Password) == FirstWord(gPasswordEntry)) return true;
    platform::ui().Beep();
    return false;
}

void SetDatabaseName(const std::string& Path) {
    const std::string file = FilePart(Path);
    // A dot at the first character starts the name, not an extension.
    const auto dot = file.size() > 1 ? file.find_last_of('.') : std::string::npos;
    gDbTitle = dot != std::string::npos && dot >= 1 ? file.substr(0, dot) : file;
}

void OpenDatabaseFile(int32_t& Result) {
    bool replaced = false;
    OpenChosenFile(Result, replaced);
}

void SaveDatabase(int32_t& Cancelled, int32_t AskName) {
    std::string name;
    std::string path;
    try {
        if (gDbName == "Untitled" || AskName != 0) {
            platform::FileDialogRequest request;
            request.defaultExt = "TPB";
            request.filter = kDbFilter;
            request.title = GetLocalString("Tolvi32 - Database File Name:", "99617");
            request.initDir = gJobDir;
            request.flags = kSaveFlags;
            request.fileName = gDbName + ".TPB";
            request.save = true;
            const std::optional<std::string> chosen = platform::ui().FileDialog(request);
            if (!chosen || chosen->empty()) {
                Cancelled = 1;
                return;
            }
            path = *chosen;
            // The name is the file part up to its first dot ("board.v2.TPB" is "board").
            name = FilePart(path);
            name = name.substr(0, name.find('.'));
            if (name.empty()) {
                Cancelled = 1;
                return;
            }
        } else {
            name = gDbName;
            path = gDbPath.empty() ? platform::JoinPath(gJobDir, name + ".TPB") : gDbPath;
        }

        platform::ui().SetBusyPointer(true);
        for (int16_t n = 1; n <= 3; ++n) SaveHeap(n);
        MixedModeSaveWork();
        const std::string keptTitle = gDbTitle;
        const std::string keptName = CStrFromPtr(O_GetName(DB_DataBase()));
        gDbTitle = name;
        O_Rename(DB_DataBase(), name.c_str());
        if (DB_SaveDataBase(path.c_str()) == 0) {
            // Nothing was written: the database keeps the name and file it had, so neither the
            // caption nor a later Save or backup names a file that does not hold it.
            gDbTitle = keptTitle;
            O_Rename(DB_DataBase(), keptName.c_str());
            platform::ui().SetBusyPointer(false);
            ShowDbError(2, path);
            Cancelled = 1;
            return;
        }
        platform::ui().SetBusyPointer(false);
        gDbPath = path;
    } catch (...) {
        platform::ui().SetBusyPointer(false);
        Cancelled = 1;
    }
}

void ClearDatabase(int32_t Value, int32_t Mask) {
    host().SetBackupTimer(false);
    gDbTitle = "Untitled";
    CreateEmptyDatabase();
    O_Mask(OM_Object(DB_HierarchyMap(), gCurHier), Value, Mask);
    UpdateMainCaption(gDbHandle);
    gOptCurrent = 0;
    LoadAllOptionSets();
    gOptCurrent = -1;
    SaveAllOptionSets();
    gOptCurrent = 0;
    if (QAction* item = MainItem("M_Default")) item->setChecked(true);
    if (QAction* item = MainItem("M_Current")) item->setChecked(false);
    ReadDbLabel();
    ResetHierStackFile();
}

void M_DbClear_Click(int16_t Index) {
    if (BusyWithHelp(1, Index + 1)) return;
    const std::string keptTitle = gMsgTitle;
    gMsgTitle = "Tolvi32";
    bool clear = false;
    if (IsDatabaseChanged()) {
        const int32_t answer = AskDatabaseChanged(GetLocalString("Save ?", "10292"));
        if (answer == platform::kAnswerCancel) {
            gMsgTitle = keptTitle;
            return;
        }
        if (answer == platform::kAnswerYes) {
            gMsgTitle = keptTitle;
            host().SetBackupTimer(false);
            int32_t cancelled = 0;
            SaveDatabase(cancelled, 0);
            if (cancelled != 0) {
                // The database stays open, so its backups go on.
                StartBackupWhenOn();
                return;
            }
            UpdateMainCaption(gDbHandle);
        }
        clear = true;
    } else if (AskYesNo(ClearQuestion("Current Database <", "> will be cleared."))) {
        gMsgTitle = keptTitle;
        clear = true;
    }
    if (clear) {
        gDbPath.clear();
        ClearDatabase(0, 2);
        MakeHeaps(0);
        NotifyAll("UP");
    }
    gMsgTitle = keptTitle;
    SetDatabaseChanged(0);
    ConnectCommandLinks();
}

bool SaveChangedBeforeLoad(const std::string& LastLine) {
    if (!IsDatabaseChanged()) return true;
    const int32_t answer = AskDatabaseChanged(LastLine);
    if (answer == platform::kAnswerCancel) {
        gMsgTitle.clear();
        return false;
    }
    if (answer == platform::kAnswerYes) {
        host().SetBackupTimer(false);
        int32_t cancelled = 0;
        SaveDatabase(cancelled, 0);
        UpdateMainCaption(gDbHandle);
        if (cancelled != 0) {
            // Not saved: the changes stay open rather than be dropped by the load.
            StartBackupWhenOn();
            return false;
        }
    }
    return true;
}

void M_DbInfo_Click() {
    if (BusyWithHelp(1, 2)) return;
    if (!CheckDbPassword()) return;
    QWidget* form = new OPTNINFO(gMainForm);
    ShowOptionForm(form, 0);
}

void M_DbOpen_Click() {
    if (BusyWithHelp(1, 3)) return;
    if (!SaveChangedBeforeLoad(GetLocalString("Save?", "10244"))) return;
    host().SetBackupTimer(false);
    int32_t result = 0;
    bool replaced = false;
    OpenChosenFile(result, replaced);
    if (result != 0) {
        if (replaced)
            NotifyAll("UP");  // the modules' database is gone, even though none was loaded
        else
            StartBackupWhenOn();  // nothing chosen: the open database stays
        return;
    }
    AfterLoad();
    const bool mismatch = !CheckDbPassword();
    if (mismatch) ClearDatabase(0, 2);
    NotifyAll("UP");
    if (BackupsOnRounded() && !mismatch) host().SetBackupTimer(true);
    SetDatabaseChanged(0);
    AddRecentFile();
    ShowRecentFiles();
    ConnectCommandLinks();
}

namespace {

void SaveCommand(int32_t menu, int32_t subMenu, int32_t askName) {
    if (BusyWithHelp(menu, subMenu)) return;
    host().SetBackupTimer(false);
    int32_t cancelled = 0;
    SaveDatabase(cancelled, askName);
    UpdateMainCaption(gDbHandle);
    StartBackupWhenOn();
    // A cancelled or failed save leaves the changes marked, so that exit still asks for them.
    if (cancelled != 0) return;
    SetDatabaseChanged(0);
    AddRecentFile();
    ShowRecentFiles();
}

}  // namespace

void M_DbSave_Click() { SaveCommand(1, 4, 0); }

void M_DbSaveAs_Click() { SaveCommand(1, 5, -1); }

void M_FontEditor_Click() { SaveOrClearLaunch("Vector Font Editor", "10293", "QUVFNTED"); }

void M_ImpZOT3_Click(int16_t /*Index*/) { SaveOrClearLaunch("Tolvi32 Import", "10167", "QUVWRIMP"); }

void M_ImpSpice_Click() { SaveOrClearLaunch("SPICE Netlist Import", "10259", "QUVSPCIP"); }

void ConnectDatabaseCommands(QMainWindow* main) {
    if (main == nullptr) return;
    const auto wire = [main](const char* name, std::function<void()> handler) {
        QAction* item = main->findChild<QAction*>(QString::fromLatin1(name));
        if (item == nullptr || item->property("tolviDbWired").toBool()) return;
        item->setProperty("tolviDbWired", true);
        QObject::connect(item, &QAction::triggered, main, [h = std::move(handler)] { RunEvent(h); });
    };
    wire("M_DbClear(0)", [] { M_DbClear_Click(0); });
    wire("M_DbInfo", [] { M_DbInfo_Click(); });
    wire("M_DbOpen", [] { M_DbOpen_Click(); });
    wire("M_DbSave", [] { M_DbSave_Click(); });
    wire("M_DbSaveAs", [] { M_DbSaveAs_Click(); });
    wire("M_RecentFile(0)", [] { M_RecentFile_Click(0); });
    wire("M_RecentFile(1)", [] { M_RecentFile_Click(1); });
    wire("M_RecentFile(2)", [] { M_RecentFile_Click(2); });
    wire("M_RecentFile(3)", [] { M_RecentFile_Click(3); });
    wire("M_FontEditor", [] { M_FontEditor_Click(); });
    wire("M_ImpZOT3(1)", [] { M_ImpZOT3_Click(1); });
    wire("M_ImpSpice", [] { M_ImpSpice_Click(); });
    ShowRecentFiles();
}

}  // namespace tolvi
