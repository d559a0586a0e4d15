// The library container: part libraries (*.PART, kind "TolviDLL00", devices) and symbol
// libraries (*.SYMBOL, *.PACKAGE, *.PADSTACK, kind "TolviSLL00", symbols and padstacks).
//
// Framed as kernel/chunk_file.h describes, with the magic "\x89TLB\r\n\x1A\n" and the chunks
//   KIND  (first)     u32 length + the kind string
//   ENTR  (per entry, in stored order)
//                     u32 object kind (1 symbol, 2 padstack, 3 device) | u32 length + entry name
//                     | the object as the .TPB file stores it
//   END   (last)      u64 total file length
// A reader refuses a bad magic or checksum, a newer major version, truncation, a missing END,
// an unknown critical chunk, and entries that do not fit the library's kind or do not parse.
//
// Libraries are made by the design modules' library editor; the writer is here so that tests
// and benchmarks can make them too.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kernel/model.h"

namespace tolvi::kernel {

constexpr const char* kPartLibraryKind = "TolviDLL00";
constexpr const char* kSymbolLibraryKind = "TolviSLL00";
constexpr uint16_t kLibraryMajor = 1;
constexpr uint16_t kLibraryMinor = 0;
constexpr size_t kLibraryMaxFileBytes = size_t(256) << 20;

struct LibraryEntry {
    std::string name;
    Kind kind = Kind::Symbol;
    std::vector<uint8_t> bytes;  // the object's stored form
};

struct Library {
    std::string kind;
    std::vector<LibraryEntry> entries;
};

std::vector<uint8_t> SerializeLibrary(const Library& lib);
// Null when the bytes are not a sound library file of a version we read.
std::unique_ptr<Library> ParseLibrary(const uint8_t* data, size_t n);

// Builds a library from objects of the open database.
class LibraryWriter {
public:
    explicit LibraryWriter(std::string kind);

    // Each copies one object under its name (a padstack under `name`); false when the object
    // does not exist, does not belong in this kind of library, or the name is already taken.
    bool addDevice(int32_t deviceId);
    bool addSymbol(int32_t symbolId);
    bool addPadStack(int32_t padstackHandle, const std::string& name);

    const Library& library() const { return lib_; }
    std::vector<uint8_t> bytes() const { return SerializeLibrary(lib_); }
    // Written whole, atomically; false (and any old file untouched) on failure.
    bool save(const std::string& path) const;

private:
    bool add(Obj* o, Kind kind, const std::string& name);
    Library lib_;
};

}  // namespace tolvi::kernel
