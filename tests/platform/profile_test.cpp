#include "platform/profile.h"

#include <gtest/gtest.h>

#include <ostream>

#include "platform/errors.h"
#include "support/temp_dir.h"

namespace tolvi::test {
namespace {

using platform::ProfileGetString;
using platform::ProfileWriteString;

struct ReadCase {
    const char* name;
    const char* file;
    const char* section;
    const char* key;
    const char* def;
    const char* expected;
};
// Shown by its name in failures, not as the bytes of the record.
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

const ReadCase kReadCases[] = {
    {"plain", "[Grid]\r\nSnap= 25400\r\n", "Grid", "Snap", "x", "25400"},
    {"section and key case", "[GRID]\nsnap=1\n", "grid", "SNAP", "x", "1"},
    {"code-page letters fold",
     "[Gr\xC4"
     "d]\nK\xE9y=1\n",
     "gr\xE4"
     "d",
     "k\xC9Y", "x", "1"},
    {"blanks around names", "  [ Grid ]  \n  Snap  =  a b  \n", " Grid", "Snap ", "x", "a b"},
    {"tab blanks", "[Grid]\n\tSnap\t=\tv\t\n", "Grid", "Snap", "x", "v"},
    {"quotes dropped", "[S]\nK= \"a, b\" \n", "S", "K", "", "a, b"},
    {"one pair only", "[S]\nK=\"\"a\"\"\n", "S", "K", "", "\"a\""},
    {"lone quote kept", "[S]\nK=\"\n", "S", "K", "", "\""},
    {"inner quote kept", "[S]\nK=\"a\n", "S", "K", "", "\"a"},
    {"empty value", "[S]\nK=\n", "S", "K", "def", ""},
    {"value with =", "[S]\nK=a=b\n", "S", "K", "", "a=b"},
    {"missing key gives default", "[S]\nK=1\n", "S", "Other", "152400, 12700  ", "152400, 12700"},
    {"default keeps leading blanks", "", "S", "K", "  d ", "  d"},
    {"missing section", "[T]\nK=1\n", "S", "K", "d", "d"},
    {"key of another section", "[S]\n[T]\nK=1\n", "S", "K", "d", "d"},
    {"key before any section", "K=1\n[S]\n", "S", "K", "d", "d"},
    {"comment is no key", "[S]\n;K=1\n", "S", "K", "d", "d"},
    {"first duplicate wins", "[S]\nK=1\nk=2\n[s]\nK=3\n", "S", "K", "d", "1"},
    {"lone CR lines", "[S]\rA=1\rK=2\r", "S", "K", "d", "2"},
    {"last line without end", "[S]\nK=7", "S", "K", "d", "7"},
    // A "[" line without its "]" is no header: the keys after it stay in the section before.
    {"unclosed bracket keeps the section", "[S]\nA=1\n[Broken\nK=2\n", "S", "K", "d", "2"},
    {"unclosed bracket names no section", "[S]\n[Broken\nK=2\n", "Broken", "K", "d", "d"},
    {"unclosed bracket line is no key", "[S]\n[K=5\n", "S", "[K", "d", "d"},
};

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, Returns) {
    const ReadCase& c = GetParam();
    TempDir dir;
    const std::string file = dir.Write("TOLVI32.INI", c.file);
    EXPECT_EQ(ProfileGetString(c.section, c.key, c.def, file), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileRead, ::testing::ValuesIn(kReadCases), [](const auto& info) {
    std::string n = info.param.name;
    for (char& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
});

TEST(ProfileReadLimits, CutsToCapacityLessOne) {
    TempDir dir;
    const std::string longValue(1500, 'x');
    const std::string file = dir.Write("a.ini", "[S]\r\nK=" + longValue + "\r\n");
    EXPECT_EQ(ProfileGetString("S", "K", "", file), std::string(1023, 'x'));
    EXPECT_EQ(ProfileGetString("S", "K", "", file, 5), "xxxx");
    EXPECT_EQ(ProfileGetString("S", "Missing", std::string(2000, 'd'), file).size(), 1023u);
}

TEST(ProfileReadLimits, MissingOrUnreadableFileGivesDefault) {
    TempDir dir;
    EXPECT_EQ(ProfileGetString("S", "K", "d ", dir.File("none.ini")), "d");
    EXPECT_EQ(ProfileGetString("S", "K", "d", dir.path()), "d");  // a directory
}

struct WriteCase {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;  // nullptr deletes
    const char* after;
};
// Shown by its name in failures, not as the bytes of the record.
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

const WriteCase kWriteCases[] = {
    {"replace in place keeps order and comments",
     "; head\r\n[A]\r\nx=1\r\nSnap=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n", "a", " SNAP ", " 5",
     "; head\r\n[A]\r\nx=1\r\nSnap= 5\r\ny=2\r\n\r\n[B]\r\nz=3\r\n"},
    {"new key after the section's last entry", "[A]\r\nx=1\r\n\r\n[B]\r\n", "A", "k", "v",
     "[A]\r\nx=1\r\nk=v\r\n\r\n[B]\r\n"},
    {"new key in an empty last section", "[A]", "A", "k", "v", "[A]\r\nk=v\r\n"},
    {"new section at the end", "[A]\nx=1\n", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n"},
    {"LF style kept", "[A]\nx=1\n", "A", "y", "2", "[A]\nx=1\ny=2\n"},
    {"CR style kept", "[A]\rx=1\r", "A", "x", "2", "[A]\rx=2\r"},
    {"last line without end", "[A]\nx=1", "A", "y", "2", "[A]\nx=1\ny=2\n"},
    {"empty value written", "[A]\r\nx=1\r\n", "A", "x", "", "[A]\r\nx=\r\n"},
    {"delete key", "[A]\r\nx=1\r\nX=2\r\ny=3\r\n", "a", "x", nullptr, "[A]\r\nX=2\r\ny=3\r\n"},
    {"delete missing key", "[A]\r\ny=3\r\n", "A", "x", nullptr, "[A]\r\ny=3\r\n"},
    {"delete in missing section", "[A]\r\nx=3\r\n", "B", "x", nullptr, "[A]\r\nx=3\r\n"},
    {"key after an unclosed bracket belongs to the section before", "[A]\nx=1\n[B\ny=2\n[C]\n", "A", "y", "3",
     "[A]\nx=1\n[B\ny=3\n[C]\n"},
};

class ProfileWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWrite, Rewrites) {
    const WriteCase& c = GetParam();
    TempDir dir;
    const std::string file = dir.Write("TOLVI32.INI", c.before);
    std::string value = c.value ? c.value : "";
    ASSERT_TRUE(ProfileWriteString(c.section, c.key, c.value ? &value : nullptr, file))
        << platform::ErrDescription();
    EXPECT_EQ(dir.Read("TOLVI32.INI"), c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileWrite, ::testing::ValuesIn(kWriteCases), [](const auto& info) {
    std::string n = info.param.name;
    for (char& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
});

TEST(ProfileWriteFile, NewFileIsCrLfAndReadsBack) {
    TempDir dir;
    const std::string file = dir.File("TOLVI32.INI");
    const std::string v1 = " 12700, 25400", v2 = "\"quoted\"";
    ASSERT_TRUE(ProfileWriteString("Grid", "LI0", &v1, file));
    ASSERT_TRUE(ProfileWriteString("Text", "Name", &v2, file));
    EXPECT_EQ(dir.Read("TOLVI32.INI"), "[Grid]\r\nLI0= 12700, 25400\r\n[Text]\r\nName=\"quoted\"\r\n");
    EXPECT_EQ(ProfileGetString("grid", "li0", "", file), "12700, 25400");
    EXPECT_EQ(ProfileGetString("Text", "Name", "", file), "quoted");
    // Deleting from a file that does not exist creates nothing.
    EXPECT_TRUE(ProfileWriteString("A", "B", nullptr, dir.File("other.ini")));
    EXPECT_EQ(dir.Read("other.ini"), "");
}

TEST(ProfileWriteFile, FailuresAreReported) {
    TempDir dir;
    const std::string v = "1";
    struct Case {
        std::string file;
        const char* description;
    } cases[] = {
        {dir.File("missing/TOLVI32.INI"), "Path not found"},
        {dir.path(), "Path/File access error"},  // the target is a directory
    };
    for (const Case& c : cases) {
        platform::ClearErr();
        EXPECT_FALSE(ProfileWriteString("S", "K", &v, c.file)) << c.file;
        EXPECT_EQ(platform::ErrDescription(), c.description) << c.file;
    }
    // A line end in a name or value is refused and leaves the file as it was.
    dir.Write("TOLVI32.INI", "[S]\r\nK=old\r\n");
    const std::string broken = "a\nB=b";
    for (auto [sec, key, val] : {std::tuple{"S", "K", &broken}, {"S\r", "K", &v}, {"S", "K\n", &v}}) {
        EXPECT_FALSE(ProfileWriteString(sec, key, val, dir.File("TOLVI32.INI"))) << sec << key;
        EXPECT_EQ(platform::ErrDescription(), "Invalid procedure call or argument");
    }
    EXPECT_EQ(dir.Read("TOLVI32.INI"), "[S]\r\nK=old\r\n");
    dir.Write("plain", "x");
    platform::ClearErr();
    EXPECT_FALSE(ProfileWriteString("S", "K", &v, dir.File("plain/TOLVI32.INI")));
    EXPECT_FALSE(platform::ErrDescription().empty());
}

}  // namespace
}  // namespace tolvi::test
