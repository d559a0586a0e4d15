// Part and symbol libraries: E_OpenLibrary reads and checks the whole file and keeps it until
// E_CloseLibrary; entry references name one entry of one open library.
//
// The library dialogs open the same library again for every entry they preview and every name
// they look for; checking every object of a large library each time would cost more than the
// designer may wait. So the last libraries read are kept with their file's bytes, and a file whose
// bytes are the same again is not parsed again.
#include <list>
#include <map>

#include "kernel/api_util.h"
#include "kernel/fail_point.h"
#include "kernel/file_input.h"
#include "kernel/kernel.h"
#include "kernel/kernel_state.h"
#include "kernel/library_file.h"
#include "kernel/tpb_store.h"

using namespace tolvi::kernel;

namespace {

struct EntryRef {
    int32_t library = 0;
    size_t index = 0;
};

struct Parsed {
    std::string path;
    std::vector<uint8_t> bytes;  // the file as it was read
    std::shared_ptr<const Library> lib;
};

// At most this many libraries, and this many of their bytes, are kept for a next opening.
constexpr size_t kKeptLibraries = 4;
constexpr size_t kKeptBytes = size_t(64) << 20;

struct Libraries {
    std::map<int32_t, std::shared_ptr<const Library>> open;
    std::list<Parsed> parsed;  // most recent first
    std::map<int32_t, EntryRef> refs;
    // Never reused within a run, so a stale handle or reference finds nothing.
    int32_t nextHandle = 1;
    int32_t nextRef = 1;
};

Libraries& Libs() {
    static Libraries* l = new Libraries;
    return *l;
}

const Library* Open(int32_t handle) {
    auto it = Libs().open.find(handle);
    return it == Libs().open.end() ? nullptr : it->second.get();
}

const LibraryEntry* EntryOfRef(int32_t ref, Kind kind) {
    auto it = Libs().refs.find(ref);
    if (it == Libs().refs.end()) return nullptr;
    const Library* lib = Open(it->second.library);
    if (!lib || it->second.index >= lib->entries.size()) return nullptr;
    const LibraryEntry& e = lib->entries[it->second.index];
    return e.kind == kind ? &e : nullptr;
}

// Copies entry `ref` of kind `kind` into `m` under `id`; the key, or 0 with nothing added.
int32_t LoadInto(ObjectMap* m, int32_t id, int32_t ref, Kind kind) {
    const LibraryEntry* e = EntryOfRef(ref, kind);
    if (!m || !e) return 0;
    const int32_t key = m->allocate(id);
    if (!key) return 0;
    std::unique_ptr<Obj> o = ParseObject(kind, e->bytes.data(), e->bytes.size());
    if (!o) return 0;
    Touch(m->insert(key, std::move(o)));
    return key;
}

// The parsed library of these bytes read from path: the one kept when its bytes are the same,
// else parsed now (and kept); null when they are no sound library.
std::shared_ptr<const Library> ParseKept(const std::string& path, std::vector<uint8_t>&& bytes) {
    std::list<Parsed>& kept = Libs().parsed;
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        if (it->path != path) continue;
        if (it->bytes == bytes) {
            kept.splice(kept.begin(), kept, it);
            return it->lib;
        }
        kept.erase(it);
        break;
    }
    std::shared_ptr<const Library> lib = ParseLibrary(bytes.data(), bytes.size());
    if (!lib) return nullptr;
    kept.push_front(Parsed{path, std::move(bytes), lib});
    size_t total = 0, n = 0;
    for (auto it = kept.begin(); it != kept.end();) {
        total += it->bytes.size();
        if (++n > kKeptLibraries || (n > 1 && total > kKeptBytes))
            it = kept.erase(it);
        else
            ++it;
    }
    return lib;
}

}  // namespace

namespace tolvi::kernel {

void ResetLibraryState() { Libs() = Libraries{}; }

}  // namespace tolvi::kernel

int32_t E_OpenLibrary(const char* path, const char* kind, int32_t mode) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        if (!path || !*path || mode != 0) return 0;
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(path, bytes, kLibraryMaxFileBytes)) return 0;
        std::shared_ptr<const Library> lib = ParseKept(path, std::move(bytes));
        if (!lib || lib->kind != Str(kind)) return 0;
        Libraries& l = Libs();
        if (l.nextHandle == INT32_MAX) return 0;
        const int32_t h = l.nextHandle++;
        l.open.emplace(h, std::move(lib));
        return h;
    });
}

const char* E_GetLibDirName(int32_t handle, int32_t i) {
    const Library* lib = Open(handle);
    if (!lib || i < 0 || size_t(i) >= lib->entries.size()) return nullptr;
    return lib->entries[size_t(i)].name.c_str();
}

int32_t E_OpenLibToRead(int32_t handle, const char* name) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        const Library* lib = Open(handle);
        if (!lib || !name) return 0;
        for (size_t i = 0; i < lib->entries.size(); ++i) {
            if (lib->entries[i].name != name) continue;
            Libraries& l = Libs();
            if (l.nextRef == INT32_MAX) return 0;
            const int32_t ref = l.nextRef++;
            l.refs.emplace(ref, EntryRef{handle, i});
            return ref;
        }
        return 0;
    });
}

int32_t E_CloseLibrary(int32_t handle) {
    return Guard([&]() -> int32_t {
        Libraries& l = Libs();
        if (!l.open.erase(handle)) return 0;
        std::erase_if(l.refs, [&](const auto& r) { return r.second.library == handle; });
        return 1;
    });
}

int32_t D_LoadDevice(int32_t id, int32_t libEntryRef) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Database* db = Db();
        return db ? LoadInto(&db->devices, id, libEntryRef, Kind::Device) : 0;
    });
}

int32_t S_LoadSymbol(int32_t id, int32_t libEntryRef) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Database* db = Db();
        return db ? LoadInto(&db->symbols, id, libEntryRef, Kind::Symbol) : 0;
    });
}
