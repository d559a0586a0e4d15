// The database file reader on arbitrary bytes: it refuses or builds a database, never crashes, and
// whatever it builds saves and reads back the same. (The fuzzing build reads past the checksums.)
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "kernel/tpb_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<tolvi::kernel::Database> db = tolvi::kernel::ParseTpb(data, size);
    if (!db) return 0;
    const std::vector<uint8_t> saved = tolvi::kernel::SerializeTpb(*db);
    std::unique_ptr<tolvi::kernel::Database> again = tolvi::kernel::ParseTpb(saved.data(), saved.size());
    if (!again) std::abort();
    if (tolvi::kernel::SerializeTpb(*again) != saved) std::abort();
    return 0;
}
