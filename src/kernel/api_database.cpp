// DB_, OM_, OA_, O_ and I_: database life, selection, maps, arrays, any object, items.
#include <algorithm>
#include <cstring>
#include <string>

#include "kernel/api_util.h"
#include "kernel/fail_point.h"
#include "kernel/kernel.h"
#include "kernel/tpb_store.h"

using namespace tolvi::kernel;

namespace {

// The hierarchy whose page map is `m`, if any.
Hierarchy* PageOwner(const ObjectMap* m) {
    Database* db = Db();
    if (!db || m->elem != Kind::Page) return nullptr;
    Hierarchy* owner = nullptr;
    db->hierarchies.forEach([&](int32_t, Obj& o) {
        if (&static_cast<Hierarchy&>(o).pages == m) owner = static_cast<Hierarchy*>(&o);
    });
    return owner;
}

// Keeps the selection valid when a hierarchy or page goes away.
void Forget(ObjectMap* m, int32_t key) {
    Database* db = Db();
    if (!db) return;
    if (m == &db->hierarchies && (key == 0 || db->curHier == key)) db->curHier = 0;
    if (Hierarchy* h = PageOwner(m); h && (key == 0 || h->curPage == key)) h->curPage = 0;
}

// Names that must be unique within their map: hierarchies, pages, internal files.
bool UniqueNames(const ObjectMap* m) { return m->policy == IdPolicy::Low99 || (Db() && m == &Db()->files); }

}  // namespace

// --- DB_ -------------------------------------------------------------------------------------

int32_t DB_CreateDataBase(const char* dbName, const char* rootHierName, const char* firstPageName) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        auto db = std::make_unique<Database>();
        db->nm = Str(dbName);
        auto h = std::make_unique<Hierarchy>();
        h->nm = Str(rootHierName);
        FillDefaultLayers(*h);
        auto page = std::make_unique<Page>();
        page->nm = Str(firstPageName);
        h->pages.insert(1, std::move(page));
        h->curPage = 1;
        db->hierarchies.insert(1, std::move(h));
        db->curHier = 1;
        Kern().db = std::move(db);
        return 1;
    });
}

int32_t DB_DiscardDataBase() {
    return Guard([]() -> int32_t {
        Kern().db.reset();
        return 1;
    });
}

int32_t DB_LoadDataBase(const char* path) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        if (!path) return 0;
        std::unique_ptr<Database> db = LoadTpb(path);
        if (!db) return 0;
        Kern().db = std::move(db);
        return 1;
    });
}

int32_t DB_SaveDataBase(const char* path) {
    Kern().saveFailure.clear();
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Database* db = Db();
        if (!db || !path || !*path) return 0;
        const int err = SaveTpb(*db, path);
        if (err) Kern().saveFailure = std::strerror(err);
        return err ? 0 : 1;
    });
}

const char* DB_LastError() { return Kern().saveFailure.c_str(); }

int32_t DB_DataBase() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return HandleOf(Db()); });
}
int32_t DB_HierarchyMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return DbMapHandle(&Database::hierarchies); });
}
int32_t DB_FileMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return DbMapHandle(&Database::files); });
}
int32_t DB_SymbMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return DbMapHandle(&Database::symbols); });
}
int32_t DB_PadStackMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return DbMapHandle(&Database::padstacks); });
}
int32_t DB_DeviceMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return DbMapHandle(&Database::devices); });
}
int32_t DB_PageMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return HierMapHandle(&Hierarchy::pages); });
}
int32_t DB_NetMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return HierMapHandle(&Hierarchy::nets); });
}
int32_t DB_BusMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return HierMapHandle(&Hierarchy::buses); });
}
int32_t DB_SchCompMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return HierMapHandle(&Hierarchy::schComps); });
}
int32_t DB_BranchMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return HierMapHandle(&Hierarchy::branches); });
}
int32_t DB_JunctMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return HierMapHandle(&Hierarchy::junctions); });
}
int32_t DB_LayCompMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return HierMapHandle(&Hierarchy::layComps); });
}
int32_t DB_TraceMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return HierMapHandle(&Hierarchy::traces); });
}
int32_t DB_BendPointMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return HierMapHandle(&Hierarchy::bendPoints); });
}
int32_t DB_ViaMap() {
    KERNEL_FAIL_POINT(0);
    return Guard([] { return HierMapHandle(&Hierarchy::vias); });
}

