// The kernel's object model: objects, maps, arrays, the handle registry and the session.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "kernel/arena_vector.h"

namespace tolvi::kernel {

enum class Kind : uint8_t {
    Database,
    Hierarchy,
    Page,
    Layer,
    File,
    Symbol,
    Entry,
    PadStack,
    Device,
    PinArray,
    Net,
    Node,
    Bus,
    SchComp,
    Branch,
    Junction,
    LayComp,
    Trace,
    BendPoint,
    Via,
    Item,
    Map,
    Array
};

class ObjectMap;

// Every object the interface can reach. The status word is the object's 32 status bits (for
// items it is the Attr field). A transient object (preview ids -1/-2 and what they own, free
// items) never marks the database changed and is never saved.
struct Obj {
    explicit Obj(Kind k) : kind(k) {}
    Obj(const Obj&) = delete;
    Obj& operator=(const Obj&) = delete;
    virtual ~Obj();
    virtual std::string* name() { return nullptr; }
    virtual void setTransient(bool t) { transient = t; }
    // Objects made during a load live in its arena rather than on their own in the heap;
    // deleting one must then give the memory back there, so delete looks before it destroys.
    static void operator delete(Obj* o, std::destroying_delete_t);

    Kind kind;
    bool transient = false;
    bool inArena = false;  // made in an arena (see NewObject)
    int32_t handle = 0;
    int32_t key = 0;  // in a map: its key; in the database's free pool: its place there
    int32_t status = 0;
};

// Only named objects need to know their map (a rename checks and updates its name index), so
// only they carry it: the many unnamed ones stay smaller.
struct Named : Obj {
    using Obj::Obj;
    std::string* name() override { return &nm; }
    std::string nm;
    ObjectMap* home = nullptr;  // the map holding the object, if any
};

inline Named* AsNamed(Obj* o) { return o && o->name() ? static_cast<Named*>(o) : nullptr; }

// Scan order: positive keys ascending, then -1, -2, ...; 0 (the "before first" cursor) comes
// before everything.
struct ScanLess {
    static uint64_t rank(int32_t k) { return k >= 0 ? uint64_t(k) : 0x80000000ull + uint64_t(-int64_t(k)); }
    bool operator()(int32_t a, int32_t b) const { return rank(a) < rank(b); }
};

enum class IdPolicy : uint8_t {
    Counter,  // 0 = next id above every id used so far; explicit positive ids honoured
    Low99,    // hierarchies and pages: lowest free id, 1..99 only
    Keyed,    // padstack maps: entries come only through OM_Add
    Symbols,  // as Counter, and any negative id
    Devices,  // as Counter, and the preview ids -1 and -2
};

// Objects keyed by id, kept in one array sorted in scan order, with its spare room as a gap that
// moves to where the last insertion was: appends cost O(1), and so do insertions that go up
// through the map in order (a file that gives a page's objects, then the next page's, between
// them), each moving only the slots it passes. No allocation is made per entry. A deleted entry
// leaves an empty slot until enough of them pile up to be squeezed out. The map remembers where
// it last found or put a key: the next lookup of that key, and the next step of a walk from it,
// cost O(1) instead of a binary search, so walking a map and reading each object as it comes is
// linear.
class ObjectMap : public Obj {
public:
    static constexpr Kind kKind = Kind::Map;

    ObjectMap(Kind elem, IdPolicy policy) : Obj(Kind::Map), elem(elem), policy(policy) {}
    ~ObjectMap() override;

