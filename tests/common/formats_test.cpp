#include "common/formats.h"

#include <gtest/gtest.h>

#include <string>

#include "common/settings_access.h"
#include "option_fixture.h"

namespace tolvi {
namespace {

class Formats : public test::SettingsFixture {
protected:
    static void Put(const std::string& key, const std::string& value) {
        SettingsFixture::Put("FORMATS", key, value);
    }
    std::string Get(const std::string& key) {
        std::string v;
        IniGetString("FORMATS", key, "<none>", v);
        return v;
    }
};

struct Want {
    const FormatTable* table;
    int unit;
    int n;
    const char* name;
    double w;
    double h;
};

TEST_F(Formats, EmptyFileGivesTheBuiltInFormats) {
    LoadBoardFormats();
    LoadPageFormats();
    const Want cases[] = {
        {&gBoardFormats, 0, 1, "A", 3, 3},
        {&gBoardFormats, 0, 6, "F", 4.5, 3.5},
        {&gBoardFormats, 1, 1, "A", 150, 100},
        {&gBoardFormats, 1, 4, "D", 90, 110},
        {&gPageFormats, 0, 1, "A(landscape)", 11, 8.5},
        {&gPageFormats, 0, 3, "C", 22, 17},
        {&gPageFormats, 0, 6, "A(portrait)", 8.5, 11},
        {&gPageFormats, 1, 1, "A4(landscape)", 297, 210},
        {&gPageFormats, 1, 5, "A0", 1189, 841},
        {&gPageFormats, 1, 6, "A4(portrait)", 210, 297},
    };
    for (const Want& c : cases) {
        const FormatRec& f = (*c.table)[c.unit][c.n];
        EXPECT_EQ(f.Name, c.name) << c.unit << "/" << c.n;
        EXPECT_EQ(f.W, c.w) << c.name;
        EXPECT_EQ(f.H, c.h) << c.name;
    }
    for (const FormatTable* t : {&gBoardFormats, &gPageFormats})
        for (int unit = 0; unit < 2; ++unit) {
            EXPECT_TRUE((*t)[unit][0].Name.empty());
            for (int n = 1; n <= 6; ++n) EXPECT_FALSE((*t)[unit][n].Name.empty());
        }
}

TEST_F(Formats, OnlyThreeFieldValuesReplaceAnEntry) {
    const struct {
        const char* value;
        const char* name;
        double w;
        double h;
    } cases[] = {
        {"Big, 8.3 ,5.25", "Big", 8.3, 5.25},  // exact doubles, not single-precision values
        {"X,1", "Old", 1, 2},
        {"X,1,2,3", "Old", 1, 2},
        {"\"a,b\",1,2", "a,b", 1, 2},
    };
    for (const auto& c : cases) {
        Put("BI2", c.value);
        gBoardFormats[0][2] = FormatRec{"Old", 1, 2};
        LoadBoardFormats();
        EXPECT_EQ(gBoardFormats[0][2].Name, c.name) << c.value;
        EXPECT_EQ(gBoardFormats[0][2].W, c.w) << c.value;
        EXPECT_EQ(gBoardFormats[0][2].H, c.h) << c.value;
    }
}

TEST_F(Formats, SaveWritesNumbersWithTheirBlankAndReadsBack) {
    LoadBoardFormats();
    LoadPageFormats();
    gBoardFormats[1][3] = FormatRec{"Euro", 160, 100.5};
    gPageFormats[0][2] = FormatRec{"Odd", 8.3, -0.25};
    gPageFormats[1][4].Name.clear();  // an unused slot keeps its key as it was
    Put("M4", "Kept,1,2");
    SaveBoardFormats();
    SavePageFormats();
    EXPECT_TRUE(IniHasLine("BI6=F, 4.5, 3.5"));
    EXPECT_TRUE(IniHasLine("BM3=Euro, 160, 100.5"));
    EXPECT_TRUE(IniHasLine("I2=Odd, 8.3,-.25"));
    EXPECT_TRUE(IniHasLine("I3=C, 22, 17"));
    EXPECT_EQ(Get("M4"), "Kept,1,2");

    const FormatTable board = gBoardFormats;
    const FormatTable page = gPageFormats;
    ResetFormatsState();
    LoadBoardFormats();
    LoadPageFormats();
    for (int unit = 0; unit < 2; ++unit)
        for (int n = 1; n <= 6; ++n) {
            EXPECT_EQ(gBoardFormats[unit][n].Name, board[unit][n].Name);
            EXPECT_EQ(gBoardFormats[unit][n].W, board[unit][n].W);
            EXPECT_EQ(gBoardFormats[unit][n].H, board[unit][n].H);
            if (unit == 1 && n == 4) continue;
            EXPECT_EQ(gPageFormats[unit][n].Name, page[unit][n].Name);
            EXPECT_EQ(gPageFormats[unit][n].W, page[unit][n].W);
            EXPECT_EQ(gPageFormats[unit][n].H, page[unit][n].H);
        }
    EXPECT_EQ(gPageFormats[1][4].Name, "Kept");
}

TEST_F(Formats, NameWithACommaIsWrittenAndThenSkipped) {
    gBoardFormats[0][1] = FormatRec{"a,b", 1, 2};
    SaveBoardFormats();
    EXPECT_TRUE(IniHasLine("BI1=a,b, 1, 2"));
    gBoardFormats[0][1] = FormatRec{"Old", 5, 6};
    LoadBoardFormats();
    EXPECT_EQ(gBoardFormats[0][1].Name, "Old");
}

TEST_F(Formats, DefaultChoiceIsWrittenOnlyWhenMissing) {
    LoadBoardFormats();
    LoadPageFormats();
    SaveBoardFormats();
    SavePageFormats();
    EXPECT_TRUE(IniHasLine("LayDefbord=1,3,3,I0"));
    EXPECT_TRUE(IniHasLine("SchDefPage=1,I1"));

    gBoardFormats[0][1].W = 4.5;
    SaveBoardFormats();
    EXPECT_EQ(Get("LayDefbord"), "1,3,3,I0");

    SaveDefaultBoardFormat("2,4,4,I1");  // the same key, spelt with another case
    SaveDefaultPageFormat("3,M2");
    EXPECT_EQ(Get("LayDefbord"), "2,4,4,I1");
    EXPECT_EQ(IniText().find("1,3,3,I0"), std::string::npos);
    EXPECT_EQ(Get("SchDefPage"), "3,M2");

    Put("LayDefbord", "none");
    Put("SchDefPage", "none");
    SaveBoardFormats();
    SavePageFormats();
    EXPECT_EQ(Get("LayDefbord"), "1,4.5,3,I0");
    EXPECT_EQ(Get("SchDefPage"), "1,I1");
}

}  // namespace
}  // namespace tolvi
