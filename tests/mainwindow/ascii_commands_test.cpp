// The ASCII load, save and export commands: the questions and the clear before a load, the password,
// the file dialogs they show, the mode they hand to the save-and-export window, the order of help
// and busy test, one ASCII save from the menu command to the file on the disk, and a design saved
// and loaded again through the File menu.
#include "mainwindow/ascii_commands.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "common/db_session.h"
#include "common/option_store.h"
#include "interchange/ascii_loader.h"
#include "interchange/exporter.h"
#include "interchange/quvlasc.h"
#include "interchange/quvsasc.h"
#include "mainwindow/db_fixture.h"
#include "mainwindow/optninpt.h"
#include "mainwindow/quvmain.h"
#include "platform/help.h"
#include "platform/paths.h"
#include "platform/qt/codec.h"
#include "support/design_builder.h"
#include "support/recording_host.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::QueuePassword;
using test::scriptedUi;

// The lines of a file written with CR LF.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// Loads in the ASCII load window and closes it; status = its status line afterwards.
void QueueLoadWindow(std::string* status) {
    scriptedUi().QueueModal("QUVLASC", [status](QWidget* f) {
        auto* form = static_cast<QUVLASC*>(f);
        form->F_Continue->click();
        *status = platform::FromQString(form->F_MsgLine->text());
        form->F_Return->click();
    });
}

// Closes the window without exporting; records the mode it was shown in.
void QueueCloseWindow(int32_t* shownMode = nullptr) {
    scriptedUi().QueueModal("QUVSASC", [shownMode](QWidget* f) {
        if (shownMode) *shownMode = gExportMode;
        static_cast<QUVSASC*>(f)->F_Return->click();
    });
}

class AsciiCommandsTest : public test::DbFixture {
protected:
    // How many times the running module heard "All,<cmd>".
    int TimesHeard(const std::string& cmd) const {
        const std::string line = "QUVSCHED notify - All," + cmd;
        return int(std::count(mods.journal.begin(), mods.journal.end(), line));
    }
    void Protect(const std::string& password) {
        gDbLabel.PassSet = -1;
        gDbLabel.Password = password;
        WriteDbLabel();
        gDbLabel = DbLabelRec{};  // the command reads the label again
    }
};

TEST_F(AsciiCommandsTest, AsciiSaveAsksThePasswordFirst) {
    Protect("secret");
    QueuePassword("wrong");
    M_DbAsave_Click();
    EXPECT_EQ(scriptedUi().beeps, 1);
    EXPECT_TRUE(scriptedUi().fileDialogs.empty());
    EXPECT_EQ(scriptedUi().modalForms, std::vector<std::string>{"OPTNINPT"});

    scriptedUi().Reset();
    SetDatabaseChanged(-1);
    QueuePassword("secret");
    const std::string path = tmp.File("Untitled.TPA");
    scriptedUi().QueueFile(path);
    int32_t mode = 0;
    QueueCloseWindow(&mode);
    M_DbAsave_Click();
    EXPECT_EQ(scriptedUi().beeps, 0);
    ASSERT_EQ(scriptedUi().fileDialogs.size(), 1u);
    const platform::FileDialogRequest& r = scriptedUi().fileDialogs[0];
    EXPECT_EQ(r.title, "Tolvi32 - ASCII Database File Name:");
    EXPECT_EQ(r.filter, "ASCII Databases (*.TPA)|*.TPA");
    EXPECT_EQ(r.defaultExt, "TPA");
    EXPECT_EQ(r.fileName, "Untitled.TPA");
    EXPECT_EQ(r.initDir, gJobDir);
    EXPECT_EQ(r.flags, 0x2006);
    EXPECT_TRUE(r.save);
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(gExportFile, path);
    EXPECT_FALSE(Heard("UP"));
    EXPECT_TRUE(IsDatabaseChanged()) << "the save leaves the changed mark alone";
}

