// Record line output: how fields become a line, the item and text record shapes, the yield and
// cancel cadence, and what a write failure leaves on the disk.
#include "interchange/record_output.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <climits>
#include <vector>

#include "interchange/ascii_format.h"
#include "interchange/export_fixture.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::scriptedUi;

TEST(AsciiFormat, NumbersAndRecordTypes) {
    struct Case {
        int64_t v;
        const char* field;
        const char* plain;
    };
    const Case cases[] = {{0, " 0", "0"},
                          {5, " 5", "5"},
                          {-5, "-5", "-5"},
                          {254000, " 254000", "254000"},
                          {INT32_MAX, " 2147483647", "2147483647"},
                          {INT32_MIN, "-2147483648", "-2147483648"}};
    for (const Case& c : cases) {
        EXPECT_EQ(FmtNum(c.v), c.field);
        EXPECT_EQ(PlainNum(c.v), c.plain);
    }
    // Every digit count and sign, the extremes and the carries between them: as std::to_chars.
    std::vector<int64_t> values = {INT64_MIN, INT64_MIN + 1, INT64_MAX,           INT64_MAX - 1,
                                   INT32_MIN, INT32_MAX,     int64_t(UINT32_MAX), int64_t(UINT32_MAX) + 1};
    for (int64_t p = 1; p <= INT64_MAX / 10; p *= 10)
        for (const int64_t v : {p - 1, p, p + 1, 9 * p, 10 * p - 1}) values.insert(values.end(), {v, -v});
    for (const int64_t v : values) {
        char expected[24], got[24];
        const std::string_view want(expected,
                                    size_t(std::to_chars(expected, expected + 24, v).ptr - expected));
        EXPECT_EQ(std::string_view(got, size_t(FormatDecimal(got, v) - got)), want);
    }
    EXPECT_EQ(RecordTypeText(1), "0001");
    EXPECT_EQ(RecordTypeText(203), "0203");
    EXPECT_EQ(RecordTypeText(9999), "9999");
    EXPECT_EQ(Quote("a \"b\", c"), "\"a \"b\", c\"");
}

// Counts yields; can cancel at one of them.
class CountingView : public ExportView {
public:
    RecordOutput* out = nullptr;
    int cancelAtYield = 0;  // 0: never
    int yields = 0;
    void ShowMsg(const std::string&) override {}
    void Yield() override {
        if (++yields == cancelAtYield) out->mCancel = true;
    }
};

class RecordOutputTest : public test::ExportTest {
protected:
    // Opens name for output through out; the file must open.
    void Open(RecordOutput& out, const std::string& name) {
        out.OpenOutput(tmp.File(name));
        ASSERT_EQ(out.Result(), 0);
    }
    // Closes the file as a finished export does and returns what it holds.
    std::string Close(RecordOutput& out, const std::string& name) {
        out.EndOutput();
        EXPECT_EQ(out.Result(), 0);
        return Read(name);
    }
};

TEST_F(RecordOutputTest, FieldsAreJoinedRawWithOneLineEnd) {
    struct Case {
        std::vector<std::string> fields;
        const char* separator;
        std::string line;
    };
    const Case cases[] = {
        {{"9999"}, ",", "9999\r\n"},
        {{"0201", " 14", "\"VCC\""}, ",", "0201, 14,\"VCC\"\r\n"},
        {{"A", "", "B"}, ",", "A,,B\r\n"},
        {{"1100", " 1", "\"a,\"b\"\"", " 0"}, ",", "1100, 1,\"a,\"b\"\", 0\r\n"},
        {{" ( 1", "N1 )"}, " ", " ( 1 N1 )\r\n"},
        {{"    U1  ", "R2"}, "", "    U1  R2\r\n"},
        {{"\xE9t\xE9", "\x80"}, ",", "\xE9t\xE9,\x80\r\n"},  // bytes pass unchanged
        {{std::string(300, 'x'), std::string(128, '\x81')},
         ",",
         std::string(300, 'x') + "," + std::string(128, '\x81') + "\r\n"},
    };
    RecordOutput out;
    Open(out, "out.txt");
    std::string want;
    for (const Case& c : cases) {
        for (size_t i = 0; i < c.fields.size(); ++i) out.SetField(int32_t(i + 1), c.fields[i]);
        out.WriteRecordSep(int32_t(c.fields.size()), c.separator);
        EXPECT_EQ(out.Result(), 0);
        want += c.line;
    }
    EXPECT_EQ(Close(out, "out.txt"), want);
}

