// The frame every setup dialog shares, checked on each dialog: how it ends (Accept stores, every
// other way reloads and leaves the verdict 0), Ctrl+F1 from any control, and Enter staying with
// the control it was typed in.
#include "setup/setup_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "common/colour_settings.h"
#include "common/context_help.h"
#include "common/dialog_state.h"
#include "common/formats.h"
#include "common/general_settings.h"
#include "common/grid_settings.h"
#include "common/layer_settings.h"
#include "common/library_lists.h"
#include "common/option_store.h"
#include "common/packaging.h"
#include "common/settings_access.h"
#include "common/size_settings.h"
#include "platform/paths.h"
#include "platform/qt/file_lists.h"
#include "platform/qt/tolvi_grid.h"
#include "setup/colour_setup.h"
#include "setup/optnapps.h"
#include "setup/optnback.h"
#include "setup/optnbord.h"
#include "setup/optngrid.h"
#include "setup/optnlibs.h"
#include "setup/optnlnam.h"
#include "setup/optnlsiz.h"
#include "setup/optnpack.h"
#include "setup/optnplib.h"
#include "setup/optntext.h"
#include "setup/postapt.h"
#include "setup/quvdirs.h"
#include "setup/setup_forms.h"
#include "support/grid_input.h"
#include "support/recording_help.h"
#include "support/scripted_ui.h"
#include "support/setup_fixture.h"

