// The older-unit conversion of a loaded database. Compiled as the rest of the program: no fast
// floating-point mode, SSE arithmetic on x86-64, so the single-precision steps round the same
// way everywhere.
#include "interchange/unit_conversion.h"

#include <cmath>
#include <string>

#include "common/db_session.h"
#include "common/grid_settings.h"
#include "common/localisation.h"
#include "common/numbers.h"
#include "common/size_settings.h"
#include "common/utilities.h"
#include "interchange/map_walk.h"

namespace tolvi {

namespace {

constexpr double kUnitsPerMM = 100000;
// The bounds the older program passed to the scaling (not applied).
constexpr int32_t kLimitPosition = 220000000;
constexpr int32_t kLimitShape = 32000;
constexpr int32_t kLimitPad = 16000;

// What was being converted when an overflow stopped the conversion; the box names it.
std::string gDetail;

void Note(const std::string& detail) {
    if (gDetail.empty()) gDetail = detail;
}

// The single-precision result of a scaling, as an integer; false when it does not fit.
bool FromSingle(double v, int32_t& out) { return RoundHalfEven(double(static_cast<float>(v)), out); }

bool ScaleOne(const ScaleRatio& r, int32_t& v) {
    const double x = double(float(v)) / r.Divisor * double(r.Factor) * kUnitsPerMM;
    int32_t out;
    if (!FromSingle(x, out)) return false;
    v = out;
    return true;
}

// Both values scaled by one, or (Err 1) neither changed.
template <class Scale>
void ScaleBoth(Scale&& one, int32_t& Err, int32_t& X, int32_t& Y) {
    int32_t x = X, y = Y;
    if (!one(x) || !one(y)) {
        Err = 1;
        return;
    }
    Err = 0;
    X = x, Y = y;
}

bool ScaleText(const ScaleRatio& r, int32_t& v) {
    const double six = double(float(v)) * 6 / r.Divisor * double(r.Factor) * kUnitsPerMM;
    const double single = double(static_cast<float>(six));
    int32_t out;
    if (!std::isfinite(single) || !RoundHalfEven(single / 6, out)) return false;
    v = out;
    return true;
}

// A pair of lengths with ratio A (layout) or B (schematic).
void ScalePoint(bool ratioA, int32_t& Err, int32_t& X, int32_t& Y, int32_t Limit) {
    (ratioA ? ScalePointA : ScalePointB)(Err, X, Y, Limit);
}

// A length alone (a radius, a hole), through the pair routine as the older program did it.
void ScaleSingle(bool ratioA, int32_t& Err, int32_t& v) {
    int32_t unused = 0;
    ScalePoint(ratioA, Err, v, unused, kLimitPosition);
}

void AngleOrFail(int32_t& Err, int32_t& Angle) {
    if (Err == 0 && !ConvertAngle(Angle)) Err = 1;
}

// One item as the array walks convert it: lengths, angle, shape values by kind, written back.
void RescaleItem(int32_t& Err, int32_t item, bool ratioA) {
    ItemRec r;
    ClearItemRecord(r);
    const int32_t kind = I_ReadItem(item, r);
    if (kind == 0) return;  // an item that cannot be read stays as it is
    const auto pair = [&](int32_t& a, int32_t& b, int32_t limit) {
        if (Err == 0) ScalePoint(ratioA, Err, a, b, limit);
    };
    pair(r.Width, r.Gap, kLimitPosition);
    pair(r.X, r.Y, kLimitPosition);
    AngleOrFail(Err, r.Angle);
    switch (kind) {
        case 1:
        case 3:
            pair(r.P2, r.P3, kLimitShape);
            break;
        case 2:
            pair(r.P2, r.P3, kLimitShape);
            pair(r.P4, r.P5, kLimitShape);
            break;
        case 4:
            if (Err == 0) ScaleSingle(ratioA, Err, r.P2);
            break;
        case 5:
            if (Err == 0) ScaleSingle(ratioA, Err, r.P2);
            AngleOrFail(Err, r.P3);
            AngleOrFail(Err, r.P4);
            break;
        case 6:
            if (Err == 0) (ratioA ? ScalePointA6 : ScalePointB6)(Err, r.P2, r.P3);
            break;
        default:
            break;
    }
    if (Err != 0) return;
    I_ChangeItemAttr(item, r.Attr, r.StyleA, r.StyleB, r.Width);
    I_ChangeItemGap(item, r.Gap);
    I_ChangeItemXY(item, r);
    if (kind == 6) I_ChangeTextSize(item, r.P2, r.P3);
}

void RescaleItems(int32_t& Err, int32_t array, bool ratioA) {
    Err = 0;
    const int32_t count = OA_GetCount(array);
    for (int32_t i = 1; i <= count && Err == 0; ++i) RescaleItem(Err, OA_Object(array, i), ratioA);
}

std::string SymbolDetail(const SymbolRec& s, const char* what, const char* id) {
    return GetLocalString("Smb: ", "991227") + CStrFromPtr(s.Name) + GetLocalString(what, id);
}

std::string PageDetail(const char* what, const char* id) { return gCurPageName + GetLocalString(what, id); }

// The position of an object that O_ChangePosition moves.
template <class Rec>
bool MovePoint(int32_t& Err, bool ratioA, Rec& r, int32_t object) {
    ScalePoint(ratioA, Err, r.X, r.Y, kLimitPosition);
    if (Err != 0) return false;
    O_ChangePosition(object, r.X, r.Y);
    return true;
}

void RescaleHierarchyLayout(int32_t& Err) {
    Walk(DB_LayCompMap(), [&](int32_t comp) {
        LayCompRec c;
        if (Err != 0 || !L_ReadComponent(comp, c)) return;
        const std::string name = CStrFromPtr(c.Name);
        int32_t x = c.X, y = c.Y, angle = c.Angle;
        ScalePointA(Err, x, y, kLimitPosition);
        AngleOrFail(Err, angle);
        if (Err != 0) return Note(std::string("Cmp: ") + name + GetLocalString(" - Position", "1051"));
        L_ChangeCompDispAttr(comp, angle, (c.Flags & 2) ? 1 : 0);
        O_ChangePosition(L_Component(comp), x, y);
        RescaleItemArrayA(Err, L_CompTextArray(comp));
        if (Err != 0) Note(std::string("Cmp: ") + name + GetLocalString(" - Text", "1052"));
    });
    Walk(DB_ViaMap(), [&](int32_t via) {
        ViaRec v;
        if (Err != 0 || !V_ReadVia(via, v)) return;
        if (!MovePoint(Err, true, v, V_Via(via)))
            Note(GetLocalString("Via: ", "991394") + std::to_string(via) +
                 GetLocalString(" - Position", "1051"));
    });
    Walk(DB_BendPointMap(), [&](int32_t point) {
        BendPointRec b;
        if (Err != 0 || !T_ReadBendPoint(point, b)) return;
        if (!MovePoint(Err, true, b, T_BendPoint(point)))
            Note(GetLocalString("Bpoint: ", "1090") + std::to_string(point) +
                 GetLocalString(" - Position", "1051"));
    });
    if (Err != 0) return;
    RescaleItemArrayA(Err, DB_LayoutTextArray());
    if (Err != 0) return Note(GetLocalString("Layout Text - Position", "10194"));
    Walk(DB_TraceMap(), [&](int32_t trace) {
        TraceRec t;
        if (Err != 0 || !T_ReadTrace(trace, t)) return;
        for (int32_t i = 1; i <= t.SegmentCount && Err == 0; ++i) {
            TraceSegRec s;
            if (!T_ReadRecord(trace, i, s)) break;  // a trace stops at its first unreadable record
            if (s.Flags & 0x10) {
                // An arc: its centre in X, Y and its radius in Width.
                ScalePointA(Err, s.X, s.Y, kLimitPosition);
                if (Err != 0) return Note(GetLocalString("Arc Trace Segment - Position", "1079"));
                ScaleSingle(true, Err, s.Width);
                if (Err != 0) return Note(GetLocalString("Arc Trace Segment - radius", "1080"));
                T_DeleteRecord(trace, i);
                T_InsertArcRecord(trace, i, s.Flags, s.X, s.Y, s.Width);
            } else {
                // The corners move with the vias, bend points and pads they join.
                ScalePointA(Err, s.X, s.Y, kLimitPosition);
                if (Err != 0) return Note("Trace Segment - Position");
                ScalePointA(Err, s.Width, s.Gap, kLimitPosition);
                if (Err != 0) return Note(GetLocalString("Trace Segment - Width/Gap", "10273"));
                T_ChangeRecordXY(trace, i, s.X, s.Y);
                T_ChangeRecordWidth(trace, i, s.Width);
                T_ChangeRecordGap(trace, i, s.Gap);
            }
        }
    });
}

void RescalePages(int32_t& Err) {
    Walk(DB_PageMap(), [&](int32_t page) {
        PageRec p;
        if (Err != 0 || DB_SetCurPage(page) == 0 || DB_ReadPage(page, p) == 0) return;
        gCurPageName = CStrFromPtr(p.Name);
        RescaleJunctions(Err, page);
        if (Err != 0) return Note(PageDetail("/Junction Points", "99154"));
        RescaleSchComponents(Err, page);
        if (Err != 0) return;  // the component named itself
        RescaleBranchTexts(Err, page);
        if (Err == 0) RescaleBranchPoints(Err, page);
        if (Err != 0) Note(PageDetail("/Branches", "99153"));
    });
}

void RescaleSymbols(int32_t& Err) {
    Walk(DB_SymbMap(), [&](int32_t symbol) {
        SymbolRec s;
        if (Err != 0 || !S_ReadSymbol(symbol, s)) return;
        const std::string name = CStrFromPtr(s.Name);
        s.Name = name.c_str();  // the kernel's text may move while the symbol changes
        if (s.Status & 2) {
            RescaleItemArrayA(Err, S_SymbolItemArray(symbol));
            if (Err != 0) return Note(SymbolDetail(s, " - Graphic Items", "99132"));
            RescaleSymbolPads(Err, symbol);
            if (Err != 0) return Note(SymbolDetail(s, " - Pad Locations", "99138"));
            RescalePadStacks(Err, S_SymbolPadStackMap(symbol));
            if (Err != 0) return Note(SymbolDetail(s, " - Padstack Items", "99139"));
        } else {
            RescaleItemArrayB(Err, S_SymbolItemArray(symbol));
            if (Err != 0) return Note(SymbolDetail(s, " - Graphic Items", "99132"));
            RescaleSymbolEntries(Err, symbol);
            if (Err != 0) return Note(SymbolDetail(s, " - Entry Locations", "99138"));
        }
    });
}

}  // namespace

void ClearItemRecord(ItemRec& Item) { Item = ItemRec{}; }

bool ConvertAngle(int32_t& Angle) {
    int64_t degrees = 0;
    if (!RoundHalfEven(double(Angle) / 100, degrees)) return false;
    if (degrees < 0) degrees += 360;
    const int64_t a = degrees * 1000;
    if (a < INT32_MIN || a > INT32_MAX) return false;
    Angle = int32_t(a);
    return true;
}

void ScalePointA(int32_t& Err, int32_t& X, int32_t& Y, int32_t /*Limit*/) {
    ScaleBoth([](int32_t& v) { return ScaleOne(gRatioA, v); }, Err, X, Y);
}
void ScalePointB(int32_t& Err, int32_t& X, int32_t& Y, int32_t /*Limit*/) {
    ScaleBoth([](int32_t& v) { return ScaleOne(gRatioB, v); }, Err, X, Y);
}
void ScalePointA6(int32_t& Err, int32_t& W, int32_t& H) {
    ScaleBoth([](int32_t& v) { return ScaleText(gRatioA, v); }, Err, W, H);
}
void ScalePointB6(int32_t& Err, int32_t& W, int32_t& H) {
    ScaleBoth([](int32_t& v) { return ScaleText(gRatioB, v); }, Err, W, H);
}

void RescaleItemArrayA(int32_t& Err, int32_t ItemArray) { RescaleItems(Err, ItemArray, true); }
void RescaleItemArrayB(int32_t& Err, int32_t ItemArray) { RescaleItems(Err, ItemArray, false); }

void RescaleJunctions(int32_t& Err, int32_t Page) {
    Err = 0;
    Walk(DB_JunctMap(), [&](int32_t j) {
        JunctionRec r;
        if (Err != 0 || !J_ReadJunction(j, r) || r.Page != Page) return;
        MovePoint(Err, false, r, J_Junction(j));
    });
}

void RescaleSchComponents(int32_t& Err, int32_t Page) {
    Err = 0;
    Walk(DB_SchCompMap(), [&](int32_t comp) {
        SchCompRec c;
        if (Err != 0 || !C_ReadComponent(comp, c) || c.Page != Page) return;
        const std::string name = CStrFromPtr(c.Name);
        int32_t x = c.X, y = c.Y, angle = c.Angle;
        ScalePointB(Err, x, y, kLimitPosition);
        AngleOrFail(Err, angle);
        if (Err != 0) return Note(std::string("Cmp: ") + name + GetLocalString(" - Position", "1051"));
        O_ChangePosition(C_Component(comp), x, y);
        C_ChangeCompDispAttr(comp, angle, (c.Flags & 2) ? 1 : 0);
        RescaleItemArrayB(Err, C_CompTextArray(comp));
        if (Err != 0) Note(std::string("Cmp: ") + name + GetLocalString(" - Text", "1052"));
    });
}

void RescaleBranchTexts(int32_t& Err, int32_t Page) {
    Err = 0;
    Walk(DB_BranchMap(), [&](int32_t branch) {
        BranchRec b;
        if (Err != 0 || !B_ReadBranch(branch, b) || b.Page != Page) return;
        const int32_t texts = B_BranchTextArray(branch);
        const int32_t count = OA_GetCount(texts);
        for (int32_t i = 1; i <= count && Err == 0; ++i) {
            const int32_t item = OA_Object(texts, i);
            ItemRec r;
            if (I_ReadItem(item, r) == 6) RescaleItem(Err, item, false);  // texts only
        }
    });
}

void RescaleBranchPoints(int32_t& Err, int32_t Page) {
    Err = 0;
    Walk(DB_BranchMap(), [&](int32_t branch) {
        BranchRec b;
        if (Err != 0 || !B_ReadBranch(branch, b) || b.Page != Page) return;
        for (int32_t i = 1; i <= b.PointCount && Err == 0; ++i) {
            BranchPointRec p;
            if (!B_ReadRecord(branch, i, p)) continue;
            ScalePointB(Err, p.X, p.Y, kLimitPosition);
            if (Err == 0) B_ChangeRecordXY(branch, i, p.X, p.Y);
        }
    });
}

void RescaleSymbolPads(int32_t& Err, int32_t Symbol) {
    Err = 0;
    const int32_t count = OA_GetCount(S_SymbolEntryArray(Symbol));
    for (int32_t i = 1; i <= count && Err == 0; ++i) {
        EntryRec e;
        if (!S_ReadEntry(Symbol, i, e)) continue;
        ScalePointA(Err, e.X, e.Y, kLimitPad);
        AngleOrFail(Err, e.Angle);
        if (Err != 0) return;
        S_ChangePadRotation(Symbol, i, e.Angle);
        O_ChangePosition(S_Entry(Symbol, i), e.X, e.Y);
    }
}

void RescaleSymbolEntries(int32_t& Err, int32_t Symbol) {
    Err = 0;
    const int32_t count = OA_GetCount(S_SymbolEntryArray(Symbol));
    for (int32_t i = 1; i <= count && Err == 0; ++i) {
        EntryRec e;
        if (!S_ReadEntry(Symbol, i, e)) continue;
        ScalePointB(Err, e.X, e.Y, kLimitPad);
        if (Err != 0) return;
        O_ChangePosition(S_Entry(Symbol, i), e.X, e.Y);
        ScalePointB(Err, e.PaX, e.PaY, kLimitPad);
        AngleOrFail(Err, e.PaAngle);
        if (Err != 0) return;
        S_ChangeEntryPA(Symbol, i, e.PaX, e.PaY, e.PaAngle);
    }
}

void RescalePadStacks(int32_t& Err, int32_t PadStackMap) {
    Err = 0;
    Walk(PadStackMap, [&](int32_t number) {
        if (Err != 0 || number <= 0) return;
        const int32_t padstack = OM_Object(PadStackMap, number);
        PadStackRec p;
        if (!S_ReadPadStack(padstack, p)) return;
        ScalePointA(Err, p.HoleA, p.HoleB, kLimitPad);
        if (Err != 0) return;
        S_ChangePadStackHole(padstack, p.HoleA, p.HoleB);
        RescaleItemArrayA(Err, S_PadStackItemArray(padstack));
    });
}

bool ConvertSystemTables() {
    // Fixed factors, whatever the unit mark of the hierarchy: the tables have always been
    // converted from 1/1000 inch (layout) and 1/500 inch (schematic), also for a metric design.
    const auto times = [](int32_t& v, int64_t factor) {
        const int64_t p = int64_t{v} * factor;
        if (p < INT32_MIN || p > INT32_MAX) return false;
        v = int32_t(p);
        return true;
    };
    for (auto* table : {&gSchGrid, &gSchSnap})
        for (int i = 1; i <= 6; ++i)
            if (!times((*table)[i], int64_t{2} * 2540)) return false;
    for (auto* table : {&gLayGrid, &gLaySnap})
        for (int i = 1; i <= 6; ++i)
            if (!times((*table)[i], 2540)) return false;
    for (int i = 1; i <= 6; ++i)
        if (!ConvertAngle(gAngleSnap[i])) return false;
    PutGridTablesToKernel();

    for (int32_t& gap : gCondSizes[0])
        if (!times(gap, 2540)) return false;
    if (!times(gBusWidth, int64_t{2} * 2540)) return false;
    for (int row = 1; row <= 16; ++row)
        for (int32_t& v : gCondSizes[row])
            if (!times(v, 2540)) return false;
    for (int i = 1; i <= 31; ++i) {
        TextSizeRec& t = gTextSizes[i];
        // Width and height hold a sixth of the text height: v * 2 * 2540 * 6, then / 6.
        for (int32_t* v : {&t.Width, &t.Height}) {
            const int64_t quotient = int64_t{*v} * (int64_t{2} * 2540 * 6) / 6;
            if (quotient < INT32_MIN || quotient > INT32_MAX) return false;
            *v = int32_t(quotient);
        }
        if (!times(t.LineWidth, int64_t{2} * 2540)) return false;
    }
    StoreLineSizes();  // the wire width goes in as it was: the older file does not carry it
    StoreTextSizeTable();
    return true;
}

bool ConvertLoadedDatabase() {
    gDetail.clear();
    const int32_t hier = gCurHier;
    const int32_t page = gCurPage;
    const int32_t unitMark = O_GetStatus(OM_Object(DB_HierarchyMap(), hier)) & 2;
    gRatioA = unitMark ? kRatioMetric : kRatioImperial;
    gRatioB = kRatioSchematic;

    int32_t Err = 0;
    if (!ConvertSystemTables()) {
        Err = 1;
        Note(GetLocalString("/Tables", "1063"));
    }
    if (Err == 0) RescaleSymbols(Err);
    if (Err == 0) {
        RescalePadStacks(Err, DB_PadStackMap());
        if (Err != 0) Note(GetLocalString("Vias - Padstack Items", "10278"));
    }
    if (Err == 0) {
        const int32_t map = DB_HierarchyMap();
        Walk(map, [&](int32_t h) {
            if (Err != 0) return;
            O_Mask(OM_Object(map, h), unitMark, 2);
            if (DB_SetCurHier(h) == 0) return;
            gCurHierName = CStrFromPtr(O_GetName(OM_Object(map, h)));
            RescalePages(Err);
            if (Err == 0) RescaleHierarchyLayout(Err);
        });
    }

    DB_SetCurHier(hier);
    DB_SetCurPage(page);
    for (int16_t n = 1; n <= 3; ++n) MakeHeap(n, -1);
    if (Err != 0) ShowDbError(21, gDetail);
    return Err == 0;
}

}  // namespace tolvi
