// S_, D_, C_, L_, N_, T_, V_, J_ and B_: the design objects.
#include "kernel/api_util.h"
#include "kernel/fail_point.h"
#include "kernel/kernel.h"

using namespace tolvi::kernel;

namespace {

Symbol* Sym(int32_t id) { return InDb<Symbol>(&Database::symbols, id); }
Device* Dev(int32_t id) { return InDb<Device>(&Database::devices, id); }
SchComp* SComp(int32_t id) { return InHier<SchComp>(&Hierarchy::schComps, id); }
LayComp* LComp(int32_t id) { return InHier<LayComp>(&Hierarchy::layComps, id); }
Net* NetOf(int32_t id) { return InHier<Net>(&Hierarchy::nets, id); }
Bus* BusOf(int32_t id) { return InHier<Bus>(&Hierarchy::buses, id); }
Trace* Tr(int32_t id) { return InHier<Trace>(&Hierarchy::traces, id); }
Branch* Br(int32_t id) { return InHier<Branch>(&Hierarchy::branches, id); }

Entry* EntryOf(int32_t symbol, int32_t no) {
    Symbol* s = Sym(symbol);
    return s ? As<Entry>(s->entries.at(no)) : nullptr;
}

// Runs `f` on entry `no` of `symbol`; 0 when there is none.
template <class F>
int32_t WithEntry(int32_t symbol, int32_t no, F&& f) {
    return Guard([&]() -> int32_t {
        Entry* e = EntryOf(symbol, no);
        if (!e) return 0;
        f(*e);
        return 1;
    });
}

void FillEntry(const Entry& e, bool pad, EntryRec& r) {
    r = EntryRec{};
    r.Kept = e.kept, r.Status = e.status, r.X = e.x, r.Y = e.y;
    if (pad) {
        r.Angle = e.angle, r.PadStack = e.padstack;
    } else {
        r.Name = e.pinName.c_str(), r.PaX = e.paX, r.PaY = e.paY, r.PaAngle = e.paAngle;
        r.Attrib = e.attrib, r.SimName = e.simName.c_str();
    }
}

// Objects placed on a page need a current page.
ObjectMap* PageMap(ObjectMap Hierarchy::*m) {
    Hierarchy* h = CurHier();
    return h && h->curPage ? &(h->*m) : nullptr;
}

ObjectMap* HierMap(ObjectMap Hierarchy::*m) {
    Hierarchy* h = CurHier();
    return h ? &(h->*m) : nullptr;
}

template <class T>
int32_t Handle(T* p) {
    return Guard([&] { return HandleOf(p); });
}

}  // namespace

// --- S_ --------------------------------------------------------------------------------------

int32_t S_CreateSymbol(int32_t id, const char* name) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Database* db = Db();
        return db ? CreateIn<Symbol>(&db->symbols, id, [&](Symbol& s) { s.nm = Str(name); }) : 0;
    });
}

int32_t S_Symbol(int32_t id) { return Handle(Sym(id)); }

int32_t S_ReadSymbol(int32_t id, SymbolRec& r) {
    Symbol* s = Sym(id);
    if (!s) return 0;
    r = {s->status, int32_t(s->entries.items.size()), s->nm.c_str(), s->simCode};
    return 1;
}

int32_t S_ChangeSimCode(int32_t symbol, int32_t code) {
    Symbol* s = Sym(symbol);
    if (!s) return 0;
    Set(s, s->simCode, code);
    return 1;
}

int32_t S_InsertEntry(int32_t symbol, int32_t entryNo, int32_t x, int32_t y) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Symbol* s = Sym(symbol);
        if (!s) return 0;
        auto e = MakeObject<Entry>(DbArena());
        e->x = x, e->y = y;
        e->setTransient(s->transient);
        const int32_t no = InsertAt(s->entries.items, entryNo, std::unique_ptr<Obj>(std::move(e)));
        if (no) Touch(s);
        return no;
    });
}

int32_t S_ChangeEntryAttrib(int32_t symbol, int32_t entryNo, const char* name, int32_t attrib) {
    return WithEntry(symbol, entryNo, [&](Entry& e) {
        Set(&e, e.pinName, Str(name));
        Set(&e, e.attrib, attrib);
    });
}

