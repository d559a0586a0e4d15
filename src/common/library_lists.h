#pragma once
// The three library search lists (parts, symbols, packages) and the current padstack library,
// kept in the settings file whatever the option scope.
#include <cstdint>
#include <string>
#include <vector>

namespace tolvi {

// Entry 0 exists and is always empty; entries 1..n are the libraries in search order.
inline std::vector<std::string> gDevLibs{""};
inline std::vector<std::string> gSchLibs{""};
inline std::vector<std::string> gLayLibs{""};
// Numbered keys each section holds, as last read or written, so a store can remove them first.
inline int32_t gDevLibCount = 0;
inline int32_t gSchLibCount = 0;
inline int32_t gLayLibCount = 0;

// Full path of the current padstack library file; also the kernel string "PADSTACKSI".
inline std::string gPadstackLib;

// The part handed between the library dialog and the part browse dialog: the dialog is shown for
// gPartName of the library gPartLibPath, loads it as device gPartDevId and hands back its package
// and the chosen group's symbol; gPartOK is -1 after Accept, 0 after Cancel.
inline std::string gPartName;
inline std::string gPartLibPath;
inline std::string gPartPackage;
inline std::string gPartSymbol;
inline int32_t gPartDevId = 0;
inline int32_t gPartOK = 0;

void ResetLibraryListsState();

// Sections "DEVLIBS", "SCHLIBS", "LAYLIBS", keys "1", "2", ...; a list ends at the first missing
// or empty key.
void LoadLibraryLists();
// Removes the keys last counted, then writes the lists without gaps (empty or blank entries are
// dropped from the lists, which a later load would otherwise cut short).
void SaveLibraryLists();
// "PADSTACKS" "I", default the library directory joined with "PADSTACK.PADSTACK"; both publish it.
void LoadPadstackLibrary();
void SavePadstackLibrary();

}  // namespace tolvi
