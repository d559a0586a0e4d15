#include "common/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tolvi {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    struct Case {
        double v;
        int32_t want;
    };
    const Case cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {2.4999, 2},
        {2.5001, 3},
        {-2.5001, -3},
        {7.0, 7},
        {-7.0, -7},
        {2147483647.0, 2147483647},
        {2147483647.4, 2147483647},
        {-2147483648.0, -2147483647 - 1},
        {-2147483648.5, -2147483647 - 1},  // half to even stays in range
    };
    for (const Case& c : cases) {
        int32_t out = 99;
        EXPECT_TRUE(RoundHalfEven(c.v, out)) << c.v;
        EXPECT_EQ(out, c.want) << c.v;
    }
}

TEST(RoundHalfEven, OverflowAndNaNAreReported) {
    const double bad[] = {2147483647.5, 2147483648.0, -2147483649.0,
                          1e300,        -1e300,       std::numeric_limits<double>::infinity(),
                          std::nan("")};
    for (double v : bad) {
        int32_t out = 99;
        EXPECT_FALSE(RoundHalfEven(v, out)) << v;
        EXPECT_EQ(out, 0) << v;
    }
    int16_t s = 0;
    EXPECT_TRUE(RoundHalfEven(32766.5, s));
    EXPECT_EQ(s, 32766);
    EXPECT_FALSE(RoundHalfEven(32767.5, s));
    int64_t l = 0;
    EXPECT_TRUE(RoundHalfEven(4294967296.5, l));
    EXPECT_EQ(l, 4294967296);
    EXPECT_FALSE(RoundHalfEven(9.3e18, l));
}

TEST(NumberText, SettingsAndPlainForms) {
    struct Case {
        double v;
        const char* ini;
        const char* plain;
    };
    const Case cases[] = {
        {25400, " 25400", "25400"},
        {-100, "-100", "-100"},
        {0, " 0", "0"},
        {-0.0, " 0", "0"},
        {0.5, " .5", ".5"},
        {-0.5, "-.5", "-.5"},
        {0.1, " .1", ".1"},
        {12.25, " 12.25", "12.25"},
        {1000000, " 1000000", "1000000"},
        {2147483647, " 2147483647", "2147483647"},
        {0.0025, " .0025", ".0025"},
        {1e15, " 1E+15", "1E+15"},
        {-2.5e-7, "-2.5E-07", "-2.5E-07"},
        {1e100, " 1E+100", "1E+100"},
        {123456789012345.0, " 123456789012345", "123456789012345"},
        {std::numeric_limits<double>::quiet_NaN(), " 0", "0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IniNumText(c.v), c.ini) << c.v;
        EXPECT_EQ(PlainNumText(c.v), c.plain) << c.v;
    }
}

TEST(NumberText, DoubleFormReadsBackExactly) {
    for (double v : {0.1, 1.0 / 3.0, -2.0 / 7.0, 123456.789, 5e-6, 9.87654321e14, 1.2345e-300}) {
        EXPECT_EQ(NumberStoppingAtBlank(IniNumText(v)), v) << IniNumText(v);
    }
}

TEST(NumberText, SingleFormHasSevenDigits) {
    struct Case {
        float v;
        const char* ini;
    };
    const Case cases[] = {
        {16777217.0f, " 1.677722E+07"},
        {1234567.0f, " 1234567"},
        {0.1f, " .1"},
        {-1.5f, "-1.5"},
        {1e7f, " 1E+07"},
        {3.14159265f, " 3.141593"},
        {0.0f, " 0"},
    };
    for (const Case& c : cases) EXPECT_EQ(IniSingleText(c.v), c.ini) << c.v;
    EXPECT_EQ(PlainSingleText(0.25f), ".25");
}

// The two leading-number readers differ only in blanks after the first character (and in the
// "&H" / "&O" prefixes, which only the blank-ignoring one knows).
TEST(LeadingNumber, TheTwoBlankRules) {
    struct Case {
        const char* text;
        double ignoringBlanks;
        double stoppingAtBlank;
    };
    const Case cases[] = {
        {"  25400 ", 25400, 25400},
        {" 1 2", 12, 1},
        {"- 7", -7, 0},
        {"1 E3", 1000, 1},
        {"1E3", 1000, 1000},
        {"\t4\n2", 42, 0},
        {"2,5", 2, 2},
        {"2.5x", 2.5, 2.5},
        {"x3", 0, 0},
        {"", 0, 0},
        {"1E400", 0, 0},
        {"&H1F", 31, 0},
        {"& H 1F", 31, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NumberIgnoringBlanks(c.text), c.ignoringBlanks) << '"' << c.text << '"';
        EXPECT_EQ(NumberStoppingAtBlank(c.text), c.stoppingAtBlank) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace tolvi
