#include "kernel/library_file.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include "base/file_replace.h"
#include "kernel/arena.h"
#include "kernel/chunk_file.h"
#include "kernel/tpb_store.h"

namespace tolvi::kernel {

namespace {

constexpr FileKind kLibraryFile = {
    {'\x89', 'T', 'L', 'B', '\r', '\n', '\x1A', '\n'}, kLibraryMajor, kLibraryMinor};

uint32_t KindCode(Kind k) {
    switch (k) {
        case Kind::Symbol:
            return 1;
        case Kind::PadStack:
            return 2;
        case Kind::Device:
            return 3;
        default:
            return 0;
    }
}

bool KindFromCode(uint32_t c, Kind& k) {
    if (c == 1)
        k = Kind::Symbol;
    else if (c == 2)
        k = Kind::PadStack;
    else if (c == 3)
        k = Kind::Device;
    else
        return false;
    return true;
}

// Whether a library of `kind` may hold objects of `k`.
bool Fits(const std::string& kind, Kind k) {
    if (kind == kPartLibraryKind) return k == Kind::Device;
    if (kind == kSymbolLibraryKind) return k == Kind::Symbol || k == Kind::PadStack;
    return false;
}

void PutString(ChunkWriter& w, const std::string& s) {
    w.u32(uint32_t(s.size()));
    w.raw(s.data(), s.size());
}

// Bounded reads from one chunk's payload.
struct Cursor {
    const uint8_t* p;
    const uint8_t* end;
    bool u32(uint32_t& v) {
        if (size_t(end - p) < 4) return false;
        std::memcpy(&v, p, 4);
        p += 4;
        return true;
    }
    bool str(std::string& s) {
        uint32_t n;
        if (!u32(n) || n > size_t(end - p)) return false;
        s.assign(reinterpret_cast<const char*>(p), n);
        p += n;
        return true;
    }
};

}  // namespace

std::vector<uint8_t> SerializeLibrary(const Library& lib) {
    ChunkWriter w;
    w.header(kLibraryFile);
    w.chunk("KIND", [&] { PutString(w, lib.kind); });
    for (const LibraryEntry& e : lib.entries) {
        w.chunk("ENTR", [&] {
            w.u32(KindCode(e.kind));
            PutString(w, e.name);
            w.raw(e.bytes.data(), e.bytes.size());
        });
    }
    w.end(w.size());
    FinishHeader(w.at(0), w.size());
    return w.bytes();
}

namespace {

// Whether every entry's object parses. Each is parsed and dropped at once, in an arena of its
// thread's (pieces handed out and taken back without the heap); a large library's entries are
// shared among a few threads, as opening one is what a designer waits for.
bool EntriesParse(const std::vector<LibraryEntry>& entries) {
    constexpr size_t kEntriesPerThread = 1024;
    const auto check = [&](size_t from, size_t to, std::atomic<bool>& ok) {
        Arena scratch(size_t(1) << 20);
        ArenaScope scope(&scratch);
        for (size_t i = from; i < to && ok.load(std::memory_order_relaxed); ++i)
            if (!ParseObject(entries[i].kind, entries[i].bytes.data(), entries[i].bytes.size())) ok = false;
    };
    std::atomic<bool> ok{true};
    static const size_t cores = std::thread::hardware_concurrency();
    const size_t threads =
        std::clamp<size_t>(entries.size() / kEntriesPerThread, 1, std::clamp<size_t>(cores, 1, 4));
    std::vector<std::thread> helpers;
    const size_t share = (entries.size() + threads - 1) / threads;
    for (size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(check, t * share, std::min(entries.size(), (t + 1) * share), std::ref(ok));
        } catch (...) {
            check(t * share, std::min(entries.size(), (t + 1) * share), ok);  // no thread to be had
        }
    }
    check(0, std::min(entries.size(), share), ok);
    for (std::thread& h : helpers) h.join();
    return ok;
}

}  // namespace

std::unique_ptr<Library> ParseLibrary(const uint8_t* data, size_t n) {
    if (!data || !HeaderMatches(data, kLibraryFile, n)) return nullptr;
    auto lib = std::make_unique<Library>();
    bool haveKind = false, ended = false;
    ChunkHead c;
    for (size_t pos = kFileHeaderBytes; pos < n; pos = c.next) {
        if (ended || !ReadChunkHead(data + pos, pos, n, c) || !ChunkChecksumMatches(data + pos, c.length))
            return nullptr;
        Cursor r{data + pos + kChunkHeadBytes, data + pos + kChunkHeadBytes + c.length};
        if (c.tag == "KIND") {
            if (haveKind || !r.str(lib->kind) || r.p != r.end) return nullptr;
            if (lib->kind != kPartLibraryKind && lib->kind != kSymbolLibraryKind) return nullptr;
            haveKind = true;
        } else if (c.tag == "ENTR") {
            LibraryEntry e;
            uint32_t code;
            if (!haveKind || !r.u32(code) || !KindFromCode(code, e.kind) || !Fits(lib->kind, e.kind) ||
                !r.str(e.name))
                return nullptr;
            e.bytes.assign(r.p, r.end);
            lib->entries.push_back(std::move(e));
        } else if (c.tag == "END ") {
            if (!EndMatches(r.p, c.length, n)) return nullptr;
            ended = true;
        } else if (c.flags & kCriticalChunk) {
            return nullptr;
        }
    }
    if (!ended || !haveKind || !EntriesParse(lib->entries)) return nullptr;
    return lib;
}

LibraryWriter::LibraryWriter(std::string kind) { lib_.kind = std::move(kind); }

bool LibraryWriter::add(Obj* o, Kind kind, const std::string& name) {
    if (!o || o->kind != kind || !Fits(lib_.kind, kind)) return false;
    for (const LibraryEntry& e : lib_.entries)
        if (e.name == name) return false;
    lib_.entries.push_back({name, kind, SerializeObject(*o)});
    return true;
}

bool LibraryWriter::addDevice(int32_t deviceId) {
    Database* db = Db();
    Obj* o = db ? db->devices.find(deviceId) : nullptr;
    return o && add(o, Kind::Device, *o->name());
}

bool LibraryWriter::addSymbol(int32_t symbolId) {
    Database* db = Db();
    Obj* o = db ? db->symbols.find(symbolId) : nullptr;
    return o && add(o, Kind::Symbol, *o->name());
}

bool LibraryWriter::addPadStack(int32_t padstackHandle, const std::string& name) {
    return add(ObjectOf(padstackHandle), Kind::PadStack, name);
}

bool LibraryWriter::save(const std::string& path) const {
    const std::vector<uint8_t> b = bytes();
    return base::ReplaceFile(path, b.data(), b.size()) == 0;
}

}  // namespace tolvi::kernel
