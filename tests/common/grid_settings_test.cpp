#include "common/grid_settings.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "common/option_store.h"
#include "kernel/kernel.h"
#include "option_fixture.h"

namespace tolvi {
namespace {

const std::array<int32_t, 32> kPrecision = {
    12, 254, 508, 1270, 2540, 5080, 6350, 10160, 12700, 15240, 19050, 20320, 25400, 50800, 127000, 254000,
    12, 100, 500, 1000, 2500, 5000, 7500, 10000, 12500, 15000, 17500, 20000, 25000, 50000, 125000, 250000};

using GridSettings = test::OptionFixture;

// The eight tables in memory, one after another.
std::vector<int32_t> AllTables() {
    std::vector<int32_t> all;
    for (const int32_t* t : {gSchGrid.data(), gSchSnap.data(), gLayGrid.data(), gLaySnap.data()})
        all.insert(all.end(), t, t + 14);
    all.insert(all.end(), gSchPrecision.begin(), gSchPrecision.end());
    all.insert(all.end(), gLayPrecision.begin(), gLayPrecision.end());
    all.insert(all.end(), gAngleSnap.begin(), gAngleSnap.end());
    all.insert(all.end(), gPickArea.begin(), gPickArea.end());
    return all;
}

// The eight database tables' bytes.
std::vector<uint8_t> AllTableBytes() {
    std::vector<uint8_t> all;
    const std::pair<int32_t, int> tables[] = {{3, 56}, {4, 56},   {20, 128}, {5, 56},
                                              {6, 56}, {21, 128}, {7, 28},   {8, 20}};
    for (const auto& [id, bytes] : tables) {
        const uint8_t* t = E_SysTable(id);
        all.insert(all.end(), t, t + bytes);
    }
    return all;
}

TEST_F(GridSettings, EmptySettingsFileGivesTheBuiltInTables) {
    LoadGridTables();
    EXPECT_EQ(gSchGrid, (std::array<int32_t, 14>{2, 508000, 406400, 254000, 203200, 101600, 50800, 2, 500000,
                                                 400000, 250000, 200000, 100000, 50000}));
    EXPECT_EQ(gSchSnap, (std::array<int32_t, 14>{2, 254000, 203200, 127000, 101600, 50800, 25400, 2, 250000,
                                                 200000, 125000, 100000, 50000, 25000}));
    EXPECT_EQ(gLayGrid, (std::array<int32_t, 14>{2, 508000, 254000, 127000, 63500, 25400, 12700, 2, 254000,
                                                 200000, 130000, 100000, 65000, 50000}));
    EXPECT_EQ(gLaySnap, (std::array<int32_t, 14>{2, 254000, 127000, 63500, 25400, 12700, 2540, 2, 127000,
                                                 100000, 65000, 50000, 32500, 25000}));
    EXPECT_EQ(gAngleSnap, (std::array<int32_t, 7>{1, 1000, 5000, 10000, 30000, 45000, 90000}));
    EXPECT_EQ(gPickArea, (std::array<int32_t, 5>{2, 1, 2, 4, 8}));
    EXPECT_EQ(gSchPrecision, kPrecision);
    EXPECT_EQ(gLayPrecision, kPrecision);

    // A fresh database holds the same tables, byte for byte.
    const auto file = AllTables();
    ResetGridSettingsState();
    LoadGridSettings();
    EXPECT_EQ(AllTables(), file);
}

TEST_F(GridSettings, DefaultSaveWritesEveryKeyAndReadsBack) {
    LoadGridTables();
    gSchGrid[7] = -3;
    gLaySnap[13] = 0;
    gLayPrecision[31] = 123456;
    SaveGridTables();
    EXPECT_TRUE(IniHasLine("PickTable= 2, 1, 2, 4, 8"));
    EXPECT_TRUE(IniHasLine("SchGridTableM=-3, 500000, 400000, 250000, 200000, 100000, 50000"));
    // "LayPrecision" is the last key written.
    const std::string text = IniText();
    EXPECT_EQ(text.rfind("LayPrecision= 12, 254,"), text.rfind('\n', text.size() - 3) + 1);

    const auto schGrid = gSchGrid;
    const auto laySnap = gLaySnap;
    const auto layPrec = gLayPrecision;
    const auto angle = gAngleSnap;
    ResetGridSettingsState();
    LoadGridTables();
    EXPECT_EQ(gSchGrid, schGrid);
    EXPECT_EQ(gLaySnap, laySnap);
    EXPECT_EQ(gLayPrecision, layPrec);
    EXPECT_EQ(gAngleSnap, angle);
}

TEST_F(GridSettings, ShortOrOddValuesSetWhatTheyHold) {
    WriteIni(
        "[Tolvi32]\r\n"
        "PickTable=3,5,6\r\n"
        "AngleSnapTable= 2,500,  1500 ,x,3000000000,7.5,8,9,10\r\n"
        "SchGridTable=1E39,-1E39\r\n");
    gPickArea = {-1, -1, -1, -1, -1};
    gAngleSnap.fill(-1);
    gSchGrid.fill(-1);
    LoadGridTables();
    for (int i = 0; i < 7; ++i) EXPECT_EQ(gSchGrid[i], -1) << i;
    EXPECT_EQ(gPickArea, (std::array<int32_t, 5>{3, 5, 6, -1, -1}));
    // Blanks around numbers do not matter; text reads 0; too large keeps its entry; extra fields
    // are ignored.
    EXPECT_EQ(gAngleSnap, (std::array<int32_t, 7>{2, 500, 1500, 0, -1, 8, 8}));
}

TEST_F(GridSettings, CurrentScopeUsesTheEightTablesOnly) {
    SetOptionScope(OptionScope::Current);
    const std::vector<uint8_t> before = AllTableBytes();
    LoadGridTables();
    PutGridTablesToKernel();
    EXPECT_EQ(AllTableBytes(), before);

    gPickArea = {4, 0x11223344, 2, 3, 4};
    gLayGrid[13] = -1;
    SaveGridTables();
    EXPECT_EQ(TableBytes(8, 0, 8), (std::vector<uint8_t>{4, 0, 0, 0, 0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(TableInt(5, 13), -1);
    EXPECT_EQ(IniText(), "");  // nothing written

    WriteIni("[Tolvi32]\r\nPickTable=1,1,1,1,1\r\n");
    LoadGridTables();
    EXPECT_EQ(gPickArea, (std::array<int32_t, 5>{4, 0x11223344, 2, 3, 4}));
}

}  // namespace
}  // namespace tolvi