    // The key a create with `id` gets, or 0 when it is refused.
    int32_t allocate(int32_t id) const;
    // Puts `o` under `key` (already allowed by allocate or checked by the caller).
    Obj* insert(int32_t key, std::unique_ptr<Obj> o);
    std::unique_ptr<Obj> take(int32_t key);
    Obj* find(int32_t key) const {
        const size_t h = hint_.load(std::memory_order_relaxed);
        if (h < used_ && slot(h).key == key) return slot(h).obj;
        return findElsewhere(key);
    }
    // The object in the slot just before `key` (which the map holds) in scan order, else in the
    // one just after it; null when there is none.
    const Obj* neighbour(int32_t key) const;
    // The first key after `cursor` whose (status & mask) == value, or 0.
    int32_t next(int32_t cursor, int32_t value, int32_t mask) const;
    // The first key in scan order with that exact name and (status & mask) == value, or 0.
    int32_t findName(const std::string& name, int32_t value = 0, int32_t mask = 0);
    void renamed(Obj* o, const std::string& oldName);
    void clear();
    // Room for n entries in all.
    void reserve(size_t n);
    size_t size() const { return live_; }
    // The last key in scan order, 0 when empty.
    int32_t lastKey() const;
    bool isTransientKey(int32_t key) const {
        return (policy == IdPolicy::Symbols || policy == IdPolicy::Devices) && (key == -1 || key == -2);
    }
    template <class F>
    void forEach(F&& f) const {
        const size_t spare = room_.size() - used_;
        for (size_t i = 0; i < room_.size(); ++i) {
            if (i == gap_) i += spare;
            if (i == room_.size()) break;
            if (room_[i].obj) f(room_[i].key, *room_[i].obj);
        }
    }

    Kind elem;
    IdPolicy policy;
    int32_t counter = 0;  // highest positive key ever used

private:
    struct Slot {
        int32_t key;
        Obj* obj;  // owned; null once deleted
    };
    // Slot i in scan order (0 .. used_ - 1).
    const Slot& slot(size_t i) const { return room_[i < gap_ ? i : i + (room_.size() - used_)]; }
    Slot& slot(size_t i) { return room_[i < gap_ ? i : i + (room_.size() - used_)]; }
    // The first slot not before `key` in scan order.
    size_t lower(int32_t key) const {
        if (used_ == 0 || ScanLess::rank(slot(used_ - 1).key) < ScanLess::rank(key)) return used_;
        return search(key);
    }
    size_t search(int32_t key) const;  // lower, by binary search
    Obj* findElsewhere(int32_t key) const;
    void remember(size_t at) const { hint_.store(uint32_t(at), std::memory_order_relaxed); }
    // Moves the gap to just before slot `at`.
    void moveGap(size_t at);
    void resize(size_t capacity);  // the gap grows or shrinks to fit

    ArenaVector<Slot> room_;  // every element is a slot or part of the gap
    // 32 bits each, as the array's size is (a map's size counts in every net and symbol).
    uint32_t used_ = 0;  // slots (live or empty)
    uint32_t gap_ = 0;   // the gap lies before slot gap_
    uint32_t live_ = 0;
    // The slot last found or filled: only a guess, always checked against the key. Atomic as
    // readers on several threads (a save) may move it.
    mutable std::atomic<uint32_t> hint_{0};
    // Name index, built on the first name search and kept up to date from then on.
    std::unique_ptr<std::unordered_multimap<std::string, int32_t>> index_;
};

class ObjectArray : public Obj {
public:
    static constexpr Kind kKind = Kind::Array;
    explicit ObjectArray(Kind elem, bool shapesOnly = false)
        : Obj(Kind::Array), elem(elem), shapesOnly(shapesOnly) {}
    Obj* at(int32_t index) const {  // 1-based
        return index >= 1 && size_t(index) <= items.size() ? items[size_t(index) - 1].get() : nullptr;
    }
    void setTransient(bool t) override;

