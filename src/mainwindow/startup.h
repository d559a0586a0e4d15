#pragma once
// Shared state set by start-up, and the small routines only start-up uses.
#include <array>
#include <cstdint>
#include <string>

class QWidget;

namespace tolvi {

inline std::string gAppDir;                 // the program directory
inline int32_t gUnitsPerMM = 100000;        // database units per millimetre
inline std::array<std::string, 2> gNumFmt;  // [0] inch, [1] millimetre number formats
inline std::array<int32_t, 2> gCursors{};   // the two kernel cursors
inline bool gStartingUp = false;            // the main window ignores resizes meanwhile

void ResetStartupState();

// gAppDir = the program directory, published as kernel string "ServerPath".
void PublishServerPath();
// The settings file path for the first command-line argument (taken whole: the shell has split
// and unquoted it). One trailing separator is cut (the root stays "/"); an unusable directory is
// reported by ValidateDirectory. With no usable directory the file lives in the user's
// configuration directory.
std::string SettingsFilePath(const std::string& argument);
// gIniFile = kernel string "IniFile".
void LoadIniFilePath();
// Loads the vector font from Dir; a failure is reported and the built-in font stays.
void LoadVectorFont(const std::string& Dir);
void InitNumberFormats();

// What start-up takes from the kernel and the suite, so that a close, or a start-up that failed
// half way, gives back exactly that, once, in the order of the close: the manager's state string,
// the modules, the help window, the two cursors, the database and the kernel, the open files,
// then (once every other window is gone) the local texts.
class StartupHoldings {
public:
    enum Holding : unsigned {
        kLocalTexts = 1u << 0,    // with the help window that start-up may open
        kCommandLinks = 1u << 1,  // the modules are told to go
        kDatabase = 1u << 2,      // the state string is published, the kernel holds a database
        kCursors = 1u << 3,
    };
    static constexpr unsigned kEverything = kLocalTexts | kCommandLinks | kDatabase | kCursors;

    explicit StartupHoldings(QWidget* window) : window_(window) {}
    // Gives back whatever is still held, in the close's order.
    ~StartupHoldings();
    StartupHoldings(const StartupHoldings&) = delete;
    StartupHoldings& operator=(const StartupHoldings&) = delete;

    void Took(Holding what) { held_ |= what; }
    // The close's first step: everything but the local texts, which the other windows may
    // still need while they close. A forced close gives none of it back: a second instance took
    // none of it, and the mailbox's shut-down has given it back itself.
    void EndSession(bool forced);
    // The close's first step for the holdings named in held, whoever holds them (window owns the
    // help window): the mailbox's shut-down gives back kEverything so before the window goes.
    static void GiveBack(QWidget* window, unsigned held);

private:
    bool Holds(Holding what) const { return (held_ & what) != 0; }
    QWidget* window_;
    unsigned held_ = 0;
};

}  // namespace tolvi