int32_t S_ChangeEntryPA(int32_t symbol, int32_t entryNo, int32_t paX, int32_t paY, int32_t paAngle) {
    return WithEntry(symbol, entryNo, [&](Entry& e) {
        Set(&e, e.paX, paX);
        Set(&e, e.paY, paY);
        Set(&e, e.paAngle, paAngle);
    });
}

int32_t S_ChangeEntrySimName(int32_t symbol, int32_t entryNo, const char* simName) {
    return WithEntry(symbol, entryNo, [&](Entry& e) { Set(&e, e.simName, Str(simName)); });
}

int32_t S_ChangePadRotation(int32_t symbol, int32_t entryNo, int32_t angle) {
    return WithEntry(symbol, entryNo, [&](Entry& e) { Set(&e, e.angle, angle); });
}

int32_t S_ChangePadPadStack(int32_t symbol, int32_t entryNo, int32_t padstackNumber) {
    // Not checked: the padstack may be created after the pad.
    return WithEntry(symbol, entryNo, [&](Entry& e) { Set(&e, e.padstack, padstackNumber); });
}

int32_t S_Entry(int32_t symbol, int32_t entryNo) { return Handle(EntryOf(symbol, entryNo)); }

int32_t S_ReadEntry(int32_t symbol, int32_t entryNo, EntryRec& r) {
    Symbol* s = Sym(symbol);
    Entry* e = s ? As<Entry>(s->entries.at(entryNo)) : nullptr;
    if (!e) return 0;
    FillEntry(*e, s->isLayout(), r);
    return 1;
}

int32_t S_SymbolEntryArray(int32_t symbol) {
    Symbol* s = Sym(symbol);
    return s ? Handle(&s->entries) : 0;
}

int32_t S_SymbolItemArray(int32_t symbol) {
    Symbol* s = Sym(symbol);
    return s ? Handle(&s->items) : 0;
}

int32_t S_SymbolPadStackMap(int32_t symbol) {
    Symbol* s = Sym(symbol);
    return s ? Handle(&s->padstacks) : 0;
}

int32_t S_MakePadStack() {
    KERNEL_FAIL_POINT(0);
    return Guard([]() -> int32_t { return MakeFree(MakeObject<PadStack>(DbArena())); });
}

int32_t S_ChangePadStackHole(int32_t padstack, int32_t holeA, int32_t holeB) {
    PadStack* p = Get<PadStack>(padstack);
    if (!p) return 0;
    Set(p, p->holeA, holeA);
    Set(p, p->holeB, holeB);
    return 1;
}

int32_t S_ReadPadStack(int32_t padstack, PadStackRec& r) {
    PadStack* p = Get<PadStack>(padstack);
    if (!p) return 0;
    r = {p->status, p->holeA, p->holeB};
    return 1;
}

int32_t S_PadStackItemArray(int32_t padstack) {
    PadStack* p = Get<PadStack>(padstack);
    return p ? Handle(&p->items) : 0;
}

int32_t S_SetCompLocation(int32_t a, int32_t b, int32_t c, int32_t d) {
    Kern().compLocation = {a, b, c, d};
    return 1;
}

// --- D_ --------------------------------------------------------------------------------------

int32_t D_CreateDevice(int32_t id, const char* name1, const char* name2, const char* name3) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Database* db = Db();
        return db ? CreateIn<Device>(
                        &db->devices, id,
                        [&](Device& d) { d.nm = Str(name1), d.name2 = Str(name2), d.name3 = Str(name3); })
                  : 0;
    });
}

int32_t D_Device(int32_t id) { return Handle(Dev(id)); }

int32_t D_ReadDevice(int32_t id, DeviceRec& r) {
    Device* d = Dev(id);
    if (!d) return 0;
    r = {d->status,
         d->nm.c_str(),
         d->name2.c_str(),
         d->name3.c_str(),
         int32_t(d->supply.pins.size()),
         int32_t(d->groups.size())};
    return 1;
}

int32_t D_SupplyPinArray(int32_t device) {
    Device* d = Dev(device);
    return d ? Handle(&d->supply) : 0;
}

int32_t D_GroupPinArray(int32_t device, int32_t groupNo) {
    Device* d = Dev(device);
    auto* g = d ? At(d->groups, groupNo) : nullptr;
    return g ? Handle(&(*g)->pins) : 0;
}

