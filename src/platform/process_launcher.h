#pragma once
// Starting a separate program of the suite. The program is given as an argument vector, never
// through a shell, so blanks and quotes in paths need no escaping. The Qt services install a
// launcher that starts the program detached; tests install a recorder.
#include <string>
#include <vector>

namespace tolvi::platform {

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // args[0] is the program's path. False when it could not be started.
    virtual bool Start(const std::vector<std::string>& args) = 0;
};

// The installed launcher; until one is installed every start fails.
ProcessLauncher& processLauncher();
void SetProcessLauncher(ProcessLauncher* launcher);  // not owned; nullptr restores the failing one

}  // namespace tolvi::platform
