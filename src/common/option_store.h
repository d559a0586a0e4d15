#pragma once
// The routines that load, store, copy and apply every option set at once, and the one routine
// through which every dialog is shown modally. The scope itself is in common/option_scope.h.
//
// Two stores hold the option sets: the settings file (Default scope, the values for new work) and
// the open database's settings tables (Current scope). Only the per-database sets (text sizes,
// conductor sizes, layers, grids and the two category-colour sets) follow the scope; every other
// set always lives in the settings file.
#include <array>
#include <cstdint>
#include <string>

#include "common/option_scope.h"

class QWidget;

namespace tolvi {

// Scratch of the layer and category loaders: they read every raw value of a set before parsing
// any, because ParseList overwrites its shared results. Nobody keeps anything here.
inline std::array<std::string, 32> gIniVals;

void ResetOptionStoreState();

// Loads every option set that the menus edit, each from the store the scope names now. The
// directories come first: the padstack library's default is built from the library directory.
void LoadAllOptionSets();
// Stores the same sets, except the directories and the padstack library (only their own dialogs
// store them). In Current scope the per-database sets go into the open database and the others
// still go to the settings file.
void SaveAllOptionSets();
// SaveAllOptionSets in Current scope, then Default scope, ticked in the Options menu. A failure
// on the way leaves the scope as it was.
void SaveAllOptionSetsToDatabase();
// The settings file's values into the open database: LoadAllOptionSets in Default scope, then
// SaveAllOptionSetsToDatabase. A failure on the way leaves the scope as it was.
void CopyDefaultsToDatabase();
// Reads the text sizes, conductor sizes and grids from the settings file and writes them into the
// open database; the scope is left as it was. Layers and colours are not touched.
void ApplyDefaultsToDesign();

// Shows Frm modally and unloads (deletes) it; Frm is null afterwards. gDlgAccepted is 0 until
// the form gives its verdict, so a form closed any other way counts as cancelled. The form's load
// handler, a method Form_Load() it may declare invokable, runs here before the form is centred;
// a form that sets its property "formEnded" while loading is not shown. When AddModeSuffix is not
// 0 the caption becomes CaptionWithScope of it. While the form is open the backup timer is off
// and gModalDepth is one higher; the timer comes back only when no dialog is left open and
// backups are on. A failure while the form loads or runs still unloads it and restores the
// depth, then goes on to the caller.
void ShowOptionForm(QWidget*& Frm, const int32_t& AddModeSuffix);
// The caption cut before its first " (" (an earlier scope suffix, or whatever the suffix
// replaces), followed by " (Current)" when OptCurrent is not 0, else " (Default)".
std::string CaptionWithScope(const std::string& Caption, int32_t OptCurrent);

}  // namespace tolvi
