#include "setup/optnbord.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/dialog_state.h"
#include "common/formats.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "platform/qt/codec.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::EnterInto;
using test::scriptedUi;
using test::TypeInto;

TEST(FormatCommits, NamesAndSizesTable) {
    const struct {
        const char* text;
        bool taken;
    } names[] = {
        {"FIFTEEN_CHARS_X", true}, {"SIXTEEN_CHARS_XY", false}, {"", false}, {" A ", true}, {"A,B", false},
        {"say \"x\"", false},      {"A4(land)", true},
    };
    for (const auto& c : names) {
        FormatRec f{"OLD", 1, 2};
        EXPECT_EQ(CommitFormatName(c.text, f), c.taken) << c.text;
        EXPECT_EQ(f.Name, c.taken ? c.text : "OLD") << c.text;
    }

    const struct {
        int unit;
        const char* text;
        std::optional<double> size;
        const char* shown;  // in the C locale
    } sizes[] = {
        {0, "172", 172, "172.0"},  {0, "172.1", {}, ""},    {0, "2,5", 2.5, "2.5"},
        {0, "0.5", 0.5, ".5"},     {0, "0.04", 0.04, ".0"}, {1, "4368", 4368, "4368"},
        {1, "4369", {}, ""},       {1, "0", {}, ""},        {1, "-5", {}, ""},
        {1, "x", {}, ""},          {1, "12.7", 12.7, "13"}, {1, "12.5", 12.5, "13"},
        {1, "297 mm", 297, "297"}, {0, "1e40", {}, ""},
    };
    for (const auto& c : sizes) {
        double slot = 99;
        EXPECT_EQ(CommitFormatSize(c.text, c.unit, slot), c.size.has_value()) << c.text;
        EXPECT_EQ(slot, c.size.value_or(99)) << c.text;
        if (c.size) {
            EXPECT_EQ(FormatSizeText(slot, c.unit, '.'), c.shown) << c.text;
        }
    }
    EXPECT_EQ(FormatSizeText(0, 1, '.'), "");
    EXPECT_EQ(FormatSizeText(4.5, 0, ','), "4,5");
}

TEST(DefaultFormat, BuiltAndReadBack) {
    FormatTable t;
    t[0][1] = {"A", 3, 3};
    t[0][6] = {"F", 4.5, 0.5};
    t[1][2] = {"B", 100, 100};
    const struct {
        FormatKind kind;
        bool chosen;
        int option;
        const char* value;
    } built[] = {
        {FormatKind::Board, true, 0, " 1,3,3,I0"},    {FormatKind::Board, true, 7, " 1,100,100,M7"},
        {FormatKind::Board, true, 5, " 1,4.5,.5,I5"}, {FormatKind::Board, false, 7, " 0"},
        {FormatKind::Page, true, 0, " 1,I1"},         {FormatKind::Page, true, 8, " 1,M3"},
        {FormatKind::Page, true, 11, " 1,M6"},        {FormatKind::Page, false, 3, " 0"},
    };
    for (const auto& c : built) {
        const std::string v = DefaultFormatValue(c.kind, c.chosen, c.option, t);
        EXPECT_EQ(v, c.value);
        EXPECT_EQ(ReadDefaultFormat(c.kind, v), c.chosen ? std::optional<int>(c.option) : std::nullopt) << v;
    }

    const struct {
        FormatKind kind;
        const char* value;
        std::optional<int> option;
    } read[] = {
        {FormatKind::Board, "1,100,100,M7", 7},
        {FormatKind::Board, "none", {}},
        {FormatKind::Board, " 0", {}},
        {FormatKind::Board, "1,3,3", {}},
        {FormatKind::Board, "1,3,3,I12", {}},
        {FormatKind::Board, "1,3,3,", {}},
        {FormatKind::Board, "2,3,3,I1", {}},
        {FormatKind::Page, "1,M3", 8},
        {FormatKind::Page, " 1, I6 ", 5},
        {FormatKind::Page, "1,I7", {}},
        {FormatKind::Page, "1,I0", {}},
        {FormatKind::Page, "1", {}},
        {FormatKind::Page, "", {}},
    };
    for (const auto& c : read) EXPECT_EQ(ReadDefaultFormat(c.kind, c.value), c.option) << c.value;
}

