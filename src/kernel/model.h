// The kernel's object model: objects, maps, arrays, the handle registry and the session.
#pragma once

#include <array>
#include <cstdint>
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
    int32_t key = 0;
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

// Objects keyed by id, kept in one vector sorted in scan order: appends (the usual case) cost
// O(1), lookups and walk steps a binary search, and no allocation is made per entry. A deleted
// entry leaves an empty slot until enough of them pile up to be squeezed out.
class ObjectMap : public Obj {
public:
    static constexpr Kind kKind = Kind::Map;

    ObjectMap(Kind elem, IdPolicy policy) : Obj(Kind::Map), elem(elem), policy(policy) {}

    // The key a create with `id` gets, or 0 when it is refused.
    int32_t allocate(int32_t id) const;
    // Puts `o` under `key` (already allowed by allocate or checked by the caller).
    Obj* insert(int32_t key, std::unique_ptr<Obj> o);
    std::unique_ptr<Obj> take(int32_t key);
    Obj* find(int32_t key) const;
    // The first key after `cursor` whose (status & mask) == value, or 0.
    int32_t next(int32_t cursor, int32_t value, int32_t mask) const;
    // The first key in scan order with that exact name and (status & mask) == value, or 0.
    int32_t findName(const std::string& name, int32_t value = 0, int32_t mask = 0);
    void renamed(Obj* o, const std::string& oldName);
    void clear();
    void reserve(size_t n) { slots_.reserve(n); }
    size_t size() const { return live_; }
    // The last key in scan order, 0 when empty.
    int32_t lastKey() const;
    bool isTransientKey(int32_t key) const {
        return (policy == IdPolicy::Symbols || policy == IdPolicy::Devices) && (key == -1 || key == -2);
    }
    template <class F>
    void forEach(F&& f) const {
        for (const Slot& s : slots_)
            if (s.obj) f(s.key, *s.obj);
    }

    Kind elem;
    IdPolicy policy;
    int32_t counter = 0;  // highest positive key ever used

private:
    struct Slot {
        int32_t key;
        std::unique_ptr<Obj> obj;  // null once deleted
    };
    size_t lower(int32_t key) const;  // first slot not before `key` in scan order

    ArenaVector<Slot> slots_;
    size_t live_ = 0;
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
    void markChanged();
    bool changed() const;

    std::array<std::vector<uint8_t>, 22> tables;  // database tables by number; 12 and 16 are empty
    std::vector<uint8_t> textSizes;
    ObjectMap hierarchies{Kind::Hierarchy, IdPolicy::Low99};
    ObjectMap symbols{Kind::Symbol, IdPolicy::Symbols};
    ObjectMap padstacks{Kind::PadStack, IdPolicy::Keyed};
    ObjectMap devices{Kind::Device, IdPolicy::Devices};
    ObjectMap files{Kind::File, IdPolicy::Counter};
    // Items and padstacks made but not yet placed into an array or map.
    std::unordered_map<Obj*, std::unique_ptr<Obj>> freeObjects;
    int32_t curHier = 0;
};

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

struct Session {
    std::unique_ptr<Database> db;
    std::unordered_map<int32_t, Obj*> handles;
    int32_t nextHandle = kFirstHandle;  // never reset: a handle is never given out twice
    std::map<std::string, std::string> strings;
    std::vector<uint8_t> helpTable;  // SysHelpState
    std::vector<uint8_t> table16;
    int32_t nodeView = 0;
    std::array<int32_t, 4> compLocation{};

    Session() { resetProcessTables(); }
    void resetProcessTables();
};

Session& Kern();

int32_t HandleOf(Obj* o);
Obj* ObjectOf(int32_t handle);

template <class T>
T* Get(int32_t handle) {
    Obj* o = ObjectOf(handle);
    return o && o->kind == T::kKind ? static_cast<T*>(o) : nullptr;
}

inline Database* Db() { return Kern().db.get(); }
Hierarchy* CurHier();

// Marks the database changed unless `o` is transient.
void Touch(const Obj* o);

// Default contents (also used by the reader to size tables).
void FillDefaultTables(Database& db);
void FillDefaultLayers(Hierarchy& h);

}  // namespace tolvi::kernel
