#include "common/grid_settings.h"

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
    int count;
};

// In the order the keys are read and written.
const GridKey* Keys() {
    static const GridKey keys[12] = {
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
    };
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
const GridTable* Tables() {
    static const GridTable tables[8] = {
        {SysSchGrid, gSchGrid.data()},           {SysSchSnap, gSchSnap.data()},
        {SysSchPrecision, gSchPrecision.data()}, {SysLayGrid, gLayGrid.data()},
        {SysLaySnap, gLaySnap.data()},           {SysLayPrecision, gLayPrecision.data()},
        {SysAngleSnap, gAngleSnap.data()},       {SysPickArea, gPickArea.data()},
    };
    return tables;
}

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

void LoadGridTables() {
    if (OptionsAreCurrent()) {
        LoadGridSettings();
        return;
    }
    // Every raw value first: ParseList overwrites its shared results.
    std::string raw[12];
    for (int i = 0; i < 12; ++i) IniGetString(kSection, Keys()[i].key, Keys()[i].def, raw[i]);
    for (int i = 0; i < 12; ++i) {
        ParseList(raw[i]);
        for (int f = 0; f < Keys()[i].count; ++f)
            TakeField(static_cast<std::size_t>(f) + 1, Keys()[i].first[f]);
    }
}

void SaveGridTables() {
    if (OptionsAreCurrent()) {
        PutGridTablesToKernel();
        return;
    }
    for (int i = 0; i < 12; ++i) {
        const GridKey& k = Keys()[i];
        int Err = 0;
        IniPutString(kSection, k.key, JoinNumbers(k.first, k.first + k.count), Err);  // failures go on
    }
}

void LoadGridSettings() {
    for (int i = 0; i < 8; ++i) {
        const GridTable& t = Tables()[i];
        E_MemCopy(t.data, E_SysTable(t.id), kSysTableBytes[t.id]);
    }
}

void PutGridTablesToKernel() {
    for (int i = 0; i < 8; ++i) {
        const GridTable& t = Tables()[i];
        E_MemCopy(E_SysTable(t.id), t.data, kSysTableBytes[t.id]);
    }
}

}  // namespace tolvi
