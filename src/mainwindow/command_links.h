#pragma once
// The manager's side of the command links: a notify link to the source of every listed
// application but the first (by convention the manager itself), retried until that application
// runs; each line an application publishes is run as an addressed command. Also the "@...$"
// command typed into the main window.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/suite_bus.h"

namespace tolvi {

// One client element per listed application; index i belongs to gAppNames[i]. Elements 0 and 1
// are never linked.
struct CommandLinkElement {
    std::string Text;         // the application's name until the first line arrives, then that line
    std::string LinkTopic;    // "<app>|QUVCMD" once connected
    std::string LinkItem;     // "F_OUTCMD"
    int32_t LinkTimeout = 0;  // tenths of a second; kept as set (requests are answered at once)
    int32_t link = 0;         // the bus link, 0 while unlinked
};
inline std::vector<CommandLinkElement> F_INCMD;
inline platform::KeyCapture gKeyCapture;

void ResetCommandLinksState();

// Creates the elements 3..gAppCount, registers the manager's own source and wires the bus to the
// manager: the string board is the kernel's string table, and deliveries wait while the manager
// shows a modal window.
void CreateCommandLinks();
// Links every element that has no link yet; an application that does not run stays unlinked,
// silently, until a later call. The manager never links to itself.
void ConnectCommandLinks();
// 3 while element i is linked, else 0.
int32_t LinkMode(int i);
// A line arrived on element Index: run it when not empty, then connect what is still unlinked.
void F_INCMD_LinkNotify(int16_t Index);
// A character typed into the main window; KeyAscii passes on unchanged.
void Form_KeyPress(int16_t& KeyAscii);

// True while the manager shows any modal window (a setup dialog, a question, a browser, a long
// operation's form): commands from outside wait until it closes.
bool ManagerIsModal();

}  // namespace tolvi
