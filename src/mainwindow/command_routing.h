#pragma once
// The switchboard between the manager and the design modules. Command lines are comma lists:
// an addressed line "<target>,<command>[,args]" (target "All", "TOLVI32" or an application
// name), or a bare command with its target passed beside it (module events and NotifyMe).
//
// Every routine copies what it needs of its arguments and of the shared token arrays before it
// calls out: a module may raise a command from inside NotifyMe, which parses again.
#include <functional>
#include <string>

namespace tolvi {

// The manager's own name: its source on the suite bus and its state string.
inline const std::string kManagerName = "TOLVI32";

// A command raised by a module (its NotifyServer event): "SHUTDOWN" releases Target, "SHELL"
// [,mode[,file]] starts it, "ALL,..." runs the whole line as an addressed line; anything else is
// routed with its target. The three keywords ignore case and surrounding blanks.
void ProcessCmd(const std::string& Target, const std::string& Cmd);
// Runs an addressed line for the manager: "All,UP" / "TOLVI32,UP" refresh the caption and the
// state string, "All,ST,<app>" / "TOLVI32,ST,<app>" bring app forward or start it; a line for
// "All" is broadcast and one for an application forwarded, both as the raw rest of the line.
// Failures are shown in an OK box, never thrown.
void AP_ExeCmd(const std::string& Cmd);
// Delivers a bare command: to the manager when Target is "TOLVI32" (any case, blanks ignored),
// else to every running module's NotifyMe.
void RouteCmd(const std::string& Target, const std::string& Cmd);
// NotifyMe without a target to every running module.
void NotifyClients(const std::string& Msg);
// Broadcasts "All,<Cmd>" to every module and publishes it on the manager's source.
void NotifyAll(const std::string& Cmd);
// Sends Cmd to App when App runs (has a state string): routed to the modules, then published as
// "<App>,<Cmd>". Nothing for "TOLVI32".
void SendToApp(const std::string& App, const std::string& Cmd);

// The box AP_ExeCmd and the mailbox show for a failure: the description, OK, the program title.
void ShowCommandFailure(const std::string& description);
// Runs one event handler the way every event of the manager runs: a failure inside it is caught
// and shown with its description (the busy pointer put back first), and the program goes on.
void RunEvent(const std::function<void()>& handler);

}  // namespace tolvi
