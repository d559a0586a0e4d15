#include "setup/postapt.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <string>
#include <vector>

#include "common/aperture_tables.h"
#include "common/dialog_state.h"
#include "common/general_settings.h"
#include "common/option_store.h"
#include "platform/qt/codec.h"
#include "platform/qt/file_lists.h"
#include "platform/qt/tolvi_grid.h"
#include "support/aperture_table.h"
#include "support/grid_input.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::scriptedUi;
using test::SetApertureSizes;

std::string Sizes() {
    std::string s;
    for (std::size_t r = 1; r < gApertures.size(); ++r)
        s += (r > 1 ? "," : "") + std::to_string(gApertures[r].Size);
    return s;
}

TEST(ApertureRules, DcodesTyped) {
    const struct {
        const char* text;
        int32_t code;
    } cases[] = {
        {"d12*", 12},
        {"D12* ", 12},
        {"D 12*", 12},
        {"D999*", 999},
        {"D10*", 10},
        {"D10.4*", 10},
        {"", 0},
        {"  ", 0},
        {"D9*", -1},
        {"D1000*", -1},
        {"12", -1},
        {"D*", -1},
        {"D12", -1},
        {" D12*", -1},
        {"X12*", -1},
        {"D12*3*", 12},
        // The range is tested before rounding.
        {"D9.6*", -1},
        {"D999.4*", -1},
        // The number as the common reader reads it: a decimal comma, an exponent.
        {"D1,2E2*", 120},
    };
    for (const auto& c : cases) {
        int32_t code = 77;
        ParseDcode(c.text, code);
        EXPECT_EQ(code, c.code) << '"' << c.text << '"';
    }
}

TEST(ApertureRules, SizesInsertedInOrderOnce) {
    const struct {
        const char* text;
        bool mm;
        int32_t size;  // -1 refused
    } sizes[] = {
        {"0.01", false, 25400}, {"1", false, 2540000},     {"0.254", true, 25400},
        {"0", false, -1},       {"2200", true, 220000000}, {"2200.001", true, -1},
        {"-1", true, -1},       {"abc", true, -1},         {"0.00001", true, 1},
    };
    for (const auto& c : sizes) EXPECT_EQ(ApertureSizeFromText(c.text, c.mm), c.size) << c.text;

    SetApertureSizes({12700, 50800});
    EXPECT_EQ(InsertApertureSize(25400), 2);
    EXPECT_EQ(InsertApertureSize(25400), 0) << "a size already there";
    EXPECT_EQ(InsertApertureSize(100), 1);
    EXPECT_EQ(InsertApertureSize(90000), 5);
    EXPECT_EQ(Sizes(), "100,12700,25400,50800,90000");
    SetApertureSizes({});
    EXPECT_EQ(InsertApertureSize(25400), 1);
    EXPECT_EQ(ApertureTableText(), "25400,0,0,0\r\n\"#\",\"#\",\"#\",\"#\"\r\n");
    EXPECT_FALSE(DeleteApertureRow(1)) << "the last row stays";
    SetApertureSizes({1, 2, 3});
    EXPECT_FALSE(DeleteApertureRow(4));
    EXPECT_TRUE(DeleteApertureRow(2));
    EXPECT_EQ(Sizes(), "1,3");
}

TEST(ApertureRules, ThePageThatShowsARow) {
    const struct {
        int row, rowCount, visible, top;
    } cases[] = {
        {5, 21, 8, 1},
        {8, 21, 8, 1},
        {9, 21, 8, 8},
        {15, 21, 8, 8},
        {16, 21, 8, 13},
        {20, 21, 8, 13},
        {3, 6, 8, 1},
        {1, 2, 8, 1},
        // A grid showing one row pages as if it showed two; none of these may loop.
        {7, 21, 1, 6},
        {7, 21, 0, 6},
        {20, 21, -5, 19},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ApertureTopRow(c.row, c.rowCount, c.visible), c.top)
            << "row " << c.row << " of " << c.rowCount << ", " << c.visible << " shown";
}

class ApertureEditor : public test::SetupFixture {
protected:
    static std::string Text(const QLabel* l) { return platform::FromQString(l->text()); }
    static std::string Text(const QLineEdit* e) { return platform::FromQString(e->text()); }
    static void Type(QLineEdit* box, const char* text) {
        box->setText(text);
        QTest::keyClick(box, Qt::Key_Return);
    }
};

