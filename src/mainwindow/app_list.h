#pragma once
// The application list and the busy board. The suite's applications find one another through the
// kernel string table: "AllAps" lists every application name, and each application keeps a state
// string under its own name: "caption,winstate,w3,w4,w5" (empty while it does not run); it is
// busy while w3, w4 or w5 is non-zero.
#include <cstdint>
#include <string>
#include <vector>

class QWidget;

namespace tolvi {

inline std::string gTolviApsList;               // [TolviAps] values joined with ","
inline std::string gUserApsNames;               // [UserAps] names joined with ","
inline std::string gUserApsCaptions;            // [UserAps] captions joined with ","
inline std::string gAllAps;                     // published as "AllAps"
inline std::vector<std::string> gAppNames{""};  // 1-based; [0] holds nothing
inline int32_t gAppCount = 0;
inline uint32_t gMsgTolvi = 0;  // the registered message "TOLVI32"
// The main window: its caption and window state make the manager's own state string.
inline QWidget* gMainForm = nullptr;

void ResetAppListState();

void LoadApplicationLists();
void InitAppList();
void ClearAppStates();
// Active non-zero publishes "caption, winstate, 0, Mode, gModalDepth" under "TOLVI32"; 0 empties it.
void PublishMainState(int32_t Active, int32_t Mode);

bool IsModuleActive(const std::string& Name);
// The fields of App's state string; "" and zeros when App does not run (its string is then
// cleared). A caption holding commas keeps them: the last four fields are the numbers, and
// missing numbers read 0.
void GetAppState(const std::string& App, std::string& Caption, int32_t& WinState, int32_t& W3, int32_t& W4,
                 int32_t& W5);
// The busy test. Flag non-zero on entry asks for no box. On return Flag is 1 with Caption the
// busy application's caption, or 0.
void CheckBusy(int32_t& Flag, std::string& Caption);
// Convenience for the menu commands: runs the test with its box; true when something is busy.
bool IsBusy();

void ActivateApp(const std::string& App);
void StartModule(const std::string& App, int32_t Mode);
void SendExitIfActive(const std::string& App);
void ExitAllModules();

// Splits a state string: the last four fields are the numbers (missing ones 0), everything
// before them the caption.
struct AppState {
    std::string caption;
    int32_t winState = 0, w3 = 0, w4 = 0, w5 = 0;
};
AppState ParseAppState(const std::string& text);
// The state string text for the given fields, numbers with a leading blank when not negative.
std::string FormatAppState(const std::string& caption, int32_t winState, int32_t w3, int32_t w4, int32_t w5);

}  // namespace tolvi
