#pragma once
// The 32 layers of a design, each with a label, an enabled flag and a colour. The layer table moves
// between memory and section "LAYERS" of the settings file (Default scope) or the open database
// (Current scope): the layer objects' names, table 2 (one colour byte per layer) and the first
// four bytes of table 11 (two 16-bit enable words, layers 0..15 and 16..31).
#include <array>
#include <cstdint>
#include <string>

namespace tolvi {

struct LayerRec {
    std::string Name;     // the label; the label dialog allows 15 characters, this store any length
    int32_t Enabled = 0;  // 1 enabled, 0 disabled; any non-zero counts as enabled in the database
    int32_t Colour = 0;   // palette index 0..31; the database keeps one byte
};

// Index = layer number.
inline std::array<LayerRec, 32> gLayers;

void ResetLayerSettingsState();

// The settings file in Default scope, the database in Current scope.
void LoadLayerTable();
void SaveLayerTable();
// The database side, whatever the scope: the current hierarchy's layer names and enable words.
void LoadLayerNames();
void StoreLayerNames();
// The current hierarchy's own part of StoreLayerNames: the layer names and the enable words,
// without the colours (table 2 belongs to the whole database).
void StoreHierarchyLayers();
// Switches one layer's bit in table 11 (OnOff 1 on, anything else off); gLayers is not changed.
// A Layer outside 0..31 changes nothing.
void SetLayerMaskBit(const int32_t& Layer, const int32_t& OnOff);

}  // namespace tolvi
