// Memory for what a load makes, in large blocks instead of one heap allocation per object or
// array. A large design is a million objects and arrays; one heap allocation each, and a page
// fault for every fresh page of heap they land on, were most of a first load's time and kept
// the heap at several times the file's size.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvi::kernel {

// Hands out memory front to back from blocks mapped for it. What it hands out is given back piece by piece
// (Release), in any order, before or after the arena itself is gone: each 64 KiB segment counts what it still
// holds, and a block goes back to the system once none of its segments holds anything. Used by
// one thread at a time, like the rest of the model.
class Arena {
public:
    // `expected`: about how many bytes will be asked for; the first block is that large.
    explicit Arena(size_t expected);
    // Returns the part of the last block never handed out.
    ~Arena();
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    // Segments are aligned to their size, so a piece finds its segment's head by masking its
    // address.
    static constexpr size_t kSegmentBytes = size_t(64) << 10;

    // 8-aligned room for n bytes; null when n does not fit a segment or no block can be had
    // (the caller then uses the heap).
    void* Allocate(size_t n) {
        n = (n + 7) & ~size_t(7);
        // Within the segment being filled, the usual case: no call.
        if (segment_ && n <= kSegmentBytes - used_) return Cut(n);
        return AllocateElsewhere(n);
    }
    static void Release(void* p);

    // For benchmarks: bytes of the blocks that hold something or are being filled, and of the
    // blocks kept for reuse.
    static size_t MappedBytes();
    static size_t KeptBytes();

    struct Block;  // a mapped block, known only to arena.cpp

private:
    // At the start of every segment.
    struct SegmentHead {
        uint32_t live;  // pieces not yet released, plus one while an arena fills the segment
        uint32_t unused;
        void* block;
    };
    // (By stepping back from p, not by making a pointer of a masked number: the compiler keeps
    // knowing where the pointer came from.)
    static SegmentHead* HeadOf(void* p) {
        auto* at = static_cast<uint8_t*>(p);
        return reinterpret_cast<SegmentHead*>(at - (reinterpret_cast<uintptr_t>(p) & (kSegmentBytes - 1)));
    }
    // The next n bytes of the segment being filled, which has room for them.
    void* Cut(size_t n) {
        uint8_t* p = segment_ + used_;
        used_ += n;
        ++reinterpret_cast<SegmentHead*>(segment_)->live;
        return p;
    }
    void* AllocateElsewhere(size_t n);
    static void Drop(Block* b);
    bool NextSegment();
    bool NewBlock();
    void LeaveBlock();

    Block* block_ = nullptr;      // being filled
    uint8_t* segment_ = nullptr;  // the segment being filled
    size_t used_ = 0;             // bytes of it handed out, with its head
    size_t blocks_ = 0;           // mapped so far
    size_t expected_;
};

// The arena the calling thread's objects and arrays come from; null for the heap.
Arena* CurrentArena();

// Makes an arena the calling thread's current one for its lifetime.
class ArenaScope {
public:
    explicit ArenaScope(Arena* arena);
    ~ArenaScope();
    ArenaScope(const ArenaScope&) = delete;
    ArenaScope& operator=(const ArenaScope&) = delete;

private:
    Arena* previous_;
};

}  // namespace tolvi::kernel
