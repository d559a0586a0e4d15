#include "common/host.h"

namespace tolvi {
namespace {

class SilentHost : public Host {
public:
    void SetCaption(const std::string&) override {}
    void NotifyAll(const std::string&) override {}
    void PublishMainState() override {}
    void SetBackupTimer(bool) override {}
    void ShowInHouseMenu(bool) override {}
    void DrawRecentFiles(const std::array<std::string, 4>&, bool) override {}
    void MarkOptionScope(bool) override {}
    void FatalExit(int) override {}
};

SilentHost gSilentHost;
Host* gHost = &gSilentHost;

}  // namespace

Host& host() { return *gHost; }
void SetHost(Host* h) { gHost = h ? h : &gSilentHost; }

}  // namespace tolvi
