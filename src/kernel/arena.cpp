#include "kernel/arena.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace tolvi::kernel {

namespace {

constexpr size_t kHeadBytes = 16;
constexpr size_t kMinBlockBytes = size_t(256) << 10;
// Blocks given back are kept this far for the next load instead of being unmapped: their pages
// need no fresh faults. The system may still take the pages meanwhile (they are marked free).
constexpr size_t kKeptBytes = size_t(128) << 20;

// An address sanitiser must see each piece on its own to catch misuse, so its builds take
// everything from the heap.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kArenas = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kArenas = false;
#else
constexpr bool kArenas = true;
#endif
#else
constexpr bool kArenas = true;
#endif

size_t RoundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }

std::atomic<size_t> gInUse{0};
thread_local Arena* gCurrent = nullptr;

}  // namespace

struct Arena::Block {
    uint8_t* base;
    size_t bytes;
    size_t holders;  // segments still holding something, plus one while an arena fills the block
};

namespace {

// Blocks nothing holds, shared by the arenas of every thread.
struct Kept {
    std::mutex m;
    std::vector<Arena::Block*> blocks;
    size_t bytes = 0;
};

Kept& kept() {
    static Kept* k = new Kept;  // never destroyed: blocks may be given back during exit
    return *k;
}

}  // namespace

// A block (or the unused end of one) that nothing holds any more: kept for reuse, or unmapped.
void Arena::Drop(Block* b) {
    gInUse -= b->bytes;
    Kept& k = kept();
    {
        std::lock_guard lock(k.m);
        if (k.bytes + b->bytes <= kKeptBytes) {
            ::madvise(b->base, b->bytes, MADV_FREE);
            k.blocks.push_back(b);
            k.bytes += b->bytes;
            return;
        }
    }
    ::munmap(b->base, b->bytes);
    delete b;
}

Arena::Arena(size_t expected) : expected_(expected) {}

Arena::~Arena() {
    if (block_) LeaveBlock();
}

void* Arena::AllocateElsewhere(size_t n) {
    static_assert(sizeof(SegmentHead) <= kHeadBytes);
    if (!kArenas || n > kSegmentBytes - kHeadBytes) return nullptr;
    if ((!segment_ || kSegmentBytes - used_ < n) && !NextSegment()) return nullptr;
    return Cut(n);
}

void Arena::Release(void* p) {
    SegmentHead* s = HeadOf(p);
    if (--s->live != 0) return;
    auto* b = static_cast<Block*>(s->block);
    if (--b->holders == 0) Drop(b);
}

bool Arena::NextSegment() {
    uint8_t* next = segment_ ? segment_ + kSegmentBytes : nullptr;
    if (segment_) Release(segment_);  // the arena's own hold on the segment
    if (!next || next == block_->base + block_->bytes) {
        if (block_) LeaveBlock();
        if (!NewBlock()) return false;
        next = block_->base;
    }
    segment_ = next;
    *reinterpret_cast<SegmentHead*>(segment_) = {1, 0, block_};
    ++block_->holders;
    used_ = kHeadBytes;
    return true;
}

bool Arena::NewBlock() {
    Kept& k = kept();
    {
        std::lock_guard lock(k.m);
        if (!k.blocks.empty()) {
            block_ = k.blocks.back();
            k.blocks.pop_back();
            k.bytes -= block_->bytes;
        }
    }
    if (!block_) {
        // The first block takes what was expected; a load that needs more grows in smaller steps.
        const size_t bytes =
            RoundUp(std::max(blocks_ ? expected_ / 4 : expected_, kMinBlockBytes), kSegmentBytes);
        // Mapped with room to cut it to segment alignment.
        void* raw = ::mmap(nullptr, bytes + kSegmentBytes, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (raw == MAP_FAILED) return false;
        auto* start = static_cast<uint8_t*>(raw);
        void* aligned = raw;
        size_t room = bytes + kSegmentBytes;
        auto* base = static_cast<uint8_t*>(std::align(kSegmentBytes, bytes, aligned, room));
        if (base > start) ::munmap(start, size_t(base - start));
        ::munmap(base + bytes, size_t(start + kSegmentBytes - base));
        block_ = new Block{base, bytes, 0};
    }
    ++blocks_;
    block_->holders = 1;
    gInUse += block_->bytes;
    return true;
}

void Arena::LeaveBlock() {
    uint8_t* end = segment_ ? segment_ + kSegmentBytes : block_->base;
    if (segment_) Release(segment_);
    segment_ = nullptr;
    Block* b = block_;
    block_ = nullptr;
    // The part never handed out goes now as a block of its own; the rest when its pieces are
    // released.
    const size_t unused = size_t(b->base + b->bytes - end);
    if (unused && b->holders > 1) {
        b->bytes -= unused;
        Drop(new Block{end, unused, 0});
    }
    if (--b->holders == 0) Drop(b);
}

size_t Arena::MappedBytes() { return gInUse; }

size_t Arena::KeptBytes() {
    Kept& k = kept();
    std::lock_guard lock(k.m);
    return k.bytes;
}

Arena* CurrentArena() { return gCurrent; }

ArenaScope::ArenaScope(Arena* arena) : previous_(gCurrent) { gCurrent = arena; }

ArenaScope::~ArenaScope() { gCurrent = previous_; }

}  // namespace tolvi::kernel
