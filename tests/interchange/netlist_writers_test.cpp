// The three netlists: one exact file per writer from a small board with dictionaries, the files
// of an empty design, and the Scicards columns on a fixture of its own.
#include <gtest/gtest.h>

#include "common/dictionaries.h"
#include "common/utilities.h"
#include "interchange/export_fixture.h"
#include "interchange/exporter.h"
#include "support/design_builder.h"

namespace tolvi {
namespace {

using test::CrLf;

class NetlistTest : public test::ExportTest {
protected:
    // Layout components (one with a blank at the end of its name, one without a part, one whose
    // part the dictionary has in other letters, one whose package has no pins), their values, and
    // nets: one on two layout pins and a schematic-only node, a bus member, a net flagged as a
    // member whose bus does not exist, and a later net on a pin that the first one already holds.
    void BuildBoard() {
        designs::NewDatabase(" BOARD ");
        ASSERT_EQ(S_CreateSymbol(1, "SOIC14"), 1);
        O_Mask(S_Symbol(1), 2, 2);
        for (int32_t e = 1; e <= 3; ++e) ASSERT_EQ(S_InsertEntry(1, e, e * 100, 0), e);
        ASSERT_EQ(S_CreateSymbol(2, "RES"), 2);
        O_Mask(S_Symbol(2), 2, 2);
        ASSERT_EQ(S_CreateSymbol(3, "SCH"), 3);
        ASSERT_EQ(S_CreateSymbol(4, "NOPINS"), 4);
        O_Mask(S_Symbol(4), 2, 2);
        for (int32_t e = 1; e <= 3; ++e) {
            ASSERT_EQ(S_InsertEntry(3, e, 0, e * 100), e);
            S_ChangeEntryAttrib(3, e, std::string(1, char('A' + e - 1)).c_str(), 0);
        }
        ASSERT_EQ(D_CreateDevice(1, "7400", "", ""), 1);
        ASSERT_EQ(D_CreateDevice(2, "74ls00", "", ""), 2);

        ASSERT_EQ(C_CreateComponent(1, "U1", 0, 1, 3, 0, 0, 0, 0), 1);
        designs::AddText(C_CompTextArray(1), "U1", 1);
        designs::AddText(C_CompTextArray(1), "10k ", 8);
        ASSERT_EQ(C_CreateComponent(2, "R1", 0, 0, 3, 0, 0, 0, 0), 2);
        designs::AddText(C_CompTextArray(2), "R1", 1);

        ASSERT_EQ(L_CreateComponent(1, "U1 ", 0, 1, 1, 0, 0, 0, 0), 1);
        L_AddSchCompId(1, 99);  // no such component: the next link gives the value
        L_AddSchCompId(1, 1);
        ASSERT_EQ(L_CreateComponent(2, "R1", 0, 0, 2, 0, 0, 0, 0), 2);
        L_AddSchCompId(2, 2);
        ASSERT_EQ(L_CreateComponent(3, "U 3", 0, 2, 1, 0, 0, 0, 0), 3);
        ASSERT_EQ(L_CreateComponent(4, "EMPTY", 0, 1, 4, 0, 0, 0, 0), 4);

        ASSERT_EQ(N_CreateNet(1, 2, "CLK "), 1);
        N_CreateNode(1, 1, 1, 1, 1, 1);
        N_CreateNode(1, 2, 2, 2, 2, 2);
        N_CreateNode(1, 3, 1, 3, 0, 0);
        ASSERT_EQ(N_CreateNet(2, 2, "D0"), 2);
        N_CreateNode(2, 1, 1, 2, 1, 2);
        ASSERT_EQ(N_CreateBus(1, 0, "DATA"), 1);
        ASSERT_EQ(N_SetBusMember(1, 2, 3), 3);
        ASSERT_EQ(N_CreateNet(3, 8, "LOOSE"), 3);
        ASSERT_EQ(N_CreateNet(4, 2, "LATE"), 4);
        N_CreateNode(4, 1, 0, 0, 1, 1);

        gDbTitle = " BOARD ";
        UpdateMainCaption(gDbHandle);
        int32_t err = 0;
        ParseDictionary(err, tmp.Write("parts.TDD", "7400, SN7400\r\n7400,OTHER\r\n74LS00,SN74LS00\r\n"),
                        gPartDic);
        ASSERT_EQ(err, 0);
        ParseDictionary(err, tmp.Write("packs.TDS", "RES,R0805\r\n"), gPackDic);
        ASSERT_EQ(err, 0);
    }
};

TEST_F(NetlistTest, ExactFilesOfTheBoard) {
    BuildBoard();
    struct Case {
        int32_t mode;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {2, {"(PATH,BOARD()",
             "(COMPONENTS",
             "U1 ,SN7400",
             "R1,*R0805",
             "U 3,74ls00",
             "EMPTY,SN7400",
             ")",
             "(VALUES",
             "U1 ,10k ",
             "R1,NONE",
             "U 3,NONE",
             "EMPTY,NONE",
             ")",
             "(NODES",
             "(CLK ",
             "U1 ,1",
             "R1,2",
             ")",
             "(D0.3.DATA",
             "U1 ,2",
             ")",
             "(LOOSE",
             ")",
             "(LATE",
             "U1 ,1",
             ")",
             ")",
             "),BOARD"}},
        {4,
         {"({ Export from Tolvi32 to ORCAD/PCB II", "}", "( SN7400 U1 SN7400", " ( 1 CLK )", " ( 2 D0 )",
          " ( 3 ?1 )", ")", "( 74ls00 U 3 74ls00", " ( 1 ?2 )", " ( 2 ?3 )", " ( 3 ?4 )", ")",
          "( SN7400 EMPTY SN7400", ")", ")"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ASSERT_EQ(Write(c.mode, "out.txt"), 0);
        EXPECT_EQ(Read("out.txt"), CrLf(c.lines));
    }
    // The OrCad writer's mark is gone from every net and node.
    int32_t cursor = OM_GetFirst(DB_NetMap());
    EXPECT_EQ(OM_SearchMask(DB_NetMap(), cursor, 0x100, 0x100), 0);
    cursor = OM_GetFirst(N_NodeMap(1));
    EXPECT_EQ(OM_SearchMask(N_NodeMap(1), cursor, 0x100, 0x100), 0);
}

TEST_F(NetlistTest, EmptyDesign) {
    struct Case {
        int32_t mode;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {2, {"(PATH,Untitled()", "(COMPONENTS", ")", "(VALUES", ")", "(NODES", ")", "),Untitled"}},
        {3, {"PARTS LIST", " ", "EOS", " ", "NETS LIST", " ", "EOS", " "}},
        {4, {"({ Export from Tolvi32 to ORCAD/PCB II", "}", ")"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ASSERT_EQ(Write(c.mode, "out.txt"), 0);
        EXPECT_EQ(Read("out.txt"), CrLf(c.lines));
    }
}

TEST_F(NetlistTest, ScicardsColumns) {
    designs::NewDatabase("SCI");
    ASSERT_EQ(S_CreateSymbol(1, "SCH"), 1);
    for (int32_t e = 1; e <= 3; ++e) {
        ASSERT_EQ(S_InsertEntry(1, e, 0, e * 100), e);
        S_ChangeEntryAttrib(1, e, e == 1 ? " A " : std::string(1, char('A' + e - 1)).c_str(), 0);
    }
    const char* names[] = {"U1", "R1", "  C3  ", "ABCDEFGHIJKLMNOPQRST", "Q5", "X6", "Y7"};
    ASSERT_EQ(DB_CreatePage(2, "P2"), 2);
    for (int32_t i = 1; i <= 7; ++i) {
        DB_SetCurPage(i <= 4 ? 1 : 2);  // every page of the hierarchy is listed
        ASSERT_EQ(C_CreateComponent(i, names[i - 1], 0, 0, 1, 0, 0, 0, 0), i);
    }
    ASSERT_EQ(N_CreateNet(1, 2, "CLK  "), 1);  // exactly three nodes
    for (int32_t k = 1; k <= 3; ++k) N_CreateNode(1, k, k, k, 0, 0);
    ASSERT_EQ(N_CreateNet(2, 2, "A_VERY_LONG_NET_NAME"), 2);  // four listed nodes
    N_CreateNode(2, 1, 1, 1, 0, 0);
    N_CreateNode(2, 2, 2, 9, 0, 0);  // no pin 9: skipped without taking a place
    N_CreateNode(2, 3, 4, 2, 0, 0);
    N_CreateNode(2, 4, 5, 3, 0, 0);
    N_CreateNode(2, 5, 6, 1, 0, 0);
    ASSERT_EQ(N_CreateNet(12, 0, "UNNAMED"), 12);
    N_CreateNode(12, 1, 7, 2, 0, 0);
    ASSERT_EQ(N_CreateNet(13, 2, "LAYOUT"), 13);  // layout pins only: no trace
    N_CreateNode(13, 1, 0, 0, 1, 1);
    Adopt();

    ASSERT_EQ(Write(3, "out.NET"), 0);
    EXPECT_EQ(Read("out.NET"), CrLf({
                                   "PARTS LIST",
                                   " ",
                                   "    U1              R1              C3              ",
                                   "    ABCDEFGHIJKLMNOPQ5              X6              ",
                                   "    Y7              ",
                                   "EOS",
                                   " ",
                                   "NETS LIST",
                                   " ",
                                   "NODENAME CLK             $",
                                   "    U1 A  R1 B    C3   C",
                                   "NODENAME A_VERY_LONG_NET_$",
                                   "    U1 A  ABCDEFGHIJKLMNOPQRST B  Q5 C",
                                   "    X6 A",
                                   "NODE 12              $",
                                   "    Y7 B",
                                   "EOS",
                                   " ",
                               }));
}

}  // namespace
}  // namespace tolvi