    Kind elem;
    bool shapesOnly;  // padstack shapes take no texts
    ArenaVector<std::unique_ptr<Obj>> items;
};

// --- objects ---------------------------------------------------------------------------------

struct Layer : Named {
    static constexpr Kind kKind = Kind::Layer;
    Layer() : Named(kKind) {}
    template <class S>
    void io(S& s) {
        s(nm);
    }
};

struct Page : Named {
    static constexpr Kind kKind = Kind::Page;
    Page() : Named(kKind) {}
    int32_t kept = 0;
    std::array<int32_t, 4> sheet{};
    template <class S>
    void io(S& s) {
        s(nm, status, kept, sheet[0], sheet[1], sheet[2], sheet[3]);
    }
};

struct File : Named {
    static constexpr Kind kKind = Kind::File;
    File() : Named(kKind) {}
    std::vector<uint8_t> data;
    int64_t pos = 0;
    template <class S>
    void io(S& s) {
        s(nm, status, data);
    }
};

struct Item : Obj {
    static constexpr Kind kKind = Kind::Item;
    Item() : Obj(kKind) {}
    int32_t itemKind = 0, link = 0, x = 0, y = 0;
    uint8_t styleA = 0, styleB = 0;
    int32_t width = 0, gap = 0, angle = 0, p2 = 0, p3 = 0, p4 = 0, p5 = 0;
    std::string text;
    template <class S>
    void io(S& s) {
        s(itemKind, status, link, x, y, styleA, styleB, width, gap, angle, p2, p3, p4, p5, text);
    }
};

struct Entry : Obj {
    static constexpr Kind kKind = Kind::Entry;
    Entry() : Obj(kKind) {}
    int32_t kept = 0, x = 0, y = 0, paX = 0, paY = 0, paAngle = 0, attrib = 0, angle = 0, padstack = 0;
    std::string pinName, simName;
    template <class S>
    void io(S& s) {
        s(status, kept, x, y, paX, paY, paAngle, attrib, angle, padstack, pinName, simName);
    }
};

struct PadStack : Named {
    static constexpr Kind kKind = Kind::PadStack;
    PadStack() : Named(kKind) {}
    void setTransient(bool t) override;
    int32_t holeA = 0, holeB = 0;
    ObjectArray items{Kind::Item, true};
    template <class S>
    void io(S& s) {
        s(nm, status, holeA, holeB, items);
    }
};

struct Symbol : Named {
    static constexpr Kind kKind = Kind::Symbol;
    Symbol() : Named(kKind) {}
    void setTransient(bool t) override;
    bool isLayout() const { return status & 2; }
    int32_t simCode = 0;
    ObjectArray entries{Kind::Entry};
    ObjectArray items{Kind::Item};
    ObjectMap padstacks{Kind::PadStack, IdPolicy::Keyed};
    template <class S>
    void io(S& s) {
        s(nm, status, simCode, entries, items, padstacks);
    }
};

struct Pin {
    int32_t number = 0;
    std::string name;
    template <class S>
    void io(S& s) {
        s(number, name);
    }
};

struct PinArray : Obj {
    static constexpr Kind kKind = Kind::PinArray;
    PinArray() : Obj(kKind) {}
    std::vector<Pin> pins;
    template <class S>
    void io(S& s) {
        s(pins);
    }
};

struct DeviceGroup {
    std::string name, symbolName;
    PinArray pins;
    template <class S>
    void io(S& s) {
        s(name, symbolName, pins.pins);
    }
};

struct Device : Named {  // the name is Name1
    static constexpr Kind kKind = Kind::Device;
    Device() : Named(kKind) {}
    void setTransient(bool t) override;
    std::string name2, name3;
    PinArray supply;
    std::vector<std::unique_ptr<DeviceGroup>> groups;
    template <class S>
    void io(S& s) {
        s(nm, status, name2, name3, supply.pins, groups);
    }
};

struct Node : Obj {
    static constexpr Kind kKind = Kind::Node;
    Node() : Obj(kKind) {}
    int32_t schComp = 0, schEntry = 0, layComp = 0, layPin = 0;
    template <class S>
    void io(S& s) {
        s(status, schComp, schEntry, layComp, layPin);
    }
};

struct Net : Named {
    static constexpr Kind kKind = Kind::Net;
    Net() : Named(kKind) {}
    int32_t kept = 0;
    ObjectMap nodes{Kind::Node, IdPolicy::Counter};
    template <class S>
    void io(S& s) {
        s(nm, status, kept, nodes);
    }
};

struct Bus : Named {
    static constexpr Kind kKind = Kind::Bus;
    Bus() : Named(kKind) {}
    int32_t kept = 0;
    std::map<int32_t, int32_t> members;  // position -> net id
    template <class S>
    void io(S& s) {
        s(nm, status, kept, members);
    }
};

struct SchComp : Named {
    static constexpr Kind kKind = Kind::SchComp;
    SchComp() : Named(kKind) {}
    int32_t x = 0, y = 0, symbol = 0, device = 0, pack1 = 0, pack2 = 0, page = 0, kept10 = 0, angle = 0,
            kept12 = 0;
    ObjectArray texts{Kind::Item};
    template <class S>
    void io(S& s) {
        s(nm, status, x, y, symbol, device, pack1, pack2, page, kept10, angle, kept12, texts);
    }
};

struct LayComp : Named {
    static constexpr Kind kKind = Kind::LayComp;
    LayComp() : Named(kKind) {}
    int32_t x = 0, y = 0, angle = 0, symbol = 0, device = 0, kept = 0;
    ArenaVector<int32_t> links;
    ObjectArray texts{Kind::Item};
    template <class S>
    void io(S& s) {
        s(nm, status, x, y, angle, symbol, device, kept, links, texts);
    }
};

struct TraceRecord {
    int32_t flags = 0, x = 0, y = 0, width = 0, gap = 0, kept1 = 0, kept2 = 0;
};

struct Trace : Obj {
    static constexpr Kind kKind = Kind::Trace;
    Trace() : Obj(kKind) {}
    int32_t kept1 = 0, kept2 = 0;
    ArenaVector<TraceRecord> records;
    template <class S>
    void io(S& s) {
        s(status, kept1, kept2, records);
    }
};

struct BendPoint : Obj {
    static constexpr Kind kKind = Kind::BendPoint;
    BendPoint() : Obj(kKind) {}
    int32_t kept = 0, x = 0, y = 0;
    template <class S>
    void io(S& s) {
        s(status, kept, x, y);
    }
};

struct Via : Obj {
    static constexpr Kind kKind = Kind::Via;
    Via() : Obj(kKind) {}
    int32_t x = 0, y = 0, kept = 0, padstack = 0;
    template <class S>
    void io(S& s) {
        s(status, x, y, kept, padstack);
    }
};

struct Junction : Obj {
    static constexpr Kind kKind = Kind::Junction;
    Junction() : Obj(kKind) {}
    int32_t kept = 0, page = 0, x = 0, y = 0;
    template <class S>
    void io(S& s) {
        s(status, kept, page, x, y);
    }
};

struct BranchPoint {
    int32_t x = 0, y = 0, kept1 = 0, kept2 = 0;
};

struct Branch : Obj {
    static constexpr Kind kKind = Kind::Branch;
    Branch() : Obj(kKind) {}
    int32_t kept1 = 0, kept2 = 0, page = 0;
    ArenaVector<BranchPoint> points;
    ObjectArray texts{Kind::Item};
    template <class S>
    void io(S& s) {
        s(status, kept1, kept2, page, points, texts);
    }
};

constexpr int32_t kLayerCount = 32;
constexpr size_t kLayerMaskBytes = 32;

struct Hierarchy : Named {
    static constexpr Kind kKind = Kind::Hierarchy;
    Hierarchy();  // empty: FillDefaultLayers gives a new hierarchy its layers and mask
    int32_t curPage = 0;
    std::vector<uint8_t> layerMask;  // table 11
    ObjectArray layers{Kind::Layer};
    ObjectMap pages{Kind::Page, IdPolicy::Low99};
    ObjectMap nets{Kind::Net, IdPolicy::Counter};
    ObjectMap buses{Kind::Bus, IdPolicy::Counter};
    ObjectMap schComps{Kind::SchComp, IdPolicy::Counter};
    ObjectMap branches{Kind::Branch, IdPolicy::Counter};
    ObjectMap junctions{Kind::Junction, IdPolicy::Counter};
    ObjectMap layComps{Kind::LayComp, IdPolicy::Counter};
    ObjectMap traces{Kind::Trace, IdPolicy::Counter};
    ObjectMap bendPoints{Kind::BendPoint, IdPolicy::Counter};
    ObjectMap vias{Kind::Via, IdPolicy::Counter};
    ObjectArray layoutTexts{Kind::Item};
    template <class S>
    void io(S& s) {
        s(nm, status, curPage, layerMask, layers, pages, nets, buses, schComps, branches, junctions, layComps,
          traces, bendPoints, vias, layoutTexts);
    }
};

struct Database : Named {
    static constexpr Kind kKind = Kind::Database;
    Database();  // the built-in default tables
    void markChanged() {
        const int32_t one = 1;
        std::memcpy(tables[18].data(), &one, 4);
    }
    bool changed() const;