// A large export goes through tapes turned on workers: the file is the same, byte for byte, as
// the lines joined one by one; cancelled part way, it is dropped and the old file stays.
TEST_F(RecordOutputTest, ALargeExportIsWrittenInOrderAndACancelDropsIt) {
    const auto numbers = [](int i) {
        return std::array<int64_t, 6>{int64_t(i),
                                      int64_t(-i),
                                      int64_t(i % 10),
                                      int64_t(i) * 254000,
                                      i % 1000 ? 7 : INT64_MIN,
                                      i % 999 ? -3 : INT64_MAX};
    };
    const auto write = [&](RecordOutput& out, int i) {
        out.BeginRecord(i % 3 ? kRecTraceSegment : kRecSchCompText);
        for (const int64_t v : numbers(i)) out.AddNum(v);
        if (i % 5 == 0) out.AddQuoted(i % 10 ? "NET" : nullptr);
        if (i % 7 == 0) out.AddText(std::string(i % 200, 'T'));
        out.WriteLine();
    };
    std::string want;
    for (int i = 0; i < 200000; ++i) {
        want += i % 3 ? "1601" : "2501";
        for (const int64_t v : numbers(i)) want += "," + FmtNum(v);
        if (i % 5 == 0) want += i % 10 ? ",\"NET\"" : ",\"\"";
        if (i % 7 == 0) want += "," + std::string(i % 200, 'T');
        want += "\r\n";
    }
    {
        RecordOutput out;
        Open(out, "big.txt");
        for (int i = 0; i < 200000 && out.Ok(); ++i) write(out, i);
        ASSERT_EQ(out.Result(), 0);
        EXPECT_TRUE(Close(out, "big.txt") == want);
    }
    const std::string old = tmp.Write("old.txt", "kept\r\n");
    CountingView view;
    RecordOutput out(&view);
    view.out = &out;
    view.cancelAtYield = 1000;  // after many tapes
    out.OpenOutput(old);
    for (int i = 0; i < 200000 && out.Ok(); ++i) write(out, i);
    EXPECT_EQ(out.Result(), 2);
    out.EndOutput();
    EXPECT_EQ(Read("old.txt"), "kept\r\n");
}

TEST_F(RecordOutputTest, ItemRecordsZeroTheShapeValuesTheirKindDoesNotUse) {
    struct Case {
        int32_t kind;
        const char* tail;    // fields 12..15: P2, P3, P4, P5
        int32_t p3, p4, p5;  // what the caller's record holds afterwards
    };
    const Case cases[] = {
        {1, " 2, 3, 0, 0", 3, 0, 0},  // line
        {2, " 2, 3, 4, 5", 3, 4, 5},  // triangle
        {3, " 2, 3, 0, 0", 3, 0, 0},  // rectangle
        {4, " 2, 0, 0, 0", 0, 0, 0},  // circle
        {5, " 2, 3, 4, 0", 3, 4, 0},  // arc
        {9, " 2, 3, 4, 5", 3, 4, 5},  // a kind the format does not know: kept
    };
    RecordOutput out;
    Open(out, "out.txt");
    std::string want;
    for (const Case& c : cases) {
        ItemRec item;
        item.Kind = c.kind, item.Attr = -1, item.Link = 7, item.X = -254000, item.Y = 0, item.StyleA = 255;
        item.StyleB = 128, item.Width = 2540, item.Gap = 9, item.Angle = 359999;
        item.P2 = 2, item.P3 = 3, item.P4 = 4, item.P5 = 5;
        out.WriteItemRecord(kRecSymbolItem, item);
        EXPECT_EQ(out.Result(), 0);
        EXPECT_EQ(item.P3, c.p3) << c.kind;
        EXPECT_EQ(item.P4, c.p4) << c.kind;
        EXPECT_EQ(item.P5, c.p5) << c.kind;
        want += "0103, " + std::to_string(c.kind) + ",-1, 7,-254000, 0, 255, 128, 2540, 9, 359999," + c.tail +
                "\r\n";
    }
    ItemRec text;
    text.Kind = 6, text.Attr = 8, text.X = 1, text.StyleA = 44, text.P2 = 25400, text.P3 = 25400,
    text.P5 = 77;
    text.Text = "use \"A\", not \"B\"";
    out.WriteTextRecord(kRecSchCompText, text);
    EXPECT_EQ(out.Result(), 0);
    want += "2501, 6, 8, 0, 1, 0, 44, 0, 0, 0, 0, 25400, 25400,\"use \"A\", not \"B\"\"\r\n";
    EXPECT_EQ(Close(out, "out.txt"), want);
}

