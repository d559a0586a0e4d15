#pragma once
// The design-module registry: creates a module's server on first use, marks it running in the
// kernel string table ("MW_<NAME>" = "1"), hands every start request to the module's entry,
// releases a module when it asks to be shut down, starts the modules chosen for automatic start
// and lets the simulator save its work before the database is written.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/design_module.h"

namespace tolvi {

// The modules with a server, in the order the registry tests names.
inline constexpr std::array<std::string_view, 27> kModuleNames = {
    "QUVCMDIT", "QUVLIBED", "QUVSCHED", "QUVLIBSV", "QUVLAYED", "QUVLAYPS", "QUVLAYRT",
    "QUVSIM",   "QUVFMZOT", "QUVTOZOT", "QUVTFMST", "QUVTFSPC", "QUVDXFSC", "QUVDXFLY",
    "QUVCSTMZ", "QUVVIEWR", "QUVWRIMP", "QUVLIBDC", "QUVSPCVR", "QUVLIBSC", "QUVLOMED",
    "QUVTHERM", "QUVEMA",   "QUVSPCED", "QUVSPCLE", "QUVSPCIP", "QUVFNTED"};

// The running servers in creation order, each under "mw_<NAME>". At most 27 entries.
using ServerEntry = std::pair<std::string, std::shared_ptr<platform::DesignModule>>;
inline std::vector<ServerEntry> colServers;

void ResetModuleRegistryState();

// True when name (in capitals, untrimmed) is a module of the table.
bool IsRegistryModule(const std::string& name);
// The server of a module, or null when it is not running.
std::shared_ptr<platform::DesignModule> ModuleServer(const std::string& name);
// Copies of the running servers in creation order: whoever calls out to several modules walks
// this, so a module may be released (even from inside the call) without disturbing the walk.
std::vector<ServerEntry> ServerSnapshot();

// Starts or reaches a module: creates its server when it has none, then passes the program
// directory and calls its entry with Param (and Arg, the file viewer's file). Returns the entry's
// result; 0 for an unknown name or after a failure, which is shown in an OK box and never thrown.
int16_t InitializeApp(const std::string& ModuleName, int16_t& Param, std::string& Arg);
// Releases a module: its server is dropped (it ends once no call into it is left) and its flag
// written "0". A module that is not running shows a box; unknown names do nothing.
void ShutDownApp(const std::string& ModuleName);
// Lets the simulator save its work when "MW_QUVSIM" is "1".
void MixedModeSaveWork();
// Starts the schematic, layout, library editor and viewer as the start-up flags ask.
void StartAutoApplications();
// Drops every server at program end (no member is called).
void ReleaseServers();

}  // namespace tolvi
