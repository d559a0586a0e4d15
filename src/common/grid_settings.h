#pragma once
// Grid, snap, precision, angle snap and pick area: lists of choices, each preceded by its chosen
// entry (the position in the list, counted from 1), for schematics and layouts. They move between
// memory and twelve keys of the settings file's "Tolvi32" section (Default scope) or eight tables
// of the open database (Current scope).
//
// Lengths are database units of 10 nm, angles 1/1000 degree, pick sizes screen pixels.
#include <array>
#include <cstdint>

namespace tolvi {

// 0: chosen inch entry, 1..6: inch list, 7: chosen millimetre entry, 8..13: millimetre list.
inline std::array<int32_t, 14> gSchGrid{};  // table 3
inline std::array<int32_t, 14> gSchSnap{};  // table 4
inline std::array<int32_t, 14> gLayGrid{};  // table 5
inline std::array<int32_t, 14> gLaySnap{};  // table 6
// 0: chosen inch entry, 1..15: inch list, 16: chosen millimetre entry, 17..31: millimetre list.
inline std::array<int32_t, 32> gSchPrecision{};  // table 20
inline std::array<int32_t, 32> gLayPrecision{};  // table 21
inline std::array<int32_t, 7> gAngleSnap{};      // table 7: 0 chosen, 1..6 angles
inline std::array<int32_t, 5> gPickArea{};       // table 8: 0 chosen, 1..4 sizes

void ResetGridSettingsState();

// The settings file in Default scope, the database in Current scope.
void LoadGridTables();
void SaveGridTables();
// The eight database tables, whatever the scope.
void LoadGridSettings();
void PutGridTablesToKernel();

}  // namespace tolvi
