#pragma once
// Shared state set by start-up, and the small routines only start-up uses.
#include <array>
#include <cstdint>
#include <string>

namespace tolvi {

inline std::string gAppDir;                 // the program directory
inline int32_t gUnitsPerMM = 100000;        // database units per millimetre
inline std::array<std::string, 2> gNumFmt;  // [0] inch, [1] millimetre number formats
inline std::array<int32_t, 2> gCursors{};   // the two kernel cursors
inline bool gStartingUp = false;            // the main window ignores resizes meanwhile

void ResetStartupState();

// gAppDir = the program directory, published as kernel string "ServerPath".
void PublishServerPath();
// The settings file path for the first command-line argument (taken whole: the shell has split
// and unquoted it). One trailing separator is cut (the root stays "/"); an unusable directory is
// reported by ValidateDirectory. With no usable directory the file lives in the user's
// configuration directory.
std::string SettingsFilePath(const std::string& argument);
// gIniFile = kernel string "IniFile".
void LoadIniFilePath();
// Loads the vector font from Dir; a failure is reported and the built-in font stays.
void LoadVectorFont(const std::string& Dir);
void InitNumberFormats();

}  // namespace tolvi
