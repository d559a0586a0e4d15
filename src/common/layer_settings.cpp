#include "common/layer_settings.h"

#include <array>
#include <cstdint>
#include <string>

#include "common/option_fields.h"
#include "common/option_scope.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"

namespace tolvi {

namespace {

const char kSection[] = "LAYERS";

// The two mask labels end in one blank, so all six outer-layer labels are 10 characters long.
constexpr std::array<const char*, 32> kDefaults = {
    "COMP.PRINT,1,12", "COMP.MASK ,1,11", "COMP.LAYER,1,9",  "A,0,13",         "B,0,13", "C,0,13", "D,0,13",
    "E,0,13",          "F,0,13",          "G,0,13",          "H,0,13",         "I,0,13", "J,0,13", "K,0,13",
    "L,0,13",          "M,0,13",          "N,0,13",          "O,0,13",         "P,0,13", "Q,0,13", "R,0,13",
    "S,0,13",          "T,0,13",          "U,0,13",          "V,0,13",         "W,0,13", "X,0,13", "Y,0,13",
    "Z,0,13",          "SOLD.LAYER,1,10", "SOLD.MASK ,1,14", "SOLD.PRINT,1,12"};
// The colours of those defaults.
constexpr std::array<uint8_t, 32> kDefaultColours = {12, 11, 9,  13, 13, 13, 13, 13, 13, 13, 13,
                                                     13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,
                                                     13, 13, 13, 13, 13, 13, 13, 10, 14, 12};

void ReadMask(uint16_t (&words)[2]) {
    words[0] = words[1] = 0;
    E_MemCopy(words, E_SysTable(SysLayerMask), 4);  // only its first two words are used
}

void WriteMask(const uint16_t (&words)[2]) {
    uint8_t* mask = E_SysTable(SysLayerMask);
    if (mask == nullptr) return;
    E_MemCopy(mask, &words[0], 2);
    E_MemCopy(mask + 2, &words[1], 2);
}

void ReadLayerTable() {
    for (std::size_t k = 0; k < gLayers.size(); ++k)
        IniGetString(kSection, std::to_string(k), kDefaults[k], gIniVals[k]);
    for (std::size_t k = 0; k < gLayers.size(); ++k) {
        ParseList(gIniVals[k]);
        // A field the value lacks keeps what the entry held before.
        gLayers[k].Name = gTokStr[1];
        TakeField(2, gLayers[k].Enabled);
        TakeField(3, gLayers[k].Colour);
    }
}

void WriteLayerTable() {
    for (std::size_t k = 0; k < gLayers.size(); ++k) {
        const LayerRec& l = gLayers[k];
        int Err = 0;
        IniPutString(kSection, std::to_string(k),
                     l.Name + "," + IniNumText(l.Enabled) + "," + IniNumText(l.Colour),
                     Err);  // a failure has shown its box; the next layer goes on
    }
}

const PerDatabaseOptionSet kLayerTable{ReadLayerTable, WriteLayerTable, LoadLayerNames, StoreLayerNames};

}  // namespace

void ResetLayerSettingsState() { gLayers.fill(LayerRec{}); }

void LoadLayerTable() { LoadInScope(kLayerTable); }

void SaveLayerTable() { SaveInScope(kLayerTable); }

void LoadLayerNames() {
    gLayers.fill(LayerRec{});
    uint8_t colours[kSysTableBytes[SysLayerColors]] = {};
    E_MemCopy(colours, E_SysTable(SysLayerColors), kSysTableBytes[SysLayerColors]);
    uint16_t words[2];
    ReadMask(words);
    const int32_t layers = DB_LayerArray();
    for (std::size_t k = 0; k < gLayers.size(); ++k) {
        LayerRec& l = gLayers[k];
        l.Name = CStrFromPtr(O_GetName(OA_Object(layers, static_cast<int32_t>(k) + 1)));
        if ((uint32_t{words[k / 16]} >> (k % 16)) & 1u) l.Enabled = 1;
        l.Colour = colours[k];
    }
}

void StoreLayerNames() {
    std::array<uint8_t, kSysTableBytes[SysLayerColors]> colours{};
    static_assert(colours.size() == gLayers.size());
    for (std::size_t k = 0; k < gLayers.size(); ++k) {
        const LayerRec& l = gLayers[k];
        // One byte cannot hold a colour from outside 0..255 (only a hand-edited settings file gives
        // one); the layer's own default keeps the table sound.
        colours[k] = (l.Colour >= 0 && l.Colour <= 255) ? static_cast<uint8_t>(l.Colour) : kDefaultColours[k];
    }
    E_MemCopy(E_SysTable(SysLayerColors), colours.data(), colours.size());
    StoreHierarchyLayers();
}

void StoreHierarchyLayers() {
    uint16_t words[2] = {0, 0};
    const int32_t layers = DB_LayerArray();
    for (std::size_t k = 0; k < gLayers.size(); ++k) {
        const LayerRec& l = gLayers[k];
        O_Rename(OA_Object(layers, static_cast<int32_t>(k) + 1), l.Name.c_str());
        if (l.Enabled != 0) words[k / 16] = static_cast<uint16_t>(words[k / 16] | (1u << (k % 16)));
    }
    WriteMask(words);
}

void SetLayerMaskBit(const int32_t& Layer, const int32_t& OnOff) {
    if (Layer < 0 || Layer > 31) return;
    uint16_t words[2];
    ReadMask(words);
    const uint16_t bit = static_cast<uint16_t>(1u << (Layer % 16));
    uint16_t& w = words[Layer / 16];
    w = OnOff == 1 ? static_cast<uint16_t>(w | bit) : static_cast<uint16_t>(w & ~bit);
    WriteMask(words);
}

}  // namespace tolvi
