#include "platform/design_module.h"

#include <dlfcn.h>

#include <cctype>
#include <map>
#include <mutex>

#include "platform/paths.h"

namespace tolvi::platform {
namespace {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::map<std::string, ModuleFactory>& factories() {
    static std::map<std::string, ModuleFactory> f;
    return f;
}

std::string gModulesDir;
SimulatorLib* gSimulator = nullptr;

// The simulator entry exported by a loaded module library.
class LibrarySimulator : public SimulatorLib {
public:
    explicit LibrarySimulator(void (*entry)()) : entry_(entry) {}
    void MM_SaveWork() override { entry_(); }

private:
    void (*entry_)();
};

using AbiFn = int (*)();
using CreateFn = DesignModule* (*)(const char*, ModuleHost*);

// Loaded libraries, kept for the life of the process: a module object's code must stay mapped
// as long as any reference to it may live.
struct LoadedLibrary {
    void* handle = nullptr;
    CreateFn create = nullptr;
};
std::map<std::string, LoadedLibrary>& libraries() {
    static std::map<std::string, LoadedLibrary> l;
    return l;
}

LoadedLibrary LoadModuleLibrary(const std::string& name) {
    auto& libs = libraries();
    if (auto it = libs.find(name); it != libs.end()) return it->second;

    const std::string path = ResolveFixedName(ModulesDirectory(), name + ".so");
    if (!IsReadableRegularFile(path)) throw ModuleError("Module not found: " + path);
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        throw ModuleError("Can't load module " + path + (why ? std::string(": ") + why : std::string()));
    }
    auto abi = reinterpret_cast<AbiFn>(dlsym(handle, "tolvi_module_abi"));
    auto create = reinterpret_cast<CreateFn>(dlsym(handle, "tolvi_create_module"));
    if (!abi || !create) {
        dlclose(handle);
        throw ModuleError("Not a module library: " + path);
    }
    if (abi() != kDesignModuleAbi) {
        dlclose(handle);
        throw ModuleError("Module " + path + " was built for another version of the program");
    }
    if (name == "QUVSIM") {
        if (auto save = reinterpret_cast<void (*)()>(dlsym(handle, "MM_SaveWork"))) {
            static LibrarySimulator* sim = nullptr;
            delete sim;
            sim = new LibrarySimulator(save);
            SetSimulatorLib(sim);
        }
    }
    LoadedLibrary lib{handle, create};
    libs[name] = lib;
    return lib;
}

}  // namespace

void RegisterModuleFactory(const std::string& name, ModuleFactory factory) {
    if (factory)
        factories()[Upper(name)] = std::move(factory);
    else
        factories().erase(Upper(name));
}

void ClearModuleFactories() { factories().clear(); }

std::string ModulesDirectory() {
    return gModulesDir.empty() ? JoinPath(ProgramDirectory(), "modules") : gModulesDir;
}

void SetModulesDirectory(const std::string& dir) { gModulesDir = dir; }

std::shared_ptr<DesignModule> CreateDesignModule(const std::string& name, ModuleHost& host) {
    const std::string key = Upper(name);
    if (auto it = factories().find(key); it != factories().end()) {
        ModuleFactory factory = it->second;  // a copy: the factory may register others
        auto module = factory(host);
        if (!module) throw ModuleError("Can't create module " + key);
        return module;
    }
    LoadedLibrary lib = LoadModuleLibrary(key);
    DesignModule* raw = lib.create(key.c_str(), &host);
    if (!raw) throw ModuleError("Can't create module " + key);
    return std::shared_ptr<DesignModule>(raw);
}

void SetSimulatorLib(SimulatorLib* lib) { gSimulator = lib; }

void MM_SaveWork() {
    if (gSimulator) gSimulator->MM_SaveWork();
}

void ResetDesignModuleState() {
    ClearModuleFactories();
    gSimulator = nullptr;
    gModulesDir.clear();
}

}  // namespace tolvi::platform
