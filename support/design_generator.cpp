#include "support/design_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "kernel/kernel.h"

namespace tolvi::bench {

namespace {

int Scale(int n, double f) { return std::max(1, int(std::lround(n * f))); }

}  // namespace

// Appending keeps GCC 12 from a false -Wrestrict warning on "literal" + std::string.
std::string Numbered(const char* prefix, int32_t n) {
    std::string s = prefix;
    s += std::to_string(n);
    return s;
}

DesignSize DesignSize::Scaled(double f) {
    DesignSize s;
    for (int* n : {&s.symbols, &s.devices, &s.nets, &s.schComps, &s.branches, &s.junctions, &s.layComps,
                   &s.traces, &s.bendPoints, &s.vias, &s.layoutTexts})
        *n = Scale(*n, f);
    return s;
}

double BenchScale(double fallback) {
    const char* v = std::getenv("TOLVI_BENCH_SCALE");
    const double f = v ? std::atof(v) : 0;
    return f > 0 ? f : fallback;
}

DesignCounts GenerateDesign(const DesignSize& z) {
    DesignCounts c;
    // A length and an angle in the units the design is made in.
    const auto L = [&](int64_t v) { return int32_t(z.olderUnits ? v / 2540 : v); };
    const auto A = [&](int32_t v) { return z.olderUnits ? v / 10 : v; };
    const auto text = [&](int32_t array, const std::string& s, int32_t attr) {
        return OA_Add(array, I_MakeText(0, 0, 0, L(25400), L(25400), s.c_str(), attr, 0, L(5080)));
    };
    DB_DiscardDataBase();
    DB_CreateDataBase("BENCH", "MAINHIER", "MAINPAGE");

    // Via padstacks.
    for (int32_t n = 1; n <= 4; ++n) {
        const int32_t ps = S_MakePadStack();
        OM_Add(DB_PadStackMap(), ps, n);
        S_ChangePadStackHole(ps, L(int64_t{30000} * n), 0);
        ItemRec r;
        r.Kind = 4, r.P2 = L(int64_t{50000} * n);
        OA_Add(S_PadStackItemArray(ps), I_MakeItem(r));
        c.objects += 2;
    }

    // Symbols: every fourth a layout symbol with pads and one padstack.
    for (int32_t s = 1; s <= z.symbols; ++s) {
        const bool layout = s % 4 == 0;
        S_CreateSymbol(s, Numbered("SYM", s).c_str());
        if (layout) O_Mask(S_Symbol(s), 2, 2);
        for (int32_t e = 1; e <= z.entriesPerSymbol; ++e) {
            S_InsertEntry(s, -1, L(int64_t{e} * 254000), 0);
            if (layout) {
                S_ChangePadPadStack(s, e, 1);
            } else {
                S_ChangeEntryAttrib(s, e, std::to_string(e).c_str(), 0);
                S_ChangeEntryPA(s, e, L(int64_t{e} * 254000), L(100000), 0);
            }
        }
        if (layout) {
            const int32_t ps = S_MakePadStack();
            OM_Add(S_SymbolPadStackMap(s), ps, 1);
            ItemRec r;
            r.Kind = 3, r.X = L(-30000), r.Y = L(-30000), r.P2 = L(30000), r.P3 = L(30000);
            OA_Add(S_PadStackItemArray(ps), I_MakeItem(r));
            c.objects += 2;
        }
        const int32_t items = S_SymbolItemArray(s);
        for (int32_t i = 1; i < z.itemsPerSymbol; ++i) {
            ItemRec r;
            r.Kind = 1 + i % 5, r.X = L(int64_t{i} * 1000), r.Y = L(-int64_t{i} * 1000), r.Width = L(5080),
            r.P2 = L(int64_t{i} * 2000), r.P3 = 7;
            OA_Add(items, I_MakeItem(r));
        }
        text(items, "VALUE", 8);
        c.objects += 1 + z.entriesPerSymbol + z.itemsPerSymbol;
    }

    // Devices with supply pins and gate groups.
    for (int32_t d = 1; d <= z.devices; ++d) {
        D_CreateDevice(d, Numbered("DEV", d).c_str(), "GENERATED PART", "DIP14 PACKAGE");
        D_AddPin(D_SupplyPinArray(d), 14, "VCC");
        D_AddPin(D_SupplyPinArray(d), 7, "GND");
        for (int32_t g = 1; g <= z.groupsPerDevice; ++g) {
            D_AddGroup(d, std::to_string(g).c_str(), Numbered("SYM", 1 + d % z.symbols).c_str());
            for (int32_t p = 1; p <= z.pinsPerGroup; ++p)
                D_AddPin(D_GroupPinArray(d, g), g * 10 + p, Numbered("P", p).c_str());
        }
        c.objects += 1;
        c.records += 2 + z.groupsPerDevice * (1 + z.pinsPerGroup);
    }

    for (int32_t h = 1; h <= z.hierarchies; ++h) {
        if (h > 1) DB_CreateHierarchy(h, Numbered("HIER", h).c_str());
        DB_SetCurHier(h);
        for (int32_t p = 1; p <= z.pagesPerHierarchy; ++p)
            if (h > 1 || p > 1) DB_CreatePage(p, Numbered("PAGE", p).c_str());
        c.objects += 1 + z.pagesPerHierarchy;

        for (int32_t i = 1; i <= z.schComps; ++i) {
            DB_SetCurPage(1 + i % z.pagesPerHierarchy);
            int32_t sym = 1 + i % z.symbols;  // a schematic symbol: not a multiple of 4
            if (sym % 4 == 0) --sym;
            C_CreateComponent(i, Numbered("U", i).c_str(), 0, 1 + i % z.devices, sym, 0, L(int64_t{i} * 2540),
                              L(int64_t{i} * 1270), 0);
            C_ChangeCompPackInfo(i, 1, i % 4);
            const int32_t texts = C_CompTextArray(i);
            for (int32_t t = 0; t < z.textsPerComp; ++t) text(texts, t ? "10k" : "U", t ? 8 : 1);
            c.objects += 1 + z.textsPerComp;
        }
        for (int32_t i = 1; i <= z.branches; ++i) {
            DB_SetCurPage(1 + i % z.pagesPerHierarchy);
            B_CreateBranch(i, 0, 0);
            for (int32_t p = 0; p < z.pointsPerBranch; ++p)
                B_InsertRecord(i, -1, L(int64_t{i} * 100 + int64_t{p} * 2540), L(int64_t{p} * 2540));
            c.objects += 1;
            c.records += z.pointsPerBranch;
        }
        for (int32_t i = 1; i <= z.junctions; ++i) {
            DB_SetCurPage(1 + i % z.pagesPerHierarchy);
            J_CreateJunction(i, 0, L(int64_t{i} * 100), 0);
        }
        c.objects += z.junctions;
        DB_SetCurPage(1);

        for (int32_t i = 1; i <= z.layComps; ++i) {
            const int32_t package = 4 * (1 + i % std::max(1, z.symbols / 4));
            L_CreateComponent(i, Numbered("U", i).c_str(), 0, 1 + i % z.devices, package, 0,
                              L(int64_t{i} * 5080), L(int64_t{i} * 2540), A(90000 * (i % 4)));
            L_AddSchCompId(i, i);
            const int32_t texts = L_CompTextArray(i);
            for (int32_t t = 0; t < z.textsPerComp; ++t) text(texts, t ? "10k" : "U", 0);
            c.objects += 1 + z.textsPerComp;
            c.records += 1;
        }
        for (int32_t n = 1; n <= z.nets; ++n) {
            N_CreateNet(n, n % 7 == 0 ? 2 : 0, Numbered("NET", n).c_str());
            for (int32_t k = 0; k < z.nodesPerNet; ++k) {
                const int32_t comp = 1 + (n * z.nodesPerNet + k) % z.schComps;
                N_CreateNode(n, 0, comp, 1 + k, std::min(comp, z.layComps), 1 + k);
            }
            c.objects += 1 + z.nodesPerNet;
        }
        for (int32_t i = 1; i <= z.traces; ++i) {
            T_CreateTrace(i, 0, 0);
            for (int32_t r = 0; r < z.recordsPerTrace; ++r) {
                if (r % 5 == 4)
                    T_InsertArcRecord(i, -1, 0, L(int64_t{i} * 100), L(int64_t{r} * 2540), L(50800));
                else
                    T_InsertRecord(i, -1, 1, L(int64_t{i} * 100 + int64_t{r} * 2540), L(int64_t{r} * 2540),
                                   L(25400));
            }
            c.objects += 1;
            c.records += z.recordsPerTrace;
        }
        for (int32_t i = 1; i <= z.bendPoints; ++i) T_CreateBendPoint(i, 0, L(int64_t{i} * 2540), 0);
        for (int32_t i = 1; i <= z.vias; ++i) V_CreateVia(i, 2, L(int64_t{i} * 2540), L(5080), 1 + i % 4, 0);
        for (int32_t i = 1; i <= z.layoutTexts; ++i) text(DB_LayoutTextArray(), "LABEL", 0);
        c.objects += z.bendPoints + z.vias + z.layoutTexts;
    }
    DB_SetCurHier(1);
    return c;
}

}  // namespace tolvi::bench
