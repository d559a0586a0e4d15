#include "mainwindow/module_registry.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <exception>

#include "common/general_settings.h"
#include "common/utilities.h"
#include "kernel/kernel.h"
#include "mainwindow/app_list.h"
#include "mainwindow/command_routing.h"
#include "platform/design_module.h"
#include "platform/ui.h"

namespace tolvi {
namespace {

// Each module's NotifyServer event goes to the command processor before it returns, as long as
// the registry holds that server: once released, a server still finishing a call (or being
// destroyed after the kernel's clean-up) is no longer listened to.
class RegistryHost : public platform::ModuleHost {
public:
    void NotifyServer(const std::string& target, const std::string& cmd) override {
        if (!connected) return;
        // By value: the command processor may overwrite whatever the module passed by reference.
        ProcessCmd(std::string(target), std::string(cmd));
    }
    bool connected = true;
};

// A server together with the host it was given: the host lives as long as the server does.
struct BoundServer {
    std::shared_ptr<RegistryHost> host;
    std::shared_ptr<platform::DesignModule> module;  // destroyed first
};

// The hosts of the servers in colServers, under the same keys.
std::vector<std::pair<std::string, std::shared_ptr<RegistryHost>>>& hosts() {
    static std::vector<std::pair<std::string, std::shared_ptr<RegistryHost>>> h;
    return h;
}

void DisconnectHost(const std::string& key) {
    auto& h = hosts();
    for (auto it = h.begin(); it != h.end(); ++it)
        if (it->first == key) {
            it->second->connected = false;
            h.erase(it);
            return;
        }
}

void DisconnectAllHosts() {
    for (auto& [key, host] : hosts()) host->connected = false;
    hosts().clear();
}

std::shared_ptr<platform::DesignModule> CreateServer(const std::string& name) {
    auto host = std::make_shared<RegistryHost>();
    auto bound = std::make_shared<BoundServer>();
    bound->host = host;
    bound->module = platform::CreateDesignModule(name, *host);
    hosts().emplace_back("mw_" + name, host);
    return std::shared_ptr<platform::DesignModule>(bound, bound->module.get());
}

int TableIndex(const std::string& upperName) {
    for (std::size_t i = 0; i < kModuleNames.size(); ++i)
        if (kModuleNames[i] == upperName) return static_cast<int>(i);
    return -1;
}

std::vector<ServerEntry>::iterator FindEntry(const std::string& key) {
    return std::find_if(colServers.begin(), colServers.end(),
                        [&](const ServerEntry& e) { return e.first == key; });
}

void ShowFailure(const std::string& description) { platform::ui().MsgBox(description, 0, gAppTitle); }

}  // namespace

void ResetModuleRegistryState() {
    DisconnectAllHosts();
    colServers.clear();
}

bool IsRegistryModule(const std::string& name) { return TableIndex(UpperAscii(name)) >= 0; }

std::shared_ptr<platform::DesignModule> ModuleServer(const std::string& name) {
    auto it = FindEntry("mw_" + UpperAscii(name));
    return it == colServers.end() ? nullptr : it->second;
}

std::vector<ServerEntry> ServerSnapshot() { return colServers; }

int16_t InitializeApp(const std::string& ModuleName, int16_t& Param, std::string& Arg) {
    int16_t result = 0;
    const std::string name = UpperAscii(ModuleName);
    const int index = TableIndex(name);
    if (index < 0) return result;
    try {
        // Held here so a module that asks to be released from inside its entry stays alive
        // until the entry has returned.
        std::shared_ptr<platform::DesignModule> server = ModuleServer(name);
        if (!server) {
            server = CreateServer(name);
            colServers.emplace_back("mw_" + name, server);
            E_SetString(("MW_" + name).c_str(), "1");
        }
        server->SetAppPath(GetAppPath());
        // Copies: the module may start others through the command processor meanwhile.
        const int16_t mode = Param;
        const std::string file = name == "QUVSPCVR" ? Arg : std::string();
        result = server->RunModule(mode, file);
    } catch (const std::exception& e) {
        ShowFailure(e.what());
    } catch (...) {
        ShowFailure("Unknown error in module " + name);
    }
    return result;
}

void ShutDownApp(const std::string& ModuleName) {
    const std::string name = UpperAscii(ModuleName);
    if (TableIndex(name) < 0) return;
    auto it = FindEntry("mw_" + name);
    if (it == colServers.end()) {
        // Removing a key the collection does not hold is a failure; the flag stays as it was.
        ShowFailure("Invalid procedure call or argument");
        return;
    }
    // Kept until the flag is written: the server's destructor must not run in the middle.
    auto server = std::move(it->second);
    colServers.erase(it);
    DisconnectHost("mw_" + name);
    E_SetString(("MW_" + name).c_str(), "0");
}

void MixedModeSaveWork() {
    if (Trim(CStrFromPtr(E_GetString("MW_QUVSIM"))) == "1") platform::MM_SaveWork();
}

void StartAutoApplications() {
    for (std::size_t k = 0; k < kStartupModules.size(); ++k) {
        if (gAppsStart[k] != 0) StartModule(kStartupModules[k], gAppsMin[k] != 0 ? 1 : 0);
    }
}

void ReleaseServers() {
    // Moved out first: a server's destructor might look at the collection.
    std::vector<ServerEntry> servers;
    servers.swap(colServers);
    DisconnectAllHosts();
    servers.clear();
}

}  // namespace tolvi
