// The ASCII save and export commands: the password, the file dialogs they show, the mode they hand
// to the save-and-export window, the order of help and busy test, and one ASCII save from the menu
// command to the file on the disk.
#include "mainwindow/ascii_commands.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/db_session.h"
#include "interchange/exporter.h"
#include "interchange/quvsasc.h"
#include "mainwindow/db_fixture.h"
#include "mainwindow/optninpt.h"
#include "mainwindow/quvmain.h"
#include "platform/help.h"
#include "platform/qt/codec.h"
#include "support/scripted_ui.h"

namespace tolvi {
namespace {

using test::scriptedUi;

void QueuePassword(const std::string& typed) {
    scriptedUi().QueueModal("OPTNINPT", [typed](QWidget* f) {
        auto* form = static_cast<OPTNINPT*>(f);
        form->F_Password->setText(platform::ToQString(typed));
        form->F_Accept_Click();
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

TEST(AsciiCommandsMenu, TheMenuItemsRunTheCommands) {
    QUVMAIN w;
    for (const char* item : {"M_DbAsave", "M_ExpWlist", "M_ExpSciNlist", "M_ExpOrCadPCBII"}) {
        scriptedUi().QueueFile(std::nullopt);
        w.Item(item)->trigger();
    }
    ASSERT_EQ(scriptedUi().fileDialogs.size(), 4u);
    EXPECT_EQ(scriptedUi().fileDialogs[0].defaultExt, "TPA");
    EXPECT_EQ(scriptedUi().fileDialogs[1].defaultExt, "WRL");
    EXPECT_EQ(scriptedUi().fileDialogs[2].title, "Scicards Netlist File Name:");
    EXPECT_EQ(scriptedUi().fileDialogs[3].title, "OrCad PCB II Wirelist File Name:");
}

}  // namespace
}  // namespace tolvi
