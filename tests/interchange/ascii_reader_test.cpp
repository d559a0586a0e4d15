// The ASCII reader on its own: the record loop (header, sequence, field counts, types, numbers,
// lines, the end record, cancel), the settings records, free texts holding commas, and the
// rebuild's rules for parents, ids and via padstacks.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "common/colour_settings.h"
#include "common/db_session.h"
#include "common/grid_settings.h"
#include "common/layer_settings.h"
#include "common/size_settings.h"
#include "interchange/load_fixture.h"

namespace tolvi {
namespace {

using test::CrLf;
using test::kHeader;
using test::scriptedUi;

class AsciiReaderTest : public test::LoadTest {};

// One file per row: the result, and the one box it shows ("title | text"), or none.
struct LoopCase {
    const char* what;
    std::vector<std::string> lines;
    int32_t result;
    std::string box;
};
// Shown by its name in failures, not as the bytes of the record.
void PrintTo(const LoopCase& c, std::ostream* os) { *os << c.what; }

class RecordLoopTest : public AsciiReaderTest, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(RecordLoopTest, ResultAndBox) {
    const LoopCase& c = GetParam();
    if (!c.box.empty()) scriptedUi().QueueAnswer(1);
    EXPECT_EQ(Parse(CrLf(c.lines)), c.result);
    ASSERT_EQ(scriptedUi().boxes.size(), c.box.empty() ? 0u : 1u);
    if (!c.box.empty()) {
        EXPECT_EQ(scriptedUi().boxes[0].title + " | " + scriptedUi().boxes[0].text, c.box);
        EXPECT_EQ(scriptedUi().boxes[0].style, 0x1030);
    }
}

const std::string kSeq = "ASCII Load Error: Incorrect Record Sequence | ";
const std::string kInvalid = "ASCII Load Error: Invalid record | ";
const std::string kType = "ASCII Load Error: Unrecognized record type | ";
const std::string kRunTime = "ASCII Load Error:  | ";
const std::string kSym = "0100, 1, 0,\"S\", 0, 0";

INSTANTIATE_TEST_SUITE_P(
    Loop, RecordLoopTest,
    ::testing::Values(
        LoopCase{"record_before_header", {kSym, kHeader, "9999,End"}, 1, kSeq + kSym},
        LoopCase{"unknown_type_before_header", {"0004, 1", kHeader, "9999,End"}, 1, kSeq + "0004, 1"},
        LoopCase{"second_header", {kHeader, kHeader, "9999,End"}, 1, kSeq + kHeader},
        LoopCase{"header_of_four_fields", {"0001,T,1.0, 1", "9999,End"}, 1, kInvalid + "0001,T,1.0, 1"},
        LoopCase{"empty_lines_anywhere", {"", kHeader, "", kSym, "", "9999,End", ""}, 0, ""},
        LoopCase{"type_4", {kHeader, "0004, 1"}, 1, kType + "0004, 1"},
        LoopCase{"type_23", {kHeader, "23, 1, 2"}, 1, kType + "23, 1, 2"},
        LoopCase{"type_10000", {kHeader, "10000"}, 1, kType + "10000"},
        LoopCase{"type_negative", {kHeader, "-100, 1"}, 1, kType + "-100, 1"},
        LoopCase{"type_empty", {kHeader, ",x"}, 1, kType + ",x"},
        LoopCase{
            "field_missing", {kHeader, "0012, 1, 2, 3, 4, 5, 6"}, 1, kInvalid + "0012, 1, 2, 3, 4, 5, 6"},
        LoopCase{"field_too_many", {kHeader, "1400, 1, 0, 0, 0, 9"}, 1, kInvalid + "1400, 1, 0, 0, 0, 9"},
        LoopCase{"end_of_three_fields", {kHeader, "9999,End,x"}, 1, kInvalid + "9999,End,x"},
        LoopCase{"no_end_record", {kHeader, kSym}, 1, kRunTime + "Input past end of file"},
        LoopCase{"lines_after_the_end_unread", {kHeader, "9999,End", "garbage", "0001"}, 0, ""},
        LoopCase{"number_beyond_32_bits",
                 {kHeader, "0012, 1, 2147483648, 0, 0, 0, 0, 0"},
                 1,
                 kRunTime + "Overflow in field 3: 0012, 1, 2147483648, 0, 0, 0, 0, 0"},
        LoopCase{"byte_field_256",
                 {kHeader, kSym, "0103, 1, 0, 0, 0, 0, 256, 0, 0, 0, 0, 0, 0, 0, 0"},
                 1,
                 kRunTime + "Overflow in field 7: 0103, 1, 0, 0, 0, 0, 256, 0, 0, 0, 0, 0, 0, 0, 0"},
        LoopCase{"text_record_of_another_kind",
                 {kHeader, kSym, "0104, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,\"T\""},
                 1,
                 kRunTime + "Field 15 missing: 0104, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,\"T\""},
        LoopCase{"item_record_of_a_text",
                 {kHeader, kSym, "0103, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 8", "9999,End"},
                 0,
                 ""}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(AsciiReaderTest, TheHeaderFormsTellTheCurrentFromTheOlderForm) {
    struct Case {
        const char* header;
        bool older;
        int32_t hier, page;
    };
    const Case cases[] = {
        {"0001,T,1.0, 3, 4", true, 3, 4},
        {"0001,T,1.0, 3, 4,$NT00$", false, 3, 4},
        {"0001,T,1.0, 3, 4, $NT00$ ", false, 3, 4},
        {"0001,T,1.0, 3, 4,$NT00$,x", true, 3, 4},
        {"0001,T,1.0, 3, 4,NT00", true, 3, 4},
        // A comma in the name (or the version) only moves the marker.
        {"0001,board,v2,1.0, 3, 4,$NT00$", false, 3, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        ASSERT_EQ(Parse(CrLf({c.header, "9999,End"})), 0);
        EXPECT_EQ(loader->mOlderForm, c.older);
        EXPECT_EQ(loader->mHierToSelect, c.hier);
        EXPECT_EQ(loader->mPageToSelect, c.page);
    }
    // A name that begins with a double quote does not swallow the rest of the header.
    ASSERT_EQ(Parse(CrLf({"0001,\"board,1.0, 3, 4,$NT00$", "9999,End"})), 0);
    EXPECT_EQ(gDbName, "\"board");
    EXPECT_FALSE(loader->mOlderForm);
    EXPECT_EQ(loader->mPageToSelect, 4);
    // The name is the first word; the database is made under it with its hierarchy and page.
    ASSERT_EQ(Parse(CrLf({"0001,my board,1.0, 1, 1,$NT00$", "9999,End"})), 0);
    EXPECT_EQ(gDbName, "my");
    EXPECT_STREQ(O_GetName(DB_DataBase()), "my");
    EXPECT_STREQ(O_GetName(OM_Object(DB_HierarchyMap(), DB_CurHier())), "MAINHIER");
}

TEST_F(AsciiReaderTest, ADatabaseThatCannotBeMadeHasItsOwnBox) {
    for (const char* failing : {"DB_CreateDataBase", "DB_SetCurHier", "OM_FindName"}) {
        SCOPED_TRACE(failing);
        scriptedUi().Reset();
        scriptedUi().QueueAnswer(1);
        KernelFailNextForTests(failing);
        EXPECT_EQ(Parse(CrLf({kHeader, "9999,End"})), 1);
        ASSERT_EQ(scriptedUi().boxes.size(), 1u);
        EXPECT_EQ(scriptedUi().boxes[0].text, "Can't Create Data Base");
        EXPECT_EQ(scriptedUi().boxes[0].style, 0x1010);
        EXPECT_EQ(scriptedUi().boxes[0].title, "Tolvi32");
    }
}

TEST_F(AsciiReaderTest, TypeSpellingsAndNumberFormsReadAsTheirValues) {
    for (const char* type : {"0200", "200", " 200", "2e2", "&HC8", "200.4"}) {
        SCOPED_TRACE(type);
        ASSERT_EQ(ParseRecords({std::string(type) + ", 1, 0,\"P\",\"\",\"\", 0, 0"}), 0);
        EXPECT_NE(D_Device(1), 0);
    }
    ASSERT_EQ(ParseRecords({"0012, 1, 2.5, 3.5, &HFF, 1E3, -0, 16777217",
                            "0013, 2147483647,-2147483648, 1D2, &O17,\" 5\", 1 2,\"2,5\""}),
              0);
    EXPECT_EQ(gSchGrid[1], 2) << "halves to even";
    EXPECT_EQ(gSchGrid[2], 4);
    EXPECT_EQ(gSchGrid[3], 255);
    EXPECT_EQ(gSchGrid[4], 1000);
    EXPECT_EQ(gSchGrid[5], 0);
    EXPECT_EQ(gSchGrid[6], 16777217) << "exact, not through single precision";
    EXPECT_EQ(gLayGrid[0], 2147483647);
    EXPECT_EQ(gLayGrid[1], -2147483648);
    EXPECT_EQ(gLayGrid[2], 100);
    EXPECT_EQ(gLayGrid[3], 15);
    EXPECT_EQ(gLayGrid[4], 5);
    EXPECT_EQ(gLayGrid[5], 12) << "blanks inside are not there";
    EXPECT_EQ(gLayGrid[6], 2) << "a decimal comma";
}

TEST_F(AsciiReaderTest, EveryLineEndReadsTheSameAndALastLineNeedsNone) {
    const std::vector<std::string> lines{kHeader, "1100, 1, 0,\"A\", 0", "", "1100, 2, 0,\"B\", 0",
                                         "9999,End"};
    for (const char* end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(end));
        std::string text;
        for (const std::string& l : lines) text += l + end;
        ASSERT_EQ(Parse(text), 0);
        EXPECT_STREQ(O_GetName(N_Net(2)), "B");
        text.resize(text.size() - std::string(end).size());
        ASSERT_EQ(Parse(text), 0);
    }
    // CR LF split across two read blocks of the file is still one line end.
    std::string text = kHeader + "\r\n1100, 1, 0,\"";
    const size_t name = 64 * 1024 - 5 - text.size();
    text += std::string(name, 'N') + "\", 0\r\n9999,End\r\n";
    ASSERT_EQ(text[64 * 1024 - 1], '\r');
    ASSERT_EQ(Parse(text), 0);
    EXPECT_EQ(std::string(O_GetName(N_Net(1))).size(), name);
}

TEST_F(AsciiReaderTest, ALineOfMoreThanOneMebibyteFailsTheLoad) {
    scriptedUi().QueueAnswer(1);
    const std::string text = CrLf(
        {kHeader, "1700, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,\"" + std::string(kMaxAsciiLineBytes, 'x') + "\"",
         "9999,End"});
    EXPECT_EQ(Parse(text), 1);
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Line too long");
}

// Cancel is seen at the first yield: after 101 lines, empty ones counted.
TEST_F(AsciiReaderTest, CancelEndsTheLoadAtTheNextYield) {
    std::vector<std::string> lines{kHeader};
    for (int i = 0; i < 49; ++i) lines.push_back("");
    for (int i = 1; i <= 300; ++i) lines.push_back("1100, " + std::to_string(i) + ", 0,\"N\", 0");
    lines.push_back("9999,End");
    test::CancelAtFirstYield view(loader);
    EXPECT_EQ(Parse(CrLf(lines), &view), 2);
    EXPECT_EQ(view.shown, std::vector<std::string>{"Tp:1100"});
    EXPECT_NE(N_Net(51), 0) << "101 lines: the header, 49 empty ones, 51 nets";
    EXPECT_EQ(N_Net(52), 0);
    EXPECT_TRUE(scriptedUi().boxes.empty());
}

TEST_F(AsciiReaderTest, SettingsRecordsFillTheOptionTablesAndTheBusWidthAtOnce) {
    const std::array<int32_t, 14> grid = gSchGrid;
    ASSERT_EQ(ParseRecords({"0002,A. Designer", "0003,Rev C", "0011, 5, 17", "0011, 32, 9",
                            "0016, 2, 1, 2, 3, 4, 5, 6", "0017, 1, 5, 6, 7, 8",
                            "0018, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16",
                            "0021, 777, 11, 12, 13", "0022, 3, 100, 200, 30", "0022, 32, 1, 1, 1"}),
              0);
    ReadDbLabel();
    EXPECT_EQ(gDbLabel.Designer, "A. Designer              ");
    EXPECT_EQ(gDbLabel.Revision, "Rev C                    ");
    EXPECT_EQ(gLayers[5].Colour, 17);
    EXPECT_EQ(gAngleSnap[6], 6);
    EXPECT_EQ(gPickArea[4], 8);
    EXPECT_EQ(gCondSizes[16][0], 16);
    EXPECT_EQ(gCondSizes[0][2], 13);
    EXPECT_EQ(gBusWidth, 777);
    EXPECT_EQ(gTextSizes[3].Height, 200);
    EXPECT_EQ(gTextSizes[3].LineWidth, 30);
    EXPECT_EQ(gTextSizes[32].Width, 0) << "entry 32 is skipped";
    int32_t bus = 0;
    E_MemCopy(&bus, E_SysTable(SysBusWidth), 4);
    EXPECT_EQ(bus, 777) << "the bus width goes into the database at once";
    int32_t airgap = 0;
    E_MemCopy(&airgap, E_SysTable(SysAirgaps), 4);
    EXPECT_NE(airgap, 11) << "the rest waits for the window's store";
    EXPECT_EQ(gSchGrid, grid) << "what the file does not carry keeps its value";
}

TEST_F(AsciiReaderTest, CategoryRecordsUpdateTheCategoryOfTheirId) {
    ASSERT_EQ(gSchCategories[17].Id, 30);
    ASSERT_EQ(ParseRecords({"0010, 30,Grid, 3", "0010, 63,Backdrop, 5", "0010, 20,Extra, 8",
                            "0010, 64,Far, 1", "0010,-1,Below, 1", "0010, 5,, 9"}),
              0);
    EXPECT_EQ(gSchCategories[17].Colour, 3);
    EXPECT_EQ(gLayCategories[7].Id, 63);
    EXPECT_EQ(gLayCategories[7].Name, "Backdrop");
    EXPECT_EQ(gLayCategories[7].Colour, 5);
    EXPECT_EQ(gSchCategories[19].Id, 20) << "a category the table lacks takes the first free entry";
    EXPECT_EQ(gSchCategories[19].Name, "Extra");
    EXPECT_EQ(gSchCategories[5].Name, "Comp. Entry") << "an empty name changes only the colour";
    EXPECT_EQ(gSchCategories[5].Colour, 9);
    EXPECT_TRUE(gSchCategories[20].Name.empty());
    EXPECT_TRUE(gLayCategories[8].Name.empty());
}

// A record with one free text holding a comma has one field too many; the text is taken whole.
TEST_F(AsciiReaderTest, AFreeTextHoldingACommaIsTakenWhole) {
    struct Case {
        const char* what;
        std::vector<std::string> records;
        std::function<std::string()> got;
        std::string want;
    };
    const auto name = [](int32_t object) { return CStrFromPtr(O_GetName(object)); };
    const Case cases[] = {
        {"designer",
         {"0002,Smith, J."},
         [] {
             ReadDbLabel();
             return gDbLabel.Designer;
         },
         "Smith, J.                "},
        {"category", {"0010, 3,Comp, Value, 6"}, [] { return gSchCategories[3].Name; }, "Comp, Value"},
        {"layer",
         {"1010, 2, 1,TOP, INNER"},
         [&] { return name(OA_Object(DB_LayerArray(), 3)); },
         "TOP, INNER"},
        {"hierarchy",
         {"1000, 2,SUB,2, 0, 0, 0, 0"},
         [&] { return name(OM_Object(DB_HierarchyMap(), 2)); },
         "SUB,2"},
        {"page", {"2000, 2,P,2, 0, 0, 0, 0, 0, 0, 0, 0"}, [&] { return name(DB_Page(2)); }, "P,2"},
        {"symbol", {"0100, 1, 0,\"A\",B\", 0, 0"}, [&] { return name(S_Symbol(1)); }, "A\",B"},
        {"supply_pin",
         {"0200, 1, 0,\"P\",\"\",\"\", 1, 0", "0201, 7,\"V\",CC\""},
         [] {
             DevicePinRec p;
             D_ReadPin(D_SupplyPinArray(1), 1, p);
             return CStrFromPtr(p.Name);
         },
         "V\",CC"},
        {"net", {"1100, 1, 0,\"a\", b\", 0"}, [&] { return name(N_Net(1)); }, "a\", b"},
        {"simulation_name_to_the_end_of_the_line",
         {"0100, 1, 0,\"S\", 0, 0", "0101, 1, 0, 0, 0,\"P\", 0, 0, 0, 0,\"SIM, 2"},
         [] {
             EntryRec e;
             S_ReadEntry(1, 1, e);
             return CStrFromPtr(e.SimName);
         },
         "SIM, 2"},
        {"text",
         {"1700, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1,\"use \"A\", not \"B\"\""},
         [] {
             ItemRec r;
             I_ReadItem(OA_Object(DB_LayoutTextArray(), 1), r);
             return CStrFromPtr(r.Text);
         },
         "use \"A\", not \"B\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(ParseRecords(c.records), 0);
        EXPECT_EQ(c.got(), c.want);
    }
    // A record with two free texts cannot tell which holds the comma.
    scriptedUi().QueueAnswer(1);
    EXPECT_EQ(ParseRecords({"0200, 1, 0,\"A\",B\",\"\",\"\", 0, 0"}), 1);
    EXPECT_EQ(scriptedUi().boxes.at(0).title, "ASCII Load Error: Invalid record");
}

// The rebuild: each row is the records after the header; the load's result and its box title.
struct RebuildCase {
    const char* what;
    std::vector<std::string> records;
    int32_t result;
    const char* reason;  // after "ASCII Load Error: "; null for no box
};
// Shown by its name in failures, not as the bytes of the record.
void PrintTo(const RebuildCase& c, std::ostream* os) { *os << c.what; }

class RebuildTest : public AsciiReaderTest, public ::testing::WithParamInterface<RebuildCase> {};

TEST_P(RebuildTest, ResultAndReason) {
    const RebuildCase& c = GetParam();
    if (c.reason) scriptedUi().QueueAnswer(1);
    EXPECT_EQ(ParseRecords(c.records), c.result);
    ASSERT_EQ(scriptedUi().boxes.size(), c.reason ? 1u : 0u);
    if (c.reason) {
        EXPECT_EQ(scriptedUi().boxes[0].title, std::string("ASCII Load Error: ") + c.reason);
        EXPECT_EQ(scriptedUi().boxes[0].text, c.records.back());
    }
}

const char* const kBad = "Invalid record";
const char* const kSequence = "Incorrect Record Sequence";
const std::string kPart = "0200, 1, 0,\"P\",\"\",\"\", 0, 0";
const std::string kItem = "0031, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 5, 0, 0";

std::vector<std::string> EightViaPadstacks(const std::string& last) {
    std::vector<std::string> r;
    for (int n = 1; n <= 8; ++n) r.push_back("0030, " + std::to_string(n) + ", 0, 0, 0");
    r.push_back(kItem);
    r.push_back(last);
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Rebuild, RebuildTest,
    ::testing::Values(
        RebuildCase{"via_on_second_via_padstack",
                    {"0030, 5, 0, 0, 0", "0030, 9, 0, 0, 0", "1300, 1, 0, 0, 0, 0, 9"},
                    0,
                    nullptr},
        RebuildCase{"via_on_no_via_padstack",
                    {"0030, 5, 0, 0, 0", "0030, 9, 0, 0, 0", "1300, 1, 0, 0, 0, 0, 7"},
                    1,
                    kBad},
        RebuildCase{"via_without_via_padstacks", {"1300, 1, 0, 0, 0, 0, 7"}, 1, kBad},
        RebuildCase{"eighth_via_padstack_and_its_item_ignored", EightViaPadstacks("1300, 1, 0, 0, 0, 0, 7"),
                    0, nullptr},
        RebuildCase{"via_on_eighth_via_padstack", EightViaPadstacks("1300, 1, 0, 0, 0, 0, 8"), 1, kBad},
        RebuildCase{"padstack_item_before_any_padstack", {kItem}, 0, nullptr},
        RebuildCase{"padstack_item_after_a_symbol",
                    {"0030, 5, 0, 0, 0", "0100, 1, 2,\"S\", 0, 0", kItem},
                    0,
                    nullptr},
        RebuildCase{"padstack_number_0", {"0030, 0, 0, 0, 0"}, 1, kBad},
        RebuildCase{"padstack_number_negative", {"0100, 1, 2,\"S\", 0, 0", "0105,-3, 0, 0, 0"}, 1, kBad},
        RebuildCase{"symbol_padstack_without_symbol", {"0105, 4, 0, 0, 0"}, 1, kBad},
        RebuildCase{"pad_before_its_padstack",
                    {"0100, 1, 2,\"S\", 0, 0", "0102, 1, 0, 0, 0, 0, 4", "0105, 4, 0, 0, 0"},
                    0,
                    nullptr},
        RebuildCase{"groups_1_2_4",
                    {kPart, "0202, 1,\"A\",\"S\", 0", "0202, 2,\"B\",\"S\", 0", "0202, 4,\"D\",\"S\", 0"},
                    1,
                    kSequence},
        RebuildCase{
            "groups_start_at_1_per_part",
            {kPart, "0202, 1,\"A\",\"S\", 0", "0200, 2, 0,\"Q\",\"\",\"\", 0, 0", "0202, 1,\"A\",\"S\", 0"},
            0,
            nullptr},
        RebuildCase{"group_pin_without_group", {kPart, "0203, 1,\"IN\""}, 1, kBad},
        RebuildCase{"main_hierarchy_taken_over", {"1000, 1,MAINHIER, 0, 0, 0, 0", "1001, 1"}, 0, nullptr},
        RebuildCase{"main_hierarchy_under_another_id", {"1000, 2,MAINHIER, 0, 0, 0, 0"}, 1, kSequence},
        RebuildCase{"new_hierarchy_id_0", {"1000, 0,NEW, 0, 0, 0, 0"}, 1, kBad},
        RebuildCase{"main_page_taken_over", {"2000, 1,MAINPAGE, 0, 0, 0, 0, 0, 0, 0, 0"}, 0, nullptr},
        RebuildCase{"main_page_under_another_id", {"2000, 3,MAINPAGE, 0, 0, 0, 0, 0, 0, 0, 0"}, 1, kSequence},
        RebuildCase{
            "page_0_of_a_hierarchy_without_pages", {"1000, 2,SUB, 0, 0, 0, 0", "1001, 0"}, 0, nullptr},
        RebuildCase{"page_0_of_a_hierarchy_with_pages", {"1001, 0"}, 1, kBad},
        RebuildCase{"bus_member_position_negative",
                    {"1100, 3, 0,\"N\", 0", "1200, 1, 0,\"B\", 0", "1201,-1, 3"},
                    1,
                    kBad},
        RebuildCase{"bus_member_net_0", {"1200, 1, 0,\"B\", 0", "1201, 2, 0"}, 1, kBad},
        RebuildCase{"node_of_no_net", {"1101, 1, 0, 0, 0, 0, 0"}, 1, kBad},
        RebuildCase{"entries_out_of_order",
                    {"0100, 1, 0,\"S\", 0, 0", "0101, 2, 0, 0, 0,\"\", 0, 0, 0, 0,\"\""},
                    1,
                    kBad},
        RebuildCase{"duplicate_net", {"1100, 3, 0,\"N\", 0", "1100, 3, 0,\"M\", 0"}, 1, kBad},
        RebuildCase{"id_0_asks_for_no_id", {"1400, 0, 0, 0, 0"}, 1, kBad},
        RebuildCase{"segment_of_no_trace", {"1601, 0, 0, 0, 0, 0, 0, 0"}, 1, kBad},
        RebuildCase{"text_of_no_component", {"2501, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,\"T\""}, 1, kBad},
        RebuildCase{"item_of_an_unknown_kind",
                    {"0100, 1, 0,\"S\", 0, 0", "0103, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0"},
                    1,
                    kBad}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(AsciiReaderTest, ANameEndsAtAZeroByteBeforeItIsTrimmed) {
    const char record[] = "1100, 1, 0,\"N \0x\", 0";
    const std::string net(record, sizeof record - 1);
    ASSERT_EQ(ParseRecords({net}), 0);
    EXPECT_STREQ(O_GetName(N_Net(1)), "N");
}

TEST_F(AsciiReaderTest, ObjectsAreMadeWithTheFileIdsAndValues) {
    ASSERT_EQ(
        ParseRecords({"0030, 5, 64, 300, 0", "0030, 9, 0, 0, 0", "1300, 1, 8, 10, 20, 16777217, 9",
                      "1100, 3, 0,\"D0\", 0", "1200, 4, 7,\"DATA\", 5", "1201, 5, 3",
                      "0100, 2, 2,\"PKG\", 1, 17", "0102, 1, 1, 100, 5, 90000, 4", "0105, 4, 6, 800, 900",
                      "0106, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 90000, 270000, 0"}),
        0);
    ViaRec v;
    ASSERT_NE(V_ReadVia(1, v), 0);
    EXPECT_EQ(v.Flags, 8 | 4) << "the second via padstack's slot";
    EXPECT_EQ(v.Kept, 16777217);
    EXPECT_EQ(v.PadStack, 9);
    EXPECT_EQ(N_ReadBusMember(4, 5), 3);
    PadStackRec p;
    ASSERT_NE(S_ReadPadStack(OM_Object(DB_PadStackMap(), 5), p), 0);
    EXPECT_EQ(p.Status, 64);
    EXPECT_EQ(p.HoleA, 300);
    EntryRec pad;
    ASSERT_NE(S_ReadEntry(2, 1, pad), 0);
    EXPECT_EQ(pad.Angle, 90000);
    EXPECT_EQ(pad.PadStack, 4);
    EXPECT_EQ(pad.Status, 1);
    const int32_t ps = OM_Object(S_SymbolPadStackMap(2), 4);
    ItemRec arc;
    ASSERT_EQ(I_ReadItem(OA_Object(S_PadStackItemArray(ps), 1), arc), 5);
    EXPECT_EQ(arc.P4, 270000);
    SymbolRec s;
    ASSERT_NE(S_ReadSymbol(2, s), 0);
    EXPECT_EQ(s.SimCode, 17);
}

}  // namespace
}  // namespace tolvi