int32_t D_AddPin(int32_t pinArray, int32_t pinNumber, const char* name) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        PinArray* a = Get<PinArray>(pinArray);
        if (!a) return 0;
        a->pins.push_back({pinNumber, Str(name)});
        Touch(a);
        return int32_t(a->pins.size());
    });
}

int32_t D_AddGroup(int32_t device, const char* groupName, const char* symbolName) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Device* d = Dev(device);
        if (!d) return 0;
        auto g = std::make_unique<DeviceGroup>();
        g->name = Str(groupName), g->symbolName = Str(symbolName);
        g->pins.transient = d->transient;
        d->groups.push_back(std::move(g));
        Touch(d);
        return int32_t(d->groups.size());
    });
}

int32_t D_ReadGroup(int32_t device, int32_t groupNo, DeviceGroupRec& r) {
    Device* d = Dev(device);
    auto* g = d ? At(d->groups, groupNo) : nullptr;
    if (!g) return 0;
    r = {(*g)->name.c_str(), (*g)->symbolName.c_str(), int32_t((*g)->pins.pins.size())};
    return 1;
}

int32_t D_ReadPin(int32_t pinArray, int32_t pinIndex, DevicePinRec& r) {
    PinArray* a = Get<PinArray>(pinArray);
    Pin* p = a ? At(a->pins, pinIndex) : nullptr;
    if (!p) return 0;
    r = {p->number, p->name.c_str()};
    return 1;
}

// --- C_ --------------------------------------------------------------------------------------

int32_t C_CreateComponent(int32_t id, const char* name, int32_t flags, int32_t device, int32_t symbol,
                          int32_t v12, int32_t x, int32_t y, int32_t angle) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        const int32_t page = DB_CurPage();
        return CreateIn<SchComp>(PageMap(&Hierarchy::schComps), id, [&](SchComp& c) {
            c.nm = Str(name), c.status = flags, c.device = device, c.symbol = symbol;
            c.kept12 = v12, c.x = x, c.y = y, c.angle = angle, c.page = page;
        });
    });
}

int32_t C_ChangeCompPackInfo(int32_t comp, int32_t p1, int32_t p2) {
    SchComp* c = SComp(comp);
    if (!c) return 0;
    Set(c, c->pack1, p1);
    Set(c, c->pack2, p2);
    return 1;
}

int32_t C_ChangeCompDispAttr(int32_t comp, int32_t angle, int32_t mirror) {
    SchComp* c = SComp(comp);
    if (!c) return 0;
    Set(c, c->angle, angle);
    Set(c, c->status, mirror ? c->status | 2 : c->status & ~2);
    return 1;
}

int32_t C_Component(int32_t id) { return Handle(SComp(id)); }

int32_t C_ReadComponent(int32_t id, SchCompRec& r) {
    SchComp* c = SComp(id);
    if (!c) return 0;
    r = {c->status, c->nm.c_str(), c->x,    c->y,      c->symbol, c->device,
         c->pack1,  c->pack2,      c->page, c->kept10, c->angle,  c->kept12};
    return 1;
}

int32_t C_CompTextArray(int32_t comp) {
    SchComp* c = SComp(comp);
    return c ? Handle(&c->texts) : 0;
}

int32_t C_CompText(int32_t comp, int32_t position) {
    SchComp* c = SComp(comp);
    return c ? Handle(c->texts.at(position)) : 0;
}

int32_t C_ReadEntry(int32_t comp, int32_t pinNo, EntryRec& r) {
    SchComp* c = SComp(comp);
    Entry* e = c ? EntryOf(c->symbol, pinNo) : nullptr;
    if (!e) return 0;
    FillEntry(*e, false, r);
    return 1;
}

// --- L_ --------------------------------------------------------------------------------------

int32_t L_CreateComponent(int32_t id, const char* name, int32_t flags, int32_t device, int32_t symbol,
                          int32_t v8, int32_t x, int32_t y, int32_t angle) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        return CreateIn<LayComp>(HierMap(&Hierarchy::layComps), id, [&](LayComp& c) {
            c.nm = Str(name), c.status = flags, c.device = device, c.symbol = symbol;
            c.kept = v8, c.x = x, c.y = y, c.angle = angle;
        });
    });
}

