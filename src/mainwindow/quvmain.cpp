#include "mainwindow/quvmain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstring>
#include <exception>
#include <optional>
#include <vector>

#include "common/aperture_tables.h"
#include "common/boxes.h"
#include "common/colour_settings.h"
#include "common/context_help.h"
#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/library_lists.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_links.h"
#include "mainwindow/command_routing.h"
#include "mainwindow/db_commands.h"
#include "mainwindow/module_commands.h"
#include "mainwindow/module_registry.h"
#include "mainwindow/quvlabel.h"
#include "mainwindow/recent_files.h"
#include "mainwindow/startup.h"
#include "mainwindow/timed_backup.h"
#include "platform/paths.h"
#include "platform/qt/codec.h"
#include "platform/screen.h"
#include "platform/text_files.h"
#include "platform/ui.h"

namespace tolvi {
namespace {

QUVMAIN* gTheMainWindow = nullptr;

// Ends the start-up sequence; code is the program's exit status.
struct StartupFailure {
    int code;
};

// The bar's frame across the top of the part of the screen windows may take.
platform::Rect BarPlacement(const platform::Rect& frame, const platform::ScreenArea& screen) {
    const platform::Rect& area = screen.available;
    return {area.left, area.top, area.width, frame.height};
}

// The width of the bar's inside when its frame spans the screen.
int BarWidth(const QWidget* w) {
    const platform::Margins m = platform::FrameMargins(w);
    return platform::AvailableRect().width - m.left - m.right;
}

}  // namespace

QUVMAIN* MainWindow() { return gTheMainWindow; }

QUVMAIN::QUVMAIN(QWidget* parent) : QMainWindow(parent) {
    setObjectName("QUVMAIN");
    setWindowTitle(QStringLiteral("Tolvi32"));
    gTheMainWindow = this;
    onEnd = [](int code) { QCoreApplication::exit(code); };
    F_AutoTimer = platform::CreateTimer();
    F_AutoTimer->SetInterval(1000);
    F_AutoTimer->SetEnabled(false);
    F_AutoTimer->SetHandler([] { F_AutoTimer_Timer(); });
    F_BackUp = platform::CreateTimer();
    F_BackUp->SetInterval(60000);
    F_BackUp->SetEnabled(false);
    F_BackUp->SetHandler([] { F_BackUp_Timer(); });
    BuildMenu();
    // The bar itself takes the keyboard, so that the menu bar gives it back when it lets go
    // (after an Alt tap or a menu left with Escape) and typed command lines keep arriving.
    setFocusPolicy(Qt::StrongFocus);
    menuBar()->installEventFilter(this);
}

QUVMAIN::~QUVMAIN() {
    // A window deleted without its close gives back what its start-up took all the same.
    holdings_.reset();
    DropSplash();
    if (F_AutoTimer) F_AutoTimer->SetEnabled(false);
    if (F_BackUp) F_BackUp->SetEnabled(false);
    SetMailboxWindow(nullptr);
    if (&host() == static_cast<Host*>(this)) SetHost(nullptr);
    if (gMainForm == this) gMainForm = nullptr;
    if (gMainWnd == this) gMainWnd = nullptr;
    if (gTheMainWindow == this) gTheMainWindow = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Start-up
// ---------------------------------------------------------------------------------------------

bool QUVMAIN::Form_Load(const std::string& argument) {
    loading_ = true;
    try {
        gMainForm = this;
        gMainWnd = this;
        SetHost(this);
        holdings_.emplace(this);
        InitNumberFormats();
        lock_ = std::make_unique<platform::InstanceLock>(instanceLockPath);
        if (!lock_->TryAcquire()) {
            bForcedExit = -1;
            throw StartupFailure{9999};
        }
        if (startBus) startBus();
        gAppTitle = "Tolvi32";
        PublishServerPath();
        E_SetString("IniFile", SettingsFilePath(argument).c_str());
        gHelpFile = Trim(platform::JoinPath(gAppDir, platform::ProgramFileName() + ".HLP"));
        InstallKernelHelpHandler();  // topics the modules show through the kernel reach the same help
        {
            std::string dir = Trim(gAppDir);
            OpenLocalTexts(dir);
            holdings_->Took(StartupHoldings::kLocalTexts);
        }
        LoadVectorFont(Trim(gAppDir));
        SelectUiFont();
        LocalizeForm(this);
        gApertures.assign(1, AptRec{});
        LoadIniFilePath();
        // The settings of start-up are read once and written once.
        std::optional<SettingsOperation> settings(std::in_place);
        LoadSystemIdentity();
        tolvi::ShowInHouseMenu();
        LoadApplicationLists();
        InitAppList();
        ClearAppStates();
        CreateCommandLinks();
        holdings_->Took(StartupHoldings::kCommandLinks);
        BuildCustomMenu();
        {
            // The hourglass from here until the new database holds the settings.
            platform::BusyPointerGuard busy;
            gDevLibs.assign(1, "");
            gSchLibs.assign(1, "");
            gLayLibs.assign(1, "");
            ShowSplash();
            gUnitsPerMM = 100000;
            gDbTitle = "Untitled";
            holdings_->Took(StartupHoldings::kDatabase);  // from here the kernel holds one to discard
            CreateEmptyDatabase();
            UpdateMainCaption(gDbHandle);
            LoadPalette();
            LoadBackupSettings();
            LoadStartupApps();
            LoadAutoHelp();
            Item("M_Ahlp")->setChecked(gAutoHelp != 0);
            ShowRecentFiles();
            ReadDbLabel();
            ResetHierStackFile();
            LoadAllOptionSets();
            gStartingUp = true;
            PlaceBar();
            show();
            SaveAllOptionSetsToDatabase();  // the sets just loaded, into the new database
            MakeHeaps(0);
            settings.reset();
        }
        DropSplash();
        gStartingUp = false;
        F_BackUp->SetEnabled(false);
        F_BackUp->SetInterval(60000);
        tolvi::PublishMainState(-1, 0);
        ConnectCommandLinks();
        gCursors[0] = G_SelectCur(1);
        gCursors[1] = G_SelectCur(2);
        holdings_->Took(StartupHoldings::kCursors);
        SetDatabaseChanged(0);
        ShowContextHelp(0, 0, 0, 0);
        if (gAutoHelp != 0) InitHelpWindow(this, gHelpFile);
        SetMailboxWindow(this);
        F_AutoTimer->SetEnabled(true);
        StartAutoApplications();
    } catch (const StartupFailure& f) {
        FailStartup(f.code);
    } catch (...) {
        FailStartup(1);
    }
    loading_ = false;
    return !unloaded_;
}

void QUVMAIN::ShowSplash() {
    splash_ = new QUVLABEL(nullptr);
    splash_->setWindowFlags(Qt::SplashScreen | Qt::WindowStaysOnTopHint);
    splash_->Form_Load();
    CenterForm(splash_);
    splash_->F_OKButton->setVisible(false);
    splash_->F_Splash->setVisible(true);
    splash_->F_Splash->raise();
    platform::ui().ShowModeless(splash_);
    splash_->repaint();
}

void QUVMAIN::DropSplash() {
    if (!splash_) return;
    splash_->hide();
    delete splash_;
    splash_ = nullptr;
}

void QUVMAIN::PlaceBar() {
    platform::PlaceWindow(this, BarPlacement);
    SizeMainWindow();
}

void QUVMAIN::SizeMainWindow() {
    // No client area: the window is the menu bar (the window manager draws caption and frame),
    // and the bar wraps into as many rows as the width needs.
    const int w = width();
    int h = menuBar()->heightForWidth(w);
    if (h <= 0) h = menuBar()->sizeHint().height();
    setFixedHeight(h);
}

// ---------------------------------------------------------------------------------------------
// The window's own events
// ---------------------------------------------------------------------------------------------

void QUVMAIN::Form_Activate() {
    if (unloaded_ || loading_) return;
    UpdateMainCaption(gDbHandle);
}

void QUVMAIN::Form_KeyUp(int KeyCode, int Shift) {
    if (KeyCode == 112 && Shift == 2) ShowCurrentHelpTopic();
}

void QUVMAIN::Form_Resize() {
    if (gStartingUp || unloaded_ || resizing_) return;
    resizing_ = true;
    tolvi::PublishMainState(-1, 0);
    if (isMinimized()) {
        tolvi::NotifyAll("MN");
    } else {
        // A maximised bar would cover the screen; it goes back to the top as a bar.
        if (isMaximized()) setWindowState(windowState() & ~Qt::WindowMaximized);
        PlaceBar();
        UpdateMainCaption(gDbHandle);
        tolvi::NotifyAll("DF");
        SendToApp("QUVCONVT", "DF");
    }
    resizing_ = false;
}

void QUVMAIN::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void QUVMAIN::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // Only a size the window did not give itself counts as the user's resize.
    if (resizing_) return;
    if (width() != BarWidth(this))
        Form_Resize();
    else
        SizeMainWindow();  // the frame the window manager drew may have changed the width
}

bool QUVMAIN::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) Form_Activate();
    return QMainWindow::event(event);
}

