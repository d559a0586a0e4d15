#include "common/size_settings.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>

#include "common/option_fields.h"
#include "common/option_scope.h"
#include "common/settings_access.h"

namespace tolvi {

static_assert(sizeof(gAirgaps) == kSysTableBytes[SysAirgaps] &&
              sizeof(gPadSizesK) == kSysTableBytes[SysPadSizes] &&
              sizeof(gLineWidths) - sizeof(gLineWidths[0]) == kSysTableBytes[SysLineWidths] &&
              sizeof(TextSizeRec) * 32 == kTextSizeTableBytes);

namespace {

const char kSizes[] = "SIZES";
const char kTexts[] = "TEXTS";

// Defaults of AgapsLI and LI0..LI15, row by row.
constexpr std::array<const char*, 17> kRowDefaults = {
    "30480, 30480, 30480",    "12700, 25400, 25400",    "20320, 50800, 50800",    "33020, 76200, 76200",
    "40640, 101600, 101600",  "50800, 127000, 127000",  "76200, 139700, 139700",  "101600, 157480, 157480",
    "127000, 177800, 177800", "157480, 190500, 190500", "177800, 203200, 203200", "190500, 215900, 215900",
    "218440, 228600, 228600", "228600, 254000, 254000", "254000, 304800, 304800", "381000, 381000, 381000",
    "508000, 508000, 508000"};
const char kLineWidthsDefault[] =
    "5080, 25400, 40640, 5080, 60960, 76200, 91440, 101600, 111760, 152400, 177800, 203200, 228600, "
    "254000, 304800, 406400";

// T0..T15 and T16..T31 differ only in the line width of the first entry.
constexpr std::array<const char*, 32> kTextDefaults = {
    "152400, 0",       "152400, 12700",   "304800, 12700",   "457200, 33020",   "609600, 33020",
    "762000, 40640",   "914400, 40640",   "1066800, 50800",  "1219200, 76200",  "1371600, 254000",
    "1524000, 254000", "1676400, 254000", "1828800, 304800", "1981200, 304800", "2133600, 304800",
    "2286000, 508000", "152400, 5080",    "152400, 12700",   "304800, 12700",   "457200, 33020",
    "609600, 33020",   "762000, 40640",   "914400, 40640",   "1066800, 50800",  "1219200, 76200",
    "1371600, 254000", "1524000, 254000", "1676400, 254000", "1828800, 304800", "1981200, 304800",
    "2133600, 304800", "2286000, 508000"};

std::string RowKey(std::size_t r) { return r == 0 ? std::string("AgapsLI") : "LI" + std::to_string(r - 1); }

// Bus and wire widths are read as single numbers with no decimal comma: "50,8" is 50.
void TakeWidth(const std::string& Text, int32_t& out) {
    int32_t v;
    if (RoundHalfEven(NumberIgnoringBlanks(Text), v)) out = v;
}

void Put(const char* Section, const std::string& Key, const std::string& Value) {
    int Err = 0;
    IniPutString(Section, Key, Value, Err);  // a failure has shown its box; the next key goes on
}

void ReadSizes() {
    // Every raw value first: ParseList overwrites its shared results.
    std::array<std::string, kRowDefaults.size()> rows;
    for (std::size_t r = 0; r < rows.size(); ++r) IniGetString(kSizes, RowKey(r), kRowDefaults[r], rows[r]);
    std::string bus, wire, lines;
    IniGetString(kSizes, "Buswidth", "50800", bus);
    IniGetString(kSizes, "Wirewidth", "5080", wire);
    IniGetString(kSizes, "LineWidths", kLineWidthsDefault, lines);

    TakeWidth(bus, gBusWidth);
    TakeWidth(wire, gWireWidth);
    ParseList(lines);
    for (std::size_t i = 1; i < gLineWidths.size(); ++i) TakeField(i, gLineWidths[i]);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        ParseList(rows[r]);
        for (std::size_t k = 0; k < 3; ++k) TakeField(k + 1, gCondSizes[r][k]);
    }
}

void WriteSizes() {
    for (std::size_t r = 0; r < gCondSizes.size(); ++r)
        Put(kSizes, RowKey(r), JoinNumbers(gCondSizes[r].begin(), gCondSizes[r].end()));
    Put(kSizes, "Buswidth", IniNumText(gBusWidth));
    Put(kSizes, "Wirewidth", IniNumText(gWireWidth));
    Put(kSizes, "LineWidths", JoinNumbers(gLineWidths.begin() + 1, gLineWidths.end()));
}

void ReadTextSizes() {
    std::array<std::string, kTextDefaults.size()> raw;
    for (std::size_t n = 0; n < raw.size(); ++n)
        IniGetString(kTexts, "T" + std::to_string(n), kTextDefaults[n], raw[n]);
    for (std::size_t n = 0; n < raw.size(); ++n) {
        ParseList(raw[n]);
        TextSizeRec& t = gTextSizes[n];
        int32_t h;
        if (RoundHalfEven(static_cast<double>(gTokNum[1]) / 6.0, h)) t.Height = h;
        t.Width = t.Height;
        TakeField(2, t.LineWidth);
    }
}

void WriteTextSizes() {
    for (std::size_t n = 0; n < kTextDefaults.size(); ++n) {
        const TextSizeRec& t = gTextSizes[n];
        // Six times the height can pass 32 bits; the number form takes it whole.
        Put(kTexts, "T" + std::to_string(n),
            IniNumText(static_cast<double>(int64_t{t.Height} * 6)) + "," + IniNumText(t.LineWidth));
    }
}

const PerDatabaseOptionSet kConductorSizes{ReadSizes, WriteSizes, LoadLineSizes, StoreLineSizes};
const PerDatabaseOptionSet kTextSizes{ReadTextSizes, WriteTextSizes, LoadTextSizeTable, StoreTextSizeTable};

}  // namespace