int32_t DB_LayerArray() {
    return Guard([] {
        Hierarchy* h = CurHier();
        return h ? HandleOf(&h->layers) : 0;
    });
}

int32_t DB_LayoutTextArray() {
    return Guard([] {
        Hierarchy* h = CurHier();
        return h ? HandleOf(&h->layoutTexts) : 0;
    });
}

uint8_t* DB_TextSizeTable() {
    Database* db = Db();
    return db ? db->textSizes.data() : nullptr;
}

int32_t DB_CreateHierarchy(int32_t id, const char* name) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Database* db = Db();
        if (!db || db->hierarchies.findName(Str(name))) return 0;
        return CreateIn<Hierarchy>(&db->hierarchies, id, [&](Hierarchy& h) {
            h.nm = Str(name);
            FillDefaultLayers(h);
        });
    });
}

int32_t DB_CreatePage(int32_t id, const char* name) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Hierarchy* h = CurHier();
        if (!h || h->pages.findName(Str(name))) return 0;
        return CreateIn<Page>(&h->pages, id, [&](Page& p) { p.nm = Str(name); });
    });
}

int32_t DB_SetCurHier(int32_t id) {
    KERNEL_FAIL_POINT(0);
    Database* db = Db();
    if (!db || !db->hierarchies.find(id)) return 0;
    db->curHier = id;
    return id;
}

int32_t DB_SetCurPage(int32_t id) {
    KERNEL_FAIL_POINT(0);
    Hierarchy* h = CurHier();
    if (!h || !h->pages.find(id)) return 0;
    h->curPage = id;
    return id;
}

int32_t DB_CurHier() {
    Database* db = Db();
    return db ? db->curHier : 0;
}

int32_t DB_CurPage() {
    Hierarchy* h = CurHier();
    return h ? h->curPage : 0;
}

int32_t DB_Page(int32_t pageId) {
    return Guard([&] { return HandleOf(InHier<Page>(&Hierarchy::pages, pageId)); });
}

int32_t DB_ReadPage(int32_t pageId, PageRec& rec) {
    Page* p = InHier<Page>(&Hierarchy::pages, pageId);
    if (!p) return 0;
    rec = {p->kept, p->nm.c_str(), p->sheet[0], p->sheet[1], p->sheet[2], p->sheet[3]};
    return 1;
}

int32_t DB_ExitClean() { return DB_DiscardDataBase(); }

// --- OM_ -------------------------------------------------------------------------------------

int32_t OM_GetFirst(int32_t) { return 0; }

int32_t OM_SearchMask(int32_t map, int32_t& cursor, int32_t value, int32_t mask) {
    ObjectMap* m = Get<ObjectMap>(map);
    if (!m) return 0;
    const int32_t key = m->next(cursor, value, mask);
    if (key) cursor = key;
    return key;
}

int32_t OM_FindName(int32_t map, const char* name) {
    KERNEL_FAIL_POINT(0);
    return OM_FindNameMask(map, name, 0, 0);
}

int32_t OM_FindNameMask(int32_t map, const char* name, int32_t value, int32_t mask) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        ObjectMap* m = Get<ObjectMap>(map);
        return m ? m->findName(Str(name), value, mask) : 0;
    });
}

int32_t OM_Object(int32_t map, int32_t key) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        ObjectMap* m = Get<ObjectMap>(map);
        return m ? HandleOf(m->find(key)) : 0;
    });
}

int32_t OM_Add(int32_t map, int32_t object, int32_t key) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        ObjectMap* m = Get<ObjectMap>(map);
        PadStack* ps = Get<PadStack>(object);
        if (!m || !ps || m->policy != IdPolicy::Keyed || key == 0 || m->find(key)) return 0;
        std::unique_ptr<Obj> o = TakeFree(ps);
        if (!o) return 0;  // already in a map
        o->setTransient(false);
        Touch(m->insert(key, std::move(o)));
        return key;
    });
}

