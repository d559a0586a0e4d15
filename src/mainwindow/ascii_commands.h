#pragma once
// The File menu's ASCII load and save and the Export menu's wirelist and netlist commands: each
// chooses the file, sets gExportFile (and gExportMode) and shows the load window or the
// save-and-export window, which does the reading or writing.
namespace tolvi {

// File > Database ASCII Load: busy test and help topic, the question (save the changed database,
// or agree that it will be cleared), the clear, then a *.TPA or *.TDA file for the load window.
// After a load the heaps are made anew; a loaded database is unchanged and the modules hear "UP".
void M_DbAload_Click();

// File > Database ASCII Save: busy test and help topic, the database's password, then a *.TPA.
void M_DbAsave_Click();
// Export > Tolvi32/ZOT3 Wirelist (*.WRL), Scicards Netlist and OrCad PCB II Wirelist (*.NET).
// Their help topic is recorded before the busy test; they ask for no password.
void M_ExpWlist_Click();
void M_ExpSciNlist_Click();
void M_ExpOrCadPCBII_Click();

}  // namespace tolvi
