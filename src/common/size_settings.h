#pragma once
// Conductor sizes (airgaps, sixteen trace and pad sizes, schematic bus and wire widths, sixteen
// symbol-edit line widths) and text sizes (32 heights and line widths). Each set moves between
// memory and the store that gOptCurrent names: [SIZES] / [TEXTS] of the settings file, or the
// open database's tables 9, 10, 13, 14, 15, 19 and its text size table.
//
// Lengths are database units of 10 nm. TextSizeRec and PadSizeRec are the kernel's records.
#include <array>
#include <cstdint>

#include "kernel/kernel.h"

namespace tolvi {

// Row 0: airgaps for trace segments, round pads, square pads; rows 1..16: size entries 0..15,
// each trace width, round pad diameter, square pad size.
inline std::array<std::array<int32_t, 3>, 17> gCondSizes{};
// Kernel images of tables 10 (airgaps) and 9 (pad sizes).
inline std::array<int32_t, 3> gAirgaps{};
inline std::array<PadSizeRec, 16> gPadSizesK{};
inline int32_t gBusWidth = 0;   // table 13
inline int32_t gWireWidth = 0;  // table 14
// Symbol-edit line widths, entries 1..16 (table 15); entry 0 is unused.
inline std::array<int32_t, 17> gLineWidths{};
// Entries 0..15 schematic, 16..31 layout; entry 32 is unused. The settings file holds six times
// the Height kept here.
inline std::array<TextSizeRec, 33> gTextSizes{};

void ResetSizeSettingsState();

// [SIZES] in Default scope, the database tables in Current scope.
void LoadSizes();
void SaveSizes();
// [TEXTS] in Default scope, the database's text size table in Current scope.
void LoadTextSizes();
void SaveTextSizes();

// The database side, whatever the scope.
void LoadLineSizes();
// Also writes table 19 = wire width + 20320 (saturated to 32 bits).
void StoreLineSizes();
void LoadTextSizeTable();
void StoreTextSizeTable();

}  // namespace tolvi
