// The ASCII load as the load window runs it (reader, reset after a failure, older-form conversion,
// selection, settings stored into the database) on arbitrary bytes, over a fresh kernel each time.
//
// An input that starts with byte 0x01 uses its second byte k to press Cancel at the reader's k-th
// yield (every 101 lines); the rest is the file.
//
// It must end with 0, 1 or 2; show one box exactly when it fails (none when it loads or is
// cancelled); after a failure or a cancel leave the empty "Untitled" database with the settings
// file's option values and the Default scope. A file that loads is written again and loaded: that
// must load too, and written again it must be the same file. Where the loaded database holds what
// the format cannot carry (via padstacks out of order, a layout component link 0, a plain text
// that begins with a double quote, a layer label with blanks at an end, an empty pin name, a
// quoted name holding a quote), the same must hold one round later.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "common/colour_settings.h"
#include "common/db_session.h"
#include "common/general_settings.h"
#include "common/grid_settings.h"
#include "common/layer_settings.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "common/size_settings.h"
#include "common/utilities.h"
#include "fuzz_support.h"
#include "interchange/ascii_format.h"
#include "interchange/ascii_loader.h"
#include "interchange/exporter.h"
#include "interchange/map_walk.h"
#include "interchange/object_builders.h"
#include "kernel/kernel.h"
#include "platform/ui.h"

namespace {

using namespace tolvi;

class CountingUi : public platform::Ui {
public:
    int boxes = 0;
    int MsgBox(const std::string&, int, const std::string&) override {
        ++boxes;
        return platform::kAnswerOk;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> FileDialog(const platform::FileDialogRequest&) override {
        return std::nullopt;
    }
    void Beep() override {}
    void SetBusyPointer(bool) override {}
    bool BusyPointer() const override { return false; }
    void ShowModal(QWidget*) override {}
    void ShowModeless(QWidget*) override {}
    void DoEvents() override {}
};

struct CancelAt : ExportView {
    AsciiLoader* loader = nullptr;
    int at = 0;  // 0: never
    int yields = 0;
    void ShowMsg(const std::string&) override {}
    void Yield() override {
        if (++yields == at) loader->mCancel = true;
    }
};

// Every option table the load touches, as one comparable value.
struct Tables {
    std::array<int32_t, 14> sg, ss, lg, ls;
    std::array<int32_t, 32> sp, lp;
    std::array<int32_t, 7> angle;
    std::array<int32_t, 5> pick;
    std::array<std::array<int32_t, 3>, 17> cond;
    int32_t bus, wire;
    std::vector<int32_t> text;
    std::vector<std::string> names;
    std::vector<int32_t> values;

    static Tables Now() {
        Tables t{gSchGrid,      gSchSnap,   gLayGrid,  gLaySnap,   gSchPrecision,
                 gLayPrecision, gAngleSnap, gPickArea, gCondSizes, gBusWidth,
                 gWireWidth,    {},         {},        {}};
        for (const TextSizeRec& s : gTextSizes) t.text.insert(t.text.end(), {s.Width, s.Height, s.LineWidth});
        for (const LayerRec& l : gLayers) {
            t.names.push_back(l.Name);
            t.values.insert(t.values.end(), {l.Enabled, l.Colour});
        }
        for (const auto* table : {&gSchCategories, &gLayCategories})
            for (const CategoryRec& c : *table) {
                t.names.push_back(c.Name);
                t.values.insert(t.values.end(), {c.Id, c.Colour});
            }
        return t;
    }
    bool operator==(const Tables&) const = default;
};

struct Setup {
    CountingUi ui;
    Tables settings{};
    std::string input = fuzz::ScratchDir() + "/in.TPA";
    std::string once = fuzz::ScratchDir() + "/once.TPA";
    std::string twice = fuzz::ScratchDir() + "/twice.TPA";
    std::string thrice = fuzz::ScratchDir() + "/thrice.TPA";

