#pragma once
// The option scope: which store the per-database option sets (text sizes, conductor sizes,
// layers, grids, the two category-colour sets) load from and store to. Every other set always
// lives in the settings file.
#include <cstdint>

namespace tolvi {

// 0 = Default (the settings file, the values for new work), anything else = Current (the open
// database). Set by the Options menu, start-up and the routines that copy the defaults into a
// database; ResetOptionStoreState puts it back to 0.
inline int32_t gOptCurrent = 0;

// True while the per-database sets work on the open database.
inline bool OptionsAreCurrent() { return gOptCurrent != 0; }

}  // namespace tolvi
