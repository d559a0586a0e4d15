// Whole-file writes that never leave a half-written target, and bounded whole-file reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvi::kernel {

// A file written in pieces to a temporary file beside its target and put in place by commit():
// the data is synced, renamed over the target and the directory synced. Until commit()
// succeeds the target is untouched; the temporary file goes away with the object. An existing
// target keeps its permission bits.
class AtomicFile {
public:
    explicit AtomicFile(const std::string& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool write(const void* data, size_t n);
    bool writeAt(uint64_t offset, const void* data, size_t n);
    bool commit();

private:
    std::string path_, dir_, tmp_;
    int fd_ = -1;
    bool created_ = false;
    bool ok_ = false;
};

// Writes `data` to a temporary file beside `path`, syncs it, renames it over `path` and syncs
// the directory. On any failure the temporary file is removed, `path` is untouched and false
// is returned. An existing target keeps its permission bits.
bool WriteFileAtomic(const std::string& path, const void* data, size_t n);

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
