// E_ (string table, settings tables), F_ (internal files), heaps, exit and the test reset.
#include <algorithm>
#include <cstring>

#include "kernel/api_util.h"
#include "kernel/fail_point.h"
#include "kernel/kernel.h"
#include "kernel/kernel_state.h"

using namespace tolvi::kernel;

namespace {

struct TableSpan {
    uint8_t* p;
    size_t n;
    bool content;  // part of the saved database (a real change marks it changed)
};

// Calls f(span) for every table an E_MemCopy address may point into right now, until f gives
// true. (Walked in place: E_MemCopy runs for every layer record of a load.)
template <class F>
void ForEachTable(F&& f) {
    Session& k = Kern();
    if (f(TableSpan{k.helpTable.data(), k.helpTable.size(), false}) ||
        f(TableSpan{k.table16.data(), k.table16.size(), false}))
        return;
    Database* db = Db();
    if (!db) return;
    for (size_t n = 0; n < db->tables.size(); ++n)
        if (!db->tables[n].empty() && f(TableSpan{db->tables[n].data(), db->tables[n].size(), n != 18}))
            return;
    if (f(TableSpan{db->textSizes.data(), db->textSizes.size(), true})) return;
    bool done = false;
    db->hierarchies.forEach([&](int32_t, Obj& o) {
        auto& mask = static_cast<Hierarchy&>(o).layerMask;
        if (!done) done = f(TableSpan{mask.data(), mask.size(), true});
    });
}

// The table holding [p, p+n) wholly, if any (the first in that order); `ok` turns false when the
// range only partly overlaps a table before it.
bool Locate(const void* p, size_t n, bool& ok, TableSpan& found) {
    const auto a = reinterpret_cast<uintptr_t>(p);
    bool any = false;
    ForEachTable([&](const TableSpan& t) {
        const auto b = reinterpret_cast<uintptr_t>(t.p);
        if (a >= b && n <= t.n && a - b <= t.n - n) {
            found = t;
            any = true;
            return true;
        }
        if (a < b + t.n && b < a + n) ok = false;
        return false;
    });
    return any;
}

File* FileOf(int32_t id) { return InDb<File>(&Database::files, id); }

constexpr int64_t kMaxFileBytes = int64_t(1) << 30;

}  // namespace

// --- E_ --------------------------------------------------------------------------------------

int32_t E_SetString(const char* key, const char* value) {
    return Guard([&]() -> int32_t {
        if (!key) return 0;
        auto& s = Kern().strings;
        if (!value)
            s.erase(key);
        else
            s[key] = value;
        return 1;
    });
}

const char* E_GetString(const char* key) {
    if (!key) return nullptr;
    return Guard([&]() -> const char* {
        auto& s = Kern().strings;
        auto it = s.find(key);
        return it == s.end() ? nullptr : it->second.c_str();
    });
}

uint8_t* E_SysTable(int32_t n) {
    KERNEL_FAIL_POINT(nullptr);
    Session& k = Kern();
    if (n == SysHelpState) return k.helpTable.data();
    if (n == SysProcess) return k.table16.data();
    if (n == SysLayerMask) {
        Hierarchy* h = CurHier();
        return h ? h->layerMask.data() : nullptr;
    }
    Database* db = Db();
    if (!db || n < 0 || n >= kSysTableCount || db->tables[size_t(n)].empty()) return nullptr;
    return db->tables[size_t(n)].data();
}

int32_t E_MemCopy(void* dest, const void* src, int32_t bytes) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        if (!dest || !src || bytes < 0) return 0;
        bool ok = true;
        TableSpan to{}, from{};
        const bool intoTable = Locate(dest, size_t(bytes), ok, to);
        const bool fromTable = Locate(src, size_t(bytes), ok, from);
        // Copies that touch no table at all are refused too: a stale table address would
        // otherwise write into freed memory.
        if (!ok || (!intoTable && !fromTable)) return 0;
        const bool differs = std::memcmp(dest, src, size_t(bytes)) != 0;
        std::memmove(dest, src, size_t(bytes));
        if (intoTable && to.content && differs) Db()->markChanged();
        return 1;
    });
}

// --- F_ --------------------------------------------------------------------------------------

int32_t F_CreateFile(int32_t id, const char* name) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Database* db = Db();
        if (!db || db->files.findName(Str(name))) return 0;
        return CreateIn<File>(&db->files, id, [&](File& f) { f.nm = Str(name); });
    });
}

int32_t F_Seek(int32_t file, int32_t offset, int32_t origin) {
    File* f = FileOf(file);
    if (!f || origin < 0 || origin > 2) return -1;
    const int64_t base = origin == 0 ? 0 : origin == 1 ? f->pos : int64_t(f->data.size());
    f->pos = std::clamp<int64_t>(base + offset, 0, INT32_MAX);
    return int32_t(f->pos);
}

int32_t F_Read(int32_t file, void* buf, int32_t bytes) {
    File* f = FileOf(file);
    if (!f || !buf || bytes <= 0) return 0;
    const int64_t size = int64_t(f->data.size());
    const int64_t avail = std::clamp<int64_t>(size - f->pos, 0, bytes);
    if (avail) std::memcpy(buf, f->data.data() + f->pos, size_t(avail));
    std::memset(static_cast<uint8_t*>(buf) + avail, 0, size_t(bytes - avail));
    f->pos = std::min<int64_t>(f->pos + bytes, INT32_MAX);
    return int32_t(avail);
}

int32_t F_Write(int32_t file, const void* buf, int32_t bytes) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        File* f = FileOf(file);
        if (!f || !buf || bytes <= 0) return 0;
        const int64_t end = f->pos + bytes;
        if (end > kMaxFileBytes) return 0;
        if (end > int64_t(f->data.size())) f->data.resize(size_t(end));
        std::memcpy(f->data.data() + f->pos, buf, size_t(bytes));
        f->pos = end;
        Touch(f);
        return bytes;
    });
}

int32_t F_GetLength(int32_t file) {
    File* f = FileOf(file);
    return f ? int32_t(f->data.size()) : 0;
}

int32_t F_SetLength(int32_t file, int32_t bytes) {
    return Guard([&]() -> int32_t {
        File* f = FileOf(file);
        if (!f || bytes < 0 || bytes > kMaxFileBytes) return 0;
        if (f->data.size() != size_t(bytes)) {
            f->data.resize(size_t(bytes));
            Touch(f);
        }
        f->pos = std::min<int64_t>(f->pos, bytes);
        return 1;
    });
}

// --- heaps, exit -----------------------------------------------------------------------------

// The kernel keeps no derived caches, so there is nothing to build or flush.
int32_t MakeHeap(int16_t, int32_t) { return 1; }
int32_t SaveHeap(int16_t) { return 1; }

int32_t EX_ExitClean() { return DB_DiscardDataBase(); }

namespace {
std::string& ArmedName() {
    static std::string* s = new std::string;
    return *s;
}
}  // namespace

bool tolvi::kernel::FailHere(const char* function) {
    if (ArmedName() != function) return false;
    gFailArmed = false;
    ArmedName().clear();
    return true;
}

void KernelFailNextForTests(const char* functionName) {
    ArmedName() = Str(functionName);
    gFailArmed = !ArmedName().empty();
}

void KernelResetForTests() {
    gFailArmed = false;
    ArmedName().clear();
    ResetDrawingState();
    ResetLibraryState();
    Session& k = Kern();
    k.db.reset();
    k.strings.clear();
    k.resetProcessTables();
    k.nodeView = 0;
    k.compLocation = {};
    k.saveFailure.clear();
}