    std::array<std::vector<uint8_t>, 22> tables;  // database tables by number; 12 and 16 are empty
    std::vector<uint8_t> textSizes;
    ObjectMap hierarchies{Kind::Hierarchy, IdPolicy::Low99};
    ObjectMap symbols{Kind::Symbol, IdPolicy::Symbols};
    ObjectMap padstacks{Kind::PadStack, IdPolicy::Keyed};
    ObjectMap devices{Kind::Device, IdPolicy::Devices};
    ObjectMap files{Kind::File, IdPolicy::Counter};
    // Items and padstacks made but not yet placed into an array or map; each knows its place
    // here (its key), so taking one out costs no search.
    std::vector<std::unique_ptr<Obj>> freeObjects;
    int32_t curHier = 0;

    // Where the objects made in this database come from (see MakeObject): one arena for its
    // life, so a load that makes a million objects makes no heap allocation for each.
    Arena* arena() { return arena_ ? arena_.get() : NewArena(); }

private:
    Arena* NewArena();
    std::unique_ptr<Arena> arena_;
};

// A new, empty object from `arena`; from the heap when that is null or has no room.
template <class T>
std::unique_ptr<T> MakeObject(Arena* arena) {
    void* p = arena ? arena->Allocate(sizeof(T)) : nullptr;
    if (!p) return std::make_unique<T>();
    T* o;
    try {
        o = ::new (p) T();
    } catch (...) {
        Arena::Release(p);
        throw;
    }
    o->inArena = true;
    return std::unique_ptr<T>(o);
}

// Builds an empty object of a kind that maps and arrays hold (used by the reader), in the
// calling thread's arena when one is set.
std::unique_ptr<Obj> NewObject(Kind k);

// Calls `o.io(s)` on the object's concrete type.
template <class S>
void VisitIo(Obj& o, S& s) {
    switch (o.kind) {
        case Kind::Hierarchy:
            static_cast<Hierarchy&>(o).io(s);
            break;
        case Kind::Page:
            static_cast<Page&>(o).io(s);
            break;
        case Kind::Layer:
            static_cast<Layer&>(o).io(s);
            break;
        case Kind::File:
            static_cast<File&>(o).io(s);
            break;
        case Kind::Symbol:
            static_cast<Symbol&>(o).io(s);
            break;
        case Kind::Entry:
            static_cast<Entry&>(o).io(s);
            break;
        case Kind::PadStack:
            static_cast<PadStack&>(o).io(s);
            break;
        case Kind::Device:
            static_cast<Device&>(o).io(s);
            break;
        case Kind::Net:
            static_cast<Net&>(o).io(s);
            break;
        case Kind::Node:
            static_cast<Node&>(o).io(s);
            break;
        case Kind::Bus:
            static_cast<Bus&>(o).io(s);
            break;
        case Kind::SchComp:
            static_cast<SchComp&>(o).io(s);
            break;
        case Kind::Branch:
            static_cast<Branch&>(o).io(s);
            break;
        case Kind::Junction:
            static_cast<Junction&>(o).io(s);
            break;
        case Kind::LayComp:
            static_cast<LayComp&>(o).io(s);
            break;
        case Kind::Trace:
            static_cast<Trace&>(o).io(s);
            break;
        case Kind::BendPoint:
            static_cast<BendPoint&>(o).io(s);
            break;
        case Kind::Via:
            static_cast<Via&>(o).io(s);
            break;
        case Kind::Item:
            static_cast<Item&>(o).io(s);
            break;
        default:
            break;
    }
}

// --- session ---------------------------------------------------------------------------------

constexpr int32_t kFirstHandle = 0x40000000;

// The handle registry. Handles are given out in ascending order and never twice, so it is a table
// indexed by handle, in pages of 4096: registering is an append, a lookup two indexings, and a
// page goes back once every handle in it is gone (a discarded database takes its pages along).
class HandleTable {
public:
    HandleTable() = default;
    HandleTable(const HandleTable&) = delete;
    HandleTable& operator=(const HandleTable&) = delete;

