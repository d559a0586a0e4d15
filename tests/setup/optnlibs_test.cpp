#include "setup/optnlibs.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <string>
#include <vector>

#include "common/dialog_state.h"
#include "common/general_settings.h"
#include "common/library_lists.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "kernel/kernel.h"
#include "platform/qt/codec.h"
#include "platform/qt/file_lists.h"
#include "platform/qt/preview_canvas.h"
#include "platform/qt/tolvi_grid.h"
#include "setup/optndev.h"
#include "support/library_builder.h"
#include "support/recording_host.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::recordingHost;
using test::scriptedUi;

// --- the list rules ---

std::vector<std::string> ListOf(const std::string& entries) {
    std::vector<std::string> list{""};
    for (std::size_t start = 0; start < entries.size();) {
        const std::size_t comma = std::min(entries.find(',', start), entries.size());
        list.push_back(entries.substr(start, comma - start));
        start = comma + 1;
    }
    return list;
}

std::string Joined(const std::vector<std::string>& list) {
    std::string s;
    for (std::size_t k = 1; k < list.size(); ++k) s += (k > 1 ? "," : "") + list[k];
    return s;
}

TEST(LibraryListRules, AddInsertDelete) {
    using R = LibListEditor::Result;
    enum Op { Add, Insert, Delete };
    const struct {
        const char* what;
        const char* before;
        int sel, top, visible;
        Op op;
        const char* text;
        R result;
        const char* after;
        int selAfter, topAfter;
    } cases[] = {
        {"duplicates are case-sensitive", "LIB.PART", 1, 1, 8, Add, "Lib.part", R::Done, "LIB.PART,Lib.part",
         2, 1},
        {"nothing is trimmed", "LIB.PART", 1, 1, 8, Add, " LIB.PART", R::Done, "LIB.PART, LIB.PART", 2, 1},
        {"blanks", "A", 1, 1, 8, Add, "   ", R::Refused, "A", 1, 1},
        {"empty", "A", 1, 1, 8, Add, "", R::Refused, "A", 1, 1},
        {"duplicate", "A,B", 1, 1, 8, Add, "B", R::Refused, "A,B", 1, 1},
        {"first entry", "", 1, 1, 8, Add, "A", R::Done, "A", 1, 1},
        {"insert into nothing", "", 1, 1, 8, Insert, "A", R::Ignored, "", 1, 1},
        {"delete from nothing", "", 1, 1, 8, Delete, "", R::Ignored, "", 1, 1},
        {"insert at row 2 of 4", "A,B,C,D", 2, 1, 8, Insert, "X", R::Done, "A,X,B,C,D", 2, 1},
        {"insert a duplicate", "A,B", 1, 1, 8, Insert, "B", R::Refused, "A,B", 1, 1},
        {"insert blanks", "A,B", 1, 1, 8, Insert, " ", R::Refused, "A,B", 1, 1},
        {"delete the only entry", "A", 1, 1, 8, Delete, "", R::Done, "", 1, 1},
        {"delete the last of 3", "A,B,C", 3, 1, 8, Delete, "", R::Done, "A,B", 2, 1},
        {"delete the middle one", "A,B,C", 2, 1, 8, Delete, "", R::Done, "A,C", 2, 1},
        {"the 9th of 8 shown scrolls", "1,2,3,4,5,6,7,8", 1, 1, 8, Add, "9", R::Done, "1,2,3,4,5,6,7,8,9", 9,
         2},
        {"insert scrolled out", "1,2,3,4,5,6,7,8,9", 1, 2, 8, Insert, "X", R::Refused, "1,2,3,4,5,6,7,8,9", 1,
         2},
        {"delete scrolled out", "1,2,3,4,5,6,7,8,9", 1, 2, 8, Delete, "", R::Refused, "1,2,3,4,5,6,7,8,9", 1,
         2},
        {"below the view", "1,2,3,4,5,6,7,8,9", 9, 1, 8, Delete, "", R::Refused, "1,2,3,4,5,6,7,8,9", 9, 1},
        {"delete near the end scrolls back", "1,2,3,4,5,6,7,8,9", 9, 2, 8, Delete, "", R::Done,
         "1,2,3,4,5,6,7,8", 8, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> list = ListOf(c.before);
        LibListEditor e{list};
        e.selectedRow = c.sel, e.topRow = c.top, e.visibleRows = c.visible, e.currentRow = c.sel;
        const R r = c.op == Add ? e.Add(c.text) : c.op == Insert ? e.Insert(c.text) : e.Delete();
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(Joined(list), c.after);
        EXPECT_EQ(e.selectedRow, c.selAfter);
        EXPECT_EQ(e.topRow, c.topAfter);
        if (r == R::Done) {
            EXPECT_EQ(e.currentRow, c.selAfter);
        }
        EXPECT_EQ(e.GridRows(), std::max<int>(2, int(list.size())));
    }
}

// --- the dialog ---

class LibrarySearch : public test::SetupFixture {
protected:
    void SetUp() override {
        SetupFixture::SetUp();
        ASSERT_TRUE(test::WriteSampleLibraries(dir.path()));
        dir.Write("BAD.SYMBOL", "not a library");
        gLibDir = dir.path();
        int err = 0;
        IniPutString("DEVLIBS", "1", "LOGIC.PART", err);
        IniPutString("SCHLIBS", "1", "LOGIC.SYMBOL", err);
        IniPutString("SCHLIBS", "2", "EXTRA.SYMBOL", err);
        LoadLibraryLists();
    }

    static std::string Text(const QLineEdit* e) { return platform::FromQString(e->text()); }
    static std::string Text(const QLabel* l) { return platform::FromQString(l->text()); }
    static std::string Title(const QGroupBox* g) { return platform::FromQString(g->title()); }
    static std::vector<std::string> Entries(const QComboBox* c) {
        std::vector<std::string> v;
        v.reserve(static_cast<std::size_t>(c->count()));
        for (int i = 0; i < c->count(); ++i) v.push_back(platform::FromQString(c->itemText(i)));
        return v;
    }
    static std::vector<std::string> Cells(const platform::TolviGrid& g) {
        std::vector<std::string> v;
        for (int r = 1; r < g.Rows(); ++r) v.push_back(g.TextMatrix(r, 0) + "|" + g.TextMatrix(r, 1));
        return v;
    }
    static void ClickFile(OPTNLIBS& f, int list, const std::string& name) {
        test::ClickFile(*f.F_Files[std::size_t(list)], name);
    }
    static void Choose(OPTNLIBS& f, int list, int entry) {
        QComboBox* c = f.F_BrowseList[std::size_t(list)];
        c->setCurrentIndex(entry);
        emit c->activated(entry);
    }
    // Pixels of the preview not in its background: the symbol was drawn.
    static int Drawn(platform::PreviewCanvas& box) {
        const QImage& img = box.image();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) != box.background();
        return n;
    }
};