// The two twins: the board outline formats and the page formats.
struct Twin {
    const char* form;
    FormatTable* table;
    const char* defaultKey;
    const char* checkBox;
    const char* frame;
    std::unique_ptr<FormatsDialog> (*make)();
};
const Twin kTwins[] = {
    {"OPTNBORD", &gBoardFormats, "LayDefBord", "F_DefaultBordChk", "F_BordOptFrame",
     [] { return std::unique_ptr<FormatsDialog>(new OPTNBORD); }},
    {"OPTNFRMS", &gPageFormats, "SchDefPage", "F_DefaultPageChk", "F_PageOptFrame",
     [] { return std::unique_ptr<FormatsDialog>(new OPTNFRMS); }},
};

class Formats : public test::SetupFixture {
protected:
    static std::string Ini(const char* key) { return test::IniValue("FORMATS", key); }
    // Shows the twin's dialog through ShowOptionForm and runs script in it.
    static void Show(const Twin& t, std::function<void(FormatsDialog&)> script) {
        ShowScripted(t.make().release(),
                     [script = std::move(script)](QWidget* w) { script(*static_cast<FormatsDialog*>(w)); });
    }
};

TEST_F(Formats, BoxesCommitOnEnterAndOnLeavingOnlyWhenTyped) {
    for (const Twin& t : kTwins) {
        SCOPED_TRACE(t.form);
        ResetStores();
        scriptedUi().beeps = 0;
        FormatTable& table = *t.table;
        const FormatTable stored = table;
        Show(t, [&](FormatsDialog& f) {
            EXPECT_EQ(f.F_Name[7]->text().toStdString(), table[1][1].Name);
            EnterInto(f.F_Name[2], "SIXTEEN_CHARS_XY");
            EXPECT_EQ(f.F_Name[2]->text().toStdString(), stored[0][2].Name)
                << "refused, the stored name shown";
            EXPECT_TRUE(f.F_Name[2]->hasFocus()) << "Enter keeps the focus";
            EnterInto(f.F_Name[2], "Wide,Short");
            EXPECT_EQ(scriptedUi().beeps, 2);

            TypeInto(f.F_X[9], "12.7");
            QTest::keyClick(f.F_X[9], Qt::Key_Tab);  // leaving a typed box commits it
            EXPECT_EQ(table[1][3].W, 12.7);
            EXPECT_EQ(f.F_X[9]->text(), "13");
            // Through the boxes with Tab, nothing typed: nothing taken, nothing refused.
            f.F_Name[1]->setFocus();
            for (int i = 0; i < 6; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(scriptedUi().beeps, 2);

            EnterInto(f.F_Y[4], "2,5");
            EXPECT_EQ(table[0][4].H, 2.5);
            EXPECT_EQ(f.F_Y[4]->text(), "2.5");
            TypeInto(f.F_Name[12], "Huge");
            f.F_Accept->click();  // takes the name still being typed
        });
        EXPECT_EQ(table[1][6].Name, "Huge");
        LoadBoardFormats();
        LoadPageFormats();
        EXPECT_EQ(table[1][3].W, 12.7) << "written and read back as typed";
        EXPECT_EQ(table[0][4].H, 2.5);
        EXPECT_EQ(table[1][6].Name, "Huge");
        EXPECT_EQ(table[0][2].Name, stored[0][2].Name);
    }
}

// Widths and heights go into the settings file with "." whatever the locale shows.
TEST_F(Formats, CommaLocaleShowsCommasAndStoresPoints) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const Twin& board = kTwins[0];
    Show(board, [&](FormatsDialog& f) {
        EXPECT_EQ(f.F_X[6]->text(), "4,5");
        EnterInto(f.F_X[1], "2,5");
        EXPECT_EQ(f.F_X[1]->text(), "2,5");
        f.F_DefaultChk->setChecked(true);
        f.F_PageDefaultOpt[0]->click();
        f.F_Accept->click();
    });
    ParseList(Ini("BI1"));
    EXPECT_EQ(gTokNum[0], 3.0f);
    EXPECT_EQ(gTokStr[2], " 2.5");
    EXPECT_EQ(Ini("LayDefBord"), "1,2.5,3,I0");
}