int32_t OM_Delete(int32_t map, int32_t key) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        ObjectMap* m = Get<ObjectMap>(map);
        if (!m || !m->find(key)) return 0;
        std::unique_ptr<Obj> o = m->take(key);
        Forget(m, key);
        Touch(o.get());
        return 1;
    });
}

int32_t OM_DeleteAll(int32_t map) {
    return Guard([&]() -> int32_t {
        ObjectMap* m = Get<ObjectMap>(map);
        if (!m) return 0;
        m->forEach([](int32_t, Obj& o) { Touch(&o); });
        m->clear();
        Forget(m, 0);
        return 1;
    });
}

int32_t OM_MaskAll(int32_t map, int32_t value, int32_t mask) {
    ObjectMap* m = Get<ObjectMap>(map);
    if (!m) return 0;
    m->forEach([&](int32_t, Obj& o) { ApplyMask(o.status, value, mask); });
    return 1;
}

// --- OA_ -------------------------------------------------------------------------------------

int32_t OA_GetCount(int32_t array) {
    Obj* o = ObjectOf(array);
    if (auto* a = As<ObjectArray>(o)) return int32_t(a->items.size());
    if (auto* p = As<PinArray>(o)) return int32_t(p->pins.size());
    return 0;
}

int32_t OA_Object(int32_t array, int32_t index) {
    return Guard([&]() -> int32_t {
        ObjectArray* a = Get<ObjectArray>(array);
        return a ? HandleOf(a->at(index)) : 0;
    });
}

int32_t OA_Add(int32_t array, int32_t item) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        ObjectArray* a = Get<ObjectArray>(array);
        Item* it = Get<Item>(item);
        if (!a || !it || a->elem != Kind::Item || (a->shapesOnly && it->itemKind == 6)) return 0;
        std::unique_ptr<Obj> o = TakeFree(it);
        if (!o) return 0;  // already owned by an array
        // Room first, so the push below cannot fail once the item is out of the free pool;
        // grown geometrically, as an exact reserve would copy the whole array on every append.
        if (a->items.size() == a->items.capacity())
            a->items.reserve(std::max<size_t>(8, 2 * a->items.size()));
        o->setTransient(a->transient);
        a->items.push_back(std::move(o));
        Touch(it);
        return item;
    });
}

int32_t OA_Delete(int32_t array, int32_t index) {
    return Guard([&]() -> int32_t {
        ObjectArray* a = Get<ObjectArray>(array);
        // The layer array always keeps its 32 layers.
        if (!a || a->elem == Kind::Layer || !a->at(index)) return 0;
        Touch(a);
        a->items.erase(a->items.begin() + (index - 1));
        return 1;
    });
}

int32_t OA_SearchMask(int32_t array, int32_t value, int32_t mask) {
    ObjectArray* a = Get<ObjectArray>(array);
    if (!a) return 0;
    for (size_t i = 0; i < a->items.size(); ++i) {
        const int32_t bits = a->items[i]->status & mask;
        if (value != 0 ? bits == mask : bits == 0) return int32_t(i + 1);
    }
    return 0;
}

// --- O_ --------------------------------------------------------------------------------------

const char* O_GetName(int32_t object) {
    Obj* o = ObjectOf(object);
    std::string* n = o ? o->name() : nullptr;
    return n ? n->c_str() : nullptr;
}

int32_t O_Rename(int32_t object, const char* name) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Named* o = AsNamed(ObjectOf(object));
        if (!o) return 0;
        const std::string next = Str(name);
        if (o->nm == next) return 1;
        if (o->home && UniqueNames(o->home) && o->home->findName(next)) return 0;
        const std::string old = o->nm;
        o->nm = next;
        if (o->home) o->home->renamed(o, old);
        Touch(o);
        return 1;
    });
}

int32_t O_GetStatus(int32_t object) {
    Obj* o = ObjectOf(object);
    return o ? o->status : 0;
}

int32_t O_Mask(int32_t object, int32_t value, int32_t mask) {
    Obj* o = ObjectOf(object);
    if (!o) return 0;
    ApplyMask(o->status, value, mask);
    return 1;
}

