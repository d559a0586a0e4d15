#include "support/design_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>

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

}  // namespace tolvi::designs
