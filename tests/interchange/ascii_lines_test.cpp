// The ASCII reader's line source against the one-line-at-a-time way it replaces (ReadLine, then
// SplitList, then each field read as a plain number): the same lines, fields, numbers and end,
// whatever the block size (lines and line ends across block ends) and with or without workers.
#include "interchange/ascii_lines.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/settings_access.h"
#include "platform/errors.h"
#include "platform/text_files.h"
#include "support/temp_dir.h"

namespace tolvi {
namespace {

struct Field {
    std::string text;
    bool plain = false;
    int32_t value = 0;
    bool operator==(const Field&) const = default;
};

struct Reading {
    std::vector<std::string> lines;
    std::vector<std::vector<Field>> fields;  // an empty line has none
    std::string end;                         // why the reading stopped
    bool operator==(const Reading&) const = default;
};

void PrintTo(const Reading& r, std::ostream* os) {
    for (size_t i = 0; i < r.lines.size(); ++i) {
        *os << "\n[" << r.lines[i] << "]";
        for (const Field& f : r.fields[i])
            *os << " <" << f.text << (f.plain ? "=" + std::to_string(f.value) : "") << ">";
    }
    *os << "\nend: " << r.end;
}

int Open(const std::string& path) {
    const int n = platform::FreeFileNumber();
    EXPECT_TRUE(platform::OpenFileInput(n, path));
    return n;
}

Reading ByReadLine(const std::string& path, size_t maxLine) {
    Reading r;
    const int file = Open(path);
    std::string line;
    std::vector<std::string_view> views;
    while (platform::ReadLine(file, line, maxLine)) {
        r.lines.push_back(line);
        std::vector<Field>& fields = r.fields.emplace_back();
        if (line.empty()) continue;
        SplitList(line, views);
        for (size_t i = 1; i < views.size(); ++i) {
            Field f{std::string(views[i])};
            f.plain = PlainAsciiInt(views[i], f.value);
            if (!f.plain) f.value = 0;
            fields.push_back(f);
        }
    }
    r.end = platform::ErrDescription();
    platform::CloseFile(file);
    return r;
}

Reading ByAsciiLines(const std::string& path, size_t maxLine, size_t block, size_t workers) {
    Reading r;
    const int file = Open(path);
    {
        AsciiLines lines(file, maxLine, block, workers);
        AsciiLine line;
        while (lines.Next(line)) {
            r.lines.emplace_back(line.text);
            std::vector<Field>& fields = r.fields.emplace_back();
            for (int32_t i = 1; i <= line.count; ++i) {
                Field f{std::string(line.Field(i)), line.fields[i].plain};
                if (f.plain) f.value = line.fields[i].value;
                fields.push_back(f);
            }
        }
        r.end = lines.Failure();
    }
    platform::CloseFile(file);
    return r;
}

void ExpectSameReading(const test::TempDir& dir, const std::string& bytes, size_t maxLine) {
    const std::string path = dir.Write("lines.TPA", bytes);
    const Reading expected = ByReadLine(path, maxLine);
    for (const size_t block :
         {size_t(1), size_t(2), size_t(3), size_t(7), size_t(64), AsciiLines::kBlockBytes})
        for (const size_t workers : {size_t(0), size_t(2)})
            ASSERT_EQ(ByAsciiLines(path, maxLine, block, workers), expected)
                << "block " << block << ", workers " << workers << ", bytes [" << bytes << "]";
}

TEST(AsciiLines, GiveTheLinesFieldsAndNumbersOfReadLineAndSplitList) {
    const struct {
        const char* what;
        std::string bytes;
        size_t maxLine;
    } cases[] = {
        {"every line end", "0100, 1, 2\r\n1101,-3\nA\rB\r\n\r\n\n\rlast", 1 << 20},
        {"ends in CR", "a,b\r", 1 << 20},
        {"ends in CR LF", "a,b\r\n", 1 << 20},
        {"empty", "", 1 << 20},
        {"only ends", "\r\n\r\r\n\n", 1 << 20},
        {"numbers", "1, 0,-0, 123456789, 1234567890,-12, 1 2, +5, 7 ,, ,-,0x1, 09\r\n", 1 << 20},
        {"commas", ",\r\n,,\r\n a ,\r\n", 1 << 20},
        {"quotes", "0100, 1,\"S,Y\"M\", 8,\"\r\n\"\r\n\",\"\r\n2501,\"a\",\"b,c\",\"\r\n", 1 << 20},
        {"zero bytes", std::string("a\0b,\0\r\n", 7), 1 << 20},
        {"line at the limit", "12345678\r\n123456789\r\nab\r\n", 9},
        {"line over the limit", "ab\r\n1234567890\r\ncd\r\n", 9},
        {"last line over the limit", "ab\r\n1234567890", 9},
        {"over the limit but for its CR", "ab\r\n123456789\r", 9},
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectSameReading(dir, c.bytes, c.maxLine);
    }
}

TEST(AsciiLines, GiveTheLinesOfReadLineForAnyBytes) {
    const char alphabet[] = {'0', '7', '-', ' ', ',', '"', '\r', '\n', 'x'};
    std::mt19937 random(26);
    test::TempDir dir;
    for (int round = 0; round < 300; ++round) {
        std::string bytes(random() % 120, ' ');
        for (char& c : bytes) c = alphabet[random() % sizeof alphabet];
        ExpectSameReading(dir, bytes, 4 + random() % 40);
    }
}

// A file of many blocks: read ahead and split on workers, the lines still come in file order.
TEST(AsciiLines, AFileOfManyBlocksComesInOrder) {
    std::string bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += "1601, " + std::to_string(i) + ",-" + std::to_string(i % 977) + (i % 3 ? "\r\n" : "\n");
    test::TempDir dir;
    const std::string path = dir.Write("many.TPA", bytes);
    const int file = Open(path);
    AsciiLines lines(file, 1 << 20, AsciiLines::kBlockBytes, 3);
    AsciiLine line;
    int i = 0;
    for (; lines.Next(line); ++i) {
        ASSERT_EQ(line.count, 3);
        ASSERT_TRUE(line.fields[2].plain);
        ASSERT_EQ(line.fields[2].value, i);
        ASSERT_EQ(line.fields[3].value, -(i % 977));
    }
    EXPECT_EQ(i, 200000);
    EXPECT_EQ(lines.Failure(), platform::kPastEndOfFile);
    platform::CloseFile(file);
}

}  // namespace
}  // namespace tolvi
