#include "platform/text_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "platform/errors.h"
#include "support/temp_dir.h"

namespace tolvi::test {
namespace {

using namespace platform;

std::vector<std::string> ReadAll(const std::string& path) {
    std::vector<std::string> lines;
    const int n = FreeFileNumber();
    EXPECT_TRUE(OpenFileInput(n, path)) << ErrDescription();
    std::string line;
    while (ReadLine(n, line)) lines.push_back(line);
    EXPECT_EQ(ErrDescription(), "Input past end of file");
    EXPECT_TRUE(CloseFile(n));
    return lines;
}

TEST(TextFiles, EveryLineEndIsStripped) {
    using Lines = std::vector<std::string>;
    const struct {
        const char* bytes;
        Lines lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},  // empty line kept, last line without end read
        {"a\r\r\nb\n\rc", {"a", "", "b", "", "c"}},
        {"", {}},
        {"\r\n", {""}},
        {"x\xE9\t y ", {"x\xE9\t y "}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        EXPECT_EQ(ReadAll(dir.Write("f.txt", c.bytes)), c.lines) << "bytes: " << c.bytes;
    }
}

TEST(TextFiles, BytesComeAsTheyStandAfterTheLinesRead) {
    TempDir dir;
    const std::string f = dir.Write("f.txt", "first\r\nsecond\rthird\n");
    const int n = FreeFileNumber();
    ASSERT_TRUE(OpenFileInput(n, f));
    std::string line;
    ASSERT_TRUE(ReadLine(n, line));
    char bytes[64];
    size_t got = 0;
    ASSERT_TRUE(ReadBytes(n, bytes, 3, got));
    EXPECT_EQ(std::string(bytes, got), "sec");
    ASSERT_TRUE(ReadBytes(n, bytes, sizeof bytes, got));
    EXPECT_EQ(std::string(bytes, got), "ond\rthird\n");
    ASSERT_TRUE(ReadBytes(n, bytes, sizeof bytes, got));
    EXPECT_EQ(got, 0u) << "the end";
    EXPECT_TRUE(CloseFile(n));
    EXPECT_FALSE(ReadBytes(n, bytes, sizeof bytes, got));
    EXPECT_EQ(ErrDescription(), "Bad file name or number");
}

// Large pieces are written on a thread of their own, copied or handed over: they still land
// whole and in order, after the small ones before them, and a dropped file leaves the old one.
TEST(TextFiles, LargePiecesLandInOrder) {
    TempDir dir;
    const std::string f = dir.Write("big.txt", "old");
    std::string want = "head\r\n";
    const int n = FreeFileNumber();
    ASSERT_TRUE(OpenFileOutput(n, f));
    ASSERT_TRUE(WriteText(n, "head\r\n"));
    std::vector<char> buffer;  // handed over and back; only its first bytes are written
    for (int i = 0; i < 200; ++i) {
        const std::string piece(size_t(64 * 1024 + i * 997), char('a' + i % 26));
        if (i % 2) {
            ASSERT_TRUE(WriteText(n, piece));
        } else {
            if (buffer.size() < piece.size() + 7) buffer.resize(piece.size() + 7, '#');
            std::copy(piece.begin(), piece.end(), buffer.begin());
            ASSERT_TRUE(WriteText(n, buffer, piece.size()));
        }
        ASSERT_TRUE(WriteText(n, "|"));
        want += piece + "|";
    }
    ASSERT_TRUE(CloseFile(n));
    EXPECT_TRUE(dir.Read("big.txt") == want);

    ASSERT_TRUE(OpenFileOutput(n, f));
    ASSERT_TRUE(WriteText(n, std::string(1 << 20, 'z')));
    ASSERT_TRUE(DiscardFile(n));
    EXPECT_TRUE(dir.Read("big.txt") == want);
}

TEST(TextFiles, NumbersAreLowestFreeAndChecked) {
    TempDir dir;
    const std::string f = dir.Write("f.txt", "x\n");
    EXPECT_EQ(FreeFileNumber(), 1);
    ASSERT_TRUE(OpenFileInput(1, f));
    ASSERT_TRUE(OpenFileInput(2, f));
    EXPECT_EQ(FreeFileNumber(), 3);
    EXPECT_TRUE(CloseFile(1));
    EXPECT_EQ(FreeFileNumber(), 1);
    EXPECT_FALSE(OpenFileInput(2, f));
    EXPECT_EQ(ErrDescription(), "File already open");
    std::string line;
    EXPECT_FALSE(ReadLine(7, line));
    EXPECT_EQ(ErrDescription(), "Bad file name or number");
    EXPECT_FALSE(WriteText(2, "x"));  // an input file
    EXPECT_FALSE(CloseFile(7));
    CloseAllFiles();
    EXPECT_FALSE(IsFileOpen(2));
}

TEST(TextFiles, OpenInputFailures) {
    TempDir dir;
    const struct {
        std::string path;
        const char* description;
    } cases[] = {
        {dir.File("missing.txt"), "File not found"},
        {dir.File("nodir/missing.txt"), "Path not found"},
        {dir.path(), "Path/File access error"},  // a directory opens for reading on Linux
    };
    for (const auto& c : cases) {
        ClearErr();
        EXPECT_FALSE(OpenFileInput(1, c.path)) << c.path;
        EXPECT_EQ(ErrDescription(), c.description) << c.path;
        EXPECT_FALSE(IsFileOpen(1));
    }
}

TEST(TextFiles, OutputReachesTheTargetOnlyOnClose) {
    TempDir dir;
    dir.Write("out.txt", "old\r\n");
    const std::string target = dir.File("out.txt");
    ASSERT_TRUE(OpenFileOutput(1, target));
    ASSERT_TRUE(WriteText(1, "one\r\n"));
    ASSERT_TRUE(WriteText(1, "two"));  // no line end is added
    EXPECT_EQ(dir.Read("out.txt"), "old\r\n");
    EXPECT_TRUE(CloseFile(1));
    EXPECT_EQ(dir.Read("out.txt"), "one\r\ntwo");

    ASSERT_TRUE(OpenFileOutput(1, target));
    ASSERT_TRUE(WriteText(1, "abandoned"));
    EXPECT_TRUE(DiscardFile(1));
    EXPECT_EQ(dir.Read("out.txt"), "one\r\ntwo");
    // No temporary file is left behind either way.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(TextFiles, OpenOutputFailures) {
    TempDir dir;
    EXPECT_FALSE(OpenFileOutput(1, dir.File("nodir/out.txt")));
    EXPECT_EQ(ErrDescription(), "Path not found");
    EXPECT_FALSE(OpenFileOutput(1, dir.path()));
    EXPECT_EQ(ErrDescription(), "Path/File access error");
    EXPECT_FALSE(IsFileOpen(1));
}

}  // namespace
}  // namespace tolvi::test
