// Helpers shared by the flat functions: exception barrier, lookups and creation.
#pragma once

#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

#include "kernel/model.h"

namespace tolvi::kernel {

// Runs `f` and turns any exception (out of memory included) into the failure value 0 / null,
// so that nothing crosses the flat interface.
template <class F>
auto Guard(F&& f) noexcept -> decltype(f()) {
    try {
        return f();
    } catch (...) {
        if constexpr (!std::is_void_v<decltype(f())>) return {};
    }
}

inline std::string Str(const char* s) { return s ? std::string(s) : std::string(); }

template <class T>
T* As(Obj* o) {
    return o && o->kind == T::kKind ? static_cast<T*>(o) : nullptr;
}

// Object `id` of a map of the current hierarchy.
template <class T>
T* InHier(ObjectMap Hierarchy::*m, int32_t id) {
    Hierarchy* h = CurHier();
    return h ? As<T>((h->*m).find(id)) : nullptr;
}

// Object `id` of a database-wide map.
template <class T>
T* InDb(ObjectMap Database::*m, int32_t id) {
    Database* db = Db();
    return db ? As<T>((db->*m).find(id)) : nullptr;
}

inline int32_t HierMapHandle(ObjectMap Hierarchy::*m) {
    Hierarchy* h = CurHier();
    return h ? HandleOf(&(h->*m)) : 0;
}

inline int32_t DbMapHandle(ObjectMap Database::*m) {
    Database* db = Db();
    return db ? HandleOf(&(db->*m)) : 0;
}

// The open database's arena, for the objects made in it; null with none open.
inline Arena* DbArena() {
    Database* db = Db();
    return db ? db->arena() : nullptr;
}

// A new object's arrays get the room that those of its neighbour in the map came to need, up to
// a few elements. The objects of one map are mostly alike, and a load makes them one after
// another, each filled before the next: so each array is allocated once, at its size, in the
// database's arena. An object made by hand beside a large one reserves no more than the few.
constexpr size_t kMostReservedLike = 16;
template <class V>
void ReserveAs(V& v, size_t n) {
    v.reserve(std::min(n, kMostReservedLike));
}
inline void ReserveLike(Obj&, const Obj&) {}
inline void ReserveLike(Symbol& s, const Symbol& n) {
    ReserveAs(s.entries.items, n.entries.items.size());
    ReserveAs(s.items.items, n.items.items.size());
}
inline void ReserveLike(Net& t, const Net& n) { ReserveAs(t.nodes, n.nodes.size()); }
inline void ReserveLike(SchComp& c, const SchComp& n) { ReserveAs(c.texts.items, n.texts.items.size()); }
inline void ReserveLike(LayComp& c, const LayComp& n) {
    ReserveAs(c.links, n.links.size());
    ReserveAs(c.texts.items, n.texts.items.size());
}
inline void ReserveLike(Trace& t, const Trace& n) { ReserveAs(t.records, n.records.size()); }
inline void ReserveLike(Branch& b, const Branch& n) {
    ReserveAs(b.points, n.points.size());
    ReserveAs(b.texts.items, n.texts.items.size());
}

// Creates a T under `id` (0 = next free) in `m`; returns the key or 0.
template <class T, class Init>
int32_t CreateIn(ObjectMap* m, int32_t id, Init&& init) {
    if (!m) return 0;
    const int32_t key = m->allocate(id);
    if (!key) return 0;
    Arena* arena = DbArena();
    auto o = MakeObject<T>(arena);
    init(*o);
    T* made = o.get();
    Touch(m->insert(key, std::move(o)));
    if (const Obj* n = m->neighbour(key); n && n->kind == T::kKind) {
        ArenaScope scope(arena);
        ReserveLike(*made, static_cast<const T&>(*n));
    }
    return key;
}

// Keeps a made item or padstack in the open database's free pool until it is placed into an
// array or map; its handle, or 0 (and the object gone) when there is none to give.
inline int32_t MakeFree(std::unique_ptr<Obj> o) {
    Database* db = Db();
    if (!db) return 0;
    o->setTransient(true);  // not content until placed
    Obj* p = o.get();
    p->key = int32_t(db->freeObjects.size());
    db->freeObjects.push_back(std::move(o));
    const int32_t h = HandleOf(p);
    if (!h) db->freeObjects.pop_back();
    return h;
}

// Takes an object out of the open database's free pool; null when it is not there (already
// placed).
inline std::unique_ptr<Obj> TakeFree(Obj* o) {
    Database* db = Db();
    if (!db || !o) return nullptr;
    auto& pool = db->freeObjects;
    const size_t at = size_t(uint32_t(o->key));
    if (at >= pool.size() || pool[at].get() != o) return nullptr;
    std::unique_ptr<Obj> p = std::move(pool[at]);
    if (at + 1 != pool.size()) {
        pool[at] = std::move(pool.back());
        pool[at]->key = int32_t(at);
    }
    pool.pop_back();
    p->key = 0;
    return p;
}

// Sets a field and marks the database changed when the value really changes.
template <class T, class V>
void Set(const Obj* owner, T& field, V value) {
    if (field != T(value)) {
        field = T(value);
        Touch(owner);
    }
}

inline void ApplyMask(int32_t& status, int32_t value, int32_t mask) {
    status = (status & ~mask) | (value & mask);
}

// Inserts `r` at 1-based position `pos` (-1 appends) of a std::vector or ArenaVector; returns
// the position or 0.
template <class V>
int32_t InsertAt(V& v, int32_t pos, typename V::value_type r) {
    const size_t n = v.size();
    if (n >= size_t(INT32_MAX) - 1) return 0;
    if (pos == -1) pos = int32_t(n) + 1;
    if (pos < 1 || size_t(pos) > n + 1) return 0;
    v.insert(v.begin() + (pos - 1), std::move(r));
    return pos;
}

template <class V>
typename V::value_type* At(V& v, int32_t no) {
    return no >= 1 && size_t(no) <= v.size() ? &v[size_t(no) - 1] : nullptr;
}

inline const char* CStr(const std::string& s) { return s.c_str(); }

}  // namespace tolvi::kernel
