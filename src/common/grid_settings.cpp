#include "common/grid_settings.h"

#include <array>
#include <string>

#include "common/option_fields.h"
#include "common/option_scope.h"
#include "common/settings_access.h"
#include "kernel/kernel.h"

namespace tolvi {

namespace {

const char kSection[] = "Tolvi32";
const char kPrecisionDefault[] =
    "12, 254, 508, 1270, 2540, 5080,6350,10160,12700,15240,19050,20320,25400,50800,127000,254000, "
    "12,100,500,1000,2500,5000,7500,10000,12500,15000,17500,20000,25000,50000,125000,250000";

// One settings key: the run of entries it holds in its table.
struct GridKey {
    const char* key;
    const char* def;
    int32_t* first;
    std::size_t count;
};

// In the order the keys are read and written.
const std::array<GridKey, 12>& Keys() {
    static const std::array<GridKey, 12> keys = {{
        {"SchGridTable", "2, 508000,406400,254000,203200,101600,50800", &gSchGrid[0], 7},
        {"SchGridTableM", "2,500000,400000,250000,200000,100000,50000", &gSchGrid[7], 7},
        {"SchSnapTable", "2,254000,203200,127000,101600,50800,25400", &gSchSnap[0], 7},
        {"SchSnapTableM", "2,250000,200000,125000,100000,50000,25000", &gSchSnap[7], 7},
        {"LayGridTable", "2, 508000, 254000,127000,63500,25400,12700", &gLayGrid[0], 7},
        {"LayGridTableM", "2,254000,200000,130000,100000,65000,50000", &gLayGrid[7], 7},
        {"LaySnapTable", "2, 254000, 127000,63500,25400,12700,2540", &gLaySnap[0], 7},
        {"LaySnapTableM", "2,127000,100000,65000,50000,32500,25000", &gLaySnap[7], 7},
        {"AngleSnapTable", "1, 1000, 5000, 10000, 30000, 45000, 90000", gAngleSnap.data(), 7},
        {"PickTable", "2, 1, 2, 4, 8", gPickArea.data(), 5},
        {"SchPrecision", kPrecisionDefault, gSchPrecision.data(), 32},
        {"LayPrecision", kPrecisionDefault, gLayPrecision.data(), 32},
    }};
    return keys;
}

// A database table and the memory table it images, byte for byte.
struct GridTable {
    int32_t id;
    int32_t* data;
};
static_assert(sizeof gSchGrid == kSysTableBytes[SysSchGrid] &&
              sizeof gSchSnap == kSysTableBytes[SysSchSnap] &&
              sizeof gLayGrid == kSysTableBytes[SysLayGrid] &&
              sizeof gLaySnap == kSysTableBytes[SysLaySnap] &&
              sizeof gSchPrecision == kSysTableBytes[SysSchPrecision] &&
              sizeof gLayPrecision == kSysTableBytes[SysLayPrecision] &&
              sizeof gAngleSnap == kSysTableBytes[SysAngleSnap] &&
              sizeof gPickArea == kSysTableBytes[SysPickArea]);

// In the order the tables are copied.
const std::array<GridTable, 8>& Tables() {
    static const std::array<GridTable, 8> tables = {{
        {SysSchGrid, gSchGrid.data()},
        {SysSchSnap, gSchSnap.data()},
        {SysSchPrecision, gSchPrecision.data()},
        {SysLayGrid, gLayGrid.data()},
        {SysLaySnap, gLaySnap.data()},
        {SysLayPrecision, gLayPrecision.data()},
        {SysAngleSnap, gAngleSnap.data()},
        {SysPickArea, gPickArea.data()},
    }};
    return tables;
}

void ReadGridKeys() {
    // Every raw value first: ParseList overwrites its shared results.
    std::array<std::string, 12> raw;
    for (std::size_t i = 0; i < raw.size(); ++i) IniGetString(kSection, Keys()[i].key, Keys()[i].def, raw[i]);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        ParseList(raw[i]);
        for (std::size_t f = 0; f < Keys()[i].count; ++f) TakeField(f + 1, Keys()[i].first[f]);
    }
}

void WriteGridKeys() {
    for (const GridKey& k : Keys()) {
        int Err = 0;
        IniPutString(kSection, k.key, JoinNumbers(k.first, k.first + k.count), Err);  // failures go on
    }
}

const PerDatabaseOptionSet kGridTables{ReadGridKeys, WriteGridKeys, LoadGridSettings, PutGridTablesToKernel};

}  // namespace

void ResetGridSettingsState() {
    gSchGrid = {};
    gSchSnap = {};
    gLayGrid = {};
    gLaySnap = {};
    gSchPrecision = {};
    gLayPrecision = {};
    gAngleSnap = {};
    gPickArea = {};
}

void LoadGridTables() { LoadInScope(kGridTables); }

void SaveGridTables() { SaveInScope(kGridTables); }

void LoadGridSettings() {
    for (const GridTable& t : Tables()) E_MemCopy(t.data, E_SysTable(t.id), kSysTableBytes[t.id]);
}

void PutGridTablesToKernel() {
    for (const GridTable& t : Tables()) E_MemCopy(E_SysTable(t.id), t.data, kSysTableBytes[t.id]);
}

}  // namespace tolvi
