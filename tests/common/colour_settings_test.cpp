#include "common/colour_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/option_store.h"
#include "option_fixture.h"

namespace tolvi {
namespace {

using Bytes = std::vector<uint8_t>;

class ColourSettings : public test::OptionFixture {
protected:
    void SetUp() override {
        OptionFixture::SetUp();
        // A palette whose every entry can be told apart.
        for (int i = 0; i < 32; ++i) SetTableInt(0, i, 0x100 + i);
        LoadPalette();
    }
    static int Count(const std::array<CategoryRec, 32>& t) {
        int n = 0;
        while (n < 32 && !t[n].Name.empty()) ++n;
        return n;
    }
};

TEST_F(ColourSettings, EmptySettingsFileGivesTheBuiltInCategories) {
    EXPECT_EQ(gPalette[31], 0x11F);
    LoadSchematicCategoryColors();
    LoadLayoutCategoryColors();
    ASSERT_EQ(Count(gSchCategories), 19);
    ASSERT_EQ(Count(gLayCategories), 8);
    for (int i = 19; i < 32; ++i) EXPECT_EQ(gSchCategories[i].Id, 0);
    const struct {
        const std::array<CategoryRec, 32>& table;
        int entry;
        const char* name;
        int id;
        int colour;
    } cases[] = {
        {gSchCategories, 0, "Comp. Outline", 0, 4},
        {gSchCategories, 1, "Comp. Name", 1, 1},
        {gSchCategories, 14, "Valcor \"GND\" Marker", 14, 5},
        {gSchCategories, 16, "Format Outline", 29, 0},
        {gSchCategories, 18, "Background", 31, 15},
        {gLayCategories, 0, "Comp. Entry", 32, 15},
        {gLayCategories, 3, "Comp. Entry (Mirror)", 35, 10},
        {gLayCategories, 4, "Airgaps", 60, 15},
        {gLayCategories, 7, "Background", 63, 0},
    };
    for (const auto& c : cases) {
        const CategoryRec& r = c.table[c.entry];
        EXPECT_EQ(r.Name, c.name) << c.entry;
        EXPECT_EQ(r.Id, c.id) << c.entry;
        EXPECT_EQ(r.Colour, c.colour) << c.entry;
    }
    EXPECT_EQ(gSchBackColor, gPalette[15]);
    EXPECT_EQ(gLayBackColor, gPalette[0]);

    // A fresh database holds the same colours.
    SetOptionScope(OptionScope::Current);
    const auto sch = gSchCategories;
    const auto lay = gLayCategories;
    LoadSchematicCategoryColors();
    LoadLayoutCategoryColors();
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(gSchCategories[i].Colour, sch[i].Colour) << i;
        EXPECT_EQ(gLayCategories[i].Colour, lay[i].Colour) << i;
    }
}

TEST_F(ColourSettings, HandEditedKeysKeepTheTableWhole) {
    WriteIni(
        "[CATEGORIES]\r\n"
        "10=5\r\n"
        "12=,6\r\n"
        "31=Paper,99\r\n"
        "33=\r\n"
        "62=,3\r\n");
    gSchBackColor = 0x5A5A;
    LoadSchematicCategoryColors();
    LoadLayoutCategoryColors();
    EXPECT_EQ(gSchCategories[10].Name, "5");  // a lone field is the label
    EXPECT_EQ(gSchCategories[10].Colour, 0);
    EXPECT_EQ(Count(gSchCategories), 18);  // ",6" left out, the rest kept
    EXPECT_EQ(gSchCategories[12].Id, 13);
    EXPECT_EQ(gSchCategories[17].Name, "Paper");
    EXPECT_EQ(gSchBackColor, 0x5A5A);     // 99 is no palette index
    ASSERT_EQ(Count(gLayCategories), 6);  // 33 empty, 62 without a label
    EXPECT_EQ(gLayCategories[1].Id, 34);
    EXPECT_EQ(gLayCategories[5].Id, 63);
    EXPECT_EQ(gLayBackColor, gPalette[0]);

    // In Current scope the background still comes through after the skipped key.
    SetOptionScope(OptionScope::Current);
    E_SysTable(1)[63] = 9;
    LoadLayoutCategoryColors();
    EXPECT_EQ(gLayBackColor, gPalette[9]);
}

TEST_F(ColourSettings, DefaultSaveWritesOnlyTheCategoriesInTheTable) {
    WriteIni("[CATEGORIES]\r\n20=Kept,3\r\n");
    LoadSchematicCategoryColors();
    LoadLayoutCategoryColors();
    gLayCategories[7].Colour = 12;
    SaveSchematicCategoryColors();
    SaveLayoutCategoryColors();
    EXPECT_TRUE(IniHasLine("63=Background, 12"));
    EXPECT_TRUE(IniHasLine("14=Valcor \"GND\" Marker, 5"));
    EXPECT_TRUE(IniHasLine("29=Format Outline, 0"));
    EXPECT_TRUE(IniHasLine("20=Kept,3"));  // never read, never written

    const auto sch = gSchCategories;
    ResetColourSettingsState();
    LoadPalette();
    LoadSchematicCategoryColors();
    LoadLayoutCategoryColors();
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(gSchCategories[i].Name, sch[i].Name) << i;
        EXPECT_EQ(gSchCategories[i].Colour, sch[i].Colour) << i;
    }
    EXPECT_EQ(gLayBackColor, gPalette[12]);
}

TEST_F(ColourSettings, CurrentScopeTakesColoursFromTheDatabase) {
    WriteIni("[CATEGORIES]\r\n0=Body,4\r\n");
    SetOptionScope(OptionScope::Current);
    E_SysTable(1)[0] = 21;
    E_SysTable(1)[31] = 2;
    LoadSchematicCategoryColors();
    EXPECT_EQ(gSchCategories[0].Name, "Body");  // labels from the file
    EXPECT_EQ(gSchCategories[0].Colour, 21);
    EXPECT_EQ(gSchBackColor, gPalette[2]);

    // A background byte that is no palette index keeps the background the file gave.
    E_SysTable(1)[31] = 40;
    LoadSchematicCategoryColors();
    EXPECT_EQ(gSchCategories[18].Colour, 40);
    EXPECT_EQ(gSchBackColor, gPalette[15]);

    // Saving touches only the bytes at the ids in the table, and not the file.
    const std::string before = IniText();
    for (int i = 16; i < 29; ++i) E_SysTable(1)[i] = 0xAA;
    gSchCategories[1].Colour = 300;  // no byte holds it: the category's default
    gSchCategories[2].Colour = 255;
    gSchCategories[3].Colour = 17;
    Bytes want = TableBytes(1, 0, 64);
    want[1] = 1;
    want[2] = 255;
    want[3] = 17;
    SaveSchematicCategoryColors();
    EXPECT_EQ(TableBytes(1, 0, 64), want);
    EXPECT_EQ(IniText(), before);
}

TEST_F(ColourSettings, KindOutsideTheTwoChangesNothing) {
    LoadSchematicCategoryColors();
    const Bytes before = TableBytes(1, 0, 64);
    gSchCategories[0].Colour = 30;
    StoreColourSettings(2);
    LoadColourSettings(-1);
    EXPECT_EQ(TableBytes(1, 0, 64), before);
    EXPECT_EQ(gSchCategories[0].Colour, 30);
}

}  // namespace
}  // namespace tolvi