int32_t L_AddSchCompId(int32_t comp, int32_t schCompId) {
    return Guard([&]() -> int32_t {
        LayComp* c = LComp(comp);
        if (!c) return 0;
        c->links.push_back(schCompId);
        Touch(c);
        return int32_t(c->links.size());
    });
}

int32_t L_GetSchCompId(int32_t comp, int32_t i) {
    LayComp* c = LComp(comp);
    int32_t* v = c ? At(c->links, i) : nullptr;
    return v ? *v : 0;
}

int32_t L_ReadComponent(int32_t id, LayCompRec& r) {
    LayComp* c = LComp(id);
    if (!c) return 0;
    r = {c->status, c->nm.c_str(),           c->x, c->y, c->angle, c->symbol, c->device,
         c->kept,   int32_t(c->links.size())};
    return 1;
}

int32_t L_Component(int32_t id) { return Handle(LComp(id)); }

int32_t L_CompTextArray(int32_t comp) {
    LayComp* c = LComp(comp);
    return c ? Handle(&c->texts) : 0;
}

int32_t L_ChangeCompDispAttr(int32_t comp, int32_t angle, int32_t mirror) {
    LayComp* c = LComp(comp);
    if (!c) return 0;
    Set(c, c->angle, angle);
    Set(c, c->status, mirror ? c->status | 2 : c->status & ~2);
    return 1;
}

// --- N_ --------------------------------------------------------------------------------------

int32_t N_CreateNet(int32_t id, int32_t flags, const char* name) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        return CreateIn<Net>(HierMap(&Hierarchy::nets), id,
                             [&](Net& n) { n.status = flags, n.nm = Str(name); });
    });
}

int32_t N_Net(int32_t id) { return Handle(NetOf(id)); }

int32_t N_ReadNet(int32_t id, NetRec& r) {
    Net* n = NetOf(id);
    if (!n) return 0;
    r = {n->status, n->nm.c_str(), n->kept};
    return 1;
}

int32_t N_NodeMap(int32_t net) {
    Net* n = NetOf(net);
    return n ? Handle(&n->nodes) : 0;
}

int32_t N_CreateNode(int32_t net, int32_t id, int32_t schComp, int32_t schEntry, int32_t layComp,
                     int32_t layPin) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Net* n = NetOf(net);
        return n ? CreateIn<Node>(&n->nodes, id,
                                  [&](Node& d) {
                                      d.schComp = schComp, d.schEntry = schEntry, d.layComp = layComp,
                                      d.layPin = layPin;
                                  })
                 : 0;
    });
}

int32_t N_Node(int32_t net, int32_t nodeId) {
    Net* n = NetOf(net);
    return n ? Handle(As<Node>(n->nodes.find(nodeId))) : 0;
}

int32_t N_ReadNode(int32_t net, int32_t nodeId, NodeRec& r) {
    Net* n = NetOf(net);
    Node* d = n ? As<Node>(n->nodes.find(nodeId)) : nullptr;
    if (!d) return 0;
    r = {d->status, d->schComp, d->schEntry, d->layComp, d->layPin};
    return 1;
}

int32_t N_MaskAllNodes(int32_t value, int32_t mask) {
    Hierarchy* h = CurHier();
    if (!h) return 0;
    h->nets.forEach([&](int32_t, Obj& n) {
        static_cast<Net&>(n).nodes.forEach([&](int32_t, Obj& d) { ApplyMask(d.status, value, mask); });
    });
    return 1;
}

int32_t N_MaskCompNodes(int32_t comp, int32_t pin, int32_t nodeValue, int32_t nodeMask, int32_t netValue,
                        int32_t netMask) {
    Hierarchy* h = CurHier();
    if (!h) return 0;
    const bool layout = Kern().nodeView == 1;
    h->nets.forEach([&](int32_t, Obj& n) {
        bool hit = false;
        static_cast<Net&>(n).nodes.forEach([&](int32_t, Obj& o) {
            auto& d = static_cast<Node&>(o);
            if (layout ? d.layComp == comp && d.layPin == pin : d.schComp == comp && d.schEntry == pin) {
                ApplyMask(d.status, nodeValue, nodeMask);
                hit = true;
            }
        });
        if (hit) ApplyMask(n.status, netValue, netMask);
    });
    return 1;
}

int32_t N_SetNodeView(int32_t view) {
    Kern().nodeView = view;
    return 1;
}

