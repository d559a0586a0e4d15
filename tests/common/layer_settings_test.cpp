#include "common/layer_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/option_store.h"
#include "common/utilities.h"
#include "option_fixture.h"

namespace tolvi {
namespace {

using LayerSettings = test::OptionFixture;
using Bytes = std::vector<uint8_t>;

std::string LayerName(int k) { return CStrFromPtr(O_GetName(OA_Object(DB_LayerArray(), k + 1))); }

TEST_F(LayerSettings, EmptySettingsFileGivesTheBuiltInLayers) {
    LoadLayerTable();
    const struct {
        int k;
        const char* name;
        int enabled;
        int colour;
    } cases[] = {{0, "COMP.PRINT", 1, 12},  {1, "COMP.MASK ", 1, 11}, {2, "COMP.LAYER", 1, 9},
                 {3, "A", 0, 13},           {28, "Z", 0, 13},         {29, "SOLD.LAYER", 1, 10},
                 {30, "SOLD.MASK ", 1, 14}, {31, "SOLD.PRINT", 1, 12}};
    for (const auto& c : cases) {
        EXPECT_EQ(gLayers[c.k].Name, c.name) << c.k;
        EXPECT_EQ(gLayers[c.k].Enabled, c.enabled) << c.k;
        EXPECT_EQ(gLayers[c.k].Colour, c.colour) << c.k;
    }
    for (int k = 3; k <= 28; ++k) EXPECT_EQ(gLayers[k].Name, std::string(1, char('A' + k - 3))) << k;

    // A fresh database holds the same layers.
    const auto file = gLayers;
    SetOptionScope(OptionScope::Current);
    LoadLayerTable();
    for (int k = 0; k < 32; ++k) {
        EXPECT_EQ(gLayers[k].Name, file[k].Name) << k;
        EXPECT_EQ(gLayers[k].Enabled, file[k].Enabled) << k;
        EXPECT_EQ(gLayers[k].Colour, file[k].Colour) << k;
    }
}

TEST_F(LayerSettings, MissingFieldsKeepWhatTheEntryHeld) {
    WriteIni("[LAYERS]\r\n0=NEW\r\n1=\r\n2=Inner,x,2.5\r\n");
    for (auto& l : gLayers) l = {"old", 7, 8};
    LoadLayerTable();
    EXPECT_EQ(gLayers[0].Name, "NEW");
    EXPECT_EQ(gLayers[0].Enabled, 7);
    EXPECT_EQ(gLayers[0].Colour, 8);
    EXPECT_EQ(gLayers[1].Name, "");  // present but empty
    EXPECT_EQ(gLayers[1].Enabled, 7);
    EXPECT_EQ(gLayers[2].Name, "Inner");
    EXPECT_EQ(gLayers[2].Enabled, 0);
    EXPECT_EQ(gLayers[2].Colour, 2);
}

TEST_F(LayerSettings, DefaultSaveWritesTheNumberFormAndReadsBack) {
    LoadLayerTable();
    gLayers[5] = {"Power", -1, 31};
    SaveLayerTable();
    EXPECT_TRUE(IniHasLine("0=COMP.PRINT, 1, 12"));
    EXPECT_TRUE(IniHasLine("1=COMP.MASK , 1, 11"));
    EXPECT_TRUE(IniHasLine("5=Power,-1, 31"));
    const auto saved = gLayers;
    ResetLayerSettingsState();
    LoadLayerTable();
    for (int k = 0; k < 32; ++k) {
        EXPECT_EQ(gLayers[k].Name, saved[k].Name) << k;
        EXPECT_EQ(gLayers[k].Enabled, saved[k].Enabled) << k;
        EXPECT_EQ(gLayers[k].Colour, saved[k].Colour) << k;
    }
}

TEST_F(LayerSettings, CurrentStoreWritesNamesColoursAndEnableWords) {
    SetOptionScope(OptionScope::Current);
    const struct {
        int layer;
        Bytes mask;
    } cases[] = {{17, {0x00, 0x00, 0x02, 0x00}},
                 {15, {0x00, 0x80, 0x00, 0x00}},
                 {31, {0x00, 0x00, 0x00, 0x80}},
                 {0, {0x01, 0x00, 0x00, 0x00}}};
    for (const auto& c : cases) {
        for (int k = 0; k < 32; ++k) gLayers[k] = {"L" + std::to_string(k), k == c.layer ? 5 : 0, k};
        SaveLayerTable();
        EXPECT_EQ(TableBytes(11, 0, 4), c.mask) << c.layer;
    }
    EXPECT_EQ(LayerName(0), "L0");
    EXPECT_EQ(LayerName(31), "L31");
    EXPECT_EQ(TableBytes(2, 29, 3), (Bytes{29, 30, 31}));
    EXPECT_EQ(IniText(), "");

    // Bits beyond the first four bytes are never read as flags.
    E_SysTable(11)[4] = 0xFF;
    ResetLayerSettingsState();
    LoadLayerTable();
    for (int k = 0; k < 32; ++k) EXPECT_EQ(gLayers[k].Enabled, k == 0 ? 1 : 0) << k;
    EXPECT_EQ(gLayers[7].Name, "L7");
    EXPECT_EQ(gLayers[7].Colour, 7);
    EXPECT_EQ(E_SysTable(11)[4], 0xFF);
}

TEST_F(LayerSettings, ColourOutsideAByteIsStoredAsTheLayersDefault) {
    LoadLayerTable();
    gLayers[0].Colour = 300;
    gLayers[3].Colour = -1;
    gLayers[4].Colour = 255;
    gLayers[31].Name = "Last";
    StoreLayerNames();
    EXPECT_EQ(TableBytes(2, 0, 5), (Bytes{12, 11, 9, 13, 255}));
    EXPECT_EQ(LayerName(31), "Last");  // the store went on to the end
}

TEST_F(LayerSettings, SetLayerMaskBitChangesOneBit) {
    const struct {
        int32_t layer, onOff;
        Bytes mask;
    } cases[] = {
        {16, 1, {0x07, 0x00, 0x01, 0xE0}}, {3, 1, {0x0F, 0x00, 0x00, 0xE0}},
        {2, 0, {0x03, 0x00, 0x00, 0xE0}},  {2, 2, {0x03, 0x00, 0x00, 0xE0}},
        {15, 1, {0x07, 0x80, 0x00, 0xE0}}, {31, 0, {0x07, 0x00, 0x00, 0x60}},
        {32, 1, {0x07, 0x00, 0x00, 0xE0}}, {-1, 1, {0x07, 0x00, 0x00, 0xE0}},
    };
    for (const auto& c : cases) {
        const uint8_t fresh[4] = {0x07, 0x00, 0x00, 0xE0};  // layers 0..2 and 29..31
        std::memcpy(E_SysTable(11), fresh, 4);
        SetLayerMaskBit(c.layer, c.onOff);
        EXPECT_EQ(TableBytes(11, 0, 4), c.mask) << c.layer << " " << c.onOff;
    }
}

}  // namespace
}  // namespace tolvi
