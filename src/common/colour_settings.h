#pragma once
// Drawing categories and their colours, one table for the schematic (ids 0..31) and one for the
// layout (ids 32..63), the palette of 32 colours and the two background colours derived from them.
// Labels live only in section "CATEGORIES" of the settings file; in Current scope the colours come
// from and go to table 1 of the open database (one palette index byte per category id).
#include <array>
#include <cstdint>
#include <string>

namespace tolvi {

struct CategoryRec {
    std::string Name;    // the label; empty marks an entry that holds no category
    int32_t Id = 0;      // 0..31 schematic, 32..63 layout
    int32_t Colour = 0;  // palette index 0..31; the database keeps one byte
};

// Filled from entry 0 in increasing id, with no gaps; entries after the last used one are empty.
inline std::array<CategoryRec, 32> gSchCategories;
inline std::array<CategoryRec, 32> gLayCategories;
// Table 0 of the database as it was at start-up: RGB with red in the lowest byte.
inline std::array<int32_t, 32> gPalette{};
// The palette colours of categories 31 and 63.
inline int32_t gSchBackColor = 0;
inline int32_t gLayBackColor = 0;

void ResetColourSettingsState();

// From the settings file, then in Current scope with the database's colours laid over them.
void LoadSchematicCategoryColors();
void LoadLayoutCategoryColors();
// To the settings file in Default scope; in Current scope only the colours, to the database.
void SaveSchematicCategoryColors();
void SaveLayoutCategoryColors();

// Kind 0 schematic, 1 layout; any other value changes nothing. A background byte that is no
// palette index (32 or more) leaves the background colour as it was.
void LoadColourSettings(const int32_t& Kind);
void StoreColourSettings(const int32_t& Kind);
// Copies table 0 into gPalette.
void LoadPalette();

}  // namespace tolvi
