// The framing the kernel's own files share: the database file (.TPB) and the library container.
//
// Layout (little-endian):
//   header, 32 bytes: magic[8] | u16 major | u16 minor | u32 flags
//                     | u64 length of everything after the header | u32 CRC-32 of bytes 0..23 | u32 0
//   chunks:           tag[4] | u32 flags (bit 0: a reader that does not know the tag must refuse)
//                     | u64 payload length | payload | u32 CRC-32 of tag..payload
//   last, "END ":     u64 total file length
// What the chunks between hold is each format's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace tolvi::kernel {

constexpr size_t kFileHeaderBytes = 32;
constexpr size_t kChunkHeadBytes = 16;
constexpr size_t kChunkCrcBytes = 4;
constexpr size_t kEndChunkBytes = kChunkHeadBytes + 8 + kChunkCrcBytes;
constexpr uint32_t kCriticalChunk = 1;

struct FileKind {
    char magic[8];
    uint16_t major;
    uint16_t minor;
};

// Bytes being framed, in one buffer that grows without being cleared first and is kept across
// clear(), already paged in, for the next piece.
class ChunkWriter {
public:
    // Appends without the per-call bookkeeping of vector::insert: saving spends most of its time
    // in these small copies.
    void raw(const void* p, size_t n) {
        if (capacity_ - used_ < n) grow(n);
        if (n) std::memcpy(buf_.get() + used_, p, n);
        used_ += n;
    }
    void u32(uint32_t v) { raw(&v, 4); }
    void u64(uint64_t v) { raw(&v, 8); }
    size_t size() const { return used_; }
    uint8_t* at(size_t pos) { return buf_.get() + pos; }
    void clear() { used_ = 0; }
    std::vector<uint8_t> bytes() const { return std::vector<uint8_t>(buf_.get(), buf_.get() + used_); }

    // A file header whose length and checksum FinishHeader sets once the length is known.
    void header(const FileKind& kind);
    // A critical chunk whose payload `body` appends.
    template <class F>
    void chunk(const char (&tag)[5], F&& body) {
        const size_t start = size();
        raw(tag, 4);
        u32(kCriticalChunk);
        u64(0);
        body();
        closeChunk(start);
    }
    // The END chunk of a file with `before` bytes ahead of it.
    void end(uint64_t before);

private:
    void grow(size_t n);
    void closeChunk(size_t start);  // sets the length of the chunk at start and appends its CRC

    std::unique_ptr<uint8_t[]> buf_;
    size_t capacity_ = 0;
    size_t used_ = 0;
};

// Sets the length and checksum of a header made by ChunkWriter::header, for a file of `total` bytes.
void FinishHeader(uint8_t* header, uint64_t total);

// Whether the 32 bytes at `header` begin a sound file of `kind`, `total` bytes long, in a major
// version we read.
bool HeaderMatches(const uint8_t* header, const FileKind& kind, size_t total);

struct ChunkHead {
    std::string tag;
    uint32_t flags = 0;
    size_t length = 0;  // of the payload
    size_t next = 0;    // where the chunk after it starts
};
// The head of the chunk at `pos` of a file of `total` bytes, read from the 16 bytes at `head`;
// false when the head and checksum do not fit or the payload runs past the end.
bool ReadChunkHead(const uint8_t* head, size_t pos, size_t total, ChunkHead& out);
// Whether the checksum after a whole chunk held in memory (from its tag) matches it.
bool ChunkChecksumMatches(const uint8_t* chunk, size_t length);
// Whether an END chunk's payload is sound for a file of `total` bytes.
bool EndMatches(const uint8_t* payload, size_t length, size_t total);

}  // namespace tolvi::kernel
