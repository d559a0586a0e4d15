#include "mainwindow/quvmain.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>

#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_routing.h"
#include "mainwindow/db_commands.h"
#include "mainwindow/fake_module.h"
#include "mainwindow/module_commands.h"
#include "mainwindow/quvlabel.h"
#include "mainwindow/recent_files.h"
#include "mainwindow/started_window.h"
#include "mainwindow/startup.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "platform/screen.h"
#include "platform/suite_bus.h"
#include "support/manual_timer.h"
#include "support/recording_help.h"
#include "support/reset_all.h"
#include "support/scripted_ui.h"
#include "support/string_board.h"
#include "support/temp_dir.h"

namespace tolvi {
namespace {

using test::Board;
using test::scriptedUi;
using Started = test::StartedWindow;

struct CloseRecorder : QObject {
    explicit CloseRecorder(std::vector<std::string>& log) : log(log) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Close) log.push_back(o->objectName().toStdString());
        return false;
    }
    std::vector<std::string>& log;
};

TEST(MainMenu, EveryItemStandsWithItsCaptionAndInitialState) {
    QUVMAIN w;
    const std::pair<const char*, const char*> items[] = {
        {"M_File", "&File"},
        {"M_DbClear(0)", "&New Database"},
        {"M_DbInfo", "&Database Info"},
        {"M_DbOpen", "&Open Database"},
        {"M_DbSave", "&Save Database"},
        {"M_DbSaveAs", "Save Database &As"},
        {"M_DbAsave", "&Database ASCII Save"},
        {"M_DbAload", "Data&base ASCII Load"},
        {"M_LoMEd", "List of Materials Editor"},
        {"M_ViewF", "&View File"},
        {"M_CmndInt", "Command Interpreter"},
        {"M_Utl", "&Utilities"},
        {"M_DesView", "Database Viewer"},
        {"M_LibView", "Library &Viewer"},
        {"M_LibSearch", "Library Search &Engine"},
        {"M_LibList", "Library &List Generator"},
        {"M_ValcorLib", "Symbol Library Editor (Valcor)"},
        {"M_ConvManager", "&Conversion Manager"},
        {"M_InhouseUtil", "Inhouse Utilities"},
        {"M_FontEditor", "Font Editor"},
        {"M_Import", "&Import"},
        {"M_ImpZOT3(1)", "Wirelist (selected format)"},
        {"M_ImpSpice", "Spice Netlist"},
        {"M_export", "&Export"},
        {"M_ExpZOT3", "ZOT3 ASCII Database"},
        {"M_ExpWlist", "Tolvi32/ZOT3 Wirelist"},
        {"M_ExpSciNlist", "Scicards Netlist"},
        {"M_ExpOrCadPCBII", "OrCad PCB II Wirelist"},
        {"M_DXFSch", "DXF - &Schematics"},
        {"M_DXFLay", "DXF - &Layout"},
        {"M_Exit", "E&xit"},
        {"M_Options", "&Options"},
        {"M_Default", "&Default"},
        {"M_Current", "&Current"},
        {"M_Files", "&Files"},
        {"M_Dirs", "&Directories"},
        {"M_LibS", "&Libraries"},
        {"M_Pads", "&Padstacks"},
        {"M_Aps", "&Apertures"},
        {"M_Colors", "&Colors"},
        {"M_SchCC", "&Sch. Categories"},
        {"M_LayLC", "&Layers"},
        {"M_LayCC", "Lay. &Categories"},
        {"M_Sizes", "&Sizes"},
        {"M_Texts", "&Texts"},
        {"M_Cond", "&Conductors"},
        {"M_Grids", "&Grid, Snap && Precision"},
        {"M_Layers", "&Layer Names"},
        {"M_Format", "&Formats"},
        {"M_DefSchematic", "&Schematic"},
        {"M_DefLayout", "&Layout"},
        {"M_PackPref", "&Packaging Preferences"},
        {"M_BackUp", "&Backup"},
        {"M_App", "&Applications"},
        {"M_Short", "Toolboxes"},
        {"M_Ahlp", "Auto &Help"},
        {"M_DeftoCur", "Default->Current"},
        {"M_LibEdit", "Li&brary"},
        {"M_Schema", "&Capture"},
        {"M_Layout", "&Layout"},
        {"M_Post", "&Postpro"},
        {"M_Sim", "&Simulation"},
        {"M_Msim", "&Mixed Mode Simulator"},
        {"M_Valcor", "Val&cor Simulator"},
        {"M_Thermo", "&Thermal Analyzer"},
        {"M_Ema", "&Electromagnetic Analyzer"},
        {"M_Hier", "&Hierarchy"},
        {"M_Custom", "Custo&m"},
        {"M_Cap(1)", " "},
        {"M_HelpEntry", "&?Help"},
        {"M_Help(1)", "&Tolvi Help"},
        {"M_Help(2)", "&Tutorial"},
        {"M_About", "&About Tolvi"},
    };
    for (const auto& [name, caption] : items) {
        QAction* a = w.Item(name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->objectName().toStdString(), name);
        EXPECT_EQ(a->text().toStdString(), caption) << name;
    }
    for (const char* sep : {"M_s0", "M_s8", "M_s9", "M_s06", "M_s07", "M_ConvSep", "M_SepInh", "M_s05",
                            "M_s1", "M_RFileSep", "M_s3", "M_s4"})
        EXPECT_TRUE(w.Item(sep) && w.Item(sep)->isSeparator()) << sep;

    for (const char* hidden : {"M_SepInh", "M_InhouseUtil", "M_ExpZOT3", "M_RFileSep", "M_RecentFile(2)",
                               "M_RecentFile(3)", "M_Custom"})
        EXPECT_FALSE(w.Item(hidden)->isVisible()) << hidden;
    EXPECT_TRUE(w.Item("M_RecentFile(0)")->isVisible());
    EXPECT_FALSE(w.Item("M_Custom")->isEnabled());
    EXPECT_FALSE(w.Item("M_InhouseUtil")->isEnabled());
    EXPECT_EQ(w.Item("M_CmndInt")->shortcut(), QKeySequence("Ctrl+I"));
    EXPECT_EQ(w.Item("M_DesView")->shortcut(), QKeySequence("Ctrl+B"));
    for (const char* c : {"M_Default", "M_Current", "M_Ahlp"}) EXPECT_TRUE(w.Item(c)->isCheckable()) << c;
    EXPECT_EQ(w.Item("M_DbOpen")->property("tag").toString(), "1024");
    EXPECT_EQ(w.Menu("M_Options")->property("tag").toString(), "9961");

    // The in-house switch shows the hidden submenu.
    w.ShowInHouseMenu(true);
    EXPECT_TRUE(w.Item("M_SepInh")->isVisible());
    EXPECT_TRUE(w.Item("M_InhouseUtil")->isVisible());
    EXPECT_TRUE(w.Item("M_InhouseUtil")->isEnabled());
}