int32_t N_CreateBus(int32_t id, int32_t v1, const char* name) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        return CreateIn<Bus>(HierMap(&Hierarchy::buses), id, [&](Bus& b) { b.kept = v1, b.nm = Str(name); });
    });
}

int32_t N_SetBusMember(int32_t bus, int32_t memberNet, int32_t position) {
    return Guard([&]() -> int32_t {
        Bus* b = BusOf(bus);
        if (!b || position < 0 || memberNet <= 0) return -1;
        Set(b, b->members[position], memberNet);
        if (Net* n = NetOf(memberNet)) Set(n, n->status, n->status | 8);
        return position;
    });
}

int32_t N_ReadBus(int32_t bus, BusRec& r) {
    Bus* b = BusOf(bus);
    if (!b) return 0;
    r = {b->kept, b->nm.c_str(), b->members.empty() ? -1 : b->members.rbegin()->first};
    return 1;
}

int32_t N_ReadBusMember(int32_t bus, int32_t position) {
    Bus* b = BusOf(bus);
    if (!b) return 0;
    auto it = b->members.find(position);
    return it == b->members.end() ? 0 : it->second;
}

int32_t N_FindBusMember(int32_t net, int32_t& position) {
    Hierarchy* h = CurHier();
    if (!h || net == 0) return 0;
    int32_t found = 0;
    h->buses.forEach([&](int32_t k, Obj& o) {
        for (auto& [pos, member] : static_cast<Bus&>(o).members)
            if (!found && member == net) {
                position = pos;
                found = k;
            }
    });
    return found;
}

int32_t N_Bus(int32_t busRef) { return Handle(BusOf(busRef)); }

// --- T_ --------------------------------------------------------------------------------------

int32_t T_CreateTrace(int32_t id, int32_t v1, int32_t v2) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        return CreateIn<Trace>(HierMap(&Hierarchy::traces), id,
                               [&](Trace& t) { t.kept1 = v1, t.kept2 = v2; });
    });
}

int32_t T_ReadTrace(int32_t id, TraceRec& r) {
    Trace* t = Tr(id);
    if (!t) return 0;
    r = {t->kept1, t->kept2, int32_t(t->records.size())};
    return 1;
}

int32_t T_InsertRecord(int32_t trace, int32_t pos, int32_t flags, int32_t x, int32_t y, int32_t width) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Trace* t = Tr(trace);
        if (!t) return 0;
        const int32_t no = InsertAt(t->records, pos, TraceRecord{flags, x, y, width});
        if (no) Touch(t);
        return no;
    });
}

int32_t T_InsertArcRecord(int32_t trace, int32_t pos, int32_t flags, int32_t cx, int32_t cy, int32_t radius) {
    // Every arc carries 0x10, whatever else the caller passes, so every reader agrees it is one.
    return T_InsertRecord(trace, pos, flags | 0x10, cx, cy, radius);
}

int32_t T_DeleteRecord(int32_t trace, int32_t recNo) {
    Trace* t = Tr(trace);
    if (!t || !At(t->records, recNo)) return 0;
    t->records.erase(t->records.begin() + (recNo - 1));
    Touch(t);
    return 1;
}

int32_t T_ChangeRecordWidth(int32_t trace, int32_t recNo, int32_t width) {
    Trace* t = Tr(trace);
    TraceRecord* r = t ? At(t->records, recNo) : nullptr;
    if (!r) return 0;
    Set(t, r->width, width);
    return 1;
}

int32_t T_ChangeRecordGap(int32_t trace, int32_t recNo, int32_t gap) {
    Trace* t = Tr(trace);
    TraceRecord* r = t ? At(t->records, recNo) : nullptr;
    if (!r) return 0;
    Set(t, r->gap, gap);
    return 1;
}

int32_t T_ChangeRecordXY(int32_t trace, int32_t recNo, int32_t x, int32_t y) {
    Trace* t = Tr(trace);
    TraceRecord* r = t ? At(t->records, recNo) : nullptr;
    if (!r) return 0;
    Set(t, r->x, x);
    Set(t, r->y, y);
    return 1;
}