TEST_F(RecordOutputTest, YieldsEvery101RecordsAndACancelStopsBeforeTheNextOne) {
    struct Case {
        int records;
        int cancelAtYield;
        int lines;
        int yields;
        int32_t result;
    };
    const Case cases[] = {
        {101, 0, 101, 0, 0},                       // no yield before record 102
        {102, 0, 102, 1, 0}, {303, 0, 303, 2, 0},  // before records 102 and 203
        {304, 0, 304, 3, 0}, {500, 1, 101, 1, 2},  // cancelled in the yield before record 102
        {500, 2, 202, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.records) + " records, cancel at yield " +
                     std::to_string(c.cancelAtYield));
        CountingView view;
        RecordOutput out(&view);
        view.out = &out;
        view.cancelAtYield = c.cancelAtYield;
        const std::string name = "out" + std::to_string(c.records) + "." + std::to_string(c.cancelAtYield);
        Open(out, name);
        int lines = 0;  // records taken before the output stopped
        for (int i = 0; i < c.records; ++i) {
            out.SetField(1, "R");
            out.WriteRecord(1);
            if (!out.Ok()) break;
            ++lines;
        }
        EXPECT_EQ(out.Result(), c.result);
        EXPECT_EQ(lines, c.lines);
        // Once cancelled, every record is dropped and nothing yields again.
        for (int i = 0; i < 300 && c.result != 0; ++i) out.WriteRecord(1);
        EXPECT_EQ(view.yields, c.yields);
        out.EndOutput();
        // A finished file holds every record; a cancelled one is dropped.
        if (c.result == 0)
            EXPECT_EQ(Lines(Read(name)).size(), size_t(c.lines));
        else
            EXPECT_FALSE(std::filesystem::exists(tmp.File(name)));
    }

    // A cancel asked for before the export writes nothing; the file is then dropped.
    RecordOutput out;
    const std::string old = tmp.Write("old.txt", "kept\r\n");
    out.OpenOutput(old);
    out.mCancel = true;
    out.SetField(1, "0001");
    out.WriteRecord(1);
    EXPECT_EQ(out.Result(), 2);
    out.EndOutput();
    EXPECT_EQ(out.Result(), 2);
    EXPECT_EQ(Read("old.txt"), "kept\r\n");
}

TEST_F(RecordOutputTest, AWriteFailureLeavesTheOldFileAsItWasAndNoTemporary) {
    struct Case {
        const char* what;
        int records;  // of 40 bytes each
        rlim_t limit;
    };
    // A long file fails while it is written (at once, or on the thread that writes a large file's
    // pieces, some pieces later); a short one only when its last bytes are put on the disk at the
    // end. All are failures, reported once, and change nothing on the disk.
    const Case cases[] = {{"while writing", 100000, 64},
                          {"while writing on the writer thread", 100000, 2 << 20},
                          {"at the end", 3, 64}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        scriptedUi().Reset();
        const std::string old = tmp.Write("board.TPA", "the old file\r\n");
        const auto before = FileCount();
        RecordOutput out;
        out.OpenOutput(old);
        ASSERT_EQ(out.Result(), 0);
        scriptedUi().QueueAnswer(1);
        {
            test::FileSizeLimit limit(c.limit);
            for (int i = 0; i < c.records && out.Ok(); ++i) {
                out.SetField(1, "1601, 1, 0, 0, 2540, 500, 0, 0 ........");
                out.WriteRecord(1);
            }
            out.EndOutput();
        }
        EXPECT_EQ(out.Result(), 1);
        ASSERT_EQ(scriptedUi().boxes.size(), 1u);
        EXPECT_EQ(scriptedUi().boxes[0].text, "Can't create/write to file: " + old);
        EXPECT_EQ(Read("board.TPA"), "the old file\r\n");
        EXPECT_EQ(FileCount(), before) << "a temporary file was left";
    }
}

}  // namespace
}  // namespace tolvi
