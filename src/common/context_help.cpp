#include "common/context_help.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

#include "common/general_settings.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "platform/help.h"
#include "platform/ui.h"

namespace tolvi {

namespace {

void RunHelpMacro(const std::string& helpFile, const std::string& macro) {
    platform::help().Command(helpFile, platform::kHelpCommand, Trim(macro));
}

// Shows the recorded topic on Ctrl+F1 (exactly Ctrl: Ctrl+Shift+F1 does nothing).
class HelpKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
            if (key->key() == Qt::Key_F1 && mods == Qt::ControlModifier && !key->isAutoRepeat()) {
                ShowCurrentHelpTopic();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// The kernel's topic calls (H_DispTopic) from the design modules: the same help engine, file
// and topic number as the program's own topics.
int32_t KernelHelpTopic(void* /*owner*/, const char* helpFile, int32_t topic) {
    platform::help().ShowTopic(helpFile ? helpFile : "", topic);
    return 1;
}

}  // namespace

void InstallKernelHelpHandler() { H_SetTopicHandler(&KernelHelpTopic); }

void ResetContextHelpState() {
    gHelpFile.clear();
    gHelpTopic = 0;
    gMainWnd = nullptr;
}

// Topics go to the help engine directly, with the file and topic number the kernel's topic call
// takes, so the program and the kernel show help in the same windows.
void ShowContextHelp(int32_t Menu, int32_t SubMenu, int32_t Tool, int32_t SubTool) {
    const bool autoHelp = ReadAutoHelpFlag() != 0;
    if (!ValidateHelpIds(Menu, SubMenu, Tool, SubTool)) return;
    gHelpTopic = HelpTopicId(Menu, SubMenu, Tool, SubTool);
    if (autoHelp) {
        platform::help().ShowTopic(gHelpFile, gHelpTopic);
        PositionHelpWindow(gMainWnd, gHelpFile);
    }
}

void ShowCurrentHelpTopic() {
    platform::help().ShowTopic(gHelpFile, gHelpTopic);
    PositionHelpWindow(gMainWnd, gHelpFile);
}

bool ValidateHelpIds(int32_t Menu, int32_t SubMenu, int32_t Tool, int32_t SubTool) {
    std::string msg;
    if (Menu > 11) msg = "Menu No: exceeds 11";
    if (SubMenu > 100) msg += " SubMenu No. exceeds 100";
    if (Tool > 11) msg += " Tool No: exceeds 11";
    if (SubTool > 11) msg += " SubTool No: exceeds 11";
    if (msg.empty()) return true;
    platform::ui().MsgBox(msg, platform::kStyleOk, gAppTitle);
    return false;
}

int32_t HelpTopicId(int32_t Menu, int32_t SubMenu, int32_t Tool, int32_t SubTool) {
    // Only upper limits are checked, so coordinates far below zero must not overflow.
    const int64_t base = (int64_t(Menu) - 1) * 13301;
    int64_t id = 0;
    if (SubTool != 0) {
        if (Menu != 0 && SubMenu != 0 && Tool != 0)
            id = base + (int64_t(SubMenu) - 1) * 133 + (int64_t(Tool) - 1) * 12 + SubTool + 3;
    } else if (Tool != 0) {
        if (Menu != 0 && SubMenu != 0)
            id = base + (int64_t(SubMenu) - 1) * 133 + (int64_t(Tool) - 1) * 12 + 3;
    } else if (SubMenu != 0) {
        if (Menu != 0) id = base + (int64_t(SubMenu) - 1) * 133 + 2;
    } else if (Menu != 0) {
        id = base + 1;
    }
    return id >= INT32_MIN && id <= INT32_MAX ? int32_t(id) : 0;
}

void InitHelpWindow(QWidget* /*hWnd*/, const std::string& HelpFile) {
    RunHelpMacro(HelpFile, "PositionWindow(0, 85, 1025, 935, 1, \"main\")");
}

void PositionHelpWindow(QWidget* /*hWnd*/, const std::string& HelpFile) {
    RunHelpMacro(HelpFile, "PositionWindow(600, 150, 400, 800, 1, \"main\")");
}

void CloseHelp(QWidget* /*hWnd*/, const std::string& HelpFile) {
    platform::help().Command(HelpFile, platform::kHelpQuit, "");
}

void ShowHelpFile(const std::string& File, int Command, const std::string& Data) {
    platform::help().Command(File, Command, Data);
}

void InstallHelpKey(QWidget* form) {
    if (!form) return;
    // The form sees the key before its controls do, so a control that takes the key cannot hide it.
    auto* filter = new HelpKeyFilter(form);
    form->installEventFilter(filter);
    for (QWidget* child : form->findChildren<QWidget*>()) child->installEventFilter(filter);
}

}  // namespace tolvi
