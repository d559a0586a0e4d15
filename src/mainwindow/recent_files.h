#pragma once
// The four most recently used database files: kept in the settings file's section "RecentFiles"
// (keys "1" to "4", "1" the most recent, "none" or a missing key ending the list) and shown at the
// end of the File menu, from where they are opened again.
#include <array>
#include <cstdint>
#include <string>

namespace tolvi {

// What the File menu shows, entry n at index n - 1: its path, or "" where no item shows. The
// menu is drawn from it and its items open these paths.
inline std::array<std::string, 4> gRecentFiles;

void ResetRecentFilesState();

// Reads the list into gRecentFiles and has the main window draw its items from it.
void ShowRecentFiles();
// Puts gDbPath first in the list.
void AddRecentFile();
// Opens the file of item Index, as File > Open does but without a file dialog.
void M_RecentFile_Click(int16_t Index);

}  // namespace tolvi
