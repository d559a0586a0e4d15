#pragma once
// Design modules made in the test: each records what the manager asks of it in a shared
// journal ("QUVSCHED run 0", "QUVSCHED notify - All,UP", "QUVSCHED released") and can be given
// behaviour for its entry and for the commands it receives.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mainwindow/module_registry.h"
#include "platform/design_module.h"

namespace tolvi::test {

struct FakeModule : platform::DesignModule {
    std::string name;
    platform::ModuleHost* host = nullptr;
    std::vector<std::string>* journal = nullptr;
    std::function<int16_t(FakeModule&, int16_t mode, const std::string& file)> onRun;
    std::function<void(FakeModule&, const std::string& cmd)> onNotify;

    ~FakeModule() override { journal->push_back(name + " released"); }
    void NotifyMe(const std::optional<std::string>& target, const std::string& cmd) override {
        journal->push_back(name + " notify " + target.value_or("-") + " " + cmd);
        if (onNotify) onNotify(*this, cmd);
    }
    void SetAppPath(const std::string& path) override { journal->push_back(name + " path " + path); }
    int16_t RunModule(int16_t mode, const std::string& file) override {
        journal->push_back(name + " run " + std::to_string(mode) + (file.empty() ? "" : " " + file));
        return onRun ? onRun(*this, mode, file) : int16_t{0};
    }
};

// Registers factories for fake modules and counts what they create; every module still running
// is released when it goes.
class FakeModules {
public:
    // The modules go before the journal they write into.
    ~FakeModules() {
        ReleaseServers();
        platform::ClearModuleFactories();
    }

    std::vector<std::string> journal;
    std::map<std::string, int> created;

    // setup runs on every new instance of name.
    void Register(const std::string& name, std::function<void(FakeModule&)> setup = {}) {
        platform::RegisterModuleFactory(name,
                                        [this, name, setup = std::move(setup)](platform::ModuleHost& host) {
                                            auto m = std::make_shared<FakeModule>();
                                            m->name = name;
                                            m->host = &host;
                                            m->journal = &journal;
                                            if (setup) setup(*m);
                                            ++created[name];
                                            return std::static_pointer_cast<platform::DesignModule>(m);
                                        });
    }
};

}  // namespace tolvi::test
