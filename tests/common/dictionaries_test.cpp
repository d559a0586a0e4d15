#include "common/dictionaries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/utilities.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace tolvi {
namespace {

using test::scriptedUi;

std::vector<std::string> Flat(const NamePairTable& t) {
    std::vector<std::string> out;
    for (const NamePairRec& p : t) out.push_back(p.Name + "|" + p.Replacement);
    return out;
}

NamePairTable Table(std::initializer_list<NamePairRec> pairs) {
    NamePairTable t{NamePairRec{}};
    t.insert(t.end(), pairs);
    return t;
}

class Dictionaries : public ::testing::TestWithParam<const char*> {
protected:
    test::TempDir dir;
};

TEST_P(Dictionaries, LinesGivePairsOrAreSkipped) {
    const std::string eol = GetParam();
    const std::string name99 = std::string(96, 'n') + ",rr";
    const std::string name100 = std::string(97, 'n') + ",rr";
    const std::vector<std::string> lines = {
        "  74LS00 ,  SN74LS00  ",  // blanks around either side go
        "no comma here",
        "",
        name100,        // 100 characters and more are skipped
        name99,         // 99 are taken
        "\"R,1\",RES",  // a quoted name may hold a comma
        "A,B,C,D",      // further fields ignored
        ",empty name",
        "CAP,",
    };
    std::string text;
    for (const std::string& l : lines) text += l + eol;
    const std::string path = dir.Write("PARTS.TDD", text);
    gWorkFile.clear();
    NamePairTable pairs = Table({{"old", "stale"}});
    int32_t err = -1;
    ParseDictionary(err, path, pairs);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(gWorkFile, path);
    EXPECT_EQ(Flat(pairs), (std::vector<std::string>{"|", "74LS00|SN74LS00", std::string(96, 'n') + "|rr",
                                                     "R,1|RES", "A|B", "|empty name", "CAP|"}));
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(LineEnds, Dictionaries, ::testing::Values("\r\n", "\n", "\r"), [](const auto& info) {
    const std::string eol = info.param;
    return std::string(eol == "\r\n" ? "CRLF" : eol == "\n" ? "LF" : "CR");
});

TEST(DictionaryFile, MissingFileReportsAndLeavesTheTable) {
    test::TempDir dir;
    NamePairTable pairs = Table({{"keep", "me"}});
    int32_t err = 0;
    scriptedUi().QueueAnswer(1);
    ParseDictionary(err, dir.File("NONE.TDS"), pairs);
    EXPECT_EQ(err, 1);
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Can't read file: " + dir.File("NONE.TDS"));
    EXPECT_EQ(Flat(pairs), (std::vector<std::string>{"|", "keep|me"}));
}

TEST(DictionaryFile, LastLineWithoutLineEndAndEmptyFile) {
    test::TempDir dir;
    NamePairTable pairs;
    int32_t err = -1;
    ParseDictionary(err, dir.Write("A.TDD", "x,y\r\nlast,one"), pairs);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(Flat(pairs), (std::vector<std::string>{"|", "x|y", "last|one"}));
    ParseDictionary(err, dir.Write("B.TDD", ""), pairs);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(Flat(pairs), std::vector<std::string>{"|"});
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST(DictionaryLookup, DirectionCaseBlanksAndFirstWins) {
    const NamePairTable t = Table({{"R1", "RES"}, {"C1", "CAP"}, {"R1", "LATER"}, {"X", "CAP"}});
    const struct {
        int32_t direction;
        const char* key;
        const char* want;
    } cases[] = {
        {0, "R1", "RES"},     // the earlier of two equal names wins
        {0, "  C1 ", "CAP"},  // blanks around the key are ignored for the match
        {0, "r1", "r1"},      // case matters
        {0, " Q9 ", " Q9 "},  // no match: the key as given, blanks included
        {1, "CAP", "C1"},    {1, " LATER", "R1"},
        {1, "R1", "R1"},     {2, "R1", "R1"},  // an unknown direction translates nothing
        {-1, "R1", "R1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LookupPairTable(c.direction, c.key, t), c.want) << c.direction << " '" << c.key << "'";
    EXPECT_EQ(LookupPairTable(0, " R1", Table({})), " R1");
    EXPECT_EQ(LookupPairTable(0, "", Table({{"", "blank"}})), "blank");
}

}  // namespace
}  // namespace tolvi