TEST_F(AsciiCommandsTest, ExportsProposeTheDatabaseNameInTheirFormat) {
    struct Case {
        void (*command)();
        const char* title;
        const char* filter;
        const char* defaultExt;
        const char* proposed;
        int32_t mode;
    };
    const Case cases[] = {
        {M_ExpWlist_Click, "Tolvi32 - Wirelist File Name:", "Wirelist Files (*.WRL)|*.WRL", "WRL",
         "Untitled.wrl", 2},
        {M_ExpSciNlist_Click, "Scicards Netlist File Name:", "Scicards Netlist Files (*.NET)|*.NET", "NET",
         "Untitled.net", 3},
        {M_ExpOrCadPCBII_Click, "OrCad PCB II Wirelist File Name:", "OrCad PCB II Files (*.NET)|*.NET", "NET",
         "Untitled.net", 4},
    };
    Protect("secret");  // the exports ask for no password
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        scriptedUi().Reset();
        scriptedUi().QueueFile(std::nullopt);  // cancelled: no window
        c.command();
        EXPECT_TRUE(scriptedUi().modalForms.empty());

        scriptedUi().QueueFile(tmp.File(c.proposed));
        int32_t mode = 0;
        QueueCloseWindow(&mode);
        c.command();
        ASSERT_EQ(scriptedUi().fileDialogs.size(), 2u);
        const platform::FileDialogRequest& r = scriptedUi().fileDialogs[1];
        EXPECT_EQ(r.title, c.title);
        EXPECT_EQ(r.filter, c.filter);
        EXPECT_EQ(r.defaultExt, c.defaultExt);
        EXPECT_EQ(r.fileName, c.proposed);
        EXPECT_EQ(r.flags, 0x2006);
        EXPECT_TRUE(r.save);
        EXPECT_EQ(mode, c.mode);
        EXPECT_EQ(scriptedUi().modalForms, std::vector<std::string>{"QUVSASC"});
    }
}

// Help topics shown, written into the scripted Ui's transcript so that their order with the
// boxes shows.
class TranscriptHelp : public platform::Help {
public:
    void ShowTopic(const std::string&, int32_t topic) override {
        scriptedUi().transcript.push_back("help: " + std::to_string(topic));
    }
    void Command(const std::string&, int, const std::string&) override {}
};

TEST_F(AsciiCommandsTest, ExportsShowTheirHelpBeforeTheBusyTestAsciiSaveAfterIt) {
    TranscriptHelp help;
    platform::SetHelp(&help);
    int32_t on = -1;
    E_MemCopy(E_SysTable(12) + 2044, &on, 4);  // automatic help
    gAppNames = {"", "QUVSCHED"};
    gAppCount = 1;
    E_SetString("QUVSCHED", "Capture, 0, 1, 0, 0");
    struct Case {
        void (*command)();
        bool helpFirst;
    };
    const Case cases[] = {{M_ExpWlist_Click, true},
                          {M_ExpSciNlist_Click, true},
                          {M_ExpOrCadPCBII_Click, true},
                          {M_DbAsave_Click, false}};
    for (const Case& c : cases) {
        scriptedUi().Reset();
        scriptedUi().QueueAnswer(1);
        c.command();
        const auto& t = scriptedUi().transcript;
        ASSERT_EQ(t.size(), 2u);
        EXPECT_EQ(t[c.helpFirst ? 0 : 1].rfind("help: ", 0), 0u);
        EXPECT_EQ(t[c.helpFirst ? 1 : 0], "box: Tolvi32 | Finish current operation for: Capture | 4144");
        EXPECT_TRUE(scriptedUi().fileDialogs.empty());
    }
    platform::SetHelp(nullptr);
}

TEST_F(AsciiCommandsTest, AsciiSaveOfASavedDatabaseWritesItsFile) {
    const std::string tpb = SavedDatabase("board.TPB", "BOARD", "", "A. Designer");
    scriptedUi().QueueFile(tpb);
    M_DbOpen_Click();
    ASSERT_EQ(OpenName(), "BOARD");

    const std::string tpa = tmp.File("BOARD.TPA");
    scriptedUi().QueueFile(tpa);
    scriptedUi().QueueModal("QUVSASC", [](QWidget* f) {
        auto* form = static_cast<QUVSASC*>(f);
        form->F_Continue->click();
        EXPECT_EQ(platform::FromQString(form->F_MsgLine->text()), "Database saved O.K");
        form->F_Return->click();
    });
    M_DbAsave_Click();
    ASSERT_EQ(scriptedUi().fileDialogs.size(), 2u);
    EXPECT_EQ(scriptedUi().fileDialogs[1].fileName, "BOARD.TPA");
    const std::string text = tmp.Read("BOARD.TPA");
    EXPECT_EQ(text.rfind("0001,BOARD,", 0), 0u) << text.substr(0, 40);
    EXPECT_NE(text.find("\r\n0002,A. Designer              \r\n"), std::string::npos);
    EXPECT_NE(text.find(",KEPT, 0, 0, 0, 0\r\n"), std::string::npos) << "the file's second hierarchy";
    EXPECT_EQ(text.substr(text.size() - 10), "9999,End\r\n");
    EXPECT_EQ(OpenName(), "BOARD");
}

