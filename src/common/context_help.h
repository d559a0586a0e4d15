#pragma once
// Context help: every menu command records its help topic, every form shows the recorded topic
// on Ctrl+F1, and with automatic help on a command shows its topic at once beside the work.
// Topics are numbered by the command's place in the menus (menu, submenu, tool, subtool), so the
// help can be written against a fixed numbering.
#include <cstdint>
#include <string>

class QWidget;

namespace tolvi {

// The context-help file: the program directory, the program's file name and ".HLP"; set at
// start-up.
inline std::string gHelpFile;
// The topic recorded by the last ShowContextHelp whose coordinates were within their limits.
inline int32_t gHelpTopic = 0;
// The main window, once it stands: owner of the help windows and the input box's anchor.
inline QWidget* gMainWnd = nullptr;

void ResetContextHelpState();

// Routes the kernel's help topic calls (H_DispTopic) to the help engine; called once at start-up.
void InstallKernelHelpHandler();

// Records the topic of a command and, when automatic help is on, shows it at once. Coordinates
// above their limits are reported and leave the recorded topic as it was.
void ShowContextHelp(int32_t Menu, int32_t SubMenu, int32_t Tool, int32_t SubTool);
// Shows the recorded topic, whatever automatic help says.
void ShowCurrentHelpTopic();
// True when no coordinate is above its limit (11, 100, 11, 11); otherwise shows which are.
bool ValidateHelpIds(int32_t Menu, int32_t SubMenu, int32_t Tool, int32_t SubTool);
// The topic number of a coordinate set; 0 when a finer level is given without the coarser ones.
int32_t HelpTopicId(int32_t Menu, int32_t SubMenu, int32_t Tool, int32_t SubTool);

// Help window placement: beside the work for automatic help, and after a topic has been shown.
void InitHelpWindow(QWidget* hWnd, const std::string& HelpFile);
void PositionHelpWindow(QWidget* hWnd, const std::string& HelpFile);
// Closes the context-help window.
void CloseHelp(QWidget* hWnd, const std::string& HelpFile);
// Passes one command to the help engine (contents page, quit, macro).
void ShowHelpFile(const std::string& File, int Command, const std::string& Data);

// Makes form show the recorded topic when F1 is released with exactly Ctrl held. Call it once the
// form's controls exist: they are watched too.
void InstallHelpKey(QWidget* form);

}  // namespace tolvi
