// The library reader on arbitrary bytes: it refuses or builds a library, never crashes; whatever
// it builds saves and reads back the same, and every entry loads into the preview ids through
// the flat functions. (The fuzzing build reads past the checksums.)
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "fuzz_support.h"
#include "kernel/kernel.h"
#include "kernel/library_file.h"

namespace {

// Reads every field of the preview object the flat functions show.
void ReadSymbol(int32_t id) {
    SymbolRec s;
    if (!S_ReadSymbol(id, s)) std::abort();
    for (int32_t i = 1; i <= s.EntryCount && i <= 64; ++i) {
        EntryRec e;
        S_ReadEntry(id, i, e);
    }
    (void)OA_GetCount(S_SymbolItemArray(id));
}

void ReadDevice(int32_t id) {
    DeviceRec d;
    if (!D_ReadDevice(id, d)) std::abort();
    for (int32_t g = 1; g <= d.GroupCount && g <= 64; ++g) {
        DeviceGroupRec rec;
        D_ReadGroup(id, g, rec);
        const int32_t pins = D_GroupPinArray(id, g);
        for (int32_t p = 1; p <= rec.PinCount && p <= 64; ++p) {
            DevicePinRec pin;
            D_ReadPin(pins, p, pin);
        }
    }
}

// Input that does not start like a library file describes one, so that the fuzzer can change the
// stored objects freely without having to keep the file's lengths in step:
//   u8 (bit 0: part library) | per entry: u8 object kind | u8 name length + name
//                              | u16 object length + the object's stored form
std::vector<uint8_t> Described(const uint8_t* data, size_t size) {
    using namespace tolvi::kernel;
    Library lib;
    size_t pos = 1;
    lib.kind = data[0] & 1 ? kPartLibraryKind : kSymbolLibraryKind;
    while (pos + 2 <= size) {
        LibraryEntry e;
        const uint8_t code = data[pos++];
        e.kind = code % 3 == 0 ? Kind::Symbol : code % 3 == 1 ? Kind::PadStack : Kind::Device;
        const size_t nameLen = std::min<size_t>(data[pos], size - pos - 1);
        ++pos;
        e.name.assign(reinterpret_cast<const char*>(data + pos), nameLen);
        pos += nameLen;
        size_t len = 0;
        if (pos + 2 <= size) {
            len = data[pos] | size_t(data[pos + 1]) << 8;
            pos += 2;
        }
        len = std::min(len, size - pos);
        e.bytes.assign(data + pos, data + pos + len);
        pos += len;
        lib.entries.push_back(std::move(e));
    }
    return SerializeLibrary(lib);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tolvi::kernel;
    std::vector<uint8_t> described;
    if (size > 0 && data[0] != 0x89) {
        described = Described(data, size);
        data = described.data();
        size = described.size();
    }
    std::unique_ptr<Library> lib = ParseLibrary(data, size);
    if (!lib) return 0;
    const std::vector<uint8_t> saved = SerializeLibrary(*lib);
    std::unique_ptr<Library> again = ParseLibrary(saved.data(), saved.size());
    if (!again) std::abort();
    if (SerializeLibrary(*again) != saved) std::abort();

    static const std::string path = fuzz::ScratchDir() + "/fuzz.LIB";
    fuzz::WriteInput(path, data, size);
    KernelResetForTests();
    if (!DB_CreateDataBase("FUZZ", "MAINHIER", "MAINPAGE")) std::abort();
    const int32_t h = E_OpenLibrary(path.c_str(), lib->kind.c_str(), 0);
    if (!h) std::abort();
    for (int32_t i = 0;; ++i) {
        const char* name = E_GetLibDirName(h, i);
        if (!name) {
            if (size_t(i) != lib->entries.size()) std::abort();
            break;
        }
        // A name holding a NUL cannot be asked for through the flat functions.
        if (std::strlen(name) != lib->entries[size_t(i)].name.size()) continue;
        const int32_t ref = E_OpenLibToRead(h, name);
        if (!ref) std::abort();
        // The reference finds the first entry of that name; its kind decides the loader.
        size_t first = 0;
        while (lib->entries[first].name != name) ++first;
        const int32_t id = -1 - (i & 1);
        const Kind kind = lib->entries[first].kind;
        if (kind == Kind::Device) {
            if (D_LoadDevice(id, ref) != id || S_LoadSymbol(id, ref) != 0) std::abort();
            ReadDevice(id);
            OM_Delete(DB_DeviceMap(), id);
        } else if (kind == Kind::Symbol) {
            if (S_LoadSymbol(id, ref) != id || D_LoadDevice(id, ref) != 0) std::abort();
            ReadSymbol(id);
            OM_Delete(DB_SymbMap(), id);
        } else if (S_LoadSymbol(id, ref) != 0 || D_LoadDevice(id, ref) != 0) {
            std::abort();
        }
    }
    if (!E_CloseLibrary(h)) std::abort();
    KernelResetForTests();
    return 0;
}