TEST_F(AsciiCommandsTest, AsciiLoadAsksThenClearsBeforeAFileIsChosen) {
    gMsgTitle = "before";
    DB_CreateHierarchy(0, "KEEP");
    SetDatabaseChanged(0);
    // Unchanged, No: nothing changes.
    scriptedUi().QueueAnswer(platform::kAnswerNo);
    M_DbAload_Click();
    ASSERT_EQ(scriptedUi().boxes.size(), 1u);
    EXPECT_EQ(scriptedUi().boxes[0].text, "Current Database Untitled will be cleared.\r\nContinue ?");
    EXPECT_EQ(scriptedUi().boxes[0].title, "Tolvi32");
    EXPECT_TRUE(HasHierarchy("KEEP"));
    EXPECT_TRUE(scriptedUi().fileDialogs.empty());
    EXPECT_EQ(gMsgTitle, "before");

    // Changed, Yes, the save of an "Untitled" database cancelled: nothing cleared, no load dialog.
    SetDatabaseChanged(1);
    scriptedUi().QueueAnswer(platform::kAnswerYes);
    scriptedUi().QueueFile(std::nullopt);
    M_DbAload_Click();
    EXPECT_EQ(scriptedUi().boxes.back().text, "Database: <Untitled> has changed.\r\nSave ?");
    EXPECT_TRUE(HasHierarchy("KEEP"));
    ASSERT_EQ(scriptedUi().fileDialogs.size(), 1u);
    EXPECT_TRUE(scriptedUi().fileDialogs[0].save);
    EXPECT_EQ(gMsgTitle, "before");
    EXPECT_EQ(TimesHeard("UP"), 0);

    // Unchanged, Yes, the load dialog cancelled: cleared, told once, no window.
    SetDatabaseChanged(0);
    gDbPath = "/somewhere/old.TPB";
    scriptedUi().QueueAnswer(platform::kAnswerYes);
    scriptedUi().QueueFile(std::nullopt);
    M_DbAload_Click();
    EXPECT_FALSE(HasHierarchy("KEEP"));
    EXPECT_EQ(gDbPath, "");
    EXPECT_EQ(TimesHeard("UP"), 1);
    EXPECT_TRUE(scriptedUi().modalForms.empty());
    ASSERT_EQ(scriptedUi().fileDialogs.size(), 2u);
    const platform::FileDialogRequest& r = scriptedUi().fileDialogs[1];
    EXPECT_EQ(r.title, "Tolvi32 - Select ASCII Database to Load:");
    EXPECT_EQ(r.filter,
              "All ASCII Databases (*.TPA;*.TDA)|*.TPA;*.TDA|Tolvi32 ASCII Database(*.TPA)|*.TPA|Tolvi ASCII "
              "Database(*.TDA)|*.TDA");
    EXPECT_EQ(r.filterIndex, 1);
    EXPECT_EQ(r.defaultExt, "TPA");
    EXPECT_EQ(r.fileName, "");
    EXPECT_EQ(r.flags, 0x1804);
    EXPECT_EQ(r.initDir, gJobDir);
    EXPECT_FALSE(r.save);
    EXPECT_EQ(gMsgTitle, "before");
}

TEST_F(AsciiCommandsTest, ABrokenFileLeavesTheEmptyDatabaseAndTellsTheModulesAgain) {
    const std::string path = tmp.Write("broken.TPA", "0001,B,1.0, 1, 1,$NT00$\r\n1000, 7\r\n9999,End\r\n");
    scriptedUi().QueueAnswer(platform::kAnswerYes);  // clear
    scriptedUi().QueueFile(path);
    scriptedUi().QueueAnswer(platform::kAnswerOk);  // the reader's box
    std::string status;
    QueueLoadWindow(&status);
    M_DbAload_Click();
    EXPECT_EQ(status, "Database load failed - Disk/Data Error");
    EXPECT_EQ(scriptedUi().boxes.back().title, "ASCII Load Error: Invalid record");
    EXPECT_EQ(scriptedUi().boxes.back().text, "1000, 7");
    EXPECT_FALSE(gAsciiLoadOK);
    EXPECT_EQ(OpenName(), "Untitled");
    EXPECT_EQ(gDbPath, "");
    EXPECT_FALSE(IsDatabaseChanged());
    EXPECT_EQ(TimesHeard("UP"), 1) << "after the clear";
    const auto& calls = test::recordingHost().calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "notify: UP"), 1) << "after the failed load";
}

