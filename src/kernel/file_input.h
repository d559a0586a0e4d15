// Bounded reads of whole files. (Whole files are written through base/file_replace.h.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvi::kernel {

// Reads a regular file of at most `maxBytes` bytes.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, size_t maxBytes);
// A regular file of at most `maxBytes` bytes, read in pieces at any offset.
class InputFile {
public:
    InputFile(const std::string& path, size_t maxBytes);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool open() const { return fd_ >= 0; }
    size_t size() const { return size_; }
    // Fills `out` with bytes [pos, pos + n); false when they are past the end or cannot be read.
    bool read(size_t pos, void* out, size_t n) const;

private:
    int fd_ = -1;
    size_t size_ = 0;
};

}  // namespace tolvi::kernel
