#include "setup/units.h"

#include <gtest/gtest.h>

#include <optional>

namespace tolvi {
namespace {

// Typed lengths converted in double, held in single precision, tested, then rounded half to
// even: the pinned values below come out only in that order.
TEST(TakeLength, ConversionVectors) {
    const double wide = 1e10;
    const struct {
        const char* text;
        float factor;
        std::optional<int32_t> units;
    } cases[] = {
        {"5", kInchFactor, 12700000},   {"1", kInchFactor, 2540000},  {"0.001", kInchFactor, 2540},
        {"0.0001", kInchFactor, 254},   {"0.0002", kInchFactor, 508}, {"0.02", kInchFactor, 50800},
        {"0.0201", kInchFactor, 51054}, {"0.002", kInchFactor, 5080}, {"0.2", kInchFactor, 508000},
        {"1234.5678", 1.0f, 123456784}, {"5,08", 1.0f, 508000},       {"25.4", 1.0f, 2540000},
        {"7 mm", 1.0f, 700000},         {"1e40", 1.0f, std::nullopt}, {"-1e40", 1.0f, std::nullopt},
        {"30000", 1.0f, std::nullopt},  // beyond 32 bits
    };
    for (const auto& c : cases) EXPECT_EQ(TakeLength(c.text, c.factor, -wide, wide), c.units) << c.text;
}

TEST(TakeLength, RangeIsTestedOnTheConvertedValueBeforeRounding) {
    EXPECT_EQ(TakeLength("0.0009", kInchFactor, 2540, 12700000), std::nullopt);
    EXPECT_EQ(TakeLength("0.001", kInchFactor, 2540, 12700000), 2540);
    EXPECT_EQ(TakeLength("5", kInchFactor, 2540, 12700000), 12700000) << "the upper end is included";
    EXPECT_EQ(TakeLength("25.41", 1.0f, 2540, 2540000), std::nullopt);
    EXPECT_EQ(TakeLength("", 1.0f, 1, 10), std::nullopt) << "no number reads 0";
    EXPECT_EQ(TakeLength("abc", 1.0f, 0, 10), 0);
    // 0.0000253 mm is 2.53 units: inside 2..3 before rounding, and rounds to 3.
    EXPECT_EQ(TakeLength("0.0000253", 1.0f, 2, 3), 3);
    EXPECT_EQ(TakeLength("0.000025", 1.0f, 2, 3), 2) << "2.5 rounds to the even neighbour";
}

TEST(FormatNumber, PatternsTable) {
    const struct {
        double value;
        const char* pattern;
        const char* shown;
    } cases[] = {
        {0.2000000004, "#0.0000", "0.2000"},
        {5.08, "##0.000", "5.080"},
        {0.0254, "##0.000", "0.025"},
        {1234.5678, "###0.000", "1234.568"},
        {0.0005, "##0.000", "0.001"},
        {2.675, "#0.00", "2.68"},
        {0.00005, "#0.0000", "0.0001"},
        {9.99995, "#0.0000", "10.0000"},
        {-0.5, "#0.0000", "-0.5000"},
        {-0.00001, "#0.0000", "0.0000"},
        {0.5, "##.0", ".5"},
        {45, "##.0", "45.0"},
        {0.05, "##.0", ".1"},
        {0, "##.0", ".0"},
        {0, "###", ""},
        {2, "###", "2"},
        {12.5, "###", "13"},
        {2.5, "####", "3"},
        {0.00254, "#0.0000#", "0.00254"},
        {0.2, "#0.0000#", "0.2000"},
        {0.000025, "#0.0000#", "0.00003"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatNumber(c.value, c.pattern), c.shown) << c.value << " " << c.pattern;
    EXPECT_EQ(FormatNumber(0.2, "#0.0000", ','), "0,2000");
}

TEST(FormatNumber, DatabaseUnitsInInchAndMm) {
    EXPECT_EQ(InchText(508000, "#0.0000", '.'), "0.2000");
    EXPECT_EQ(MmText(508000, "##0.000", '.'), "5.080");
    EXPECT_EQ(InchText(254, "#0.0000", '.'), "0.0001");
    EXPECT_EQ(MmText(2540, "##0.000", '.'), "0.025");
}

}  // namespace
}  // namespace tolvi