// A design saved as ASCII and loaded again, both from the File menu of the main window.
TEST_F(AsciiCommandsTest, AsciiSaveThenLoadFromTheFileMenuGivesBackEveryObject) {
    QUVMAIN w;
    SetHost(&w);
    LoadAllOptionSets();  // as at start-up: the category names the header lists
    ASSERT_TRUE(designs::BuildFullDesign());
    for (int32_t h : {3, 1}) {  // labels without end blanks: the reader trims them
        DB_SetCurHier(h);
        for (int32_t k = 1; k <= 32; ++k) {
            const int32_t layer = OA_Object(DB_LayerArray(), k);
            O_Rename(layer, Trim(CStrFromPtr(O_GetName(layer))).c_str());
        }
    }
    DB_SetCurPage(2);
    gDbTitle = "FULL";
    UpdateMainCaption(gDbHandle);
    const std::string tpa = tmp.File("FULL.TPA");
    scriptedUi().QueueFile(tpa);
    scriptedUi().QueueModal("QUVSASC", [](QWidget* f) {
        auto* form = static_cast<QUVSASC*>(f);
        form->F_Continue->click();
        form->F_Return->click();
    });
    w.Item("M_DbAsave")->trigger();
    const std::vector<std::string> saved = Lines(tmp.Read("FULL.TPA"));
    ASSERT_GT(saved.size(), 100u);

    scriptedUi().QueueAnswer(platform::kAnswerOk);  // "Applies to currently loaded database only"
    w.Item("M_Current")->trigger();
    ASSERT_TRUE(w.Item("M_Current")->isChecked());
    scriptedUi().QueueAnswer(platform::kAnswerNo);  // the changed design is not saved
    scriptedUi().QueueFile(tpa);
    std::string status;
    QueueLoadWindow(&status);
    w.Item("M_DbAload")->trigger();
    EXPECT_EQ(status, "Database loaded O.K");
    EXPECT_TRUE(gAsciiLoadOK);
    EXPECT_EQ(platform::FromQString(w.windowTitle()), "Tolvi32 - FULL (hier: MAINHIER)");
    EXPECT_EQ(DB_CurPage(), 2);
    EXPECT_TRUE(w.Item("M_Default")->isChecked());
    EXPECT_FALSE(w.Item("M_Current")->isChecked());
    EXPECT_EQ(gDbPath, platform::JoinPath(gJobDir, "FULL.TPB"));
    EXPECT_FALSE(IsDatabaseChanged());
    EXPECT_EQ(TimesHeard("UP"), 2);

    // Every object: the loaded design written again is the same file, but for the one link 0
    // of layout component 1 that the format cannot carry.
    ASSERT_EQ(WriteExportFile(1, tmp.File("again.TPA")), 0);
    const std::vector<std::string> again = Lines(tmp.Read("again.TPA"));
    ASSERT_EQ(again.size(), saved.size());
    for (size_t i = 0; i < saved.size(); ++i) {
        if (saved[i].rfind("1500, 1,", 0) == 0) continue;
        EXPECT_EQ(again[i], saved[i]) << "line " << i + 1;
    }
    SetHost(&test::recordingHost());
}

TEST(AsciiCommandsMenu, TheMenuItemsRunTheCommands) {
    QUVMAIN w;
    for (const char* item : {"M_DbAsave", "M_ExpWlist", "M_ExpSciNlist", "M_ExpOrCadPCBII"}) {
        scriptedUi().QueueFile(std::nullopt);
        w.Item(item)->trigger();
    }
    scriptedUi().QueueAnswer(platform::kAnswerNo);
    w.Item("M_DbAload")->trigger();
    ASSERT_EQ(scriptedUi().fileDialogs.size(), 4u);
    EXPECT_EQ(scriptedUi().fileDialogs[0].defaultExt, "TPA");
    EXPECT_EQ(scriptedUi().fileDialogs[1].defaultExt, "WRL");
    EXPECT_EQ(scriptedUi().fileDialogs[2].title, "Scicards Netlist File Name:");
    EXPECT_EQ(scriptedUi().fileDialogs[3].title, "OrCad PCB II Wirelist File Name:");
    EXPECT_EQ(scriptedUi().boxes.at(0).title, "Tolvi32");
}

}  // namespace
}  // namespace tolvi
