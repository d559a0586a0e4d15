#pragma once
// The File menu's database commands: new, open, save, save as and database info, and the routines
// they share with the rest of the manager (open a file into the kernel, save the open database,
// replace it by an empty one, name it from a file path, check its password).
#include <cstdint>
#include <string>

#include "common/db_session.h"  // gDbPath

namespace tolvi {

inline std::string gPasswordEntry;  // text typed into the password dialog, trimmed; "" after Cancel

void ResetDbCommandsState();

// File > New Database; Index is the item's index in the M_DbClear array (0 = New Database).
void M_DbClear_Click(int16_t Index);
void M_DbInfo_Click();
void M_DbOpen_Click();
void M_DbSave_Click();
void M_DbSaveAs_Click();
// The launchers of the modules that replace the open database (Font Editor, wirelist import,
// SPICE netlist import): offer to save it, then, when the designer agrees, clear it and start them.
void M_FontEditor_Click();
void M_ImpZOT3_Click(int16_t Index);
void M_ImpSpice_Click();

// Lets the designer choose a database file and loads it (LoadDatabaseFile). Result 0 = chosen
// and loaded; 1 = dialog cancelled, load failed or run-time failure.
void OpenDatabaseFile(int32_t& Result);
// Loads the database file Path in place of the open one: the one load of Open, the recent files
// and the mailbox. The database is named after the file; the backup timer stops. Loaded: the
// bitmap store opens, gDbPath = Path, the caption and label are refreshed, the default sizes and
// grids are applied and heaps 1..3 made from the file. Not loaded: "Can't load Database: " and the
// path are shown, and the empty "Untitled" database stands without a path (so no save or backup
// writes it over the file), its caption and label refreshed, unchanged, and "UP" sent to the
// modules, whose database is gone. True when loaded.
bool LoadDatabaseFile(const std::string& Path);
// What Open and the recent-file open do once a file is loaded: the password check (a mismatch
// clears the database), "UP", backups on again unless refused, unchanged, and the recent files.
void AfterDatabaseLoaded();
// Saves the open database; a non-zero AskName forces the file dialog (Save As). Sets Cancelled to
// 1 when the dialog was cancelled, the name came out empty or the save failed; never sets it to 0.
void SaveDatabase(int32_t& Cancelled, int32_t AskName);
// Writes the open database to Path: the one write of Save, Save As and the timed backup. Heaps
// 1..3 and a running simulator's work are saved first, all under the busy pointer. With a Name
// the database takes it (gDbTitle and its root's name) for the write and keeps the old one when
// the write fails. A failure shows "Can't save Database", the path and, on a line of its own,
// the system's reason. True when written.
bool WriteDatabaseFile(const std::string& Path, const std::string* Name = nullptr);
// Replaces the open database by an empty "Untitled" one with the default settings; Value and Mask
// are the status given to its root hierarchy. Makes no heaps and tells no module; gDbPath is kept.
void ClearDatabase(int32_t Value, int32_t Mask);
// gDbTitle = the file part of Path, cut before its last dot (searched from its second character).
void SetDatabaseName(const std::string& Path);

// The password check of the open database: passes when no password is set, otherwise asks for it
// (a beep on a mismatch).
bool CheckDbPassword();
// Makes the kernel's heaps 1..3 with Flag (-1 after a load from a file, else 0).
void MakeHeaps(int32_t Flag);
// The busy test (its box shown when a module is busy), then the help topic (Menu, SubMenu); true
// when a module is busy.
bool BusyWithHelp(int32_t Menu, int32_t SubMenu);
// The question before the open database is cleared: Before, its name, After, then "Continue ?".
std::string ClearQuestion(const std::string& Before, const std::string& After);
// The changed-database question ("Database: <name> has changed." and LastLine); Yes, No or Cancel.
int32_t AskDatabaseChanged(const std::string& LastLine);
// Before another database replaces the open one: asks the changed-database question when it has
// changed and saves on Yes. False when the command must stop (Cancel, or a save that was cancelled
// or failed: the database stays open and its backups go on).
bool SaveChangedBeforeLoad(const std::string& LastLine);

}  // namespace tolvi