TEST(SettingsPath, TakesTheArgumentWholeAndFallsBackToTheUserDirectory) {
    test::TempDir dir;
    const std::string spaced = dir.File("my settings");
    ASSERT_EQ(std::system(("mkdir -p '" + spaced + "'").c_str()), 0);
    const std::string config = dir.File("config");
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::string fallback = config + "/tolvi32/TOLVI32.INI";
    const struct {
        std::string argument;
        std::string path;
        bool box;
    } cases[] = {
        {"", fallback, false},
        {dir.path(), dir.path() + "/TOLVI32.INI", false},
        {dir.path() + "/", dir.path() + "/TOLVI32.INI", false},
        {spaced, spaced + "/TOLVI32.INI", false},
        {dir.File("missing"), fallback, true},
    };
    for (const auto& c : cases) {
        scriptedUi().Reset();
        if (c.box) scriptedUi().QueueAnswer(platform::kAnswerOk);
        EXPECT_EQ(SettingsFilePath(c.argument), c.path) << c.argument;
        EXPECT_EQ(scriptedUi().boxes.size(), c.box ? 1u : 0u) << c.argument;
        if (c.box) {
            EXPECT_NE(scriptedUi().boxes[0].text.find(dir.File("missing")), std::string::npos);
        }
    }
    EXPECT_TRUE(platform::IsDirectory(config + "/tolvi32"));
    unsetenv("XDG_CONFIG_HOME");
}