    // `h` is the handle after the last one added.
    void add(int32_t h, Obj* o);
    void erase(int32_t h);
    Obj* find(int32_t h) const {
        const uint32_t i = uint32_t(h) - uint32_t(kFirstHandle);
        if (h < kFirstHandle || (i >> kPageBits) >= pages_.size()) return nullptr;
        const Page* p = pages_[i >> kPageBits].get();
        return p ? p->at[i & kPageMask] : nullptr;
    }

private:
    static constexpr uint32_t kPageBits = 12;
    static constexpr uint32_t kPageMask = (1u << kPageBits) - 1;
    struct Page {
        std::array<Obj*, size_t(1) << kPageBits> at{};
        uint32_t live = 0;
    };
    std::vector<std::unique_ptr<Page>> pages_;  // by (handle - kFirstHandle) >> kPageBits
    uint32_t issued_ = 0;                       // handles added so far
};

struct Session {
    std::unique_ptr<Database> db;
    HandleTable handles;
    int32_t nextHandle = kFirstHandle;  // never reset: a handle is never given out twice
    std::map<std::string, std::string> strings;
    std::vector<uint8_t> helpTable;  // SysHelpState
    std::vector<uint8_t> table16;
    int32_t nodeView = 0;
    std::array<int32_t, 4> compLocation{};
    // Why the last save failed, in the system's words; "" after one that succeeded (DB_LastError).
    std::string saveFailure;