namespace tolvi {
namespace {

using test::recordingHelp;
using test::scriptedUi;

class SetupFrame : public test::SetupFixture {};
using test::EnterInto;

// An edit through each dialog's own handlers, as a user makes it.
const std::map<std::string, std::function<void(QWidget*)>>& Edits() {
    static const std::map<std::string, std::function<void(QWidget*)>> edits = {
        {"OPTNTEXT",
         [](QWidget* w) {
             auto* f = static_cast<OPTNTEXT*>(w);
             test::AnswerInput("2.5");
             test::DoubleClickCell(*f->F_Sizes[1], 3, 1);
         }},
        {"OPTNLSIZ",
         [](QWidget* w) {
             auto* f = static_cast<OPTNLSIZ*>(w);
             f->F_Agap[3]->setFocus();
             QTest::keyClicks(f->F_Agap[3], "5");
             QTest::keyClick(f->F_Agap[3], Qt::Key_Return);
             test::AnswerInput("1.5");
             test::DoubleClickCell(*f->F_Sizes[2], 5, 2);
         }},
        {"OPTNGRID",
         [](QWidget* w) {
             auto* f = static_cast<OPTNGRID*>(w);
             f->mstGridSnap->setCurrentIndex(1);
             platform::TolviGrid& snap = *f->grids[4];
             test::ClickCell(snap, 5, 3);
             QLineEdit* editor = test::OpenCellEditor(snap, 2, 4);
             ASSERT_NE(editor, nullptr);
             editor->setText("0.75");
             QTest::keyClick(editor, Qt::Key_Return);
         }},
        {"OPTNLNAM",
         [](QWidget* w) {
             auto* f = static_cast<OPTNLNAM*>(w);
             test::DoubleClickCell(*f->F_Layer, 4, 2);
             test::AnswerInput("RENAMED");
             test::DoubleClickCell(*f->F_Layer, 5, 1);
         }},
        {"OPTNCLLC",
         [](QWidget* w) {
             auto* f = static_cast<ColourSetupDialog*>(w);
             f->F_LayerC_Click(7);  // the background
             f->F_Color_Click(12);
         }},
        {"OPTNCLSC",
         [](QWidget* w) {
             auto* f = static_cast<ColourSetupDialog*>(w);
             f->F_LayerC_Click(18);  // the background
             f->F_Color_Click(3);
         }},
        {"OPTNLCLR",
         [](QWidget* w) {
             auto* f = static_cast<ColourSetupDialog*>(w);
             f->F_LayerC_Click(5);
             f->F_Color_Click(3);
         }},
        {"QUVDIRS",
         [](QWidget* w) {
             auto* f = static_cast<QUVDIRS*>(w);
             const std::string sub = platform::JoinPath(gSysDir, "assigned");
             std::filesystem::create_directory(sub);
             f->CurPath->setText(QString::fromStdString(sub));
             f->SelDsk[0]->click();
         }},
        {"OPTNBACK",
         [](QWidget* w) {
             auto* f = static_cast<OPTNBACK*>(w);
             EnterInto(f->F_Int, "12");
         }},
        {"OPTNBORD",
         [](QWidget* w) {
             auto* f = static_cast<FormatsDialog*>(w);
             EnterInto(f->F_Name[3], "Euro");
         }},
        {"OPTNFRMS",
         [](QWidget* w) {
             auto* f = static_cast<FormatsDialog*>(w);
             EnterInto(f->F_X[8], "123");
         }},
        {"OPTNPACK",
         [](QWidget* w) {
             auto* f = static_cast<OPTNPACK*>(w);
             f->F_IniDescrCont[1]->click();
             f->F_Tsizes[0]->setCurrentIndex(4);
         }},
        {"OPTNAPPS", [](QWidget* w) { static_cast<OPTNAPPS*>(w)->F_Apps[2]->click(); }},
        {"OPTNLIBS",
         [](QWidget* w) {
             auto* f = static_cast<OPTNLIBS*>(w);
             f->F_Lib[0]->setText("NEW.PART");
             f->F_Add[0]->click();
         }},
        {"OPTNPLIB",
         [](QWidget* w) {
             auto* f = static_cast<OPTNPLIB*>(w);
             std::ofstream(platform::JoinPath(gSysDir, "OTHER.PADSTACK")) << "x";
             f->F_Dir->setPath(gSysDir);
             f->F_Files->setListIndex(0);
         }},
        {"POSTAPT",
         [](QWidget* w) {
             auto* f = static_cast<POSTAPT*>(w);
             std::ofstream(platform::JoinPath(gSysDir, "OTHER.APT"))
                 << "100,0,0,0\r\n\"#\",\"#\",\"#\",\"#\"\r\n";
             f->AptLst->refresh();
             f->AptLst->setListIndex(0);
         }},
    };
    return edits;
}

// The dialogs whose sets live in the settings file whatever the scope.
bool SettingsFileOnly(const std::string& form) {
    for (const char* name : {"QUVDIRS", "OPTNBACK", "OPTNBORD", "OPTNFRMS", "OPTNPACK", "OPTNAPPS",
                             "OPTNLIBS", "OPTNPLIB", "POSTAPT"})
        if (form == name) return true;
    return false;
}

enum class Ending { Accept, Cancel, Esc, CloseBox };

TEST_F(SetupFrame, AcceptStoresWhatWasEditedEveryOtherEndingRestoresWhatIsStored) {
    for (const SetupFormInfo& info : SetupForms()) {
        const auto edit = Edits().find(info.name);
        ASSERT_NE(edit, Edits().end()) << info.name << " has no edit in this test";
        for (int32_t scope : {0, -1}) {
            for (Ending ending : {Ending::Cancel, Ending::Esc, Ending::CloseBox, Ending::Accept}) {
                SCOPED_TRACE(std::string(info.name) + " scope " + std::to_string(scope) + " ending " +
                             std::to_string(int(ending)));
                ResetStores();
                // The padstack library is stored, so that it does not follow a new library
                // directory on the next load.
                SavePadstackLibrary();
                if (scope != 0) UseCurrentScope();
                LoadAllOptionSets();
                // The packaging dialog lists the database's text sizes in either scope and leaves
                // them in the table; the database holds the store's here, so that is no change.
                StoreTextSizeTable();
                const std::string before = test::OptionTables();
                const std::string iniBefore = dir.Read("TOLVI32.INI");
                std::string edited;
                gDlgAccepted = -1;  // a verdict left by an earlier dialog
                scriptedUi().QueueModal(info.name, [&](QWidget* form) {
                    edit->second(form);
                    edited = test::OptionTables();
                    auto* dialog = static_cast<SetupDialog*>(form);
                    switch (ending) {
                        case Ending::Accept:
                            dialog->F_Accept->click();
                            break;
                        case Ending::Cancel:
                            dialog->F_Cancel->click();
                            break;
                        case Ending::Esc:
                            QTest::keyClick(form, Qt::Key_Escape);
                            break;
                        case Ending::CloseBox:
                            form->close();
                            break;
                    }
                });
                QWidget* form = info.make(nullptr);
                ShowOptionForm(form, -1);
                scriptedUi().Verify();
                EXPECT_TRUE(edited != before) << "the edit changed nothing";
                const bool accepted = ending == Ending::Accept;
                // The backup dialog gives no verdict: no module is told of its change.
                const bool verdict = accepted && std::string(info.name) != "OPTNBACK";
                EXPECT_EQ(gDlgAccepted, verdict ? -1 : 0);
                EXPECT_TRUE(test::OptionTables() == (accepted ? edited : before))
                    << "tables after the dialog";
                LoadAllOptionSets();
                LoadBackupSettings();
                LoadStartupApps();
                EXPECT_TRUE(test::OptionTables() == (accepted ? edited : before))
                    << "tables as the store holds them";
                const bool iniWritten = dir.Read("TOLVI32.INI") != iniBefore;
                EXPECT_EQ(iniWritten, accepted && (scope == 0 || SettingsFileOnly(info.name)))
                    << "the scope names the store";
                SetOptionScope(OptionScope::Default);
            }
        }
    }
}

// A stored value with fewer fields than its table leaves the later elements as memory holds
// them when it is read. Cancel must still undo a change the dialog made to such an element.
TEST_F(SetupFrame, CancelUndoesAChangeToAnElementAShortValueDoesNotName) {
    struct Case {
        const char* form;
        const char *section, *key, *value;
        std::function<void(QWidget*)> edit;  // of an element the value does not name
    };
    const Case cases[] = {
        {"OPTNPACK", "PACKAGING", "PREFCOMPNAME", "1,0",
         [](QWidget* w) { static_cast<OPTNPACK*>(w)->F_IniCnameTloc[1]->click(); }},
        {"OPTNAPPS", "Tolvi32", "Apps", "1,1",
         [](QWidget* w) { static_cast<OPTNAPPS*>(w)->F_Apps[3]->click(); }},
        {"OPTNCLLC", "CATEGORIES", "63", "Background,40",
         [](QWidget* w) {
             auto* f = static_cast<ColourSetupDialog*>(w);
             f->F_LayerC_Click(7);  // the background, whose colour 40 is no palette index
             f->F_Color_Click(12);
         }},
        {"OPTNCLSC", "CATEGORIES", "31", "Background,40",
         [](QWidget* w) {
             auto* f = static_cast<ColourSetupDialog*>(w);
             f->F_LayerC_Click(18);
             f->F_Color_Click(3);
         }},
        {"OPTNGRID", "Tolvi32", "SchGridTable", "2, 508000", [](QWidget*) { gSchGrid[3] += 2540; }},
        {"OPTNLSIZ", "SIZES", "LI3", "33020", [](QWidget*) { gCondSizes[4][2] += 2540; }},
        {"OPTNTEXT", "TEXTS", "T5", "762000", [](QWidget*) { gTextSizes[5].LineWidth += 2540; }},
        {"OPTNLNAM", "LAYERS", "6", "TOP", [](QWidget*) { gLayers[6].Enabled = gLayers[6].Enabled ? 0 : 1; }},
        {"OPTNLCLR", "LAYERS", "6", "TOP", [](QWidget*) { gLayers[6].Colour += 1; }},
        {"OPTNBORD", "FORMATS", "BI2", "B", [](QWidget*) { gBoardFormats[0][2].W += 1; }},
        {"OPTNFRMS", "FORMATS", "I2", "B", [](QWidget*) { gPageFormats[0][2].H += 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form);
        ResetStores();
        int err = 0;
        IniPutString(c.section, c.key, c.value, err);
        LoadAllOptionSets();
        LoadStartupApps();
        StoreTextSizeTable();  // as above: the packaging dialog reads the database's text sizes
        const std::string before = test::OptionTables();
        const std::string iniBefore = dir.Read("TOLVI32.INI");
        std::string edited;
        scriptedUi().QueueModal(c.form, [&](QWidget* form) {
            c.edit(form);
            edited = test::OptionTables();
            static_cast<SetupDialog*>(form)->F_Cancel->click();
        });
        QWidget* form = CreateSetupForm(c.form);
        ASSERT_NE(form, nullptr);
        ShowOptionForm(form, -1);
        scriptedUi().Verify();
        EXPECT_TRUE(edited != before) << "the edit changed nothing";
        EXPECT_TRUE(test::OptionTables() == before) << "Cancel kept a change";
        EXPECT_EQ(dir.Read("TOLVI32.INI"), iniBefore);
    }
}

TEST_F(SetupFrame, CtrlF1FromABoxATableAndAnOpenCellEditor) {
    ShowContextHelp(2, 5, 3, 0);
    auto grid = Shown<OPTNGRID>();
    auto sizes = Shown<OPTNLSIZ>();
    platform::TolviGrid& table = *grid->grids[0];
    table.SetRow(2);
    table.SetCol(2);
    table.SetEditActive(true);
    ASSERT_TRUE(table.EditActive());
    QWidget* editor = table.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    struct Case {
        QWidget* target;
        Qt::KeyboardModifiers mods;
        long calls;
    };
    const Case cases[] = {
        {sizes->F_Agap[0], Qt::ControlModifier, 1},
        {sizes->F_Sizes[0], Qt::ControlModifier, 1},
        {editor, Qt::ControlModifier, 1},
        {editor, Qt::NoModifier, 0},
        {editor, Qt::ControlModifier | Qt::ShiftModifier, 0},
        {sizes->F_Agap[0], Qt::NoModifier, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target->objectName().toStdString() + " " + std::to_string(int(c.mods)));
        recordingHelp().Reset();
        QTest::keyClick(c.target, Qt::Key_F1, c.mods);
        const auto& calls = recordingHelp().calls;
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "topic:  | 13860"), c.calls);
    }
}

TEST_F(SetupFrame, EnterStaysWithTheBoxAndNoButtonIsADefault) {
    auto f = Shown<OPTNLSIZ>();
    for (QPushButton* b : f->findChildren<QPushButton*>()) {
        EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
        EXPECT_FALSE(b->isDefault()) << b->objectName().toStdString();
    }
    QLineEdit* box = f->F_Agap[4];
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, "abc");  // refused: a wire width of 0
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(f->isVisible()) << "neither Enter nor a refused value closes the dialog";
    EXPECT_EQ(scriptedUi().beeps, 1);
    EXPECT_EQ(box->text(), "0.004") << "the stored wire width shown again";
}

TEST_F(SetupFrame, EveryFormIsMadeByItsName) {
    for (const SetupFormInfo& info : SetupForms()) {
        std::unique_ptr<QWidget> form(CreateSetupForm(info.name));
        ASSERT_NE(form, nullptr) << info.name;
        EXPECT_EQ(form->objectName().toStdString(), info.name);
    }
    EXPECT_EQ(CreateSetupForm("NOSUCHFORM"), nullptr);
}

}  // namespace
}  // namespace tolvi