// Other programs of the suite start elsewhere: a relative directory is published absolute.
TEST(SettingsPath, RelativeDirectoryIsPublishedAbsolute) {
    test::TempDir dir;
    ASSERT_EQ(std::system(("mkdir -p '" + dir.File("S2") + "'").c_str()), 0);
    char kept[4096];
    ASSERT_NE(::getcwd(kept, sizeof kept), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    for (const char* argument : {"S2", "./S2/", "S2/."})
        EXPECT_EQ(SettingsFilePath(argument), dir.File("S2") + "/TOLVI32.INI") << argument;
    ASSERT_EQ(::chdir(kept), 0);
}

TEST(StartUp, StandsAsABarWithAnEmptyDatabaseAndExitsThroughItsQuestion) {
    Started s;
    ASSERT_TRUE(s.Load());
    QUVMAIN& w = *s.w;
    EXPECT_EQ(Board("IniFile"), s.dir.path() + "/TOLVI32.INI");
    EXPECT_EQ(gIniFile, s.dir.path() + "/TOLVI32.INI");
    EXPECT_EQ(Board("ServerPath"), GetAppPath());
    EXPECT_EQ(gDbTitle, "Untitled");
    EXPECT_NE(DB_DataBase(), 0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.pos(), QPoint(0, 0));
    EXPECT_TRUE(w.Item("M_Default")->isChecked());
    EXPECT_FALSE(w.Item("M_Current")->isChecked());
    EXPECT_EQ(Board("TOLVI32"), w.windowTitle().toStdString() + ", 0, 0, 0, 0");
    EXPECT_EQ(w.windowTitle().left(9), "Tolvi32 -");
    EXPECT_FALSE(gStartingUp);
    EXPECT_TRUE(w.F_AutoTimer->Enabled());
    EXPECT_FALSE(w.F_BackUp->Enabled());
    EXPECT_EQ(w.F_BackUp->Interval(), 60000);
    EXPECT_EQ(w.Splash(), nullptr);
    for (QWidget* top : QApplication::topLevelWidgets()) EXPECT_NE(top->objectName(), "QUVLABEL");
    // The default automatic start: capture, layout minimised, viewer.
    EXPECT_EQ(s.fakes.created["QUVSCHED"], 1);
    EXPECT_EQ(s.fakes.created["QUVLAYED"], 1);
    EXPECT_EQ(s.fakes.created["QUVLIBED"], 0);
    EXPECT_EQ(s.fakes.created["QUVVIEWR"], 1);
    scriptedUi().Verify();

    // Other windows, one owned by the bar: closed too, the most recent first.
    std::vector<std::string> closed;
    CloseRecorder recorder(closed);
    QWidget first;
    first.setObjectName("first");
    QWidget* owned = new QWidget(&w, Qt::Window);
    owned->setObjectName("owned");
    for (QWidget* other : {&first, owned}) {
        other->installEventFilter(&recorder);
        other->show();
    }
    scriptedUi().QueueAnswer(platform::kAnswerYes);  // "Exit Tolvi32"
    w.M_Exit_Click();
    EXPECT_EQ(closed, (std::vector<std::string>{"owned", "first"}));
    EXPECT_TRUE(w.Unloaded());
    EXPECT_EQ(s.ended, 0);
    EXPECT_EQ(scriptedUi().boxes.back().text, "Exit Tolvi32");
    EXPECT_EQ(s.exits, 2);
    EXPECT_EQ(Board("TOLVI32"), "");
    EXPECT_EQ(DB_DataBase(), 0);
    EXPECT_TRUE(colServers.empty());
    // Each module heard the close before it was released.
    const auto& j = s.fakes.journal;
    auto at = [&](const std::string& line) { return std::find(j.begin(), j.end(), line) - j.begin(); };
    EXPECT_LT(at("QUVSCHED notify - All,EX"), at("QUVSCHED released"));
    EXPECT_LT(static_cast<std::size_t>(at("QUVSCHED released")), j.size());
}

// A settings file that cannot be written costs one box at start-up, and the bar still stands.
TEST(StartUp, UnwritableSettingsFileGivesOneBox) {
    Started s;
    const std::string ini = s.dir.File("TOLVI32.INI");
    ASSERT_EQ(::mkdir(ini.c_str(), 0700), 0);  // no file can take its place
    scriptedUi().QueueAnswer(platform::kAnswerOk);
    ASSERT_TRUE(s.Load());
    std::size_t writeBoxes = 0;
    for (const auto& box : scriptedUi().boxes) writeBoxes += box.text == "Can't create/write to file: " + ini;
    EXPECT_EQ(writeBoxes, 1u);
    EXPECT_TRUE(s.w->isVisible());
    scriptedUi().QueueAnswer(platform::kAnswerYes);  // "Exit Tolvi32"
    s.w->M_Exit_Click();
}

TEST(StartUp, ASecondInstanceClosesSilentlyAndTouchesNothing) {
    Started s;
    platform::InstanceLock first(s.w->instanceLockPath);
    ASSERT_TRUE(first.TryAcquire());
    ASSERT_TRUE(first.Held());
    E_SetString("TOLVI32", "Tolvi32 - running, 0, 0, 0, 0");
    scriptedUi().Reset();  // no vector font question either: start-up stops before it
    EXPECT_FALSE(s.Load());
    EXPECT_EQ(s.ended, 1);
    EXPECT_TRUE(scriptedUi().boxes.empty());
    EXPECT_EQ(s.exits, 0);
    EXPECT_FALSE(platform::suiteBus().HasSource("TOLVI32"));
    EXPECT_EQ(Board("TOLVI32"), "Tolvi32 - running, 0, 0, 0, 0");
    EXPECT_EQ(Board("IniFile"), std::nullopt);
}

// A start-up that fails half way gives back what it took and no more: the state string and the
// database it made, the command links (the suite hears the close), never the cursors it had not
// taken yet.
TEST(StartUp, AFailureHalfWayGivesBackWhatStartUpTook) {
    Started s;
    scriptedUi().QueueAnswer(platform::kAnswerOk);  // "Can't Create Data Base"
    KernelFailNextForTests("DB_CreateDataBase");
    gCursors = {77, 78};
    EXPECT_FALSE(s.Load());
    EXPECT_EQ(s.ended, 1);
    EXPECT_EQ(scriptedUi().boxes.back().text, "Can't Create Data Base");
    EXPECT_EQ(s.exits, 1);
    EXPECT_EQ(Board("TOLVI32"), "");
    EXPECT_EQ(DB_DataBase(), 0);
    EXPECT_EQ(gCursors, (std::array<int32_t, 2>{77, 78}));
    EXPECT_FALSE(scriptedUi().BusyPointer());
}

// A command line typed into the bar reaches a linked peer whatever the menu bar did with the
// keyboard before; the menus still open with Alt+letter.
TEST(Keystrokes, CommandLinesSurviveTheMenuBarTakingTheKeyboard) {
    Started s;
    ASSERT_TRUE(s.Load());
    QUVMAIN& w = *s.w;
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QWindow* window = w.windowHandle();
    std::vector<std::string> peer;
    platform::suiteBus().Link(kManagerName, [&](const std::string& t) { peer.push_back(t); });
    const auto openFileMenu = [&] {
        QTest::keyClick(window, Qt::Key_F, Qt::AltModifier);
        ASSERT_NE(QApplication::activePopupWidget(), nullptr) << "Alt+F opens the File menu";
    };
    const auto alt = [&] { QTest::keyClick(window, Qt::Key_Alt); };
    const auto escape = [&] { QTest::keyClick(window, Qt::Key_Escape); };
    const struct {
        const char* before;
        std::vector<std::function<void()>> keys;
    } cases[] = {
        {"nothing", {}},
        {"an Alt tap", {alt}},
        {"two Alt taps", {alt, alt}},
        {"a menu left with Escape", {openFileMenu, escape}},
        {"a menu and the bar left with Escape", {openFileMenu, escape, escape}},
        {"an Alt tap again after all that", {alt}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        for (const auto& key : c.keys) key();
        ASSERT_EQ(QApplication::activePopupWidget(), nullptr);
        peer.clear();
        for (const char* k = "@All,DF$"; *k; ++k) QTest::keyClick(window, *k);
        platform::suiteBus().DeliverPending();
        EXPECT_EQ(peer, std::vector<std::string>{"All,DF"});
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "the letters opened no menu";
    }

    scriptedUi().QueueAnswer(platform::kAnswerYes);  // "Exit Tolvi32"
    w.M_Exit_Click();
}

// The recent-file items are drawn from the list, with the file system's names, and open their
// files.
TEST(RecentFileItems, ShowThePathsAndOpenThem) {
    Started s;
    ASSERT_TRUE(s.Load());
    QUVMAIN& w = *s.w;
    const std::string path = s.dir.File("M\xC3\xBCller & Co.TPB");
    ASSERT_NE(DB_SaveDataBase(path.c_str()), 0);
    int err = 0;
    IniPutString("RecentFiles", "1", "", err);
    IniPutString("RecentFiles", "2", path, err);
    ShowRecentFiles();
    EXPECT_FALSE(w.Item("M_RecentFile", 0)->isVisible());
    EXPECT_TRUE(w.Item("M_RecentFile", 1)->isVisible());
    EXPECT_EQ(w.Item("M_RecentFile", 1)->text(), QStringLiteral("&2. ") +
                                                     QString::fromStdString(s.dir.path()) +
                                                     QStringLiteral("/M\u00FCller && Co.TPB"));
    EXPECT_FALSE(w.Item("M_RecentFile", 2)->isVisible());
    EXPECT_TRUE(w.Item("M_RFileSep")->isVisible());

    w.Item("M_RecentFile", 1)->trigger();
    EXPECT_EQ(gDbPath, path);
    EXPECT_EQ(gDbTitle, "M\xC3\xBCller & Co");
    EXPECT_EQ(w.Item("M_RecentFile", 0)->text().toStdString(),
              "&1. " + s.dir.path() + "/M\xC3\xBCller && Co.TPB");

    scriptedUi().QueueAnswer(platform::kAnswerYes);  // "Exit Tolvi32"
    w.M_Exit_Click();
}

TEST(Exit, QuestionsTable) {
    const struct {
        const char* what;
        bool busy;
        bool changed;
        std::vector<int> answers;
        bool closes;
        int exits;           // registered "close" messages
        int saveDialog = 0;  // 0 none, 1 cancelled, 2 a file chosen
    } cases[] = {
        {"busy, stay", true, false, {platform::kAnswerOk, platform::kAnswerNo}, false, 0},
        {"busy, exit anyway", true, true, {platform::kAnswerOk, platform::kAnswerYes}, true, 1},
        {"changed, cancel", false, true, {platform::kAnswerCancel}, false, 0},
        {"changed, no", false, true, {platform::kAnswerNo}, true, 2},
        // A save that did not happen keeps the window rather than lose the changes.
        {"changed, yes, not saved", false, true, {platform::kAnswerYes}, false, 0, 1},
        {"changed, yes, saved", false, true, {platform::kAnswerYes}, true, 2, 2},
        {"unchanged, no", false, false, {platform::kAnswerNo}, false, 0},
        {"unchanged, yes", false, false, {platform::kAnswerYes}, true, 2},
    };
    for (const auto& c : cases) {
        test::ResetAllState();
        Started s;
        ASSERT_TRUE(s.Load()) << c.what;
        if (c.busy) {
            E_SetString("MW_QUVSCHED", "1");
            E_SetString("QUVSCHED", "Capture, 0, 0, 0, 1");
            gAppNames = {"", "TOLVI32", "QUVSCHED"};
            gAppCount = 2;
        }
        if (c.changed) SetDatabaseChanged(1);
        gBackupOn = 1;
        s.w->F_BackUp->SetEnabled(true);
        for (int a : c.answers) scriptedUi().QueueAnswer(a);
        test::TempDir dir;
        if (c.saveDialog == 1) scriptedUi().QueueFile(std::nullopt);
        if (c.saveDialog == 2) scriptedUi().QueueFile(dir.File("saved.TPB"));
        s.w->M_Exit_Click();
        if (c.saveDialog == 2) {
            EXPECT_TRUE(std::ifstream(dir.File("saved.TPB")).good()) << c.what;
        }
        EXPECT_EQ(s.w->Unloaded(), c.closes) << c.what;
        EXPECT_EQ(s.exits, c.exits) << c.what;
        if (!c.closes) {
            EXPECT_EQ(gMsgTitle, "") << c.what;
            // The database stays open, and so do its timed backups.
            EXPECT_TRUE(s.w->F_BackUp->Enabled()) << c.what;
        }
        scriptedUi().Verify();
        if (!c.closes) {
            s.w->bForcedExit = -1;  // leave without questions
            s.w->close();
        }
    }
}

TEST(Resize, PublishesNothingWhileStartingThenMinimiseAndRestore) {
    Started s;
    ASSERT_TRUE(s.Load());
    QUVMAIN& w = *s.w;
    const std::string before = platform::suiteBus().SourceText("TOLVI32");
    gStartingUp = true;
    w.Form_Resize();
    EXPECT_EQ(platform::suiteBus().SourceText("TOLVI32"), before);
    gStartingUp = false;

    w.setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(platform::suiteBus().SourceText("TOLVI32"), "All,MN");
    EXPECT_EQ(ParseAppState(*Board("TOLVI32")).winState, 1);

    E_SetString("QUVCONVT", "Conversion, 0, 0, 0, 0");
    w.setWindowState(Qt::WindowNoState);
    EXPECT_EQ(platform::suiteBus().SourceText("TOLVI32"), "QUVCONVT,DF");
    EXPECT_EQ(w.pos(), QPoint(0, 0));
    EXPECT_EQ(ParseAppState(*Board("TOLVI32")).winState, 0);
    w.bForcedExit = -1;
    w.close();
}

// The bar's frame, not only its inside, spans the top of the part of the screen windows may
// take, at start-up and after the designer has sized it.
TEST(Resize, TheBarsFrameSpansTheTopOfTheScreen) {
    const platform::ScreenArea screens[] = {
        {{0, 0, 1024, 768}, {0, 0, 1024, 768}},
        {{0, 0, 1920, 1080}, {0, 24, 1920, 1056}},  // a panel along the top
    };
    for (const platform::ScreenArea& screen : screens) {
        SCOPED_TRACE(screen.whole.width);
        platform::OverrideScreen(&screen);
        Started s;
        ASSERT_TRUE(s.Load());
        QUVMAIN& w = *s.w;
        const platform::Rect& a = screen.available;
        const auto expectSpans = [&] {
            const QRect f = w.frameGeometry();
            EXPECT_EQ(f.topLeft(), QPoint(a.left, a.top));
            EXPECT_EQ(f.width(), a.width);
            EXPECT_NE(f.width(), w.width()) << "the frame has a border";
            EXPECT_EQ(w.height(), w.menuBar()->heightForWidth(w.width()));
        };
        expectSpans();
        w.resize(400, w.height());
        expectSpans();
        w.bForcedExit = -1;
        w.close();
        platform::OverrideScreen(nullptr);
    }
}

TEST(AboutWindow, ShowsTheIdentityWithItsOkButtonNeverTheSplash) {
    QUVMAIN w;
    LoadSystemIdentity();  // no settings file: the defaults
    bool seen = false;
    scriptedUi().QueueModal("QUVLABEL", [&](QWidget* form) {
        auto* about = static_cast<QUVLABEL*>(form);
        EXPECT_EQ(about->F_SysName->text(), "Tolvi32");
        EXPECT_EQ(about->F_Ver->text(), "1.0");
        EXPECT_EQ(about->F_Rev->text(), "930630");
        EXPECT_FALSE(about->F_Splash->isVisibleTo(about));
        EXPECT_TRUE(about->F_OKButton->isVisibleTo(about));
        // Ctrl+F1 shows the recorded help topic here too.
        test::recordingHelp().Reset();
        QKeyEvent f1(QEvent::KeyRelease, Qt::Key_F1, Qt::ControlModifier);
        QApplication::sendEvent(about, &f1);
        EXPECT_FALSE(test::recordingHelp().calls.empty());
        about->F_OKButton->click();
        seen = true;
    });
    w.M_About_Click();
    EXPECT_TRUE(seen);
}

TEST(MenuCommands, AutoHelpScopeAndCustomMenu) {
    test::TempDir dir;
    gIniFile = dir.File("TOLVI32.INI");
    QUVMAIN w;
    w.Item("M_Ahlp")->setChecked(true);
    w.M_Ahlp_Click();
    EXPECT_FALSE(w.Item("M_Ahlp")->isChecked());
    EXPECT_NE(dir.Read("TOLVI32.INI").find("AutoHelp= 0"), std::string::npos);
    int32_t table = 1;
    E_MemCopy(&table, E_SysTable(12) + 2044, 4);
    EXPECT_EQ(table, 0);

    scriptedUi().QueueAnswer(platform::kAnswerOk);
    w.M_Current_Click();
    EXPECT_TRUE(w.Item("M_Current")->isChecked());
    EXPECT_FALSE(w.Item("M_Default")->isChecked());
    EXPECT_EQ(scriptedUi().boxes.back().text, "Applies to currently loaded database only");
    EXPECT_EQ(scriptedUi().boxes.back().style, 4160);

    // Names without captions: the menu stays hidden.
    gUserApsNames = "MYCALC,MYVIEW";
    w.BuildCustomMenu();
    EXPECT_FALSE(w.Item("M_Custom")->isVisible());
    gUserApsCaptions = "Calculator,Viewer";
    w.BuildCustomMenu();
    EXPECT_TRUE(w.Item("M_Custom")->isVisible());
    EXPECT_EQ(w.Item("M_Cap", 2)->text(), "Viewer");
    // Past the names: nothing, not even the pointer.
    M_Cap_Click(3);
    EXPECT_TRUE(scriptedUi().pointerChanges.empty());
}

// A file dialog that cannot be shown: View File ends without a message and starts nothing.
TEST(MenuCommands, ViewFileEndsQuietlyWhenItsDialogFails) {
    struct FailingDialogUi : test::ScriptedUi {
        std::optional<std::string> FileDialog(const platform::FileDialogRequest&) override {
            throw std::runtime_error("no dialog");
        }
    } ui;
    test::FakeModules fakes;
    fakes.Register("QUVSPCVR");
    QUVMAIN w;
    platform::SetUi(&ui);
    w.Item("M_ViewF")->trigger();
    platform::SetUi(&scriptedUi());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(fakes.created.count("QUVSPCVR"), 0u);
    EXPECT_FALSE(ui.BusyPointer());
}

}  // namespace
}  // namespace tolvi

namespace tolvi {
namespace {

// A new empty database that cannot be made ends the program at once: the suite hears "EX" once,
// nothing of the orderly shut-down runs after it.
TEST(FatalExit, AfterStartUpEndsAtOnceWithOneClose) {
    Started s;
    ASSERT_TRUE(s.Load());
    scriptedUi().Verify();
    scriptedUi().QueueAnswer(platform::kAnswerYes);  // "Current Database <Untitled> will be cleared."
    scriptedUi().QueueAnswer(platform::kAnswerOk);   // "Can't Create Data Base"
    KernelFailNextForTests("DB_CreateDataBase");
    M_DbClear_Click(0);
    EXPECT_EQ(scriptedUi().boxes.back().text, "Can't Create Data Base");
    EXPECT_TRUE(s.w->Unloaded());
    EXPECT_EQ(s.ended, 1);
    const auto& j = s.fakes.journal;
    EXPECT_EQ(std::count(j.begin(), j.end(), "QUVSCHED notify - All,EX"), 1);
    EXPECT_EQ(s.exits, 0);  // no registered "close" broadcast on top of it
    EXPECT_TRUE(colServers.empty());
}

}  // namespace
}  // namespace tolvi
