#pragma once
// The save-and-export window's writers by mode: the ASCII database (mode 1,
// interchange/ascii_writer.h), the ZOT3 wirelist (2), the Scicards netlist (3) and the OrCad PCB
// II wirelist (4) (interchange/netlist_writers.h), each writing gExportFile from the open
// database through a record output.
//
// Result codes: 0 done, 1 disk error (the unfinished file dropped), 2 cancelled.
#include <cstdint>
#include <string>

#include "interchange/record_output.h"

namespace tolvi {

// Set by the main window's File and Export commands before they show the window.
inline std::string gExportFile;  // the full path of the file to write
inline int32_t gExportMode = 0;  // 1 ASCII database, 2 ZOT3, 3 Scicards, 4 OrCad PCB II

void ResetExportState();

// Runs the writer of Mode (1..4) on gExportFile through Output, then ends the file by the result
// (closed on 0, dropped otherwise) and, after mode 4, clears the mark 0x100 on every net and node.
// UnconnectedPinCount is the OrCad writer's count of pins on no net in this showing. Does not
// restore the current hierarchy and page. Another mode writes nothing and gives 0. Returns the
// output's result.
int32_t RunExport(int32_t Mode, RecordOutput& Output, int32_t& UnconnectedPinCount);

// Writes gExportFile := Path in Mode without a window: RunExport on a fresh output, then the
// hierarchy and page that were current before made current again. Returns the result code. For
// tests, benchmarks and tools.
int32_t WriteExportFile(int32_t Mode, const std::string& Path, ExportView* View = nullptr);

}  // namespace tolvi
