#include "common/settings_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <limits>
#include <string>
#include <vector>

#include "common/utilities.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tolvi {
namespace {

using test::scriptedUi;

class SettingsFile : public ::testing::Test {
protected:
    test::TempDir dir;
    void SetUp() override { gIniFile = dir.File("TOLVI32.INI"); }
    std::string Get(const std::string& section, const std::string& key, const std::string& def = "<none>") {
        std::string value = "stale";
        IniGetString(section, key, def, value);
        return value;
    }
};

TEST_F(SettingsFile, ReadsWithTheStoreRules) {
    dir.Write("TOLVI32.INI",
              "[Grid]\r\n"
              "Buswidth= 50800 \r\n"
              "LI0= 12700, 25400, 25400\r\n"
              "; Quoted=comment\r\n"
              "Quoted=\"  a, b  \"\r\n"
              " Spaced Key  =  two  words  \r\n"
              "LayDefBord=1\r\n"
              "LayDefbord=2\r\n"
              "Empty=\r\n"
              "\r\n"
              "[Other]\r\n"
              "Buswidth=other\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* def;
        const char* want;
    };
    const Case cases[] = {
        {"Grid", "Buswidth", "x", "50800"},
        {"gRID", "BUSWIDTH", "x", "50800"},
        {" Grid ", " LayDefbord ", "x", "1"},  // keys differing in case are one key
        {"Grid", "LI0", "x", "12700, 25400, 25400"},
        {"Grid", "Quoted", "x", "  a, b  "},  // one pair of quotes dropped, inside kept
        {"Grid", "Spaced Key", "x", "two  words"},
        {"Grid", "Empty", "x", ""},
        {"Grid", "; Quoted", "x", "x"},  // a comment is no key
        {"Grid", "Missing", "152400, 12700  ", "152400, 12700"},
        {"Grid", "Missing", "  lead", "  lead"},
        {"Nowhere", "Buswidth", "d", "d"},
        {"Other", "Buswidth", "x", "other"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Get(c.section, c.key, c.def), c.want) << c.section << "/" << c.key;
        EXPECT_EQ(gWorkFile, gIniFile);
    }
}

TEST_F(SettingsFile, MissingOrUnreadableFileGivesTheDefault) {
    EXPECT_EQ(Get("Grid", "Buswidth", "7 "), "7");
    gIniFile = dir.path();  // a directory
    EXPECT_EQ(Get("Grid", "Buswidth", "7 "), "7");
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST_F(SettingsFile, LongValueIsCutTo1023) {
    std::string longValue;
    for (int i = 0; i < 1500; ++i) longValue += static_cast<char>('a' + i % 26);
    int err = -1;
    IniPutString("Lib", "Path", longValue, err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(Get("Lib", "Path"), longValue.substr(0, 1023));
    EXPECT_EQ(Get("Lib", "Missing", longValue), longValue.substr(0, 1023));
}

TEST_F(SettingsFile, WritesKeepOtherLinesOrderAndLineEnds) {
    dir.Write("TOLVI32.INI",
              "; settings\n"
              "[Grid]\n"
              "a=1\n"
              "B=2\n"
              "\n"
              "[Colours]\n"
              "c=3");
    int err = -1;
    IniPutString("grid", "b", " 20", err);  // replaced in place, the key keeps its spelling
    EXPECT_EQ(err, 0);
    IniPutString("Grid", "New", "x", err);   // added at the end of its section
    IniPutString("Colours", "d", "4", err);  // after a last line without line end
    IniPutString("Fresh", "k", "v", err);    // a new section at the end
    IniDeleteKey("Grid", "A", err);
    EXPECT_EQ(err, 0);
    IniDeleteKey("Grid", "NoSuchKey", err);  // a missing key is success
    EXPECT_EQ(err, 0);
    IniDeleteKey("NoSuchSection", "a", err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(dir.Read("TOLVI32.INI"),
              "; settings\n"
              "[Grid]\n"
              "B= 20\n"
              "New=x\n"
              "\n"
              "[Colours]\n"
              "c=3\n"
              "d=4\n"
              "[Fresh]\n"
              "k=v\n");
    EXPECT_EQ(Get("Grid", "B"), "20");
    EXPECT_EQ(Get("Grid", "a"), "<none>");
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST_F(SettingsFile, NewFileIsWrittenWithCrLf) {
    int err = -1;
    IniPutString("General", "Units", " 1", err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(dir.Read("TOLVI32.INI"), "[General]\r\nUnits= 1\r\n");
}

TEST_F(SettingsFile, FailedWriteOrDeleteShowsTheBoxWithThePath) {
    const std::string unwritable = dir.File("no such dir/TOLVI32.INI");
    const std::string aDirectory = dir.path();
    struct Case {
        std::string file;
        bool del;
    };
    const Case cases[] = {{unwritable, false}, {aDirectory, false}, {aDirectory, true}};
    for (const Case& c : cases) {
        scriptedUi().Reset();
        scriptedUi().QueueAnswer(1);
        gIniFile = c.file;
        gWorkFile.clear();
        int err = 0;
        if (c.del) {
            IniDeleteKey("Grid", "a", err);
        } else {
            IniPutString("Grid", "a", "1", err);
        }
        EXPECT_EQ(err, 1) << c.file;
        EXPECT_EQ(gWorkFile, c.file);
        ASSERT_EQ(scriptedUi().boxes.size(), 1u) << c.file;
        EXPECT_EQ(scriptedUi().boxes[0].text, "Can't create/write to file: " + c.file);
        EXPECT_EQ(scriptedUi().boxes[0].style, 4144);
        EXPECT_FALSE(scriptedUi().boxes[0].title.empty());
    }
}

// An operation holds the file: reads see its writes at once, the file changes once, at the end of
// the outermost operation, and only when its bytes change.
TEST_F(SettingsFile, AnOperationWritesTheFileOnceAtItsEnd) {
    const std::string before = "; kept\r\n[S]\r\nK=old\r\nGone=1\r\n";
    dir.Write("TOLVI32.INI", before);
    {
        SettingsOperation op;
        int err = -1;
        IniPutString("S", "K", "new", err);
        EXPECT_EQ(err, 0);
        IniDeleteKey("S", "Gone", err);
        {
            SettingsOperation inner;
            IniPutString("T", "N", " 1", err);
        }
        EXPECT_EQ(Get("S", "K"), "new");
        EXPECT_EQ(Get("S", "Gone"), "<none>");
        EXPECT_EQ(Get("T", "N"), "1");
        EXPECT_EQ(dir.Read("TOLVI32.INI"), before) << "nothing written before the end";
        // Someone else writes the file meanwhile: that stays, with the operation's writes on it.
        dir.Write("TOLVI32.INI", before + "[Other]\r\nX=2\r\n");
    }
    EXPECT_EQ(dir.Read("TOLVI32.INI"), "; kept\r\n[S]\r\nK=new\r\n[Other]\r\nX=2\r\n[T]\r\nN= 1\r\n");

    // The same values again: the file is not replaced.
    struct stat first {
    }, second{};
    ASSERT_EQ(::stat(gIniFile.c_str(), &first), 0);
    {
        SettingsOperation op;
        int err = 0;
        IniPutString("S", "K", "new", err);
        IniPutString("T", "N", " 1", err);
        IniDeleteKey("S", "Missing", err);
    }
    int err = 0;
    IniPutString("Other", "X", "2", err);  // outside an operation too
    ASSERT_EQ(::stat(gIniFile.c_str(), &second), 0);
    EXPECT_EQ(second.st_ino, first.st_ino);
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

// One box for an operation, whether its writes fail at once or the file fails at the end; what
// failed to be written is not read back afterwards.
TEST_F(SettingsFile, AFailedOperationShowsOneBox) {
    const std::string noDir = dir.File("no such dir/TOLVI32.INI");
    for (const std::string& file : {noDir, dir.path()}) {
        SCOPED_TRACE(file);
        scriptedUi().Reset();
        scriptedUi().QueueAnswer(platform::kAnswerOk);
        gIniFile = file;
        std::vector<int> errs;
        {
            SettingsOperation op;
            for (const char* key : {"a", "b", "c"}) {
                int err = -1;
                IniPutString("Grid", key, "1", err);
                errs.push_back(err);
            }
        }
        // A missing directory shows only when the file is written; a directory in the file's place
        // refuses every write at once.
        EXPECT_EQ(errs, std::vector<int>(3, file == noDir ? 0 : 1));
        ASSERT_EQ(scriptedUi().boxes.size(), 1u);
        EXPECT_EQ(scriptedUi().boxes[0].text, "Can't create/write to file: " + file);
        EXPECT_EQ(gWorkFile, file);
        EXPECT_EQ(Get("Grid", "a"), "<none>");
    }
}

constexpr float kInf = std::numeric_limits<float>::infinity();

struct ParseCase {
    const char* text;
    std::vector<std::string> fields;
    std::vector<float> nums;  // empty: every field 0
};

TEST(ParseList, SplitsFieldsAsTheCallersExpect) {
    const ParseCase cases[] = {
        {"", {""}, {}},
        {"a,b", {"a", "b"}, {}},
        {"a,", {"a", ""}, {}},
        {",,", {"", "", ""}, {}},
        {"1,5", {"1", "5"}, {1, 5}},
        {"12700, 25400", {"12700", " 25400"}, {12700, 25400}},
        {"\"1,5\"", {"1,5"}, {1.5f}},
        {"\"x,y\",z", {"x,y", "z"}, {}},
        {"a,\"b\"", {"a", "b"}, {}},
        {"\"ab\",", {"ab"}, {}},  // no empty field after a quoted one
        {"ab,", {"ab", ""}, {}},
        {"\"ab", {"\"ab"}, {}},  // unclosed quote: the rest, quote included
        {"a,\"b,c", {"a", "\"b,c"}, {}},
        {"\"", {"\""}, {}},  // lone quote
        {"a,\"", {"a", "\""}, {}},
        {"\"\"", {""}, {}},
        {"\"ab\"cd,e", {"ab\"c", "e"}, {}},  // the character before the comma is the "closing quote"
        {"\"a\",,b", {"a", "", "b"}, {}},
        {"16777217,-16777217", {"16777217", "-16777217"}, {16777216.0f, -16777216.0f}},
        // Beyond the single range: an overflow, which no caller can take as a 32-bit number.
        {"1E300,-1E39, 2.5", {"1E300", "-1E39", " 2.5"}, {kInf, -kInf, 2.5f}},
        {"&H10,&O10,1D2", {"&H10", "&O10", "1D2"}, {16, 8, 100}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.text);
        ParseList(c.text);
        const std::size_t n = c.fields.size();
        ASSERT_EQ(gTokStr.size(), n + 1);
        ASSERT_EQ(gTokNum.size(), n + 1);
        EXPECT_EQ(gTokNum[0], static_cast<float>(n));
        EXPECT_EQ(gTokStr[0], "");
        for (std::size_t i = 1; i <= n; ++i) {
            EXPECT_EQ(gTokStr[i], c.fields[i - 1]) << "field " << i;
            EXPECT_EQ(gTokNum[i], c.nums.empty() ? 0.0f : c.nums[i - 1]) << "field " << i;
        }
    }
}

TEST(ParseList, EveryCallStartsAfresh) {
    ParseList("1,2,3,4");
    ParseList("9");
    EXPECT_EQ(gTokStr, (std::vector<std::string>{"", "9"}));
    EXPECT_EQ(gTokNum, (std::vector<float>{1, 9}));
}

TEST(ParseNumber, ReadsLikeTheOldValueFunction) {
    struct Case {
        const char* text;
        double want;
    };
    const Case cases[] = {
        {"", 0},
        {" 1 2", 12},
        {"2,5", 2.5},
        {"3x", 3},
        {"x3", 0},
        {"1E3", 1000},
        {"1d3", 1000},
        {"1e-3", 0.001},
        {"1E", 1},
        {"1E+", 1},
        {"-.5", -0.5},
        {"+7", 7},
        {"- 7", -7},
        {"\t4\n2", 42},
        {"\r5", 0},
        {"1.2.3", 1.2},
        {"1,5,7", 1.5},
        {"-", 0},
        {".", 0},
        {"1E400", 0},
        {"&H1F", 31},
        {"&hff", 255},
        {"&O17", 15},
        {"&o8", 0},
        {"&H", 0},
        {"&HFFFFFFFF", 4294967295.0},
        {"&H100000000", 0},
        {"&X1", 0},
        {"-&H1", 0},
        {"16777217", 16777217},
        {"  25400 ", 25400},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseNumber(c.text), c.want) << '"' << c.text << '"';
}

}  // namespace
}  // namespace tolvi
