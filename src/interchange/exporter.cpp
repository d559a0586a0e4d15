#include "interchange/exporter.h"

#include "common/db_session.h"
#include "interchange/ascii_writer.h"
#include "interchange/netlist_writers.h"

namespace tolvi {

void ResetExportState() {
    gExportFile.clear();
    gExportMode = 0;
}

int32_t RunExport(int32_t Mode, RecordOutput& Output, int32_t& UnconnectedPinCount) {
    switch (Mode) {
        case 1:
            AsciiDatabaseWriter(Output).SaveAsciiDatabase();
            break;
        case 2:
            Zot3Writer(Output).ExportWirelist();
            break;
        case 3:
            SciCardsWriter(Output).ExportSciNetlist();
            break;
        case 4:
            OrCadPcb2Writer(Output, UnconnectedPinCount).ExportOrCadPCBII();
            // The writer's temporary mark goes whatever the result.
            OM_MaskAll(DB_NetMap(), 0, 0x100);
            N_MaskAllNodes(0, 0x100);
            break;
        default:
            return 0;
    }
    Output.EndOutput();
    return Output.Result();
}

int32_t WriteExportFile(int32_t Mode, const std::string& Path, ExportView* View) {
    UpdateMainCaption(gDbHandle);
    const int32_t hier = gCurHier;
    const int32_t page = gCurPage;
    gExportFile = Path;
    RecordOutput output(View);
    output.ResetOutput();
    int32_t unconnectedPins = 0;
    const int32_t result = RunExport(Mode, output, unconnectedPins);
    DB_SetCurHier(hier);
    DB_SetCurPage(page);
    UpdateMainCaption(gDbHandle);
    return result;
}

}  // namespace tolvi