TEST_F(LibrarySearch, TheGridsShowAndEditTheListsAndAcceptStoresThem) {
    auto f = Shown<OPTNLIBS>();
    EXPECT_EQ(platform::FromQString(f->windowTitle()),
              "Tolvi32 - Library Search Sequence (" + dir.path() + ")");
    EXPECT_EQ(Cells(*f->F_Libs[0]), (std::vector<std::string>{" 1|LOGIC.PART"}));
    EXPECT_EQ(Cells(*f->F_Libs[1]), (std::vector<std::string>{" 1|LOGIC.SYMBOL", " 2|EXTRA.SYMBOL"}));
    EXPECT_EQ(Cells(*f->F_Libs[2]), (std::vector<std::string>{"|"}));
    EXPECT_EQ(f->F_Libs[1]->TextMatrix(0, 0), "Sq.");
    EXPECT_EQ(f->F_Files[1]->count(), 3) << "every *.SYMBOL file";
    EXPECT_EQ(f->F_Files[2]->count(), 2);
    EXPECT_EQ(f->VisibleRows(1), 8);

    // Insert before the selected second row; double-click a package file; delete the only part.
    f->F_Libs[1]->SetRow(2);
    emit f->F_Libs[1]->Click();
    f->F_Lib[1]->setText("NEW.SYMBOL");
    f->F_Insert[1]->click();
    EXPECT_EQ(Cells(*f->F_Libs[1]),
              (std::vector<std::string>{" 1|LOGIC.SYMBOL", " 2|NEW.SYMBOL", " 3|EXTRA.SYMBOL"}));
    EXPECT_EQ(f->SelectedRow(1), 2);
    ClickFile(*f, 2, "SMD.PACKAGE");
    emit f->F_Files[2]->itemDoubleClicked(f->F_Files[2]->currentItem());
    emit f->F_Files[2]->itemDoubleClicked(f->F_Files[2]->currentItem());  // a duplicate beeps
    EXPECT_EQ(Cells(*f->F_Libs[2]), (std::vector<std::string>{" 1|SMD.PACKAGE"}));
    f->F_Delete[0]->click();
    EXPECT_EQ(Cells(*f->F_Libs[0]), (std::vector<std::string>{"|"}));
    EXPECT_EQ(scriptedUi().beeps, 1);

    // Nine symbol libraries in a grid of eight rows: the ninth scrolls the view by one.
    for (int k = 4; k <= 9; ++k) {
        f->F_Lib[1]->setText(QStringLiteral("L%1.SYMBOL").arg(k));
        f->F_Add[1]->click();
    }
    EXPECT_EQ(f->F_Libs[1]->TopRow(), 2);
    EXPECT_EQ(f->SelectedRow(1), 9);

    f->F_Accept->click();
    EXPECT_EQ(gDlgAccepted, -1);
    LoadLibraryLists();
    EXPECT_EQ(gDevLibs.size(), 1u);
    EXPECT_EQ(Joined(gSchLibs),
              "LOGIC.SYMBOL,NEW.SYMBOL,EXTRA.SYMBOL,L4.SYMBOL,L5.SYMBOL,L6.SYMBOL,L7.SYMBOL,"
              "L8.SYMBOL,L9.SYMBOL");
    EXPECT_EQ(Joined(gLayLibs), "SMD.PACKAGE");
}

