#pragma once
// The main window: a bar across the top of the screen holding the caption and the main menu.
// It runs the start-up and the two-stage close, owns the mailbox and backup timers, implements
// the host the common services reach it through, and carries the menu commands.
#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "common/host.h"
#include "mainwindow/mailbox.h"
#include "mainwindow/startup.h"
#include "platform/instance_lock.h"
#include "platform/timer.h"

class QAction;
class QMenu;

namespace tolvi {

class QUVLABEL;

class QUVMAIN : public QMainWindow, public Host, public MailboxWindow {
    Q_OBJECT
public:
    explicit QUVMAIN(QWidget* parent = nullptr);
    ~QUVMAIN() override;

    // --- life ---
    // The start-up; argument is the first command-line argument ("" when none). True when the
    // window stands; false when start-up closed it (EndCode() then tells the exit status).
    bool Form_Load(const std::string& argument);
    void Form_Activate();
    void Form_KeyUp(int KeyCode, int Shift);
    void Form_Resize();
    void Form_QueryUnload(bool& Cancel);
    void Form_Unload();
    void ShutDown();
    void SizeMainWindow();
    // The bar at the top of the screen, its frame as wide as the screen, and as high as its menu
    // needs.
    void PlaceBar();

    // Whether the window has been unloaded, and the status the program should end with.
    bool Unloaded() const { return unloaded_; }
    int EndCode() const { return endCode_; }
    // Called once the window is unloaded, with the exit status; by default it ends the event loop.
    std::function<void(int)> onEnd;

    // Set for a close that must ask nothing: a second instance, or the mailbox's shut-down after
    // it has cleaned up itself.
    int32_t bForcedExit = 0;
    // The lock file that tells a second instance apart ("" = the per-user default).
    std::string instanceLockPath;
    // Called once start-up holds that lock, before it starts or asks anything: the program starts
    // its bus server here, so that programs started during start-up find it.
    std::function<void()> startBus;

    std::unique_ptr<platform::Timer> F_AutoTimer;
    std::unique_ptr<platform::Timer> F_BackUp;

    // --- menu items by control name; arrays as "M_Help(1)" ---
    QAction* Item(const std::string& name) const;
    QAction* Item(const std::string& name, int index) const;
    QMenu* Menu(const std::string& name) const;

    // --- menu commands ---
    void M_Exit_Click();
    void M_Default_Click();
    void M_Current_Click();
    void M_DeftoCur_Click();
    void ShowOptionsScope();
    void M_Ahlp_Click();
    void M_Help_Click(int Index);
    void M_About_Click();
    // Fills the Custom menu from the settings file's user applications (the module commands
    // carry its items' handler, M_Cap_Click).
    void BuildCustomMenu();

    // --- Host ---
    void SetCaption(const std::string& caption) override;
    void NotifyAll(const std::string& cmd) override;
    void PublishMainState() override;
    void SetBackupTimer(bool on) override;
    void ShowInHouseMenu(bool visible) override;
    void DrawRecentFiles(const std::array<std::string, 4>& paths, bool separator) override;
    void MarkOptionScope(bool current) override;
    void FatalExit(int code) override;

    // --- MailboxWindow ---
    platform::Timer* AutoTimer() override { return F_AutoTimer.get(); }
    void RunStartCommand(const std::string_view handler) override;
    void UnloadForced() override;
    void CloseFromTopLevel();

    // The splash window while start-up shows it.
    QUVLABEL* Splash() const { return splash_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenu();
    // Gives the characters of a key press to Form_KeyPress; true when they belong to a typed
    // command line ("@" ... "$").
    bool TypeKeys(const QKeyEvent* event);
    QAction* AddItem(QMenu* menu, const char* name, const char* caption, const char* tag,
                     std::function<void()> handler);
    QMenu* AddMenu(QMenu* parent, const char* name, const char* caption, const char* tag);
    void ShowSplash();
    void DropSplash();
    // The close without questions after a start-up failure.
    void FailStartup(int code);
    void End(int code);

    std::map<std::string, QAction*> items_;
    std::map<std::string, QMenu*> menus_;
    QUVLABEL* splash_ = nullptr;
    std::unique_ptr<platform::InstanceLock> lock_;
    bool unloaded_ = false;
    bool loading_ = false;
    bool closing_ = false;
    bool failed_ = false;
    int endCode_ = 0;
    // What start-up took, so that the close, or a failed start, gives back just that.
    std::optional<StartupHoldings> holdings_;
    bool resizing_ = false;
};

// The main window once it exists (null before and after).
QUVMAIN* MainWindow();

}  // namespace tolvi