    Session() { resetProcessTables(); }
    void resetProcessTables();
};

[[gnu::always_inline]] inline Session& Kern() {
    // Never destroyed, so objects freed during exit can still unregister their handles.
    static Session* const s = new Session;
    return *s;
}

int32_t NewHandle(Obj* o);
// The object's handle, given to it now when it has none yet; 0 for none (or none left to give).
inline int32_t HandleOf(Obj* o) {
    if (!o) return 0;
    return o->handle ? o->handle : NewHandle(o);
}
inline Obj* ObjectOf(int32_t handle) { return Kern().handles.find(handle); }

template <class T>
T* Get(int32_t handle) {
    Obj* o = ObjectOf(handle);
    return o && o->kind == T::kKind ? static_cast<T*>(o) : nullptr;
}

inline Database* Db() { return Kern().db.get(); }
// The current hierarchy: the hierarchy map remembers it as the key it found last, so this costs
// no search while the selection stays.
inline Hierarchy* CurHier() {
    Database* db = Db();
    if (!db || !db->curHier) return nullptr;
    return static_cast<Hierarchy*>(db->hierarchies.find(db->curHier));
}

// Marks the database changed unless `o` is transient.
inline void Touch(const Obj* o) {
    if (!o || o->transient) return;
    if (Database* db = Db()) db->markChanged();
}

// Default contents (also used by the reader to size tables).
void FillDefaultTables(Database& db);
void FillDefaultLayers(Hierarchy& h);

}  // namespace tolvi::kernel
