#include "common/colour_settings.h"

#include <cstdint>
#include <span>
#include <string>

#include "common/option_fields.h"
#include "common/option_scope.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "kernel/kernel.h"

namespace tolvi {

namespace {

const char kSection[] = "CATEGORIES";

struct KeyDefault {
    int32_t id;
    const char* value;
};

// Key 1 ends in a comma and key 29 has no colour field; key 14's label holds double quotes, which
// the parser keeps because they do not open the field.
constexpr std::array<KeyDefault, 19> kSchKeys = {{
    {0, "Comp. Outline,4"},       {1, "Comp. Name,1,"},   {2, "Comp. Descript.,2"},
    {3, "Comp. Value,6"},         {4, "Comp. Text,4"},    {5, "Comp. Entry,0"},
    {6, "Pinout Text,7"},         {7, "Bus,2"},           {8, "Bus Name,6"},
    {9, "Bus Member,7"},          {10, "Wire,1"},         {11, "Junction,1"},
    {12, "Net Name,2"},           {13, "Node Marker,5"},  {14, "Valcor \"GND\" Marker,5"},
    {15, "Valcor Node Marker,5"}, {29, "Format Outline"}, {30, "Grid,7"},
    {31, "Background,15"},
}};
constexpr std::array<KeyDefault, 8> kLayKeys = {{
    {32, "Comp. Entry,15"},
    {33, "Via hole,1"},
    {34, "Node Marker,10"},
    {35, "Comp. Entry (Mirror),10"},
    {60, "Airgaps,15"},
    {61, "Board Outline,10"},
    {62, "Grid,7"},
    {63, "Background,0"},
}};

// The colours of those defaults, by id (0 where no default gives one).
constexpr std::array<uint8_t, 64> kDefaultColours = {
    4,  1, 2,  6,  4, 0, 7, 2, 6, 7, 1, 1, 2, 5, 5, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0,  7, 15,
    15, 1, 10, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 15, 10, 7, 0};

struct Kind {
    std::array<CategoryRec, 32>& table;
    std::span<const KeyDefault> keys;
    int32_t firstId;  // id of slot 0
    int32_t backId;   // the background category
    int32_t& backColour;
};

Kind Schematic() { return {gSchCategories, kSchKeys, 0, 31, gSchBackColor}; }
Kind Layout() { return {gLayCategories, kLayKeys, 32, 63, gLayBackColor}; }

// The background follows the palette only for a colour that is a palette index.
void SetBackground(const Kind& k, int32_t Colour) {
    if (Colour >= 0 && Colour < 32) k.backColour = gPalette[Colour];
}

// The labels and colours of the settings file.
void ReadKind(const Kind& k) {
    k.table.fill(CategoryRec{});
    gIniVals.fill(std::string());
    for (const KeyDefault& key : k.keys)
        IniGetString(kSection, std::to_string(key.id), key.value, gIniVals[key.id - k.firstId]);
    int n = -1;
    for (std::size_t slot = 0; slot < k.table.size(); ++slot) {
        if (gIniVals[slot].empty()) continue;  // an empty value removes its category
        ParseList(gIniVals[slot]);
        // An entry with an empty label would end every walk over the table early, losing the
        // colours after it; a hand-edited value like ",5" is therefore left out.
        if (gTokStr[1].empty()) continue;
        CategoryRec& c = k.table[++n];
        c.Name = gTokStr[1];
        c.Id = static_cast<int32_t>(slot) + k.firstId;
        TakeField(2, c.Colour);
        if (c.Id == k.backId) SetBackground(k, c.Colour);
    }
}

void WriteKind(const Kind& k) {
    for (const CategoryRec& c : k.table) {
        if (c.Name.empty()) continue;
        int Err = 0;
        IniPutString(kSection, std::to_string(c.Id), c.Name + "," + IniNumText(c.Colour), Err);
    }
}

Kind KindOf(int32_t KindNo) { return KindNo == 0 ? Schematic() : Layout(); }

template <int32_t KindNo>
void FromSettings() {
    ReadKind(KindOf(KindNo));
}
template <int32_t KindNo>
void ToSettings() {
    WriteKind(KindOf(KindNo));
}
// The database keeps no labels: they come from the settings file in either scope.
template <int32_t KindNo>
void FromDatabase() {
    ReadKind(KindOf(KindNo));
    LoadColourSettings(KindNo);
}
template <int32_t KindNo>
void ToDatabase() {
    StoreColourSettings(KindNo);
}

const PerDatabaseOptionSet kSchematicColours{FromSettings<0>, ToSettings<0>, FromDatabase<0>, ToDatabase<0>};
const PerDatabaseOptionSet kLayoutColours{FromSettings<1>, ToSettings<1>, FromDatabase<1>, ToDatabase<1>};

}  // namespace

void ResetColourSettingsState() {
    gSchCategories.fill(CategoryRec{});
    gLayCategories.fill(CategoryRec{});
    gPalette = {};
    gSchBackColor = 0;
    gLayBackColor = 0;
}

void LoadSchematicCategoryColors() { LoadInScope(kSchematicColours); }
void LoadLayoutCategoryColors() { LoadInScope(kLayoutColours); }
void SaveSchematicCategoryColors() { SaveInScope(kSchematicColours); }
void SaveLayoutCategoryColors() { SaveInScope(kLayoutColours); }

void LoadColourSettings(const int32_t& KindNo) {
    if (KindNo != 0 && KindNo != 1) return;
    const Kind k = KindOf(KindNo);
    uint8_t bytes[kSysTableBytes[SysCategoryColors]];
    if (!E_MemCopy(bytes, E_SysTable(SysCategoryColors), kSysTableBytes[SysCategoryColors])) return;
    for (CategoryRec& c : k.table) {
        if (c.Name.empty()) break;
        if (c.Id < 0 || c.Id > 63) continue;
        c.Colour = bytes[c.Id];
        if (c.Id == k.backId) SetBackground(k, c.Colour);
    }
}

void StoreColourSettings(const int32_t& KindNo) {
    if (KindNo != 0 && KindNo != 1) return;
    const Kind k = KindOf(KindNo);
    uint8_t* table = E_SysTable(SysCategoryColors);
    if (table == nullptr) return;
    for (const CategoryRec& c : k.table) {
        if (c.Name.empty()) break;
        if (c.Id < 0 || c.Id > 63) continue;
        // One byte cannot hold a colour from outside 0..255 (only a hand-edited settings file gives
        // one); the category's own default keeps the table sound.
        const uint8_t b =
            (c.Colour >= 0 && c.Colour <= 255) ? static_cast<uint8_t>(c.Colour) : kDefaultColours[c.Id];
        E_MemCopy(table + c.Id, &b, 1);
    }
}

static_assert(sizeof gPalette == kSysTableBytes[SysPalette]);
void LoadPalette() { E_MemCopy(gPalette.data(), E_SysTable(SysPalette), kSysTableBytes[SysPalette]); }

}  // namespace tolvi