TEST_F(ApertureEditor, ShowsTheCurrentTable) {
    auto f = Shown<POSTAPT>();
    EXPECT_EQ(platform::FromQString(f->windowTitle()), "Tolvi32 - Apertures Tables");
    EXPECT_EQ(Text(f->CurApt), "STD");
    EXPECT_EQ(Text(f->NewFname), "STD");
    EXPECT_EQ(f->AptLst->count(), 1);
    platform::TolviGrid& g = *f->Sizes;
    EXPECT_EQ(g.Rows(), 7);
    EXPECT_EQ(g.TextMatrix(0, 2), " Lines ");
    const std::vector<std::string> row2 = {g.TextMatrix(2, 0), g.TextMatrix(2, 1), g.TextMatrix(2, 2),
                                           g.TextMatrix(2, 3), g.TextMatrix(2, 4)};
    EXPECT_EQ(row2, (std::vector<std::string>{"0.0100", "0.254", "D13* ", "D14* ", "D15* "}));
    EXPECT_EQ(Text(f->CurSize), "0.0050/0.127");
    EXPECT_EQ(Text(f->NewDcode[0]), "D10* ");
    EXPECT_EQ(f->SelectedRow(), 1);
    EXPECT_EQ(g.Col(), 2);
    EXPECT_FALSE(f->Changed());
}

TEST_F(ApertureEditor, InsertTypeDeleteAndSave) {
    auto f = Shown<POSTAPT>();
    platform::TolviGrid& g = *f->Sizes;

    std::string label;
    test::AnswerInput("0.02", &label);  // 50800 is there already
    f->InsSize[0]->click();
    EXPECT_EQ(label, "Tolvi32 - Aperture Table\r\nSize to insert (inch):");
    EXPECT_EQ(scriptedUi().beeps, 2) << "the input box's own, then the refusal";
    EXPECT_FALSE(f->Changed());

    test::AnswerInput("0.5");  // mm: between 0.254 and 0.508
    f->InsSize[1]->click();
    EXPECT_EQ(Sizes(), "12700,25400,50000,50800,76200,127000,254000");
    EXPECT_EQ(f->SelectedRow(), 3);
    EXPECT_EQ(g.Row(), 3);
    EXPECT_EQ(g.TextMatrix(3, 1), "0.500");
    EXPECT_EQ(g.TextMatrix(3, 2), "         ");
    EXPECT_EQ(g.TextMatrix(4, 1), "0.508") << "the later rows moved down";
    EXPECT_TRUE(f->Changed());

    // Enter takes a typed D-code and moves on to the next box; a bad one is refused.
    Type(f->NewDcode[1], "d12*");
    EXPECT_EQ(gApertures[3].RoundDcode, 12);
    EXPECT_EQ(Text(f->NewDcode[1]), "D12* ");
    EXPECT_EQ(g.TextMatrix(3, 3), "D12* ");
    EXPECT_EQ(g.Col(), 4);
    Type(f->NewDcode[2], "D9*");
    EXPECT_EQ(gApertures[3].SquareDcode, 0);
    EXPECT_EQ(Text(f->NewDcode[2]), "         ");
    Type(f->NewDcode[0], "D300*");
    EXPECT_EQ(gApertures[3].LineDcode, 300);

    // Delete the selected row; the selection stays on the row number.
    f->DelSize->click();
    EXPECT_EQ(Sizes(), "12700,25400,50800,76200,127000,254000");
    EXPECT_EQ(f->SelectedRow(), 3);
    EXPECT_EQ(Text(f->CurSize), "0.0200/0.508");

    f->NewFname->setText("std x");
    f->SaveAfile->click();
    EXPECT_FALSE(f->Changed());
    EXPECT_EQ(dir.Read("STD.APT"),
              "12700,10,11,12\r\n25400,13,14,15\r\n50800,16,17,18\r\n76200,19,20,21\r\n127000,22,23,24\r\n"
              "254000,25,26,27\r\n\"#\",\"#\",\"#\",\"#\"\r\n");
    EXPECT_EQ(gAperFile, "STD");
    EXPECT_EQ(test::IniValue("POSTART", "Aper"), "STD");
    EXPECT_EQ(Text(f->NewFname), "STD");

    // A new name makes a new table, listed and current.
    f->NewFname->setText("small");
    f->SaveAfile->click();
    EXPECT_EQ(dir.Read("SMALL.APT").substr(0, 15), "12700,10,11,12\r");
    EXPECT_EQ(f->AptLst->count(), 2);
    EXPECT_EQ(test::IniValue("POSTART", "Aper"), "SMALL");
    EXPECT_EQ(Text(f->CurApt), "SMALL");

    // No name saves nothing and says nothing; a name that is no file name beeps.
    const int beeps = scriptedUi().beeps;
    for (const char* name : {"", "  ", "../up", "a.b"}) {
        f->NewFname->setText(name);
        f->SaveAfile->click();
    }
    EXPECT_TRUE(scriptedUi().boxes.empty());
    EXPECT_EQ(scriptedUi().beeps, beeps + 2);
    EXPECT_EQ(f->AptLst->count(), 2);
}