TEST_F(LibrarySearch, CancelTakesTheStoredListsBackAndClearsThePreviews) {
    auto f = Shown<OPTNLIBS>();
    f->F_Lib[2]->setText("X.PACKAGE");
    f->F_Add[2]->click();
    ClickFile(*f, 1, "LOGIC.SYMBOL");
    ASSERT_NE(S_Symbol(-1), 0);
    f->F_Cancel->click();
    EXPECT_EQ(gDlgAccepted, 0);
    EXPECT_EQ(gLayLibs.size(), 1u);
    EXPECT_EQ(S_Symbol(-1), 0);
}

TEST_F(LibrarySearch, BrowsingALibraryListsItsEntriesAndPreviewsTheFirst) {
    auto f = Shown<OPTNLIBS>();
    ClickFile(*f, 1, "LOGIC.SYMBOL");
    EXPECT_EQ(Text(f->F_Lib[1]), "LOGIC.SYMBOL");
    EXPECT_EQ(Entries(f->F_BrowseList[1]), (std::vector<std::string>{"NAND2", "INV", "DFF"}));
    EXPECT_EQ(f->F_BrowseList[1]->currentIndex(), 0);
    EXPECT_EQ(Text(f->F_Count[1]), " 3 item(s)");
    EXPECT_EQ(Title(f->F_BrowseFrame[1]), "Browse Symbols: LOGIC.SYMBOL");
    EXPECT_EQ(f->PreviewId(0), -1);
    EXPECT_EQ(Title(f->F_SmbFrame[0]), "Symbol: NAND2");
    EXPECT_GT(Drawn(*f->ViewPicture[0]), 100);
    EXPECT_GT(f->PreviewScale(0), 1);

    Choose(*f, 1, 2);
    EXPECT_EQ(Title(f->F_SmbFrame[0]), "Symbol: DFF");
    SymbolRec rec;
    ASSERT_GT(S_ReadSymbol(-1, rec), 0);
    EXPECT_STREQ(rec.Name, "DFF");

    // A damaged library lists nothing, and the preview forgets its symbol.
    ClickFile(*f, 1, "BAD.SYMBOL");
    EXPECT_EQ(f->F_BrowseList[1]->count(), 0);
    EXPECT_EQ(Text(f->F_Count[1]), " 0 item(s)");
    EXPECT_EQ(Title(f->F_BrowseFrame[1]), "Browse Symbols: BAD.SYMBOL");
    EXPECT_EQ(f->PreviewId(0), 0);
    EXPECT_EQ(Title(f->F_SmbFrame[0]), "Symbol: ");
    EXPECT_EQ(Drawn(*f->ViewPicture[0]), 0);

    ClickFile(*f, 2, "DIP.PACKAGE");
    EXPECT_EQ(f->PreviewId(1), -2);
    EXPECT_EQ(Title(f->F_SmbFrame[1]), "Package: DIP8");
    EXPECT_GT(Drawn(*f->ViewPicture[1]), 100);
}

TEST_F(LibrarySearch, FindSelectsTheLibraryThatHoldsTheName) {
    auto f = Shown<OPTNLIBS>();
    std::string label;
    test::AnswerInput("DFF", &label);  // held by LOGIC.SYMBOL only, the last symbol file
    f->F_Find[1]->click();
    EXPECT_EQ(label, "Find Symbol\r\nType in name:");
    EXPECT_EQ(f->F_Files[1]->fileName(), "LOGIC.SYMBOL");
    EXPECT_EQ(Entries(f->F_BrowseList[1]), (std::vector<std::string>{"DFF", "NAND2", "INV"}));
    EXPECT_EQ(f->F_BrowseList[1]->currentIndex(), 0);
    EXPECT_EQ(f->PreviewId(0), -1);
    EXPECT_EQ(Title(f->F_SmbFrame[0]), "Symbol: DFF");

    // Found again in the library already selected: browsed again with the name first.
    test::AnswerInput("INV");
    f->F_Find[1]->click();
    EXPECT_EQ(Entries(f->F_BrowseList[1]), (std::vector<std::string>{"INV", "NAND2", "DFF"}));
    EXPECT_EQ(Title(f->F_SmbFrame[0]), "Symbol: INV");

    const struct {
        int list;
        const char* answer;
        const char* box;
    } missing[] = {{1, "dff", "Can't Find Symbol:dff"}, {0, "NOPE", "Can't Find Part:NOPE"}};
    for (const auto& m : missing) {
        scriptedUi().Reset();
        test::AnswerInput(m.answer);
        scriptedUi().QueueAnswer(platform::kAnswerOk);
        f->F_Find[std::size_t(m.list)]->click();
        ASSERT_EQ(scriptedUi().boxes.size(), 1u);
        EXPECT_EQ(scriptedUi().boxes[0].text, m.box);
        EXPECT_EQ(scriptedUi().boxes[0].style, 4144);
        EXPECT_EQ(scriptedUi().boxes[0].title, "");
    }
    scriptedUi().Reset();
    test::AnswerInput(std::nullopt);
    f->F_Find[2]->click();
    EXPECT_TRUE(scriptedUi().boxes.empty());
    EXPECT_EQ(f->F_Files[2]->listIndex(), -1);
}

