#pragma once
// The four most recently used database files: kept in the settings file's section "RecentFiles"
// (keys "1" to "4", "1" the most recent, "none" or a missing key ending the list) and shown at the
// end of the File menu, from where they are opened again.
#include <cstdint>

namespace tolvi {

// Rebuilds the items M_RecentFile(0..3) and the separator M_RFileSep of the main window.
void ShowRecentFiles();
// Puts gDbPath first in the list.
void AddRecentFile();
// Opens the file of item Index, as File > Open does but without a file dialog.
void M_RecentFile_Click(int16_t Index);

}  // namespace tolvi
