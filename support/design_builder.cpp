#include "support/design_builder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <utility>
#include <vector>

namespace tolvi::designs {

using bench::Numbered;

namespace {

// Counts the calls the kernel refused.
struct Checker {
    bool ok = true;
    // A create call: must return the id asked for.
    void Is(int32_t got, int32_t want, int line = __builtin_LINE()) { Check(got == want, line); }
    // Any other call: must not return 0.
    void Done(int32_t got, int line = __builtin_LINE()) { Check(got != 0, line); }
    void Check(bool good, int line) {
        if (!good && ok) std::fprintf(stderr, "design_builder.cpp:%d: the kernel refused the call\n", line);
        ok = ok && good;
    }
};

}  // namespace

void NewDatabase(const char* name) {
    DB_DiscardDataBase();
    DB_CreateDataBase(name, "MAINHIER", "MAINPAGE");
}

ItemRec Shape(int32_t kind, int32_t seed) {
    ItemRec r;
    r.Kind = kind, r.Attr = seed, r.Link = 3, r.X = -kind * 100 - seed, r.Y = kind * 7 + seed;
    r.StyleA = uint8_t(40 + seed), r.StyleB = uint8_t(kind * 16), r.Width = 2540, r.Gap = 9, r.Angle = 45000;
    r.P2 = 11 * kind, r.P3 = kind == 5 ? 90000 : -12, r.P4 = kind == 5 ? 270000 : 13, r.P5 = 14;
    return r;
}

int32_t AddShape(int32_t array, const ItemRec& item) {
    const int32_t made = I_MakeItem(item);
    I_ChangeItemLink(made, item.Link);
    I_ChangeItemGap(made, item.Gap);
    return made ? OA_Add(array, made) : 0;
}

int32_t AddText(int32_t array, const std::string& text, int32_t attr, int32_t x, int32_t y) {
    const int32_t made = I_MakeText(x, y, 90000, 25400, 25400, text.c_str(), attr, 44, 2540);
    I_ChangeItemLink(made, 2);
    I_ChangeItemGap(made, 1);
    return made ? OA_Add(array, made) : 0;
}

bool BuildFullDesign() {
    Checker k;
    NewDatabase("FULL");

    // Via padstacks 5 and 9: a circle and a rectangle are written, a line is not. (Padstacks hold
    // no texts: the kernel refuses them.)
    for (int32_t n : {5, 9}) {
        const int32_t ps = S_MakePadStack();
        k.Is(OM_Add(DB_PadStackMap(), ps, n), n);
        k.Done(S_ChangePadStackHole(ps, 3000 * n, n == 9 ? 1500 : 0));
        O_Mask(ps, 0x40, 0x40);
        const int32_t items = S_PadStackItemArray(ps);
        k.Done(AddShape(items, Shape(4, n)));
        k.Done(AddShape(items, Shape(1, n)));
        k.Done(AddShape(items, Shape(3, n)));
    }

    // A schematic symbol: three pins, one item of every kind, a text.
    k.Is(S_CreateSymbol(1, "BLOCK"), 1);
    O_Mask(S_Symbol(1), 1, 3);
    k.Done(S_ChangeSimCode(1, 17));
    for (int32_t e = 1; e <= 3; ++e) {
        k.Is(S_InsertEntry(1, e, -254000, e * 254000), e);
        k.Done(S_ChangeEntryAttrib(1, e, std::string(1, char('A' + e)).c_str(), e));
        k.Done(S_ChangeEntryPA(1, e, e, -2 * e, 180000));
        k.Done(S_ChangeEntrySimName(1, e, Numbered("S", e).c_str()));
        O_Mask(S_Entry(1, e), e == 2 ? 5 : 1, e == 2 ? 5 : 1);
    }
    for (int32_t kind = 1; kind <= 5; ++kind) k.Done(AddShape(S_SymbolItemArray(1), Shape(kind, kind)));
    k.Done(AddText(S_SymbolItemArray(1), "U?", 8));

    // A layout symbol: two pads on padstack 4, which holds a rectangle and an arc.
    k.Is(S_CreateSymbol(2, "DIP8"), 2);
    O_Mask(S_Symbol(2), 2, 2);
    for (int32_t e = 1; e <= 2; ++e) {
        k.Is(S_InsertEntry(2, e, e * 100, 5), e);
        k.Done(S_ChangePadRotation(2, e, 90000 * e));
        k.Done(S_ChangePadPadStack(2, e, 4));
        O_Mask(S_Entry(2, e), 3, 3);
    }
    k.Done(AddText(S_SymbolItemArray(2), "REF", 1));
    k.Done(AddShape(S_SymbolItemArray(2), Shape(2, 7)));
    const int32_t pad = S_MakePadStack();
    k.Is(OM_Add(S_SymbolPadStackMap(2), pad, 4), 4);
    k.Done(S_ChangePadStackHole(pad, 800, 900));
    O_Mask(pad, 6, 6);
    k.Done(AddShape(S_PadStackItemArray(pad), Shape(3, 2)));
    k.Done(AddShape(S_PadStackItemArray(pad), Shape(5, 2)));

    // Parts: one with supply pins and three gate groups, one bare.
    k.Is(D_CreateDevice(1, "7400", "NAND", "DIP14"), 1);
    O_Mask(D_Device(1), 0x20, 0x20);
    k.Done(D_AddPin(D_SupplyPinArray(1), 14, "VCC"));
    k.Done(D_AddPin(D_SupplyPinArray(1), 7, "GND"));
    for (int32_t g = 1; g <= 3; ++g) {
        k.Done(D_AddGroup(1, Numbered("G", g).c_str(), "BLOCK"));
        k.Done(D_AddPin(D_GroupPinArray(1, g), 3 * g - 2, "IN"));
        k.Done(D_AddPin(D_GroupPinArray(1, g), 3 * g, "OUT"));
    }
    k.Is(D_CreateDevice(2, "R", "", ""), 2);

    // Hierarchy 1: the layout, and two pages of schematic.
    k.Is(DB_CreatePage(2, "P2"), 2);
    k.Is(N_CreateNet(1, 2, "VCC"), 1);
    k.Is(N_CreateNode(1, 4, 1, 1, 1, 2), 4);
    O_Mask(N_Node(1, 4), 0x10, 0x10);
    k.Is(N_CreateNode(1, 5, 2, 1, 0, 0), 5);
    k.Is(N_CreateNet(3, 0, "D0"), 3);
    k.Is(N_CreateNode(3, 1, 1, 2, 1, 1), 1);
    k.Is(N_CreateBus(2, 7, "DATA"), 2);
    k.Is(N_SetBusMember(2, 3, 0), 0);
    k.Is(N_SetBusMember(2, 1, 3), 3);
    k.Is(V_CreateVia(1, 4, 10, 20, 9, (1 << 24) + 1), 1);
    k.Is(V_CreateVia(2, 2, -30, 40, 5, 0), 2);
    k.Is(T_CreateBendPoint(6, 1, -5, -6), 6);
    k.Is(L_CreateComponent(1, "U1", 2, 1, 2, 8, 1000, 2000, 270000), 1);
    k.Done(L_AddSchCompId(1, 0));
    k.Done(L_AddSchCompId(1, 1));
    k.Done(AddText(L_CompTextArray(1), "U1", 0));
    k.Done(AddShape(L_CompTextArray(1), Shape(1, 3)));
    k.Is(T_CreateTrace(1, 11, 12), 1);
    const int32_t seg = T_InsertRecord(1, -1, 1, 0, 0, 2540);
    k.Done(T_ChangeRecordGap(1, seg, 500));
    k.Done(T_InsertArcRecord(1, -1, 0x20, 100, 0, 100));
    k.Done(T_InsertRecord(1, -1, 0, 200, -300, 2540));
    k.Done(AddText(DB_LayoutTextArray(), "TOP", 0));
    k.Done(AddShape(DB_LayoutTextArray(), Shape(4, 4)));

    k.Is(DB_SetCurPage(1), 1);
    k.Is(J_CreateJunction(1, 3, 7, 8), 1);
    k.Is(C_CreateComponent(1, "U1", 2, 1, 1, 1, 500, 600, 90000), 1);
    k.Done(C_ChangeCompPackInfo(1, 4, 5));
    k.Done(AddText(C_CompTextArray(1), "U1", 1));
    k.Done(AddText(C_CompTextArray(1), "10k", 8));
    k.Is(B_CreateBranch(1, 1, 2), 1);
    k.Done(B_InsertRecord(1, -1, 0, 0));
    k.Done(B_InsertRecord(1, -1, 5080, 0));
    k.Done(AddText(B_BranchTextArray(1), "WIRE", 0));
    k.Is(DB_SetCurPage(2), 2);
    k.Is(J_CreateJunction(2, 0, -1, -1), 2);
    k.Is(C_CreateComponent(2, "U2", 0, 0, 1, 0, 1, 1, 0), 2);
    k.Is(B_CreateBranch(2, 0, 0), 2);
    k.Done(B_InsertRecord(2, -1, -100, -100));

    // Hierarchy 3 (there is no 2) with its own page and net.
    k.Is(DB_CreateHierarchy(3, "SUB"), 3);
    k.Is(DB_SetCurHier(3), 3);
    k.Is(DB_CreatePage(1, "SUBPAGE"), 1);
    k.Is(DB_SetCurPage(1), 1);
    k.Is(N_CreateNet(1, 5, "A"), 1);
    k.Is(N_CreateNode(1, 1, 1, 1, 0, 0), 1);
    k.Is(C_CreateComponent(1, "H1", 1, 0, 1, 1, 0, -100, 0), 1);
    k.Is(DB_SetCurHier(1), 1);
    k.Is(DB_SetCurPage(2), 2);
    return k.ok;
}

BoardSize BoardSize::Scaled(double factor) const {
    BoardSize s = *this;
    s.layComps = std::max(1, int32_t(std::lround(layComps * factor)));
    s.nets = std::max(1, int32_t(std::lround(nets * factor)));
    return s;
}

void BuildBoard(const BoardSize& z) {
    NewDatabase("BOARD");
    S_CreateSymbol(1, "LOGIC");
    S_CreateSymbol(2, "PKG");
    O_Mask(S_Symbol(2), 2, 2);
    for (int32_t e = 1; e <= z.pinsPerComp; ++e) {
        S_InsertEntry(1, -1, 0, e * 254000);
        S_ChangeEntryAttrib(1, e, Numbered("P", e).c_str(), 0);
        S_InsertEntry(2, -1, e * 254000, 0);
    }
    D_CreateDevice(1, "CHIP", "LOGIC PART", "PKG");
    for (int32_t i = 1; i <= z.layComps; ++i) {
        const std::string name = Numbered("U", i);
        C_CreateComponent(i, name.c_str(), 0, 1, 1, 0, i * 2540, 0, 0);
        AddText(C_CompTextArray(i), Numbered("V", i), 8);
        L_CreateComponent(i, name.c_str(), 0, 1, 2, 0, i * 5080, 0, 0);
        L_AddSchCompId(i, i);
    }
    N_CreateBus(1, 0, "BUS");
    int32_t slot = 0;
    const int32_t pins = z.layComps * z.pinsPerComp;
    for (int32_t n = 1; n <= z.nets; ++n) {
        N_CreateNet(n, n % 3 == 0 ? 0 : 2, Numbered("N", n).c_str());
        if (n % 10 == 0) N_SetBusMember(1, n, n / 10);
        for (int32_t k = 1; k <= z.nodesPerNet; ++k, ++slot) {
            const int32_t comp = 1 + (slot % pins) / z.pinsPerComp;
            const int32_t pin = 1 + slot % z.pinsPerComp;
            N_CreateNode(n, k, comp, pin, comp, pin);
        }
    }
}

namespace {

// Symbol `id` called name with a rectangle and pins named pins (at x -254000, one above the
// other), as a block (status 1 under mask 3) or not.
void PinSymbol(Checker& k, int32_t id, const char* name, std::initializer_list<const char*> pins,
               bool block) {
    k.Is(S_CreateSymbol(id, name), id);
    if (block) O_Mask(S_Symbol(id), 1, 3);
    ItemRec box;
    box.Kind = 3, box.X = -254000, box.Y = -254000, box.P2 = 254000, box.P3 = 254000, box.Width = 2540;
    k.Done(AddShape(S_SymbolItemArray(id), box));
    int32_t e = 0;
    for (const char* pin : pins) {
        ++e;
        k.Is(S_InsertEntry(id, e, -254000, e * 101600 - 203200), e);
        k.Done(S_ChangeEntryAttrib(id, e, pin, 0));
    }
}

}  // namespace

bool BuildHierarchyDesign(const HierarchyDesign& z) {
    Checker k;
    NewDatabase("HIERS");
    PinSymbol(k, 1, "BLOCKA", {"IN", "OUT", "CLK"}, true);
    PinSymbol(k, 2, "BLOCKB", {"A", "B"}, true);
    PinSymbol(k, 3, "GATE", {"1", "2"}, false);
    k.Is(S_CreateSymbol(4, "PADS"), 4);
    O_Mask(S_Symbol(4), 2, 2);
    k.Done(AddShape(S_SymbolItemArray(4), Shape(3, 4)));

    for (int32_t h = 1; h <= z.hierarchies; ++h) {
        if (h > 1) k.Is(DB_CreateHierarchy(h, Numbered("SUB", h).c_str()), h);
        k.Done(DB_SetCurHier(h));
        for (int32_t p = 1; p <= z.pagesPerHierarchy; ++p) {
            if (p > 1 || h > 1) k.Is(DB_CreatePage(p, p > 1 ? Numbered("PAGE", p).c_str() : "MAINPAGE"), p);
            k.Done(DB_SetCurPage(p));
            const int32_t out = p * 254000;
            const int32_t wire = B_CreateBranch(0, 0, 0);
            k.Done(wire);
            k.Done(B_InsertRecord(wire, -1, -out, -127000));
            k.Done(B_InsertRecord(wire, -1, out, -127000));
            k.Done(J_CreateJunction(0, 0, out, -127000));
            const int32_t gate = C_CreateComponent(0, Numbered("G", p).c_str(), 0, 0, 3, 0, 0, out, 0);
            k.Done(gate);
            k.Done(AddText(C_CompTextArray(gate), Numbered("G", p), 1));
        }
        k.Done(DB_SetCurPage(1));
        const int32_t trace = T_CreateTrace(0, 0, 0);
        k.Done(trace);
        k.Done(T_InsertRecord(trace, -1, 0, 0, 0, 25400));
        k.Done(T_InsertRecord(trace, -1, 0, 508000 * h, 254000, 25400));
        k.Done(L_CreateComponent(0, "P1", 0, 0, 4, 0, -254000, -254000, 0));
        k.Done(AddText(DB_LayoutTextArray(), "HIER", 0));
    }

    // The last hierarchy is still current.
    for (int32_t i = 0; i < z.heavyObjects; ++i) {
        k.Done(DB_SetCurPage(1 + i % z.pagesPerHierarchy));
        const int32_t x = (i % 1000) * 25400, y = (i / 1000) * 25400;
        switch (i % 3) {
            case 0:
                k.Done(C_CreateComponent(0, Numbered("U", i).c_str(), 0, 0, 3, 0, x, y, 0));
                break;
            case 1: {
                const int32_t wire = B_CreateBranch(0, 0, 0);
                k.Done(B_InsertRecord(wire, -1, x, y));
                k.Done(B_InsertRecord(wire, -1, x + 12700, y));
                break;
            }
            default:
                k.Done(J_CreateJunction(0, 0, x, y));
                break;
        }
    }
    k.Done(DB_SetCurHier(1));
    k.Done(DB_SetCurPage(1));
    return k.ok;
}

namespace {

constexpr int32_t kMil = 2540;          // database units in 1/1000 inch
constexpr int32_t kMm = 100000;         // database units in a millimetre
constexpr int32_t kPitch = 100 * kMil;  // the schematic grid and the pad pitch

// A rectangle from (x1, y1) to (x2, y2) drawn with a 10 mil line.
ItemRec Box(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    ItemRec r;
    r.Kind = 3, r.Attr = 1, r.X = x1, r.Y = y1, r.P2 = x2, r.P3 = y2, r.Width = 10 * kMil, r.StyleA = 44;
    return r;
}

// A level text 60 mil high (its size fields are a sixth of the height) made as the editors make
// one, appended to array.
void Label(Checker& k, int32_t array, const char* text, int32_t attr, int32_t x, int32_t y) {
    const int32_t made = I_MakeText(x, y, 0, 10 * kMil, 10 * kMil, text, attr, 44, 5 * kMil);
    k.Done(made);
    k.Done(OA_Add(array, made));
}

// A schematic symbol: a box with its pins down the left side.
void SchematicSymbol(Checker& k, int32_t id, const char* name, std::initializer_list<const char*> pins,
                     bool block = false) {
    k.Is(S_CreateSymbol(id, name), id);
    if (block) O_Mask(S_Symbol(id), 1, 3);
    const int32_t n = int32_t(pins.size());
    k.Done(AddShape(S_SymbolItemArray(id), Box(0, 0, 4 * kPitch, (n + 1) * kPitch)));
    int32_t e = 0;
    for (const char* pin : pins) {
        ++e;
        k.Is(S_InsertEntry(id, e, 0, (n + 1 - e) * kPitch), e);
        k.Done(S_ChangeEntryAttrib(id, e, pin, 0));
    }
    Label(k, S_SymbolItemArray(id), name, 1, kPitch, (n + 1) * kPitch + kPitch / 2);
}

// A package: an outline around pads pins in one row (dual is false) or two rows facing each
// other, numbered counter-clockwise.
void Package(Checker& k, int32_t id, const char* name, int32_t pads, bool dual) {
    k.Is(S_CreateSymbol(id, name), id);
    O_Mask(S_Symbol(id), 2, 2);
    const int32_t perRow = dual ? pads / 2 : pads;
    k.Done(AddShape(S_SymbolItemArray(id), Box(-kPitch / 2, -kPitch / 2, perRow * kPitch - kPitch / 2,
                                               (dual ? 3 : 0) * kPitch + kPitch / 2)));
    for (int32_t e = 1; e <= pads; ++e) {
        const bool top = dual && e > perRow;
        const int32_t x = top ? (pads - e) * kPitch : (e - 1) * kPitch;
        k.Is(S_InsertEntry(id, e, x, top ? 3 * kPitch : 0), e);
    }
}

// A part of one gate group drawn by symbol; pins[i] is the package pin of the symbol's entry i + 1.
void Part(Checker& k, int32_t id, const char* name, const char* description, const char* package,
          const char* symbol, std::initializer_list<int32_t> pins) {
    k.Is(D_CreateDevice(id, name, description, package), id);
    k.Done(D_AddGroup(id, "A", symbol));
    for (int32_t pin : pins) k.Done(D_AddPin(D_GroupPinArray(id, 1), pin, Numbered("", pin).c_str()));
}

struct SampleComp {
    const char* name;
    const char* value;
    int32_t device, schSymbol, package;
    int32_t schX, schY;  // in schematic grid steps
    int32_t layX, layY;  // in millimetres
};

struct SampleNet {
    const char* name;
    int32_t trunkX;  // the schematic grid column of the net's vertical wire
    // (component, schematic entry, package pin) of each node; components are numbered from 1 in
    // the order they were placed.
    std::initializer_list<std::array<int32_t, 3>> nodes;
};

// Places the components on the current page and in the current hierarchy's layout under ids 1..n,
// each schematic component linked to its layout one, with their names and values beside them
// (text positions are relative to their component).
void PlaceComponents(Checker& k, const std::vector<SampleComp>& comps) {
    int32_t id = 0;
    for (const SampleComp& c : comps) {
        ++id;
        const int32_t x = c.schX * kPitch, y = c.schY * kPitch;
        k.Is(C_CreateComponent(id, c.name, 0, c.device, c.schSymbol, 0, x, y, 0), id);
        Label(k, C_CompTextArray(id), c.name, 1, 5 * kPitch, kPitch);
        Label(k, C_CompTextArray(id), c.value, 8, 5 * kPitch, 0);
        k.Is(L_CreateComponent(id, c.name, 0, c.device, c.package, 0, c.layX * kMm, c.layY * kMm, 0), id);
        k.Done(L_AddSchCompId(id, id));
        Label(k, L_CompTextArray(id), c.name, 0, 0, -2 * kMm);
    }
}

// Where entry number `entry` of symbol lies once its component stands at (x, y).
std::pair<int32_t, int32_t> EntryAt(int32_t symbol, int32_t entry, int32_t x, int32_t y) {
    EntryRec e;
    S_ReadEntry(symbol, entry, e);
    return {x + e.X, y + e.Y};
}

// Makes the nets with their nodes, and draws them: on the page a stub from every pin to the
// net's vertical wire, with a junction where a stub meets it between its ends; in the layout a
// 10 mil trace from pad to pad in node order, turning one corner between two pads.
void Connect(Checker& k, const std::vector<SampleComp>& comps, std::initializer_list<SampleNet> nets) {
    int32_t id = 0;
    for (const SampleNet& n : nets) {
        ++id;
        k.Is(N_CreateNet(id, 2, n.name), id);
        const int32_t trunk = n.trunkX * kPitch;
        int32_t node = 0, top = 0, bottom = 0, lastY = 0;
        std::vector<int32_t> joins;
        const int32_t trace = T_CreateTrace(0, 0, 0);
        k.Done(trace);
        for (const auto& [comp, entry, pin] : n.nodes) {
            ++node;
            k.Is(N_CreateNode(id, node, comp, entry, comp, pin), node);
            const SampleComp& c = comps[size_t(comp - 1)];
            const auto [sx, sy] = EntryAt(c.schSymbol, entry, c.schX * kPitch, c.schY * kPitch);
            const int32_t stub = B_CreateBranch(0, 0, 0);
            k.Done(B_InsertRecord(stub, -1, sx, sy));
            k.Done(B_InsertRecord(stub, -1, trunk, sy));
            top = node == 1 ? sy : std::max(top, sy);
            bottom = node == 1 ? sy : std::min(bottom, sy);
            joins.push_back(sy);
            const auto [lx, ly] = EntryAt(c.package, pin, c.layX * kMm, c.layY * kMm);
            if (node > 1) k.Done(T_InsertRecord(trace, -1, 0, lx, lastY, 10 * kMil));  // a corner
            k.Done(T_InsertRecord(trace, -1, 0, lx, ly, 10 * kMil));
            lastY = ly;
        }
        if (top != bottom) {
            const int32_t wire = B_CreateBranch(0, 0, 0);
            k.Done(B_InsertRecord(wire, -1, trunk, top));
            k.Done(B_InsertRecord(wire, -1, trunk, bottom));
        }
        for (int32_t y : joins)
            if (y != top && y != bottom) k.Done(J_CreateJunction(0, 0, trunk, y));
    }
}

}  // namespace

bool BuildSampleDesign() {
    Checker k;
    NewDatabase("DEMO");

    SchematicSymbol(k, 1, "RES", {"1", "2"});
    SchematicSymbol(k, 2, "CAP", {"1", "2"});
    SchematicSymbol(k, 3, "OPAMP", {"IN+", "IN-", "OUT", "V+", "V-"});
    SchematicSymbol(k, 4, "CONN4", {"1", "2", "3", "4"});
    SchematicSymbol(k, 5, "FILTER", {"IN", "OUT", "GND"}, true);
    SchematicSymbol(k, 6, "BUFFER", {"IN", "OUT", "VCC", "GND"}, true);
    Package(k, 7, "AXIAL", 2, false);
    Package(k, 8, "DIP8", 8, true);
    Package(k, 9, "SIP4", 4, false);

    Part(k, 1, "RES", "Resistor", "AXIAL", "RES", {1, 2});
    Part(k, 2, "CAP", "Capacitor", "AXIAL", "CAP", {1, 2});
    Part(k, 3, "LM358", "Dual operational amplifier", "DIP8", "OPAMP", {3, 2, 1, 8, 4});
    Part(k, 4, "CON4", "Header, 4 pins", "SIP4", "CONN4", {1, 2, 3, 4});

    // The amplifier: IN through R1 to the inverting input, R2 and C1 from there to OUT. The
    // components stand in one column, their pins facing the nets' wires on the left.
    const std::vector<SampleComp> amplifier = {
        {"U1", "LM358", 3, 3, 8, 10, 0, 20, 5},  {"J1", "CON4", 4, 4, 9, 10, 8, 2, 25},
        {"R1", "10k", 1, 1, 7, 10, 14, 5, 12},   {"R2", "100k", 1, 1, 7, 10, 19, 20, 18},
        {"C1", "100n", 2, 2, 7, 10, 24, 20, 25},
    };
    PlaceComponents(k, amplifier);
    Connect(k, amplifier,
            {
                {"VCC", 2, {{2, 1, 1}, {1, 4, 8}}},
                {"IN", 3, {{2, 2, 2}, {3, 1, 1}}},
                {"OUT", 4, {{2, 3, 3}, {1, 3, 1}, {4, 2, 2}, {5, 2, 2}}},
                {"GND", 5, {{2, 4, 4}, {1, 5, 4}, {1, 1, 3}}},
                {"FB", 6, {{3, 2, 2}, {4, 1, 1}, {5, 1, 1}, {1, 2, 2}}},
            });

    // The filter, a hierarchy of its own.
    k.Is(DB_CreateHierarchy(2, "FILTER"), 2);
    k.Is(DB_SetCurHier(2), 2);
    k.Is(DB_CreatePage(1, "MAINPAGE"), 1);
    k.Is(DB_SetCurPage(1), 1);
    const std::vector<SampleComp> filter = {
        {"R3", "4k7", 1, 1, 7, 10, 0, 5, 10},
        {"C2", "10n", 2, 2, 7, 10, 5, 15, 5},
    };
    PlaceComponents(k, filter);
    Connect(k, filter,
            {
                {"IN", 4, {{1, 1, 1}}},
                {"OUT", 5, {{1, 2, 2}, {2, 1, 1}}},
                {"GND", 6, {{2, 2, 2}}},
            });

    k.Done(DB_SetCurHier(1));
    k.Done(DB_SetCurPage(1));
    return k.ok;
}

}  // namespace tolvi::designs
