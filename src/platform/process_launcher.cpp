#include "platform/process_launcher.h"

namespace tolvi::platform {

namespace {
class NoLauncher : public ProcessLauncher {
public:
    bool Start(const std::vector<std::string>&) override { return false; }
};
NoLauncher gNoLauncher;
ProcessLauncher* gLauncher = &gNoLauncher;
}  // namespace

ProcessLauncher& processLauncher() { return *gLauncher; }

void SetProcessLauncher(ProcessLauncher* launcher) { gLauncher = launcher ? launcher : &gNoLauncher; }

}  // namespace tolvi::platform
