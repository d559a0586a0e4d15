#include "mainwindow/db_commands.h"

#include <exception>
#include <optional>

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

void StartBackupWhenOn() {
    if (gBackupOn != 0) host().SetBackupTimer(true);
}

// Open and the recent-file open take the switch rounded to a whole number.
bool BackupsOnRounded() {
    int32_t on = 0;
    return RoundHalfEven(gBackupOn, on) && on != 0;
}

// The file part of path: after its last "/" (or "\", for paths typed the old way).
std::string FilePart(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The database file dialogs: .TPB files, starting in the job directory.
platform::FileDialogRequest DatabaseDialog(const std::string& title, int flags) {
    platform::FileDialogRequest request;
    request.defaultExt = "TPB";
    request.filter = kDbFilter;
    request.title = title;
    request.initDir = gJobDir;
    request.flags = flags;
    return request;
}

// The open dialog; nothing when it was cancelled or gave no name.
std::optional<std::string> ChooseDatabaseFile() {
    std::optional<std::string> chosen = platform::ui().FileDialog(DatabaseDialog(
        GetLocalString("Tolvi32 - Select Database File to Load", "10160"), platform::kOpenDialogFlags));
    if (chosen && chosen->empty()) chosen.reset();
    return chosen;
}

// The open dialog and the load. Chosen tells whether a file was chosen (so the open database was
// discarded), whatever the load's outcome.
void OpenChosenFile(int32_t& Result, bool& Chosen) {
    Result = 1;
    Chosen = false;
    try {
        const std::optional<std::string> path = ChooseDatabaseFile();
        if (!path) return;
        Chosen = true;
        if (LoadDatabaseFile(*path)) Result = 0;
    } catch (...) {
        Result = 1;
    }
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
    {
        platform::BusyPointerGuard busy;
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
    }
    gMsgTitle.clear();
}

}  // namespace

void ResetDbCommandsState() { gPasswordEntry.clear(); }

void MakeHeaps(int32_t Flag) {
    for (int16_t n = 1; n <= 3; ++n) MakeHeap(n, Flag);
}

bool BusyWithHelp(int32_t Menu, int32_t SubMenu) {
    const bool busy = IsBusy();
    ShowContextHelp(Menu, SubMenu, 0, 0);
    return busy;
}

std::string ClearQuestion(const std::string& Before, const std::string& After) {
    return GetLocalString(Before, "10112") + gDbName + GetLocalString(After, "10281") + "\r\n" +
           GetLocalString("Continue ?", "99477");
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
    bool chosen = false;
    OpenChosenFile(Result, chosen);
}

bool LoadDatabaseFile(const std::string& Path) {
    const std::string path = Path;  // the caller's text may be a global that changes below
    gDbTitle = "Untitled";
    SetDatabaseName(path);
    CreateEmptyDatabase();
    bool loaded = false;
    {
        platform::BusyPointerGuard busy;
        loaded = DB_LoadDataBase(path.c_str()) != 0;
    }
    if (!loaded) ShowDbError(1, path);
    OpenBitmapStore();
    host().SetBackupTimer(false);
    if (!loaded) {
        // The empty database must not carry the file's name and path: a later save or backup
        // would write it over the file the designer tried to open.
        gDbTitle = "Untitled";
        gDbPath.clear();
        UpdateMainCaption(gDbHandle);
        ReadDbLabel();
        SetDatabaseChanged(0);
        NotifyAll("UP");
        return false;
    }
    gDbPath = path;
    UpdateMainCaption(gDbHandle);
    ReadDbLabel();
    ApplyDefaultsToDesign();
    platform::BusyPointerGuard busy;
    MakeHeaps(-1);
    return true;
}

void AfterDatabaseLoaded() {
    const bool mismatch = !CheckDbPassword();
    if (mismatch) ClearDatabase(0, 2);
    NotifyAll("UP");
    if (BackupsOnRounded() && !mismatch) host().SetBackupTimer(true);
    SetDatabaseChanged(0);
    // After a mismatch gDbPath still names the refused file, which heads the list all the same.
    AddRecentFile();
    ShowRecentFiles();
    ConnectCommandLinks();
}

bool WriteDatabaseFile(const std::string& Path, const std::string* Name) {
    const std::string path = Path;
    const std::optional<std::string> name = Name ? std::optional<std::string>(*Name) : std::nullopt;
    bool written = false;
    std::string reason;
    {
        platform::BusyPointerGuard busy;
        for (int16_t n = 1; n <= 3; ++n) SaveHeap(n);
        MixedModeSaveWork();
        const std::string keptTitle = gDbTitle;
        const std::string keptName = CStrFromPtr(O_GetName(DB_DataBase()));
        if (name) {
            gDbTitle = *name;
            O_Rename(DB_DataBase(), name->c_str());
        }
        written = DB_SaveDataBase(path.c_str()) != 0;
        if (!written) reason = CStrFromPtr(DB_LastError());
        if (!written && name) {
            // Nothing was written: the database keeps the name it had, so neither the caption
            // nor a later Save or backup names a file that does not hold it.
            gDbTitle = keptTitle;
            O_Rename(DB_DataBase(), keptName.c_str());
        }
    }
    // The system's reason (a full disk, a refused directory) on a line of its own.
    if (!written) ShowDbError(2, reason.empty() ? path : path + "\r\n" + reason);
    return written;
}

void SaveDatabase(int32_t& Cancelled, int32_t AskName) {
    std::string name;
    std::string path;
    try {
        if (gDbName == "Untitled" || AskName != 0) {
            platform::FileDialogRequest request = DatabaseDialog(
                GetLocalString("Tolvi32 - Database File Name:", "99617"), platform::kSaveDialogFlags);
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

        if (!WriteDatabaseFile(path, &name)) {
            Cancelled = 1;
            return;
        }
        gDbPath = path;
    } catch (...) {
        Cancelled = 1;
    }
}

void ClearDatabase(int32_t Value, int32_t Mask) {
    host().SetBackupTimer(false);
    gDbTitle = "Untitled";
    CreateEmptyDatabase();
    O_Mask(OM_Object(DB_HierarchyMap(), gCurHier), Value, Mask);
    UpdateMainCaption(gDbHandle);
    CopyDefaultsToDatabase();
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
    bool chosen = false;
    OpenChosenFile(result, chosen);
    if (result != 0) {
        if (!chosen) StartBackupWhenOn();  // nothing chosen: the open database stays
        return;
    }
    AfterDatabaseLoaded();
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

}  // namespace tolvi
