#include "kernel/model.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "kernel/kernel.h"

namespace tolvi::kernel {

Obj::~Obj() {
    if (handle) Kern().handles.erase(handle);
}

void Obj::operator delete(Obj* o, std::destroying_delete_t) {
    const bool inArena = o->inArena;
    o->~Obj();
    if (inArena)
        Arena::Release(o);
    else
        ::operator delete(o);
}

// --- maps ------------------------------------------------------------------------------------

int32_t ObjectMap::allocate(int32_t id) const {
    // An id after every key, as a load gives them: free.
    if (id > 0 && lower(id) == used_ && policy != IdPolicy::Keyed)
        return policy != IdPolicy::Low99 || id <= 99 ? id : 0;
    const auto isFree = [&](int32_t k) { return k != 0 && !find(k); };
    switch (policy) {
        case IdPolicy::Keyed:
            return 0;
        case IdPolicy::Low99:
            if (id == 0) {
                for (int32_t k = 1; k <= 99; ++k)
                    if (isFree(k)) return k;
                return 0;
            }
            return id >= 1 && id <= 99 && isFree(id) ? id : 0;
        case IdPolicy::Counter:
        case IdPolicy::Symbols:
        case IdPolicy::Devices:
            if (id == 0) return counter < std::numeric_limits<int32_t>::max() ? counter + 1 : 0;
            if (id < 0) {
                if (policy == IdPolicy::Counter) return 0;
                if (policy == IdPolicy::Devices && id != -1 && id != -2) return 0;
            }
            return isFree(id) ? id : 0;
    }
    return 0;
}

ObjectMap::~ObjectMap() { clear(); }

size_t ObjectMap::search(int32_t key) const {
    // Galloping from the slot remembered, then halving: a key near the last one looked at (the
    // next object of a page whose objects lie between those of others) costs a few steps.
    const uint64_t r = ScanLess::rank(key);
    const auto before = [&](size_t i) { return ScanLess::rank(slot(i).key) < r; };
    const size_t h = std::min<size_t>(hint_.load(std::memory_order_relaxed), used_ - 1);
    size_t lo, hi;  // the answer lies in [lo, hi]
    if (before(h)) {
        lo = h + 1;
        hi = used_;
        for (size_t step = 1; lo + step - 1 < used_; step *= 2) {
            if (!before(lo + step - 1)) {
                hi = lo + step - 1;
                break;
            }
            lo += step;
        }
    } else {
        lo = 0;
        hi = h;
        for (size_t step = 1; step <= hi; step *= 2) {
            if (before(hi - step)) {
                lo = hi - step + 1;
                break;
            }
            hi -= step;
        }
    }
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (before(mid))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

Obj* ObjectMap::findElsewhere(int32_t key) const {
    // Just after the slot last found: the next object of a walk, or the next id of a load.
    size_t at = size_t(hint_.load(std::memory_order_relaxed)) + 1;
    if (at >= used_ || slot(at).key != key) {
        at = lower(key);
        if (at == used_) return nullptr;
        remember(at);  // also where a key not there would go: an insertion follows
        if (slot(at).key != key) return nullptr;
    }
    remember(at);
    return slot(at).obj;
}

void ObjectMap::resize(size_t capacity) {
    ArenaVector<Slot> fresh;
    fresh.resize_for_overwrite(capacity);
    const size_t tail = used_ - gap_;
    if (gap_) std::memcpy(fresh.data(), room_.data(), gap_ * sizeof(Slot));
    if (tail)
        std::memcpy(fresh.data() + capacity - tail, room_.data() + room_.size() - tail, tail * sizeof(Slot));
    room_ = std::move(fresh);
}

void ObjectMap::reserve(size_t n) {
    if (n > room_.size()) resize(n);
}

void ObjectMap::moveGap(size_t at) {
    const size_t spare = room_.size() - used_;
    Slot* r = room_.data();
    if (spare && at < gap_)
        std::memmove(r + at + spare, r + at, (gap_ - at) * sizeof(Slot));
    else if (spare && at > gap_)
        std::memmove(r + gap_, r + gap_ + spare, (at - gap_) * sizeof(Slot));
    gap_ = uint32_t(at);
}

Obj* ObjectMap::insert(int32_t key, std::unique_ptr<Obj> o) {
    Obj* p = o.get();
    p->key = key;
    if (Named* n = AsNamed(p)) n->home = this;
    if (transient || isTransientKey(key)) p->setTransient(true);
    if (key > counter) counter = key;
    if (index_) {
        if (std::string* n = p->name()) index_->emplace(*n, key);
    }
    const size_t at = lower(key);
    if (at < used_ && slot(at).key == key) {
        std::unique_ptr<Obj> old(slot(at).obj);  // none: the empty slot of a deleted object
        slot(at).obj = o.release();
    } else {
        // A large map grows by a quarter: the room it holds beyond its slots stays small, and
        // the growths copy each slot four times on average.
        if (used_ == room_.size())
            resize(room_.size() < 64 ? std::max<size_t>(4, 2 * room_.size())
                                     : room_.size() + room_.size() / 4);
        moveGap(at);
        room_[gap_++] = Slot{key, o.release()};
        ++used_;
    }
    ++live_;
    remember(at);
    return p;
}

std::unique_ptr<Obj> ObjectMap::take(int32_t key) {
    const size_t at = lower(key);
    if (at == used_ || slot(at).key != key || !slot(at).obj) return nullptr;
    std::unique_ptr<Obj> o(slot(at).obj);
    slot(at).obj = nullptr;
    --live_;
    if (index_) {
        if (std::string* n = o->name()) {
            auto [b, e] = index_->equal_range(*n);
            for (; b != e; ++b)
                if (b->second == key) {
                    index_->erase(b);
                    break;
                }
        }
    }
    // Squeeze out empty slots once they outnumber the live ones, so deletes stay cheap and
    // walks never cross long runs of them.
    if (used_ - live_ > 16 && used_ - live_ > live_) {
        moveGap(used_);  // the gap to the end: the slots lie in one run
        Slot* r = room_.data();
        used_ = uint32_t(std::remove_if(r, r + used_, [](const Slot& s) { return !s.obj; }) - r);
        gap_ = used_;
    }
    if (Named* n = AsNamed(o.get())) n->home = nullptr;
    return o;
}

const Obj* ObjectMap::neighbour(int32_t key) const {
    size_t at = hint_.load(std::memory_order_relaxed);
    if (at >= used_ || slot(at).key != key) {
        at = lower(key);
        if (at == used_ || slot(at).key != key) return nullptr;
    }
    if (at > 0 && slot(at - 1).obj) return slot(at - 1).obj;
    return at + 1 < used_ ? slot(at + 1).obj : nullptr;
}

int32_t ObjectMap::next(int32_t cursor, int32_t value, int32_t mask) const {
    // A walk's cursor is the key it was given last: usually the slot remembered; 0 starts it.
    size_t at = hint_.load(std::memory_order_relaxed);
    if (cursor == 0) {
        at = 0;
    } else if (at < used_ && slot(at).key == cursor) {
        ++at;
    } else {
        at = lower(cursor);
        if (at < used_ && slot(at).key == cursor) ++at;
    }
    for (; at < used_; ++at) {
        const Obj* o = slot(at).obj;
        if (o && (o->status & mask) == value) {
            remember(at);
            return slot(at).key;
        }
    }
    return 0;
}

int32_t ObjectMap::lastKey() const {
    for (size_t i = used_; i-- > 0;)
        if (slot(i).obj) return slot(i).key;
    return 0;
}

int32_t ObjectMap::findName(const std::string& name, int32_t value, int32_t mask) {
    if (!index_) {
        index_ = std::make_unique<std::unordered_multimap<std::string, int32_t>>();
        forEach([&](int32_t k, Obj& o) {
            if (std::string* n = o.name()) index_->emplace(*n, k);
        });
    }
    int32_t best = 0;
    auto [b, e] = index_->equal_range(name);
    for (; b != e; ++b) {
        Obj* o = find(b->second);
        if (!o || (o->status & mask) != value) continue;
        if (best == 0 || ScanLess()(b->second, best)) best = b->second;
    }
    return best;
}

void ObjectMap::renamed(Obj* o, const std::string& oldName) {
    if (!index_) return;
    auto [b, e] = index_->equal_range(oldName);
    for (; b != e; ++b)
        if (b->second == o->key) {
            index_->erase(b);
            break;
        }
    index_->emplace(*o->name(), o->key);
}

void ObjectMap::clear() {
    forEach([](int32_t, Obj& o) { delete &o; });
    used_ = gap_ = live_ = 0;
    index_.reset();
}

void ObjectArray::setTransient(bool t) {
    transient = t;
    for (auto& o : items) o->setTransient(t);
}

void PadStack::setTransient(bool t) {
    transient = t;
    items.setTransient(t);
}

void Symbol::setTransient(bool t) {
    transient = t;
    entries.setTransient(t);
    items.setTransient(t);
    padstacks.transient = t;
    padstacks.forEach([t](int32_t, Obj& o) { o.setTransient(t); });
}

void Device::setTransient(bool t) {
    transient = t;
    supply.transient = t;
    for (auto& g : groups) g->pins.transient = t;
}

// --- defaults --------------------------------------------------------------------------------

namespace {

void PutInts(std::vector<uint8_t>& t, std::initializer_list<int32_t> v) {
    size_t off = 0;
    for (int32_t x : v) {
        std::memcpy(t.data() + off, &x, 4);
        off += 4;
    }
}

const char* const kLayerNames[kLayerCount] = {
    "COMP.PRINT", "COMP.MASK ", "COMP.LAYER", "A",         "B", "C", "D", "E", "F", "G", "H", "I", "J", "K",
    "L",          "M",          "N",          "O",         "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y",
    "Z",          "SOLD.LAYER", "SOLD.MASK ", "SOLD.PRINT"};

}  // namespace

void FillDefaultTables(Database& db) {
    for (int32_t n = 0; n < kSysTableCount; ++n) {
        if (n == SysLayerMask || n == SysHelpState || n == SysProcess)
            continue;  // per hierarchy or per process
        db.tables[size_t(n)].assign(size_t(kSysTableBytes[n]), 0);
    }
    auto& t = db.tables;
    // Palette 0x00BBGGRR: the sixteen standard colours, then white.
    PutInts(t[0], {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
                   0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
                   0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                   0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF});
    const uint8_t sch[16] = {4, 1, 2, 6, 4, 0, 7, 2, 6, 7, 1, 1, 2, 5, 5, 5};
    std::memcpy(t[1].data(), sch, 16);
    t[1][29] = 0, t[1][30] = 7, t[1][31] = 15;
    t[1][32] = 15, t[1][33] = 1, t[1][34] = 10, t[1][35] = 10;
    t[1][60] = 15, t[1][61] = 10, t[1][62] = 7, t[1][63] = 0;
    for (int k = 0; k < kLayerCount; ++k) t[2][size_t(k)] = 13;
    t[2][0] = 12, t[2][1] = 11, t[2][2] = 9, t[2][29] = 10, t[2][30] = 14, t[2][31] = 12;
    PutInts(t[3], {2, 508000, 406400, 254000, 203200, 101600, 50800, 2, 500000, 400000, 250000, 200000,
                   100000, 50000});
    PutInts(t[4], {2, 254000, 203200, 127000, 101600, 50800, 25400, 2, 250000, 200000, 125000, 100000, 50000,
                   25000});
    PutInts(t[5], {2, 508000, 254000, 127000, 63500, 25400, 12700, 2, 254000, 200000, 130000, 100000, 65000,
                   50000});
    PutInts(t[6],
            {2, 254000, 127000, 63500, 25400, 12700, 2540, 2, 127000, 100000, 65000, 50000, 32500, 25000});
    PutInts(t[7], {1, 1000, 5000, 10000, 30000, 45000, 90000});
    PutInts(t[8], {2, 1, 2, 4, 8});
    PutInts(t[9],
            {12700,  25400,  25400,  20320,  50800,  50800,  33020,  76200,  76200,  40640,  101600, 101600,
             50800,  127000, 127000, 76200,  139700, 139700, 101600, 157480, 157480, 127000, 177800, 177800,
             157480, 190500, 190500, 177800, 203200, 203200, 190500, 215900, 215900, 218440, 228600, 228600,
             228600, 254000, 254000, 254000, 304800, 304800, 381000, 381000, 381000, 508000, 508000, 508000});
    PutInts(t[10], {30480, 30480, 30480});
    PutInts(t[13], {50800});
    PutInts(t[14], {5080});
    PutInts(t[15], {5080, 25400, 40640, 5080, 60960, 76200, 91440, 101600, 111760, 152400, 177800, 203200,
                    228600, 254000, 304800, 406400});
    PutInts(t[19], {25400});
    const std::initializer_list<int32_t> precision = {
        12,    254,   508,   1270,   2540,   5080,  6350,  10160, 12700,  15240, 19050,
        20320, 25400, 50800, 127000, 254000, 12,    100,   500,   1000,   2500,  5000,
        7500,  10000, 12500, 15000,  17500,  20000, 25000, 50000, 125000, 250000};
    PutInts(t[20], precision);
    PutInts(t[21], precision);
    // Text sizes: height steps of 25400 (a sixth of the nominal text height), width = height.
    const int32_t heights[16] = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    const int32_t lines[16] = {0,     12700,  12700,  33020,  33020,  40640,  40640,  50800,
                               76200, 254000, 254000, 254000, 304800, 304800, 304800, 508000};
    db.textSizes.assign(size_t(kTextSizeTableBytes), 0);
    for (int i = 0; i < 32; ++i) {
        const int32_t h = heights[i % 16] * 25400;
        const TextSizeRec r{h, h, i == 16 ? 5080 : lines[i % 16]};
        std::memcpy(db.textSizes.data() + sizeof r * size_t(i), &r, sizeof r);
    }
}

void FillDefaultLayers(Hierarchy& h) {
    h.layers.items.clear();
    for (int k = 0; k < kLayerCount; ++k) {
        auto l = std::make_unique<Layer>();
        l->nm = kLayerNames[k];
        h.layers.items.push_back(std::move(l));
    }
    h.layerMask.assign(kLayerMaskBytes, 0);
    h.layerMask[0] = 0x07;  // layers 0..2
    h.layerMask[3] = 0xE0;  // layers 29..31
}

Hierarchy::Hierarchy() : Named(kKind) {}

Database::Database() : Named(kKind) { FillDefaultTables(*this); }

Arena* Database::NewArena() {
    // A first block of 1 MiB, then 256 KiB ones: a small database maps little, a large one
    // leaves at most one block's tail unused.
    arena_ = std::make_unique<Arena>(size_t(1) << 20);
    return arena_.get();
}

bool Database::changed() const {
    int32_t v;
    std::memcpy(&v, tables[18].data(), 4);
    return v != 0;
}

namespace {

template <class T>
std::unique_ptr<Obj> Make() {
    return MakeObject<T>(CurrentArena());
}

}  // namespace

std::unique_ptr<Obj> NewObject(Kind k) {
    switch (k) {
        case Kind::Hierarchy:
            return Make<Hierarchy>();
        case Kind::Page:
            return Make<Page>();
        case Kind::Layer:
            return Make<Layer>();
        case Kind::File:
            return Make<File>();
        case Kind::Symbol:
            return Make<Symbol>();
        case Kind::Entry:
            return Make<Entry>();
        case Kind::PadStack:
            return Make<PadStack>();
        case Kind::Device:
            return Make<Device>();
        case Kind::Net:
            return Make<Net>();
        case Kind::Node:
            return Make<Node>();
        case Kind::Bus:
            return Make<Bus>();
        case Kind::SchComp:
            return Make<SchComp>();
        case Kind::Branch:
            return Make<Branch>();
        case Kind::Junction:
            return Make<Junction>();
        case Kind::LayComp:
            return Make<LayComp>();
        case Kind::Trace:
            return Make<Trace>();
        case Kind::BendPoint:
            return Make<BendPoint>();
        case Kind::Via:
            return Make<Via>();
        case Kind::Item:
            return Make<Item>();
        default:
            return nullptr;
    }
}

// --- session ---------------------------------------------------------------------------------

void Session::resetProcessTables() {
    helpTable.assign(size_t(kSysTableBytes[SysHelpState]), 0);
    table16.assign(size_t(kSysTableBytes[SysProcess]), 0);
    const int32_t v = 25400;
    std::memcpy(table16.data(), &v, 4);
}

void HandleTable::add(int32_t h, Obj* o) {
    const uint32_t i = uint32_t(h) - uint32_t(kFirstHandle);
    const size_t page = i >> kPageBits;
    if (page >= pages_.size()) pages_.resize(page + 1);
    if (!pages_[page]) pages_[page] = std::make_unique<Page>();
    pages_[page]->at[i & kPageMask] = o;
    ++pages_[page]->live;
    issued_ = i + 1;
}

void HandleTable::erase(int32_t h) {
    const uint32_t i = uint32_t(h) - uint32_t(kFirstHandle);
    if (h < kFirstHandle || (i >> kPageBits) >= pages_.size()) return;
    std::unique_ptr<Page>& p = pages_[i >> kPageBits];
    if (!p || !p->at[i & kPageMask]) return;
    p->at[i & kPageMask] = nullptr;
    // A page none of whose handles can come again or still names an object goes.
    if (--p->live == 0 && (i | kPageMask) < issued_) p.reset();
}

int32_t NewHandle(Obj* o) {
    Session& k = Kern();
    if (k.nextHandle == std::numeric_limits<int32_t>::max()) return 0;
    k.handles.add(k.nextHandle, o);
    o->handle = k.nextHandle++;
    return o->handle;
}

}  // namespace tolvi::kernel
