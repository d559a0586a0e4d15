// Whole-file writes that never leave a half-written target, and bounded whole-file reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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
// A regular file of at most `maxBytes` bytes read front to back through one reused buffer, which
// only grows to the largest span asked for at once.
class FileWindow {
public:
    FileWindow(const std::string& path, size_t maxBytes);
    ~FileWindow();
    FileWindow(const FileWindow&) = delete;
    FileWindow& operator=(const FileWindow&) = delete;

    bool open() const { return fd_ >= 0; }
    size_t size() const { return size_; }
    // Bytes [pos, pos + n), valid until the next call, or null when they are past the end or
    // cannot be read. `pos` must not move back before the start of the previous span.
    const uint8_t* at(size_t pos, size_t n);

private:
    int fd_ = -1;
    size_t size_ = 0;
    std::unique_ptr<uint8_t[]> buf_;  // not cleared: every byte handed out was read first
    size_t cap_ = 0;
    size_t start_ = 0;  // file offset of buf_[0]
    size_t have_ = 0;   // bytes of the file in buf_
};

}  // namespace tolvi::kernel