TEST_F(ApertureEditor, AnEmptyTableTakesItsFirstSize) {
    gAperFile = "NEW";
    scriptedUi().QueueAnswer(platform::kAnswerOk);  // NEW.APT cannot be read
    auto f = Shown<POSTAPT>();
    EXPECT_EQ(scriptedUi().boxes.at(0).text, "Can't read file: " + dir.File("NEW.APT"));
    EXPECT_EQ(Text(f->CurApt), "none");
    EXPECT_EQ(Text(f->NewFname), "");
    EXPECT_EQ(f->Sizes->Rows(), 2);

    const int beeps = scriptedUi().beeps;
    Type(f->NewDcode[0], "D10*");  // no row to take it
    f->DelSize->click();
    EXPECT_EQ(scriptedUi().beeps, beeps + 2);
    test::AnswerInput("0.01");
    f->InsSize[0]->click();
    EXPECT_EQ(Sizes(), "25400");
    EXPECT_EQ(f->Sizes->Rows(), 2);
    EXPECT_EQ(f->Sizes->TextMatrix(1, 0), "0.0100");
    f->NewFname->setText("new");
    f->SaveAfile->click();
    EXPECT_EQ(dir.Read("NEW.APT"), "25400,0,0,0\r\n\"#\",\"#\",\"#\",\"#\"\r\n");
}

// Accept with unsaved changes asks; No keeps them in memory only; Yes with no name to save
// under says so and keeps the dialog open.
TEST_F(ApertureEditor, AcceptOffersToSave) {
    const std::string before = dir.Read("STD.APT");
    const struct {
        int answer;
        const char* name;
        bool closes;
        bool saved;
    } cases[] = {
        {platform::kAnswerNo, "STD", true, false},
        {platform::kAnswerYes, "STD", true, true},
        {platform::kAnswerYes, "", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.answer));
        ResetStores();
        dir.Write("STD.APT", before);
        scriptedUi().Reset();
        auto f = Shown<POSTAPT>();
        f->DelSize->click();
        f->NewFname->setText(c.name);
        scriptedUi().QueueAnswer(c.answer);
        if (!c.closes) scriptedUi().QueueAnswer(platform::kAnswerOk);
        gDlgAccepted = 0;
        f->F_Accept->click();
        scriptedUi().Verify();
        EXPECT_EQ(scriptedUi().boxes.at(0).text,
                  "Current Aperture Table has been changed\rDo You wish to save changes ?");
        EXPECT_EQ(scriptedUi().boxes.at(0).style, 4100);
        EXPECT_EQ(f->isVisible(), !c.closes);
        EXPECT_EQ(gDlgAccepted, c.closes ? -1 : 0);
        EXPECT_EQ(Sizes(), "25400,50800,76200,127000,254000") << "the edit stays in memory";
        EXPECT_EQ(dir.Read("STD.APT") != before, c.saved);
        if (!c.closes) {
            EXPECT_EQ(scriptedUi().boxes.size(), 2u);
            EXPECT_TRUE(f->Changed());
        }
    }
}

// Choosing a table makes it current at once; Cancel takes back both the table and the stored
// name it had when the dialog opened.
TEST_F(ApertureEditor, CancelTakesBackTheTableAndItsName) {
    dir.Write("Other.apt", "100,0,0,0\r\n\"#\",\"#\",\"#\",\"#\"\r\n");
    auto f = Shown<POSTAPT>();
    f->DelSize->click();
    scriptedUi().QueueAnswer(platform::kAnswerNo);
    test::ClickFile(*f->AptLst, "Other.apt");
    EXPECT_EQ(gAperFile, "OTHER");
    EXPECT_EQ(test::IniValue("POSTART", "Aper"), "OTHER");
    EXPECT_EQ(Sizes(), "100");
    EXPECT_EQ(Text(f->CurApt), "OTHER");
    EXPECT_FALSE(f->Changed());

    f->F_Cancel->click();
    EXPECT_EQ(gDlgAccepted, 0);
    EXPECT_EQ(gAperFile, "STD");
    EXPECT_EQ(test::IniValue("POSTART", "Aper"), "STD");
    EXPECT_EQ(Sizes(), "12700,25400,50800,76200,127000,254000");
}

// A table whose file cannot be written to the end keeps the file it had.
TEST_F(ApertureEditor, AFailedSaveKeepsThePreviousFile) {
    const std::string before = dir.Read("STD.APT");
    auto f = Shown<POSTAPT>();
    for (int i = 0; i < 200; ++i) {
        test::AnswerInput(std::to_string(i + 1000));
        f->InsSize[1]->click();
    }
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    const auto old = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{}, kept{};
    getrlimit(RLIMIT_FSIZE, &kept);
    limit = kept;
    limit.rlim_cur = 1024;
    setrlimit(RLIMIT_FSIZE, &limit);
    f->SaveAfile->click();
    setrlimit(RLIMIT_FSIZE, &kept);
    std::signal(SIGXFSZ, old);
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text.rfind("Can't create/write to file: " + dir.File("STD.APT"), 0), 0u);
    EXPECT_EQ(dir.Read("STD.APT"), before);
    EXPECT_TRUE(f->Changed());
}

}  // namespace
}  // namespace tolvi
