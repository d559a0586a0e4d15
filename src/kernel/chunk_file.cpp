#include "kernel/chunk_file.h"

#include <algorithm>
#include <cstring>

#include "kernel/crc32.h"

namespace tolvi::kernel {

void ChunkWriter::grow(size_t n) {
    const size_t capacity = std::max({2 * capacity_, used_ + n, size_t(1) << 16});
    auto bigger = std::make_unique_for_overwrite<uint8_t[]>(capacity);
    if (used_) std::memcpy(bigger.get(), buf_.get(), used_);
    buf_ = std::move(bigger);
    capacity_ = capacity;
}

void ChunkWriter::header(const FileKind& kind) {
    raw(kind.magic, 8);
    raw(&kind.major, 2);
    raw(&kind.minor, 2);
    u32(0);  // flags
    u64(0);  // length after the header
    u32(0);  // header CRC
    u32(0);
}

void ChunkWriter::closeChunk(size_t start) {
    const uint64_t len = size() - start - kChunkHeadBytes;
    std::memcpy(at(start + 8), &len, 8);
    u32(Crc32(at(start), size() - start));
}

void ChunkWriter::end(uint64_t before) {
    chunk("END ", [&] { u64(before + kEndChunkBytes); });
}

void FinishHeader(uint8_t* header, uint64_t total) {
    const uint64_t area = total - kFileHeaderBytes;
    std::memcpy(header + 16, &area, 8);
    const uint32_t crc = Crc32(header, 24);
    std::memcpy(header + 24, &crc, 4);
}

bool HeaderMatches(const uint8_t* header, const FileKind& kind, size_t total) {
    if (total < kFileHeaderBytes || std::memcmp(header, kind.magic, 8) != 0) return false;
    uint16_t major;
    uint64_t area;
    uint32_t crc;
    std::memcpy(&major, header + 8, 2);
    std::memcpy(&area, header + 16, 8);
    std::memcpy(&crc, header + 24, 4);
    return ChecksumMatches(crc, header, 24) && major == kind.major && area == total - kFileHeaderBytes;
}

bool ReadChunkHead(const uint8_t* head, size_t pos, size_t total, ChunkHead& out) {
    if (pos > total || total - pos < kChunkHeadBytes + kChunkCrcBytes) return false;
    uint64_t len;
    std::memcpy(&out.flags, head + 4, 4);
    std::memcpy(&len, head + 8, 8);
    if (len > total - pos - kChunkHeadBytes - kChunkCrcBytes) return false;
    out.tag.assign(reinterpret_cast<const char*>(head), 4);
    out.length = size_t(len);
    out.next = pos + kChunkHeadBytes + out.length + kChunkCrcBytes;
    return true;
}

bool ChunkChecksumMatches(const uint8_t* chunk, size_t length) {
    uint32_t crc;
    std::memcpy(&crc, chunk + kChunkHeadBytes + length, 4);
    return ChecksumMatches(crc, chunk, kChunkHeadBytes + length);
}

bool EndMatches(const uint8_t* payload, size_t length, size_t total) {
    uint64_t stated;
    if (length != 8) return false;
    std::memcpy(&stated, payload, 8);
    return stated == total;
}

}  // namespace tolvi::kernel