void ResetSizeSettingsState() {
    gCondSizes = {};
    gAirgaps = {};
    gPadSizesK = {};
    gBusWidth = 0;
    gWireWidth = 0;
    gLineWidths = {};
    gTextSizes = {};
}

void LoadSizes() { LoadInScope(kConductorSizes); }
void SaveSizes() { SaveInScope(kConductorSizes); }
void LoadTextSizes() { LoadInScope(kTextSizes); }
void SaveTextSizes() { SaveInScope(kTextSizes); }

void LoadLineSizes() {
    E_MemCopy(gAirgaps.data(), E_SysTable(SysAirgaps), kSysTableBytes[SysAirgaps]);
    E_MemCopy(gPadSizesK.data(), E_SysTable(SysPadSizes), kSysTableBytes[SysPadSizes]);
    E_MemCopy(&gBusWidth, E_SysTable(SysBusWidth), kSysTableBytes[SysBusWidth]);
    E_MemCopy(&gWireWidth, E_SysTable(SysWireWidth), kSysTableBytes[SysWireWidth]);
    E_MemCopy(&gLineWidths[1], E_SysTable(SysLineWidths), kSysTableBytes[SysLineWidths]);
    gCondSizes[0] = gAirgaps;
    for (std::size_t i = 0; i < gPadSizesK.size(); ++i)
        gCondSizes[i + 1] = {gPadSizesK[i].TraceWidth, gPadSizesK[i].RoundPad, gPadSizesK[i].SquarePad};
}

void StoreLineSizes() {
    gAirgaps = gCondSizes[0];
    for (std::size_t i = 0; i < gPadSizesK.size(); ++i)
        gPadSizesK[i] = {gCondSizes[i + 1][0], gCondSizes[i + 1][1], gCondSizes[i + 1][2]};
    const int64_t sum = int64_t{gWireWidth} + 20320;
    const int32_t wirePlus = static_cast<int32_t>(
        std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    E_MemCopy(E_SysTable(SysAirgaps), gAirgaps.data(), kSysTableBytes[SysAirgaps]);
    E_MemCopy(E_SysTable(SysPadSizes), gPadSizesK.data(), kSysTableBytes[SysPadSizes]);
    E_MemCopy(E_SysTable(SysBusWidth), &gBusWidth, kSysTableBytes[SysBusWidth]);
    E_MemCopy(E_SysTable(SysWireWidth), &gWireWidth, kSysTableBytes[SysWireWidth]);
    E_MemCopy(E_SysTable(SysWireWidthPlus), &wirePlus, kSysTableBytes[SysWireWidthPlus]);
    E_MemCopy(E_SysTable(SysLineWidths), &gLineWidths[1], kSysTableBytes[SysLineWidths]);
}

void LoadTextSizeTable() { E_MemCopy(gTextSizes.data(), DB_TextSizeTable(), kTextSizeTableBytes); }

void StoreTextSizeTable() { E_MemCopy(DB_TextSizeTable(), gTextSizes.data(), kTextSizeTableBytes); }

}  // namespace tolvi
