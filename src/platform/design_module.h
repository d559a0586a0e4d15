#pragma once
// Design modules: the suite's editors, viewers, importers and simulators, each an object behind
// one interface, created by name through a catalogue. A name is created from a factory registered
// in the process (tests, built-in stand-ins) or, failing that, from a shared library in the
// program's modules directory.
//
// Shared-library contract (a module built with the same compiler and Qt as the manager):
// - file: <modules directory>/<NAME>.so, NAME in capitals as the manager's module table spells it
//   ("QUVSCHED.so"); a file whose name differs only in case is accepted;
// - it exports  extern "C" int tolvi_module_abi()  returning kDesignModuleAbi, checked first;
// - it exports  extern "C" tolvi::platform::DesignModule* tolvi_create_module(
//       const char* name, tolvi::platform::ModuleHost* host)  returning a new module (deleted by
//   the manager with delete) or null on failure;
// - optionally  extern "C" void MM_SaveWork()  (the simulator's "save your work" entry).
// A library stays loaded until the process ends, so no module code is unmapped under a caller.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace tolvi::platform {

// Raised version whenever DesignModule or ModuleHost changes shape.
constexpr int kDesignModuleAbi = 1;

// What a module may ask of the manager. One host per module instance.
class ModuleHost {
public:
    virtual ~ModuleHost() = default;
    // The module's NotifyServer event: the manager handles the command before this returns, and
    // may do so while the module is inside one of its own members (it may even release the
    // module; the object stays alive until that member has returned).
    virtual void NotifyServer(const std::string& target, const std::string& cmd) = 0;
};

class DesignModule {
public:
    // Must not call the design kernel: modules are released after the kernel's clean-up.
    virtual ~DesignModule() = default;
    // A command for the module; target is missing for a broadcast.
    virtual void NotifyMe(const std::optional<std::string>& target, const std::string& cmd) = 0;
    // The program directory.
    virtual void SetAppPath(const std::string& path) = 0;
    // The module's entry: mode 0 normal, 1 minimised (or the number of a "SHELL" command); file is
    // used by the file viewer only, "" otherwise. The result is the module's own.
    virtual int16_t RunModule(int16_t mode, const std::string& file) = 0;
};

// A module could not be created; what() is the description the manager shows.
class ModuleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using ModuleFactory = std::function<std::shared_ptr<DesignModule>(ModuleHost& host)>;

// Registers (or with an empty factory removes) the factory for name (compared in capitals).
void RegisterModuleFactory(const std::string& name, ModuleFactory factory);
void ClearModuleFactories();

// The directory searched for module libraries; by default "<program directory>/modules".
std::string ModulesDirectory();
void SetModulesDirectory(const std::string& dir);  // "" restores the default

// Creates the module called name (compared in capitals): a registered factory first, else the
// module library. Throws ModuleError with a description when neither yields a module.
std::shared_ptr<DesignModule> CreateDesignModule(const std::string& name, ModuleHost& host);

// The mixed-mode simulator's library, of which the manager calls one entry before every save.
class SimulatorLib {
public:
    virtual ~SimulatorLib() = default;
    virtual void MM_SaveWork() = 0;
};
// Installs lib (not owned; nullptr removes it). Loading the simulator's module library installs
// its MM_SaveWork when it exports one.
void SetSimulatorLib(SimulatorLib* lib);
// Calls the simulator's MM_SaveWork; nothing when no simulator library is present.
void MM_SaveWork();

// Forgets the factories, the simulator library and the modules directory (loaded libraries stay
// mapped).
void ResetDesignModuleState();

}  // namespace tolvi::platform