    Setup() {
        platform::SetUi(&ui);
        gIniFile = fuzz::ScratchDir() + "/TOLVI32.INI";
        gSysVer = "1.0";
        LoadAllOptionSets();
        settings = Tables::Now();
        Fresh();
        SaveAllOptionSets();  // the settings file as every later store leaves it
    }
    static void Fresh() {
        KernelResetForTests();
        gDbTitle = "Untitled";
        CreateEmptyDatabase();
        UpdateMainCaption(gDbHandle);
    }
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int32_t Load(Setup& s, const std::string& path, int cancelAt = 0) {
    CancelAt view;
    AsciiLoader loader(&view);
    view.loader = &loader;
    view.at = cancelAt;
    gExportFile = path;
    loader.FormLoad();
    s.ui.boxes = 0;
    std::string message;
    const int32_t result = loader.Continue(message);
    if (result < 0 || result > 2) std::abort();
    if (s.ui.boxes != (result == 1 ? 1 : 0)) std::abort();
    if (gOptCurrent != 0) std::abort();
    if (DB_CurHier() == 0 || !OM_Object(DB_HierarchyMap(), DB_CurHier())) std::abort();
    return result;
}

int32_t Write(const std::string& path) {
    const int32_t result = WriteExportFile(1, path);
    if (result != 0) std::abort();  // the writer of a loaded database cannot fail here
    return result;
}

// The empty database a failed load must leave.
void CheckFresh(const Setup& s) {
    if (CStrFromPtr(O_GetName(DB_DataBase())) != "Untitled") std::abort();
    int32_t cursor = OM_GetFirst(DB_HierarchyMap());
    if (OM_SearchMask(DB_HierarchyMap(), cursor, 0, 0) != 1 ||
        OM_SearchMask(DB_HierarchyMap(), cursor, 0, 0) != 0)
        std::abort();
    if (CStrFromPtr(O_GetName(OM_Object(DB_HierarchyMap(), 1))) != "MAINHIER") std::abort();
    for (int32_t map : {DB_SymbMap(), DB_DeviceMap(), DB_PadStackMap(), DB_NetMap(), DB_ViaMap()}) {
        cursor = OM_GetFirst(map);
        if (OM_SearchMask(map, cursor, 0, 0) != 0) std::abort();
    }
    if (!(Tables::Now() == s.settings)) std::abort();
}

// Whether the loaded database holds something the format cannot give back in one round, or that
// the writer cannot write in reasonable time (a bus member far out, walked position by position).
struct Reach {
    bool oneRound = true;
    bool writable = true;
};

Reach LoadedReach(const std::string& written) {
    Reach r;
    for (size_t k = 2; k < gViaPadStacks.size(); ++k)
        if (gViaPadStacks[k] <= gViaPadStacks[k - 1]) r.oneRound = false;
    const int32_t kept = DB_CurHier();
    for (int32_t h = 1; h <= 99; ++h) {
        if (DB_SetCurHier(h) == 0) continue;
        Walk(DB_BusMap(), [&](int32_t bus) {
            BusRec b;
            if (N_ReadBus(bus, b) && b.LastMember > 100000) r.writable = false;
        });
        Walk(DB_LayCompMap(), [&](int32_t comp) {
            LayCompRec c;
            if (!L_ReadComponent(comp, c)) return;
            for (int32_t i = 1; i <= c.LinkCount; ++i)
                if (L_GetSchCompId(comp, i) == 0) r.oneRound = false;
        });
    }
    DB_SetCurHier(kept);
    // Plain texts (not quoted by the writer) that begin with a double quote read back without it.
    size_t start = 0;
    for (size_t end; (end = written.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = written.substr(start, end - start);
        const int32_t type = std::atoi(line.c_str());
        // Where the field after the k-th comma starts, or npos.
        const auto after = [&](int32_t k) {
            size_t at = 0;
            for (int32_t i = 0; i < k && at != std::string::npos; ++i) {
                at = line.find(',', at);
                if (at != std::string::npos) ++at;
            }
            return at < line.size() ? at : std::string::npos;
        };
        // A name between quotes that holds a quote may be read back cut, when a comma follows the
        // quote and the record's field count still fits.
        const auto quotes = std::count(line.begin(), line.end(), '"');
        int32_t named = 2;  // quotes the record's names take
        switch (type) {
            case kRecSymbolPin:
            case kRecGroup:
                named = 4;
                break;
            case kRecPart:
                named = 6;
                break;
            default:
                break;
        }
        if (quotes > named) r.oneRound = false;
        // An empty pin name comes back as the entry's number.
        const size_t pin = after(5);
        if (type == kRecSymbolPin && pin != std::string::npos && line.compare(pin, 3, "\"\",") == 0)
            r.oneRound = false;
        int32_t before = -1;  // number fields between the type and a plain text
        switch (type) {
            case kRecHeader:
                // A comma in the database name: its first word is read as the name.
                if (gDbName.find(',') != std::string::npos) r.oneRound = false;
                before = 0;
                break;
            case kRecDesigner:
            case kRecRevision:
                before = 0;
                break;
            case kRecCategory:
            case kRecHierarchy:
            case kRecPage:
                before = 1;
                break;
            case kRecLayer:
                before = 2;
                break;
            default:
                break;
        }
        if (before < 0) continue;
        const size_t at = after(before + 1);
        if (at == std::string::npos) continue;
        if (line[at] == '"') r.oneRound = false;
        // Layer labels are read trimmed; the kernel's default ones may end in a blank.
        if (type == kRecLayer && (line[at] == ' ' || line.back() == ' ')) r.oneRound = false;
    }
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup s;
    int cancelAt = 0;
    if (size >= 2 && data[0] == 0x01) {
        cancelAt = data[1];
        data += 2, size -= 2;
    }
    Setup::Fresh();
    fuzz::WriteInput(s.input, data, size);
    const int32_t result = Load(s, s.input, cancelAt);
    if (result != 0) {
        CheckFresh(s);
        return 0;
    }
    // The differential: written, loaded and written again.
    Write(s.once);
    const std::string once = ReadFile(s.once);
    const Reach reach = LoadedReach(once);
    if (!reach.writable) return 0;
    if (Load(s, s.once) != 0) std::abort();
    Write(s.twice);
    const std::string twice = ReadFile(s.twice);
    if (reach.oneRound) {
        if (twice != once) std::abort();
        return 0;
    }
    if (Load(s, s.twice) != 0) std::abort();
    Write(s.thrice);
    if (ReadFile(s.thrice) != twice) std::abort();
    return 0;
}