bool QUVMAIN::TypeKeys(const QKeyEvent* event) {
    bool commandLine = gKeyCapture.Capturing();
    for (char c : platform::FromQString(event->text())) {
        int16_t key = static_cast<unsigned char>(c);
        Form_KeyPress(key);
        commandLine = commandLine || c == '@';
    }
    return commandLine;
}

void QUVMAIN::keyPressEvent(QKeyEvent* event) {
    TypeKeys(event);
    QMainWindow::keyPressEvent(event);
}

// While the menu bar holds the keyboard (after an Alt tap, or Escape out of a menu) the keys of a
// command line go to the line, not to the menus as mnemonics; the line also ends the menu bar's
// hold. Other keys pass on to the bar, and whatever it does not use comes on to keyPressEvent,
// where feeding them again changes nothing.
bool QUVMAIN::eventFilter(QObject* watched, QEvent* event) {
    if (watched == menuBar() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Alt+letter is the menu's own key, never part of a line.
        if (!(key->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) && TypeKeys(key)) {
            if (menuBar()->hasFocus()) setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void QUVMAIN::keyReleaseEvent(QKeyEvent* event) {
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier) shift |= 1;
    if (event->modifiers() & Qt::ControlModifier) shift |= 2;
    if (event->modifiers() & Qt::AltModifier) shift |= 4;
    const int code =
        event->key() >= Qt::Key_F1 && event->key() <= Qt::Key_F24 ? 112 + (event->key() - Qt::Key_F1) : 0;
    Form_KeyUp(code, shift);
    QMainWindow::keyReleaseEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Closing
// ---------------------------------------------------------------------------------------------

void QUVMAIN::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    if (closing_) {
        event->ignore();
        return;
    }
    closing_ = true;
    bool cancel = false;
    Form_QueryUnload(cancel);
    closing_ = false;
    if (cancel) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void QUVMAIN::Form_QueryUnload(bool& Cancel) {
    // A forced close has nobody left to tell: a second instance never joined the suite, and the
    // mailbox's shut-down has told everyone before.
    if (bForcedExit != 0) return;
    gMsgTitle = GetLocalString("Closing Tolvi32", "10100");
    auto stay = [&] {
        Cancel = true;
        gMsgTitle.clear();
    };
    int32_t flag = 0;
    std::string caption;
    CheckBusy(flag, caption);
    if (flag != 0) {
        // Exit anyway drops unsaved work without asking: saving under a busy module is not safe.
        if (!AskYesNo(GetLocalString("Exit Anyway", "10172"))) stay();
        return;
    }
    if (IsDatabaseChanged()) {
        const int32_t answer = AskDatabaseChanged(GetLocalString("Save before Exit?", "10240"));
        if (answer == platform::kAnswerCancel) {
            stay();
            return;
        }
        if (answer == platform::kAnswerYes) {
            F_BackUp->SetEnabled(false);
            int32_t cancelled = 0;
            SaveDatabase(cancelled, 0);
            UpdateMainCaption(gDbHandle);
            // A save that did not happen keeps the window, rather than lose the changes; the
            // database stays open, so its timed backups go on.
            if (cancelled != 0) {
                if (gBackupOn != 0) F_BackUp->SetEnabled(true);
                stay();
                return;
            }
        }
        ExitAllModules();
        return;
    }
    if (!AskYesNoTitled(GetLocalString("Exit Tolvi32", "10173"))) {
        stay();
        return;
    }
    ExitAllModules();
}

void QUVMAIN::Form_Unload() {
    F_AutoTimer->SetEnabled(false);
    F_BackUp->SetEnabled(false);
    if (holdings_) holdings_->EndSession(bForcedExit != 0);
    End(0);
}

void QUVMAIN::FailStartup(int code) {
    // No questions: a half-started manager must not stay open. Only what start-up acquired is
    // given back.
    DropSplash();
    platform::ui().SetBusyPointer(false);
    gStartingUp = false;
    F_AutoTimer->SetEnabled(false);
    F_BackUp->SetEnabled(false);
    try {
        if (holdings_) holdings_->EndSession(bForcedExit != 0);
    } catch (...) {
    }
    End(code == 0 ? 1 : (code == 9999 ? 1 : code));
}

void QUVMAIN::End(int code) {
    if (unloaded_) return;
    unloaded_ = true;
    endCode_ = code;
    hide();
    // The other windows, the most recent first, letting pending events run between two. The
    // widget list has no order; the native windows are kept in the order they were made.
    std::vector<QPointer<QWidget>> others;
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (QWindow* window : QGuiApplication::topLevelWindows())
        for (QWidget* w : tops)
            if (w != this && w->windowHandle() == window && w->isVisible()) others.emplace_back(w);
    for (auto it = others.rbegin(); it != others.rend(); ++it) {
        platform::ui().DoEvents();
        if (QWidget* w = it->data(); w && w->isVisible()) w->close();
    }
    ReleaseServers();
    holdings_.reset();  // the local texts, last
    SetMailboxWindow(nullptr);
    lock_.reset();
    if (onEnd) onEnd(code);
}

void QUVMAIN::ShutDown() { close(); }

void QUVMAIN::M_Exit_Click() { close(); }

void QUVMAIN::UnloadForced() {
    bForcedExit = -1;
    QMetaObject::invokeMethod(
        this, [this] { CloseFromTopLevel(); }, Qt::QueuedConnection);
}

// Closing the bar deletes what a nested event loop may still be running in, so the forced close
// waits until no modal window is open.
void QUVMAIN::CloseFromTopLevel() {
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(50, this, [this] { CloseFromTopLevel(); });
        return;
    }
    close();
}

// ---------------------------------------------------------------------------------------------
// Host
// ---------------------------------------------------------------------------------------------

void QUVMAIN::SetCaption(const std::string& caption) { setWindowTitle(platform::ToQString(caption)); }

void QUVMAIN::NotifyAll(const std::string& cmd) { tolvi::NotifyAll(cmd); }

void QUVMAIN::PublishMainState() {
    if (!unloaded_) tolvi::PublishMainState(-1, 0);
}

void QUVMAIN::SetBackupTimer(bool on) { F_BackUp->SetEnabled(on); }

void QUVMAIN::ShowInHouseMenu(bool visible) {
    Item("M_SepInh")->setVisible(visible);
    Item("M_InhouseUtil")->setVisible(visible);
    Item("M_InhouseUtil")->setEnabled(visible);
}

void QUVMAIN::DrawRecentFiles(const std::array<std::string, 4>& paths, bool separator) {
    for (int i = 0; i < 4; ++i) {
        QAction* item = Item("M_RecentFile", i);
        const std::string& path = paths[static_cast<std::size_t>(i)];
        if (!path.empty()) {
            // A path is the file system's bytes, not text of the code page; "&" shows as itself.
            QString shown = platform::PathToQString(path);
            shown.replace('&', QStringLiteral("&&"));
            item->setText(QStringLiteral("&%1. ").arg(i + 1) + shown);
        }
        item->setVisible(!path.empty());
    }
    Item("M_RFileSep")->setVisible(separator);
}

void QUVMAIN::MarkOptionScope(bool current) {
    Item("M_Default")->setChecked(!current);
    Item("M_Current")->setChecked(current);
}

void QUVMAIN::FatalExit(int code) {
    if (loading_) throw StartupFailure{code};
    // The caller has told the suite ("EX") already: end at once, without the orderly shut-down.
    bForcedExit = -1;
    FailStartup(code);
}

// ---------------------------------------------------------------------------------------------
// Menu commands
// ---------------------------------------------------------------------------------------------

void QUVMAIN::M_Default_Click() {
    ShowContextHelp(2, 1, 0, 0);
    SetOptionScope(OptionScope::Default);
    MarkOptionScope(false);
    LoadAllOptionSets();
    ShowOptionsScope();
}

void QUVMAIN::M_Current_Click() {
    ShowContextHelp(2, 2, 0, 0);
    SetOptionScope(OptionScope::Current);
    MarkOptionScope(true);
    LoadAllOptionSets();
    ShowOptionsScope();
}

void QUVMAIN::M_DeftoCur_Click() {
    ShowContextHelp(2, 13, 0, 0);
    CopyDefaultsToDatabase();
    ReadDbLabel();
    tolvi::NotifyAll("UP");
    ConnectCommandLinks();
}

void QUVMAIN::ShowOptionsScope() {
    const std::string text = OptionsAreCurrent()
                                 ? GetLocalString("Applies to currently loaded database only", "1075")
                                 : GetLocalString("Applies to default parameters only", "1076");
    platform::ui().MsgBox(text, 4160, GetLocalString("Tolvi32 - Options Setup", "10155"));
}

void QUVMAIN::M_Ahlp_Click() {
    QAction* a = Item("M_Ahlp");
    a->setChecked(!a->isChecked());
    const int32_t flag = a->isChecked() ? -1 : 0;
    int err = 0;
    IniPutString("Tolvi32", "AutoHelp", IniNumText(flag), err);
    WriteAutoHelpFlag(flag);
    tolvi::NotifyAll("AH" + std::to_string(flag));
}

void QUVMAIN::M_Help_Click(int Index) {
    if (Index == 1)
        ShowHelpFile(platform::JoinPath(gAppDir, "TOLVI32.HLP"), 3, "Tolvi32");
    else if (Index == 2)
        ShowHelpFile(platform::JoinPath(gAppDir, "QUVTUT.HLP"), 3, "Tolvi32");
}

void QUVMAIN::M_About_Click() {
    QWidget* form = new QUVLABEL(this);
    ShowOptionForm(form, 0);
}

void QUVMAIN::BuildCustomMenu() {
    if (gUserApsNames.empty() || gUserApsCaptions.empty()) return;
    ParseList(gUserApsCaptions);
    const std::vector<std::string> captions(gTokStr.begin() + 1, gTokStr.end());
    QMenu* custom = Menu("M_Custom");
    custom->menuAction()->setEnabled(true);
    custom->menuAction()->setVisible(true);
    for (std::size_t i = 1; i <= captions.size(); ++i) {
        QAction* a = Item("M_Cap", static_cast<int>(i));
        if (!a) {
            const std::string name = "M_Cap(" + std::to_string(i) + ")";
            const int index = static_cast<int>(i);
            a = AddItem(custom, name.c_str(), "", nullptr, [index] { M_Cap_Click(index); });
        }
        a->setText(platform::ToQString(captions[i - 1]));
        a->setEnabled(true);
        a->setVisible(true);
    }
}

}  // namespace tolvi
