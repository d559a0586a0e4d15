#include "kernel/library_file.h"

#include <cstring>

#include "base/file_replace.h"
#include "kernel/crc32.h"
#include "kernel/tpb_store.h"

namespace tolvi::kernel {

namespace {

constexpr char kMagic[8] = {'\x89', 'T', 'L', 'B', '\r', '\n', '\x1A', '\n'};
constexpr size_t kHeaderBytes = 32;
constexpr size_t kChunkHeadBytes = 16;
constexpr uint32_t kCritical = 1;

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

void Put(std::vector<uint8_t>& out, const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    out.insert(out.end(), b, b + n);
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) { Put(out, &v, 4); }
void PutString(std::vector<uint8_t>& out, const std::string& s) {
    PutU32(out, uint32_t(s.size()));
    Put(out, s.data(), s.size());
}

void Chunk(std::vector<uint8_t>& out, const char (&tag)[5], const std::vector<uint8_t>& payload) {
    const size_t start = out.size();
    Put(out, tag, 4);
    PutU32(out, kCritical);
    const uint64_t len = payload.size();
    Put(out, &len, 8);
    Put(out, payload.data(), payload.size());
    PutU32(out, Crc32(out.data() + start, out.size() - start));
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
    std::vector<uint8_t> out;
    Put(out, kMagic, 8);
    Put(out, &kLibraryMajor, 2);
    Put(out, &kLibraryMinor, 2);
    PutU32(out, 0);
    out.resize(kHeaderBytes);  // length and CRC are filled in at the end

    std::vector<uint8_t> payload;
    PutString(payload, lib.kind);
    Chunk(out, "KIND", payload);
    for (const LibraryEntry& e : lib.entries) {
        payload.clear();
        PutU32(payload, KindCode(e.kind));
        PutString(payload, e.name);
        Put(payload, e.bytes.data(), e.bytes.size());
        Chunk(out, "ENTR", payload);
    }
    const uint64_t total = out.size() + kChunkHeadBytes + 8 + 4;
    payload.clear();
    Put(payload, &total, 8);
    Chunk(out, "END ", payload);

    const uint64_t area = out.size() - kHeaderBytes;
    std::memcpy(out.data() + 16, &area, 8);
    const uint32_t crc = Crc32(out.data(), 24);
    std::memcpy(out.data() + 24, &crc, 4);
    return out;
}

std::unique_ptr<Library> ParseLibrary(const uint8_t* data, size_t n) {
    if (!data || n < kHeaderBytes || std::memcmp(data, kMagic, 8) != 0) return nullptr;
    uint16_t major;
    uint64_t area;
    uint32_t headerCrc;
    std::memcpy(&major, data + 8, 2);
    std::memcpy(&area, data + 16, 8);
    std::memcpy(&headerCrc, data + 24, 4);
    if (!ChecksumMatches(headerCrc, data, 24) || major != kLibraryMajor || area != n - kHeaderBytes)
        return nullptr;

    auto lib = std::make_unique<Library>();
    bool haveKind = false, ended = false;
    size_t pos = kHeaderBytes;
    while (pos < n) {
        if (ended || n - pos < kChunkHeadBytes + 4) return nullptr;
        const uint8_t* c = data + pos;
        uint32_t flags, crc;
        uint64_t len;
        std::memcpy(&flags, c + 4, 4);
        std::memcpy(&len, c + 8, 8);
        if (len > n - pos - kChunkHeadBytes - 4) return nullptr;
        std::memcpy(&crc, c + kChunkHeadBytes + len, 4);
        if (!ChecksumMatches(crc, c, kChunkHeadBytes + len)) return nullptr;
        const std::string tag(reinterpret_cast<const char*>(c), 4);
        Cursor r{c + kChunkHeadBytes, c + kChunkHeadBytes + len};
        pos += kChunkHeadBytes + len + 4;

        if (tag == "KIND") {
            if (haveKind || !r.str(lib->kind) || r.p != r.end) return nullptr;
            if (lib->kind != kPartLibraryKind && lib->kind != kSymbolLibraryKind) return nullptr;
            haveKind = true;
        } else if (tag == "ENTR") {
            LibraryEntry e;
            uint32_t code;
            if (!haveKind || !r.u32(code) || !KindFromCode(code, e.kind) || !Fits(lib->kind, e.kind) ||
                !r.str(e.name))
                return nullptr;
            e.bytes.assign(r.p, r.end);
            if (!ParseObject(e.kind, e.bytes.data(), e.bytes.size())) return nullptr;
            lib->entries.push_back(std::move(e));
        } else if (tag == "END ") {
            uint64_t total;
            if (len != 8) return nullptr;
            std::memcpy(&total, r.p, 8);
            if (total != n) return nullptr;
            ended = true;
        } else if (flags & kCritical) {
            return nullptr;
        }
    }
    if (!ended || !haveKind) return nullptr;
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
