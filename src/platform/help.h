#pragma once
// The help engine: shows numbered topics of a help file, its contents page, runs the engine's
// window macros and closes its windows. The program installs the Qt implementation; tests install
// a recorder. Help files are named as the program has always named them ("<dir>/tolvi32.HLP");
// what stands behind the name is the implementation's business.
#include <cstdint>
#include <string>

namespace tolvi::platform {

// Engine commands, numbered as the callers pass them.
enum HelpCommandCode {
    kHelpQuit = 2,         // close the file's help window
    kHelpIndex = 3,        // show the file's contents page
    kHelpCommand = 0x102,  // run the macro given as data, e.g. PositionWindow(...)
};

class Help {
public:
    virtual ~Help() = default;
    // Shows topic number topic of helpFile; a missing file or topic is reported in the help
    // window itself, never to the caller.
    virtual void ShowTopic(const std::string& helpFile, int32_t topic) = 0;
    // Runs one engine command on helpFile; data is the command's text argument ("" when none).
    // Unknown commands and macros are ignored.
    virtual void Command(const std::string& helpFile, int command, const std::string& data) = 0;
};

// The installed engine. Until one is installed a silent engine ignores every call.
Help& help();
void SetHelp(Help* engine);  // not owned; nullptr puts the silent one back

}  // namespace tolvi::platform
