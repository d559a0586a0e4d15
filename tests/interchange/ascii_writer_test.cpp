// The ASCII database writer: golden files of an empty and of an every-kind design, the format's
// invariants over every line, and the walk's edge cases.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "common/db_session.h"
#include "interchange/ascii_format.h"
#include "interchange/export_fixture.h"
#include "interchange/exporter.h"
#include "support/design_builder.h"

namespace tolvi {
namespace {

using test::ExportTest;

std::string GoldenPath(const std::string& name) { return std::string(TOLVI_TEST_DATA) + "/ascii/" + name; }

std::string ReadGolden(const std::string& name) {
    std::ifstream in(GoldenPath(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The fields of a line split at every comma (right for lines whose names hold none).
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> f;
    size_t start = 0;
    for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
        f.push_back(line.substr(start, comma - start));
    f.push_back(line.substr(start));
    return f;
}

bool BuildFull() {
    if (!designs::BuildFullDesign()) return false;
    gDbTitle = "FULL";
    UpdateMainCaption(gDbHandle);
    gDbLabel = DbLabelRec{};
    gDbLabel.Designer = "J. Smith";
    gDbLabel.Revision = "B";
    WriteDbLabel();
    return true;
}

class AsciiWriterTest : public ExportTest {};

// The files in tests/data/ascii were checked line by line against the format's record table.
// With TOLVI_WRITE_GOLDEN set the test writes them instead of comparing (then check them again).
TEST_F(AsciiWriterTest, GoldenFiles) {
    struct Case {
        const char* golden;
        bool (*build)();
    };
    const Case cases[] = {
        {"minimal.TPA", [] { return true; }},
        {"full.TPA", BuildFull},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        ASSERT_TRUE(c.build());
        ASSERT_EQ(Write(1, c.golden), 0);
        const std::string written = Read(c.golden);
        if (std::getenv("TOLVI_WRITE_GOLDEN")) {
            std::filesystem::create_directories(GoldenPath(""));
            std::ofstream(GoldenPath(c.golden), std::ios::binary) << written;
            continue;
        }
        const std::vector<std::string> got = Lines(written), want = Lines(ReadGolden(c.golden));
        ASSERT_FALSE(want.empty()) << "no golden file " << GoldenPath(c.golden);
        for (size_t i = 0; i < std::min(got.size(), want.size()); ++i)
            ASSERT_EQ(got[i], want[i]) << "line " << i + 1;
        EXPECT_EQ(got.size(), want.size());
    }
}

TEST_F(AsciiWriterTest, EveryLineHasItsRecordsFieldCountAndTheFileEndsWithTheEndRecord) {
    ASSERT_TRUE(BuildFull());
    ASSERT_EQ(Write(1, "full.TPA"), 0);
    const std::string text = Read("full.TPA");
    ASSERT_GE(text.size(), 10u);
    EXPECT_EQ(text.substr(text.size() - 10), "9999,End\r\n");
    std::set<int32_t> seen;
    for (const std::string& line : Lines(text)) {
        const std::vector<std::string> f = Fields(line);
        ASSERT_EQ(f[0].size(), 4u) << line;
        const int32_t type = std::stoi(f[0]);
        seen.insert(type);
        EXPECT_EQ(int32_t(f.size()), AsciiFieldCount(type)) << line;
        // Numbers carry a blank or a minus, never a plus; names their quotes.
        for (size_t i = 1; i < f.size(); ++i) {
            EXPECT_TRUE(f[i].empty() || f[i][0] != '+') << line;
        }
    }
    // The every-kind design reaches every record type of the format.
    for (int32_t type = 1; type <= 9999; ++type) {
        if (AsciiFieldCount(type) != 0) {
            EXPECT_TRUE(seen.count(type)) << "no record " << RecordTypeText(type);
        }
    }
}

TEST_F(AsciiWriterTest, OnlyReadsAndPutsTheSelectionBack) {
    ASSERT_TRUE(BuildFull());
    ReadDbLabel();
    ClearDatabaseChanged();
    ASSERT_EQ(Write(1, "full.TPA"), 0);
    EXPECT_FALSE(IsDatabaseChanged());
    EXPECT_EQ(DB_CurHier(), 1);
    EXPECT_EQ(DB_CurPage(), 2);
    // Every hierarchy's own page is selected again: hierarchy 3 keeps its page 1.
    ASSERT_EQ(DB_SetCurHier(3), 3);
    EXPECT_EQ(DB_CurPage(), 1);
}

// Arms a kernel failure when a section shows its status, so that it hits that section's calls.
class FailInSection : public ExportView {
public:
    FailInSection(std::string section, const char* function)
        : section_(std::move(section)), function_(function) {}
    void ShowMsg(const std::string& text) override {
        if (text.size() >= section_.size() &&
            text.compare(text.size() - section_.size(), section_.size(), section_) == 0)
            KernelFailNextForTests(function_);
    }
    void Yield() override {}

private:
    std::string section_;
    const char* function_;
};

TEST_F(AsciiWriterTest, UnreadableObjectsAreLeftOutAndTheWalkGoesOn) {
    struct Case {
        const char* section;  // whose first call of function fails
        const char* function;
        std::vector<const char*> absent;  // lines that are gone
        std::vector<const char*> kept;    // lines still there
    };
    const Case cases[] = {
        // Via padstack 5 cannot be reached: it goes with its items, padstack 9 is written.
        {"/Via Padstacks", "OM_Object", {"0030, 5,", "0031, 4, 5,"}, {"0030, 9,", "0031, 4, 9,"}},
        // Page 1 of hierarchy 1 cannot be selected: nothing of it, page 2 is written.
        {"/Lay. Texts",
         "DB_SetCurPage",
         {"2000, 1,MAINPAGE", "2400, 1,", "2500, 1, 2,\"U1\""},
         {"2000, 2,P2", "2400, 2,"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function);
        ASSERT_TRUE(BuildFull());
        FailInSection view(c.section, c.function);
        ASSERT_EQ(Write(1, "out.TPA", &view), 0);
        const std::string text = Read("out.TPA");
        for (const char* line : c.absent) EXPECT_EQ(text.find(line), std::string::npos) << line;
        for (const char* line : c.kept) EXPECT_NE(text.find(line), std::string::npos) << line;
        EXPECT_EQ(text.substr(text.size() - 10), "9999,End\r\n");
    }
}

// Counts the statuses shown and cancels at the first yield after the symbols started.
class CancelInSymbols : public ExportView {
public:
    explicit CancelInSymbols(RecordOutput*& out) : out_(out) {}
    std::vector<std::string> shown;
    void ShowMsg(const std::string& text) override { shown.push_back(text); }
    void Yield() override {
        if (!shown.empty() && shown.back() == "/Symbols") out_->mCancel = true;
    }

private:
    RecordOutput*& out_;
};

TEST_F(AsciiWriterTest, CancelDuringTheSymbolsWritesNoHierarchyAndKeepsTheOldFile) {
    for (int32_t s = 1; s <= 80; ++s) {
        ASSERT_EQ(S_CreateSymbol(s, ("S" + std::to_string(s)).c_str()), s);
        designs::AddText(S_SymbolItemArray(s), "T", 0);
    }
    const std::string old = tmp.Write("out.TPA", "the designer's old file\r\n");
    const auto before = FileCount();
    RecordOutput* out = nullptr;
    CancelInSymbols view(out);
    gExportFile = old;
    RecordOutput output(&view);
    out = &output;
    int32_t unconnectedPins = 0;
    EXPECT_EQ(RunExport(1, output, unconnectedPins), 2);
    for (const std::string& s : view.shown) EXPECT_EQ(s.rfind("Hier: ", 0), std::string::npos) << s;
    EXPECT_EQ(Read("out.TPA"), "the designer's old file\r\n");
    EXPECT_EQ(FileCount(), before) << "a temporary file was left";
}

}  // namespace
}  // namespace tolvi