// The frame's caption shows the browsed file's name in capitals; the name typed and the path
// opened keep the case the disk has.
TEST_F(LibrarySearch, TheBrowseCaptionShowsTheNameInCapitals) {
    ASSERT_TRUE(std::filesystem::copy_file(dir.File("LOGIC.PART"), dir.File("Mixed.Part")));
    auto f = Shown<OPTNLIBS>();
    ClickFile(*f, 0, "Mixed.Part");
    EXPECT_EQ(Title(f->F_BrowseFrame[0]), "Browse Parts: MIXED.PART");
    EXPECT_EQ(Text(f->F_Lib[0]), "Mixed.Part");
    EXPECT_EQ(gPartLibPath, dir.File("Mixed.Part"));
    EXPECT_EQ(f->F_BrowseList[0]->count(), 4);
}

// Browsing a part library selects its first part without opening the part; choosing a part
// opens it, and after an Accept its package and the chosen group's symbol are found and
// previewed. The nested dialog leaves the backup timer off while the library dialog is open.
TEST_F(LibrarySearch, ChoosingAPartShowsItThenPreviewsItsPackageAndSymbol) {
    gBackupOn = 1;
    bool timerWhileOpen = true;
    scriptedUi().QueueModal("OPTNLIBS", [&](QWidget* form) {
        auto& f = *static_cast<OPTNLIBS*>(form);
        ClickFile(f, 0, "LOGIC.PART");
        EXPECT_EQ(scriptedUi().modalForms.size(), 1u) << "browsing opens no part";
        EXPECT_EQ(Entries(f.F_BrowseList[0]), (std::vector<std::string>{"7400", "7404", "7474", "LM358"}));
        EXPECT_EQ(gPartLibPath, dir.File("LOGIC.PART"));

        scriptedUi().QueueModal("OPTNDEV", [](QWidget* d) {
            auto& dev = *static_cast<OPTNDEV*>(d);
            EXPECT_EQ(dev.F_Device->Rows(), 3);
            dev.F_Accept->click();
        });
        Choose(f, 0, 2);  // 7474: two DFF groups in a DIP14
        timerWhileOpen = recordingHost().backupTimer;
        EXPECT_EQ(f.F_Files[2]->fileName(), "DIP.PACKAGE");
        EXPECT_EQ(Entries(f.F_BrowseList[2]).front(), "DIP14");
        EXPECT_EQ(Title(f.F_SmbFrame[1]), "Package: DIP14");
        EXPECT_EQ(f.F_Files[1]->fileName(), "LOGIC.SYMBOL");
        EXPECT_EQ(Title(f.F_SmbFrame[0]), "Symbol: DFF");
        EXPECT_NE(D_Device(-1), 0);

        // A cancelled part changes nothing; with no library named, a choice opens nothing.
        scriptedUi().QueueModal("OPTNDEV", [](QWidget* d) { static_cast<OPTNDEV*>(d)->F_Cancel->click(); });
        Choose(f, 0, 3);
        EXPECT_EQ(Title(f.F_SmbFrame[0]), "Symbol: DFF");
        f.F_Lib[0]->clear();
        Choose(f, 0, 1);
        f.F_Accept->click();
    });
    QWidget* form = new OPTNLIBS;
    ShowOptionForm(form, 0);
    EXPECT_EQ(scriptedUi().modalForms, (std::vector<std::string>{"OPTNLIBS", "OPTNDEV", "OPTNDEV"}));
    EXPECT_FALSE(timerWhileOpen);
    EXPECT_TRUE(recordingHost().backupTimer);
    EXPECT_EQ(S_Symbol(-1), 0);
    EXPECT_EQ(S_Symbol(-2), 0);
    EXPECT_EQ(D_Device(-1), 0);
}

}  // namespace
}  // namespace tolvi
