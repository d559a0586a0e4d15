#include "common/size_settings.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>
#include <vector>

#include "common/option_store.h"
#include "option_fixture.h"

namespace tolvi {
namespace {

using Row = std::array<int32_t, 3>;

const std::array<Row, 17> kDefaultRows = {{{30480, 30480, 30480},
                                           {12700, 25400, 25400},
                                           {20320, 50800, 50800},
                                           {33020, 76200, 76200},
                                           {40640, 101600, 101600},
                                           {50800, 127000, 127000},
                                           {76200, 139700, 139700},
                                           {101600, 157480, 157480},
                                           {127000, 177800, 177800},
                                           {157480, 190500, 190500},
                                           {177800, 203200, 203200},
                                           {190500, 215900, 215900},
                                           {218440, 228600, 228600},
                                           {228600, 254000, 254000},
                                           {254000, 304800, 304800},
                                           {381000, 381000, 381000},
                                           {508000, 508000, 508000}}};
const std::array<int32_t, 17> kDefaultLineWidths = {0,      5080,   25400,  40640,  5080,   60960,
                                                    76200,  91440,  101600, 111760, 152400, 177800,
                                                    203200, 228600, 254000, 304800, 406400};
// Text heights in the settings file's form (six times the kept height) and line widths, T0..T15;
// T16..T31 repeat them except for T16's line width.
const int32_t kTextFileHeights[16] = {152400,  152400,  304800,  457200,  609600,  762000,  914400,  1066800,
                                      1219200, 1371600, 1524000, 1676400, 1828800, 1981200, 2133600, 2286000};
const int32_t kTextLines[16] = {0,     12700,  12700,  33020,  33020,  40640,  40640,  50800,
                                76200, 254000, 254000, 254000, 304800, 304800, 304800, 508000};

using SizeSettings = test::OptionFixture;

TEST_F(SizeSettings, EmptySettingsFileGivesTheBuiltInTables) {
    LoadSizes();
    LoadTextSizes();
    EXPECT_EQ(gCondSizes, kDefaultRows);
    EXPECT_EQ(gBusWidth, 50800);
    EXPECT_EQ(gWireWidth, 5080);
    EXPECT_EQ(gLineWidths, kDefaultLineWidths);
    for (int n = 0; n < 32; ++n) {
        SCOPED_TRACE(n);
        const int32_t h = kTextFileHeights[n % 16] / 6;
        EXPECT_EQ(gTextSizes[n].Height, h);
        EXPECT_EQ(gTextSizes[n].Width, h);
        EXPECT_EQ(gTextSizes[n].LineWidth, n == 16 ? 5080 : kTextLines[n % 16]);
    }
    // A fresh database carries the same defaults.
    const auto rows = gCondSizes;
    const auto texts = gTextSizes;
    gCondSizes = {};
    gTextSizes = {};
    LoadLineSizes();
    LoadTextSizeTable();
    EXPECT_EQ(gCondSizes, rows);
    for (int n = 0; n < 32; ++n) {
        EXPECT_EQ(gTextSizes[n].Height, texts[n].Height) << n;
        EXPECT_EQ(gTextSizes[n].LineWidth, texts[n].LineWidth) << n;
    }
}

TEST_F(SizeSettings, DefaultSaveWritesTheNumberFormAndReadsBack) {
    LoadSizes();
    LoadTextSizes();
    gCondSizes[3] = {-100, 0, 7};
    gBusWidth = -1;
    gLineWidths[16] = 1;
    gTextSizes[31] = {10, 10, -5};
    SaveSizes();
    SaveTextSizes();
    EXPECT_TRUE(IniHasLine("AgapsLI= 30480, 30480, 30480"));
    EXPECT_TRUE(IniHasLine("LI0= 12700, 25400, 25400"));
    EXPECT_TRUE(IniHasLine("LI2=-100, 0, 7"));
    EXPECT_TRUE(IniHasLine("Buswidth=-1"));
    EXPECT_TRUE(IniHasLine("Wirewidth= 5080"));
    EXPECT_TRUE(IniHasLine("T0= 152400, 0"));
    EXPECT_TRUE(IniHasLine("T31= 60,-5"));

    const auto rows = gCondSizes;
    const auto lines = gLineWidths;
    ResetSizeSettingsState();
    LoadSizes();
    LoadTextSizes();
    EXPECT_EQ(gCondSizes, rows);
    EXPECT_EQ(gLineWidths, lines);
    EXPECT_EQ(gBusWidth, -1);
    EXPECT_EQ(gTextSizes[31].Height, 10);
    EXPECT_EQ(gTextSizes[31].LineWidth, -5);
}

TEST_F(SizeSettings, MalformedValuesLeaveWhatTheyCannotSet) {
    WriteIni(
        "[SIZES]\r\n"
        "LineWidths=1,2,3,4,5,6,7,8,9,10\r\n"
        "Buswidth=50,8\r\n"
        "Wirewidth=1E12\r\n"
        "LI4= 9, 99999999999, 2.5\r\n"
        "LI5=1E39,-1E39, 7\r\n"
        "[TEXTS]\r\n"
        "T1=100000, 12700\r\n"
        "T2=304800\r\n");
    gLineWidths.fill(-7);
    gWireWidth = -7;
    gCondSizes[5] = {-7, -7, -7};
    gCondSizes[6] = {-7, -7, -7};
    gTextSizes[2].LineWidth = -7;
    LoadSizes();
    LoadTextSizes();
    for (int i = 1; i <= 16; ++i) EXPECT_EQ(gLineWidths[i], i <= 10 ? i : -7) << i;
    EXPECT_EQ(gBusWidth, 50);                    // no decimal comma for the two widths
    EXPECT_EQ(gWireWidth, -7);                   // does not fit 32 bits
    EXPECT_EQ(gCondSizes[5], (Row{9, -7, 2}));   // halves go to the even neighbour
    EXPECT_EQ(gCondSizes[6], (Row{-7, -7, 7}));  // beyond single precision does not fit either
    EXPECT_EQ(gTextSizes[1].Height, 16667);
    EXPECT_EQ(gTextSizes[1].Width, 16667);
    EXPECT_EQ(gTextSizes[2].Height, 50800);
    EXPECT_EQ(gTextSizes[2].LineWidth, -7);

    SaveTextSizes();
    EXPECT_TRUE(IniHasLine("T1= 100002, 12700"));
}

TEST_F(SizeSettings, CurrentScopeMovesTheKernelTablesOnly) {
    SetOptionScope(OptionScope::Current);
    WriteIni("[SIZES]\r\nBuswidth=1\r\n[TEXTS]\r\nT0=6,6\r\n");
    const std::string before = IniText();
    for (int r = 0; r < 17; ++r) gCondSizes[r] = {r * 10 + 1, r * 10 + 2, r * 10 + 3};
    gBusWidth = 0x01020304;
    gWireWidth = 5080;
    for (int i = 1; i <= 16; ++i) gLineWidths[i] = 1000 + i;
    for (int n = 0; n < 32; ++n) gTextSizes[n] = {n, n + 100, n + 200};
    SaveSizes();
    SaveTextSizes();
    EXPECT_EQ(IniText(), before);

    EXPECT_EQ(TableBytes(10, 0, 12), (std::vector<uint8_t>{1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0}));
    EXPECT_EQ(TableInt(9, 0), 11);  // pad size entry 0 is row 1
    EXPECT_EQ(TableInt(9, 47), 163);
    EXPECT_EQ(TableBytes(13, 0, 4), (std::vector<uint8_t>{4, 3, 2, 1}));
    EXPECT_EQ(TableInt(14, 0), 5080);
    EXPECT_EQ(TableInt(19, 0), 25400);
    EXPECT_EQ(TableInt(15, 0), 1001);
    EXPECT_EQ(TableInt(15, 15), 1016);
    int32_t text[96];
    std::memcpy(text, DB_TextSizeTable(), 384);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(text[94], 131);
    EXPECT_EQ(text[95], 231);

    const auto rows = gCondSizes;
    const auto lines = gLineWidths;
    ResetSizeSettingsState();
    LoadSizes();
    LoadTextSizes();
    EXPECT_EQ(gCondSizes, rows);
    EXPECT_EQ(gLineWidths, lines);
    EXPECT_EQ(gBusWidth, 0x01020304);
    EXPECT_EQ(gWireWidth, 5080);
    EXPECT_EQ(gTextSizes[0].Height, 100);  // the database, not T0 of the file
    EXPECT_EQ(gTextSizes[31].LineWidth, 231);
}

TEST_F(SizeSettings, WireWidthPlusOffsetSaturates) {
    const struct {
        int32_t wire;
        int32_t table19;
    } cases[] = {{5080, 25400}, {INT32_MAX - 100, INT32_MAX}, {INT32_MIN, INT32_MIN + 20320}};
    for (const auto& c : cases) {
        gWireWidth = c.wire;
        StoreLineSizes();
        EXPECT_EQ(TableInt(19, 0), c.table19) << c.wire;
    }
}

}  // namespace
}  // namespace tolvi