TEST_F(Formats, DefaultChoiceIsReadAtLoadAndWrittenOnAccept) {
    const struct {
        int twin;
        const char* stored;   // nullptr: no key
        int option;           // -1: none chosen
        const char* written;  // after Accept with nothing changed
    } cases[] = {
        {0, "1,100,100,M7", 7, "1,100,100,M7"},
        {1, "1,M3", 8, "1,M3"},
        {0, " 0", -1, "0"},
        {1, " 0", -1, "0"},
        {0, "1,3", -1, "0"},
        {1, "1,M9", -1, "0"},
    };
    for (const auto& c : cases) {
        const Twin& t = kTwins[c.twin];
        SCOPED_TRACE(std::string(t.form) + " " + c.stored);
        ResetStores();
        int err = 0;
        IniPutString("FORMATS", t.defaultKey, c.stored, err);
        Show(t, [&](FormatsDialog& f) {
            const bool chosen = c.option >= 0;
            EXPECT_EQ(f.F_DefaultChk->isChecked(), chosen);
            EXPECT_EQ(f.F_DefaultChk->objectName().toStdString(), t.checkBox);
            EXPECT_EQ(f.F_OptFrame->objectName().toStdString(), t.frame);
            EXPECT_EQ(f.F_OptFrame->isVisible(), chosen) << "the option column comes with the choice";
            if (chosen) {
                EXPECT_TRUE(f.F_PageDefaultOpt[std::size_t(c.option)]->isChecked());
                EXPECT_EQ(f.ChosenOption(), c.option);
            }
            f.F_Accept->click();
        });
        EXPECT_EQ(Ini(t.defaultKey), c.written);
    }
}

TEST_F(Formats, CheckingDefaultWithoutAnOptionChoosesTheFirstInchFormat) {
    for (const Twin& t : kTwins) {
        SCOPED_TRACE(t.form);
        ResetStores();
        int err = 0;
        IniPutString("FORMATS", t.defaultKey, " 0", err);
        Show(t, [&](FormatsDialog& f) {
            const int narrow = f.width();
            f.F_DefaultChk->click();
            EXPECT_TRUE(f.F_OptFrame->isVisible());
            EXPECT_GT(f.width(), narrow) << "wider with the option column";
            f.F_Accept->click();
        });
        EXPECT_EQ(Ini(t.defaultKey), t.table == &gBoardFormats ? "1,3,3,I0" : "1,I1");
    }
}

TEST_F(Formats, CancelRestoresTheStoredTableAndLeavesTheChoice) {
    for (const Twin& t : kTwins) {
        SCOPED_TRACE(t.form);
        ResetStores();
        const std::string before = test::OptionTables();
        const std::string defaultBefore = Ini(t.defaultKey);
        Show(t, [&](FormatsDialog& f) {
            EnterInto(f.F_Name[1], "Renamed");
            EnterInto(f.F_Y[12], "33");
            f.F_DefaultChk->click();
            f.F_Cancel->click();
        });
        EXPECT_EQ(gDlgAccepted, 0);
        EXPECT_TRUE(test::OptionTables() == before);
        EXPECT_EQ(Ini(t.defaultKey), defaultBefore);
    }
}

}  // namespace
}  // namespace tolvi
