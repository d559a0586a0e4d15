#include "common/aperture_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/general_settings.h"
#include "common/utilities.h"
#include "support/aperture_table.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tolvi {
namespace {

using test::scriptedUi;
using test::SetApertureSizes;

std::vector<std::string> Rows() {
    std::vector<std::string> out;
    out.reserve(gApertures.size());
    for (const AptRec& r : gApertures)
        out.push_back(std::to_string(r.Size) + " " + std::to_string(r.LineDcode) + " " +
                      std::to_string(r.RoundDcode) + " " + std::to_string(r.SquareDcode) + " " +
                      std::to_string(r.Flag) + " " + std::to_string(r.Spare));
    return out;
}

class ApertureFile : public ::testing::Test {
protected:
    test::TempDir dir;
    void SetUp() override {
        gSysDir = dir.path();
        gAperFile = "STD";
    }
    int32_t Load() {
        int32_t err = -1;
        LoadApertureFile(err, ".APT");
        return err;
    }
};

TEST_F(ApertureFile, ReadsRowsUntilTheEndGroup) {
    dir.Write("STD.APT",
              "25400,10,0,0\r\n"
              "  50800 , \"11\",1.5,2.5\r\n"  // blanks, quotes, halves to even
              "76200,12\r\n"                  // a group may run over lines
              "\r\n"
              "  13,14\r\n"
              "\"#\",\"#\",\"#\",\"#\"\r\n"
              "99,99,99,99\r\n");  // nothing after the end group is read
    EXPECT_EQ(Load(), 0);
    EXPECT_EQ(gWorkFile, dir.File("STD.APT"));
    EXPECT_EQ(Rows(), (std::vector<std::string>{"0 0 0 0 0 0", "25400 10 0 0 0 0", "50800 11 2 2 0 0",
                                                "76200 12 13 14 0 0"}));
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST_F(ApertureFile, EndGroupAloneIsAnEmptyTableAndLineEndsMayVary) {
    const char* files[] = {"\"#\",\"#\",\"#\",\"#\"\r\n", "#,#,#,#", "100,1,2,3\r200,4,5,6\n#,x,y,z\n"};
    const size_t rows[] = {1, 1, 3};
    for (size_t i = 0; i < 3; ++i) {
        dir.Write("STD.APT", files[i]);
        gApertures.assign(3, AptRec{});
        EXPECT_EQ(Load(), 0) << files[i];
        EXPECT_EQ(gApertures.size(), rows[i]) << files[i];
    }
}

TEST_F(ApertureFile, NameIsFoundRegardlessOfCase) {
    gAperFile = "Photo1";
    dir.Write("photo1.apt", "100,7,0,0\r\n\"#\",\"#\",\"#\",\"#\"\r\n");
    EXPECT_EQ(Load(), 0);
    EXPECT_EQ(gWorkFile, dir.File("photo1.apt"));
    EXPECT_EQ(Rows().back(), "100 7 0 0 0 0");
}

TEST_F(ApertureFile, DamagedFileLeavesOneRowOfSizeOne) {
    const char* files[] = {
        "100,1,2,3\r\n200,4,5,6\r\n",                    // no end group
        "100,1,2,3\r\n#,#\r\n",                          // end group cut short
        "100,1,2,3\r\n3000000000,1,2,3\r\n#,#,#,#\r\n",  // a size beyond 32 bits
        "",
    };
    for (const char* text : files) {
        dir.Write("STD.APT", text);
        scriptedUi().Reset();
        scriptedUi().QueueAnswer(1);
        EXPECT_EQ(Load(), 1) << text;
        EXPECT_EQ(Rows(), (std::vector<std::string>{"0 0 0 0 0 0", "1 0 0 0 0 0"})) << text;
        ASSERT_EQ(scriptedUi().boxes.size(), 1u) << text;
        EXPECT_EQ(scriptedUi().boxes[0].text, "Can't read file: " + dir.File("STD.APT"));
    }
}

TEST_F(ApertureFile, MissingTableReportsAndLeavesItEmpty) {
    gAperFile = "NONE";
    SetApertureSizes({5, 6});
    scriptedUi().QueueAnswer(1);
    EXPECT_EQ(Load(), 1);
    EXPECT_EQ(gApertures.size(), 1u);
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't read file: " + dir.File("NONE.APT"));
}

TEST(ApertureSearch, FindsSizesAndInsertPositions) {
    const struct {
        std::initializer_list<int32_t> table;
        int32_t size;
        int32_t index;
        int32_t insertPos;  // -1: not looked at for a hit
    } cases[] = {
        {{}, 100, 0, 0},
        {{100, 200, 300}, 50, 0, 1},
        {{100, 200, 300}, 350, 0, 4},
        {{100, 200, 300}, 250, 0, 3},
        {{100, 200, 300}, 150, 0, 2},
        {{100, 200, 300}, 100, 1, -1},
        {{100, 200, 300}, 200, 2, -1},
        {{100, 200, 300}, 300, 3, -1},
        {{100, 200}, 100, 1, -1},
        {{100, 200}, 200, 2, -1},
        {{100, 200}, 150, 0, 2},
        {{100}, 100, 1, -1},
        {{100}, 99, 0, 1},
        {{100}, 101, 0, 2},
        {{-5, 0, 7, 9, 12, 40, 41}, 41, 7, -1},
        {{-5, 0, 7, 9, 12, 40, 41}, 10, 0, 5},
    };
    for (const auto& c : cases) {
        SetApertureSizes(c.table);
        int32_t index = -9, insertPos = -9;
        FindApertureSize(index, c.size, insertPos);
        EXPECT_EQ(index, c.index) << "size " << c.size << " in " << c.table.size() << " rows";
        if (c.insertPos >= 0) {
            EXPECT_EQ(insertPos, c.insertPos) << "size " << c.size;
        }
    }
}

TEST(ApertureSearch, DcodeCells) {
    const struct {
        int32_t code;
        const char* text;
    } cases[] = {{0, "         "},  {10, "D10* "},  {999, "D999*"}, {1000, "D1000"},
                 {123456, "D1234"}, {-12, "D12* "}, {7, "D7*  "},   {INT32_MIN, "D2147"}};
    for (const auto& c : cases) EXPECT_EQ(FormatDcodeCell(c.code), c.text) << c.code;
}

}  // namespace
}  // namespace tolvi