int32_t O_ChangePosition(int32_t object, int32_t x, int32_t y) {
    Obj* o = ObjectOf(object);
    const auto move = [&](auto* p) {
        Set(p, p->x, x);
        Set(p, p->y, y);
        return 1;
    };
    if (auto* p = As<SchComp>(o)) return move(p);
    if (auto* p = As<LayComp>(o)) return move(p);
    if (auto* p = As<Via>(o)) return move(p);
    if (auto* p = As<BendPoint>(o)) return move(p);
    if (auto* p = As<Junction>(o)) return move(p);
    if (auto* p = As<Entry>(o)) return move(p);
    return 0;
}

// --- I_ --------------------------------------------------------------------------------------

int32_t I_MakeItem(const ItemRec& r) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        if (r.Kind < 1 || r.Kind > 6) return 0;
        auto it = MakeObject<Item>(DbArena());
        it->itemKind = r.Kind;
        it->status = r.Attr;
        it->link = r.Link, it->x = r.X, it->y = r.Y;
        it->styleA = r.StyleA, it->styleB = r.StyleB;
        it->width = r.Width, it->gap = r.Gap, it->angle = r.Angle;
        it->p2 = r.P2, it->p3 = r.P3, it->p5 = r.P5;
        it->p4 = r.Kind == 6 ? 0 : r.P4;  // a text keeps its characters, not P4
        return MakeFree(std::move(it));
    });
}

int32_t I_MakeText(int32_t x, int32_t y, int32_t angle, int32_t p2, int32_t p3, const char* text,
                   int32_t attr, int32_t styleA, int32_t width) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        auto it = MakeObject<Item>(DbArena());
        it->itemKind = 6;
        it->x = x, it->y = y, it->angle = angle, it->p2 = p2, it->p3 = p3;
        it->text = Str(text);
        it->status = attr;
        it->styleA = uint8_t(styleA);
        it->width = width;
        return MakeFree(std::move(it));
    });
}

int32_t I_ChangeItemLink(int32_t item, int32_t link) {
    Item* it = Get<Item>(item);
    if (!it) return 0;
    Set(it, it->link, link);
    return 1;
}

int32_t I_ChangeItemGap(int32_t item, int32_t gap) {
    Item* it = Get<Item>(item);
    if (!it) return 0;
    Set(it, it->gap, gap);
    return 1;
}

int32_t I_ChangeItemAttr(int32_t item, int32_t attr, int32_t styleA, int32_t styleB, int32_t width) {
    Item* it = Get<Item>(item);
    if (!it) return 0;
    Set(it, it->status, attr);
    Set(it, it->styleA, uint8_t(styleA));
    Set(it, it->styleB, uint8_t(styleB));
    Set(it, it->width, width);
    return 1;
}

int32_t I_ChangeItemXY(int32_t item, const ItemRec& r) {
    Item* it = Get<Item>(item);
    if (!it) return 0;
    Set(it, it->x, r.X);
    Set(it, it->y, r.Y);
    Set(it, it->angle, r.Angle);
    Set(it, it->p2, r.P2);
    Set(it, it->p3, r.P3);
    if (it->itemKind != 6) Set(it, it->p4, r.P4);
    Set(it, it->p5, r.P5);
    return 1;
}

int32_t I_ChangeTextSize(int32_t item, int32_t p2, int32_t p3) {
    Item* it = Get<Item>(item);
    if (!it) return 0;
    Set(it, it->p2, p2);
    Set(it, it->p3, p3);
    return 1;
}

int32_t I_ReadItem(int32_t item, ItemRec& r) {
    Item* it = Get<Item>(item);
    if (!it) return 0;
    r = ItemRec{};
    r.Kind = it->itemKind, r.Attr = it->status, r.Link = it->link, r.X = it->x, r.Y = it->y;
    r.StyleA = it->styleA, r.StyleB = it->styleB, r.Width = it->width, r.Gap = it->gap;
    r.Angle = it->angle, r.P2 = it->p2, r.P3 = it->p3, r.P4 = it->p4, r.P5 = it->p5;
    r.Text = it->itemKind == 6 ? it->text.c_str() : nullptr;
    return it->itemKind;
}
