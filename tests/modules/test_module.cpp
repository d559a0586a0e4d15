// A design module loaded from a shared library by the module tests. Built three times:
// QUVTFMST (plain), QUVSIM (with the simulator's save entry) and QUVTFSPC (claims another
// interface version, so the loader must refuse it).
#include <string>

#include "platform/design_module.h"

#ifndef TEST_MODULE_ABI
#define TEST_MODULE_ABI tolvi::platform::kDesignModuleAbi
#endif

namespace {

int gSaveWorkCalls = 0;

class LibraryModule : public tolvi::platform::DesignModule {
public:
    LibraryModule(std::string name, tolvi::platform::ModuleHost* host)
        : name_(std::move(name)), host_(host) {}
    void NotifyMe(const std::optional<std::string>&, const std::string& cmd) override {
        if (cmd == "All,BYE") host_->NotifyServer(name_, "SHUTDOWN");
    }
    void SetAppPath(const std::string& path) override { path_ = path; }
    // The entry answers with what the test can check from outside: the mode plus 100 times the
    // simulator saves seen so far, or -2 when no program directory was given first.
    int16_t RunModule(int16_t mode, const std::string&) override {
        if (path_.empty()) return -2;
        return static_cast<int16_t>(mode + 100 * gSaveWorkCalls);
    }

private:
    std::string name_;
    tolvi::platform::ModuleHost* host_;
    std::string path_;
};

}  // namespace

extern "C" int tolvi_module_abi() { return TEST_MODULE_ABI; }

extern "C" tolvi::platform::DesignModule* tolvi_create_module(const char* name,
                                                              tolvi::platform::ModuleHost* host) {
    return new LibraryModule(name ? name : "", host);
}

#ifdef TEST_MODULE_SAVE_WORK
extern "C" void MM_SaveWork() { ++gSaveWorkCalls; }
#endif
