// Whole-file writes that never leave a half-written target, and bounded whole-file reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvi::kernel {

// Writes `data` to a temporary file beside `path`, syncs it, renames it over `path` and syncs
// the directory. On any failure the temporary file is removed, `path` is untouched and false
// is returned. An existing target keeps its permission bits.
bool WriteFileAtomic(const std::string& path, const void* data, size_t n);

// Reads a regular file of at most `maxBytes` bytes.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, size_t maxBytes);

}  // namespace tolvi::kernel
