// The aperture table reader on arbitrary file contents: it loads a table or reports the file as
// damaged, never crashes, and the search and the D-code cells work on whatever it loaded.
#include <stdlib.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/aperture_tables.h"
#include "common/general_settings.h"
#include "fuzz_support.h"
#include "platform/ui.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = fuzz::ScratchDir();
    tolvi::platform::SetUi(nullptr);  // the silent service: no box needs a display
    tolvi::gSysDir = dir;
    tolvi::gAperFile = "FUZZ";
    fuzz::WriteInput(dir + "/FUZZ.APT", data, size);

    int32_t err = -1;
    tolvi::LoadApertureFile(err, ".APT");
    const auto& t = tolvi::gApertures;
    if (err != 0 && err != 1) std::abort();
    if (t.empty()) std::abort();
    const int32_t u = static_cast<int32_t>(t.size() - 1);
    if (t[0].Size != 0 || t[0].LineDcode != 0 || t[0].RoundDcode != 0 || t[0].SquareDcode != 0) std::abort();
    if (err == 1 && !(u == 0 || (u == 1 && t[1].Size == 1 && t[1].LineDcode == 0))) std::abort();

    // The search stays within the table and finds only what is there; on a table kept as the
    // editor keeps it (ascending, each size once) it finds every row.
    bool ascending = true;
    for (int32_t i = 1; i <= u; ++i) {
        const tolvi::AptRec& r = t[static_cast<std::size_t>(i)];
        if (r.Flag != 0 || r.Spare != 0) std::abort();
        if (i > 1 && t[static_cast<std::size_t>(i - 1)].Size >= r.Size) ascending = false;
        for (int32_t dcode : {r.LineDcode, r.RoundDcode, r.SquareDcode}) {
            const std::string cell = tolvi::FormatDcodeCell(dcode);
            if (cell.size() != (dcode == 0 ? 9u : 5u) || cell[0] != (dcode == 0 ? ' ' : 'D')) std::abort();
        }
        for (int32_t probe : {r.Size, r.Size - 1, r.Size + 1}) {
            if ((probe == r.Size - 1 && r.Size == INT32_MIN) || (probe == r.Size + 1 && r.Size == INT32_MAX))
                continue;
            int32_t index = -1, insert = -1;
            tolvi::FindApertureSize(index, probe, insert);
            if (index < 0 || index > u) std::abort();
            if (index > 0 && t[static_cast<std::size_t>(index)].Size != probe) std::abort();
            if (index == 0 && (insert < 1 || insert > u + 1)) std::abort();
        }
    }
    if (ascending) {
        for (int32_t i = 1; i <= u; ++i) {
            int32_t index = -1, insert = -1;
            tolvi::FindApertureSize(index, t[static_cast<std::size_t>(i)].Size, insert);
            if (index != i) std::abort();
        }
    }
    return 0;
}