int32_t T_ReadRecord(int32_t trace, int32_t recNo, TraceSegRec& out) {
    Trace* t = Tr(trace);
    TraceRecord* r = t ? At(t->records, recNo) : nullptr;
    if (!r) return 0;
    if (r->flags & 0x10)
        out = {r->flags, r->x, r->y, r->width, 0, 0, 0};
    else
        out = {r->flags, r->x, r->y, r->width, r->gap, r->kept1, r->kept2};
    return 1;
}

int32_t T_CreateBendPoint(int32_t id, int32_t v1, int32_t x, int32_t y) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        return CreateIn<BendPoint>(HierMap(&Hierarchy::bendPoints), id,
                                   [&](BendPoint& b) { b.kept = v1, b.x = x, b.y = y; });
    });
}

int32_t T_ReadBendPoint(int32_t id, BendPointRec& r) {
    BendPoint* b = InHier<BendPoint>(&Hierarchy::bendPoints, id);
    if (!b) return 0;
    r = {b->kept, b->x, b->y};
    return 1;
}

int32_t T_BendPoint(int32_t id) { return Handle(InHier<BendPoint>(&Hierarchy::bendPoints, id)); }

// --- V_, J_ ----------------------------------------------------------------------------------

int32_t V_CreateVia(int32_t id, int32_t flags, int32_t x, int32_t y, int32_t padstackNumber, int32_t v4) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        return CreateIn<Via>(HierMap(&Hierarchy::vias), id, [&](Via& v) {
            v.status = flags, v.x = x, v.y = y, v.padstack = padstackNumber, v.kept = v4;
        });
    });
}

int32_t V_ReadVia(int32_t id, ViaRec& r) {
    Via* v = InHier<Via>(&Hierarchy::vias, id);
    if (!v) return 0;
    r = {v->status, v->x, v->y, v->kept, v->padstack};
    return 1;
}

int32_t V_Via(int32_t id) { return Handle(InHier<Via>(&Hierarchy::vias, id)); }

int32_t J_CreateJunction(int32_t id, int32_t v1, int32_t x, int32_t y) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        const int32_t page = DB_CurPage();
        return CreateIn<Junction>(PageMap(&Hierarchy::junctions), id,
                                  [&](Junction& j) { j.kept = v1, j.x = x, j.y = y, j.page = page; });
    });
}

int32_t J_ReadJunction(int32_t id, JunctionRec& r) {
    Junction* j = InHier<Junction>(&Hierarchy::junctions, id);
    if (!j) return 0;
    r = {j->kept, j->page, j->x, j->y};
    return 1;
}

int32_t J_Junction(int32_t id) { return Handle(InHier<Junction>(&Hierarchy::junctions, id)); }

// --- B_ --------------------------------------------------------------------------------------

int32_t B_CreateBranch(int32_t id, int32_t v1, int32_t v2) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        const int32_t page = DB_CurPage();
        return CreateIn<Branch>(PageMap(&Hierarchy::branches), id,
                                [&](Branch& b) { b.kept1 = v1, b.kept2 = v2, b.page = page; });
    });
}

int32_t B_InsertRecord(int32_t branch, int32_t pos, int32_t x, int32_t y) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int32_t {
        Branch* b = Br(branch);
        if (!b) return 0;
        const int32_t no = InsertAt(b->points, pos, BranchPoint{x, y});
        if (no) Touch(b);
        return no;
    });
}

int32_t B_ReadBranch(int32_t id, BranchRec& r) {
    Branch* b = Br(id);
    if (!b) return 0;
    r = {b->kept1, b->kept2, b->page, int32_t(b->points.size())};
    return 1;
}

int32_t B_ReadRecord(int32_t branch, int32_t pointNo, BranchPointRec& r) {
    Branch* b = Br(branch);
    BranchPoint* p = b ? At(b->points, pointNo) : nullptr;
    if (!p) return 0;
    r = {p->x, p->y, p->kept1, p->kept2};
    return 1;
}

int32_t B_ChangeRecordXY(int32_t branch, int32_t pointNo, int32_t x, int32_t y) {
    Branch* b = Br(branch);
    BranchPoint* p = b ? At(b->points, pointNo) : nullptr;
    if (!p) return 0;
    Set(b, p->x, x);
    Set(b, p->y, y);
    return 1;
}

int32_t B_BranchTextArray(int32_t branch) {
    Branch* b = Br(branch);
    return b ? Handle(&b->texts) : 0;
}
