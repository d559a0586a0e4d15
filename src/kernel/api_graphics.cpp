// Drawing into a draw sink, framing, the vector font, cursors and help topics.
//
// Mapping of a drawing context (G_OpenDC): database point (X, Y) lands on pixel
//   px = W/2 + (X - CentreX) / Scale,  py = H/2 - (Y - CentreY) / Scale
// so the Y axis points up and the context's centre is the box centre. Strokes are
// max(1, width / Scale) pixels wide; items with StyleB bit 0x10 are filled. Angles are in
// 1/1000 degree, counter-clockwise. Placements (components, pads, S_SetCompLocation) mirror X
// first, then rotate, then move.
//
// Colours: G_SetColor 0..31 draws everything in that palette colour; 32 and above draws each
// object in its own colour, looked up in the open database's tables: palette (table 0),
// category colours (table 1) and layer colours (table 2), schematic categories under mode 0
// and layout categories and layers under mode 4.
//
// The state set by G_Set* is kernel-wide and outlives contexts: dialogs set the text size
// before they open one.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "kernel/api_util.h"
#include "kernel/draw_sink.h"
#include "kernel/fail_point.h"
#include "kernel/kernel.h"
#include "kernel/kernel_state.h"
#include "kernel/vector_font.h"

using namespace tolvi::kernel;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kColourByObject = 64;

// Schematic categories (table 1, 0..31) and layout categories (32..63) the objects draw in.
constexpr int32_t kCatCompOutline = 0;
constexpr int32_t kCatCompText = 4;
constexpr int32_t kCatWire = 10;
constexpr int32_t kCatJunction = 11;
constexpr int32_t kCatNetName = 12;
constexpr int32_t kCatPad = 32;
constexpr int32_t kCatVia = 33;
constexpr int32_t kCatPadMirrored = 35;
// Layers (table 2) of layout drawings.
constexpr int32_t kLayerCompPrint = 0;
constexpr int32_t kLayerCompCopper = 2;
constexpr int32_t kLayerSoldPrint = 31;

struct DrawState {
    int32_t drawMode = 0;
    int32_t colour = kColourByObject;
    int32_t style = 0;
    int32_t width = 0;
    int32_t textMode = 0;
    int32_t textWf = 0;
    int32_t textHf = 0;
};

struct Context {
    IDrawSink* sink = nullptr;
    DcRec rec;
    double scale = 1;
};

DrawState gState;
Context gDc;
HelpTopicHandler gHelpHandler = nullptr;

// --- geometry --------------------------------------------------------------------------------

struct Pt {
    double x = 0, y = 0;
};

// x' = a x + b y + e, y' = c x + d y + f
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    Pt operator()(double x, double y) const { return {a * x + b * y + e, c * x + d * y + f}; }
    Affine operator*(const Affine& in) const {  // this after `in`
        return {a * in.a + b * in.c, a * in.b + b * in.d,     c * in.a + d * in.c,
                c * in.b + d * in.d, a * in.e + b * in.f + e, c * in.e + d * in.f + f};
    }
    double det() const { return a * d - b * c; }
    // Direction in degrees of the local X axis, as text should run: a mirrored placement
    // still writes left to right.
    double textAngle() const {
        const double deg = std::atan2(c, a) * 180 / kPi;
        return det() < 0 ? deg + 180 : deg;
    }
};

Affine Placement(double x, double y, int32_t angle, bool mirror) {
    const double r = angle / 1000.0 * kPi / 180;
    const double cs = std::cos(r), sn = std::sin(r);
    const double m = mirror ? -1 : 1;
    return {cs * m, -sn, sn * m, cs, x, y};
}

struct Box {
    double x1 = std::numeric_limits<double>::infinity(), y1 = x1;
    double x2 = -x1, y2 = -x1;
    int64_t count = 0;
    void add(Pt p, double grow = 0) {
        x1 = std::min(x1, p.x - grow), y1 = std::min(y1, p.y - grow);
        x2 = std::max(x2, p.x + grow), y2 = std::max(y2, p.y + grow);
    }
};

int32_t Clamp32(double v) {
    const double r = std::round(v);
    if (r <= double(INT32_MIN)) return INT32_MIN;
    if (r >= double(INT32_MAX)) return INT32_MAX;
    return int32_t(r);
}

int32_t CountResult(int64_t n) { return int32_t(std::min<int64_t>(n, INT32_MAX)); }

int32_t TableInt(int32_t table, size_t offset) {
    const Database* db = Db();
    if (!db || db->tables[size_t(table)].size() < offset + 4) return 0;
    int32_t v;
    std::memcpy(&v, db->tables[size_t(table)].data() + offset, 4);
    return v;
}

int32_t WireWidth() { return TableInt(14, 0); }

// --- text ------------------------------------------------------------------------------------

// Calls `stroke(points)` for every stroke of `text` anchored at its lower left in local
// coordinates, one unit scaled by (wf, hf), turned by `angleDeg`.
template <class F>
void TextStrokes(const std::string& text, double wf, double hf, double angleDeg, F&& stroke) {
    const double r = angleDeg * kPi / 180, cs = std::cos(r), sn = std::sin(r);
    std::vector<Pt> pts;
    for (size_t i = 0; i < text.size(); ++i) {
        const double x0 = double(i) * kGlyphAdvance;
        for (const GlyphStroke& s : GlyphFor(uint8_t(text[i])).strokes) {
            pts.clear();
            for (const GlyphPoint& g : s) {
                const double lx = (x0 + g.x) * wf, ly = g.y * hf;
                pts.push_back({lx * cs - ly * sn, lx * sn + ly * cs});
            }
            if (pts.size() == 1) pts.push_back(pts[0]);  // a dot
            stroke(pts);
        }
    }
}

// The corners of the box a text of n characters covers, before its angle and anchor.
void TextCorners(int64_t n, double wf, double hf, Pt (&c)[4]) {
    const double w = n > 0 ? double(kGlyphAdvance * n - 1) * wf : 0, h = n > 0 ? kGlyphHeight * hf : 0;
    c[0] = {0, 0}, c[1] = {w, 0}, c[2] = {w, h}, c[3] = {0, h};
}

// --- drawing ---------------------------------------------------------------------------------

uint32_t PaletteRgb(int32_t index) {
    const int32_t bgr = TableInt(0, size_t(index & 31) * 4);
    return uint32_t((bgr & 0xFF) << 16 | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF));
}

uint8_t TableByte(int32_t table, int32_t i) {
    const Database* db = Db();
    if (!db || i < 0 || size_t(i) >= db->tables[size_t(table)].size()) return 0;
    return db->tables[size_t(table)][size_t(i)];
}

bool LayoutMode() { return gDc.rec.Mode == 4; }

// The colour of an object of schematic category `sch`, or in layout mode of layout category
// `lay` (>= 32) or layer `layer` (when lay < 0).
uint32_t ObjectColour(int32_t sch, int32_t lay, int32_t layer) {
    if (gState.colour >= 0 && gState.colour < 32) return PaletteRgb(gState.colour);
    if (!LayoutMode()) return PaletteRgb(TableByte(1, sch));
    if (lay >= 0) return PaletteRgb(TableByte(1, lay));
    return PaletteRgb(TableByte(2, layer));
}

class Pen {
public:
    bool ready() const { return gDc.sink != nullptr; }

    IDrawSink::Point px(Pt p) const {
        const DcRec& r = gDc.rec;
        return {r.Width / 2.0 + (p.x - r.CentreX) / gDc.scale,
                r.Height / 2.0 - (p.y - r.CentreY) / gDc.scale};
    }
    double len(double v) const { return v / gDc.scale; }

    void pen(uint32_t rgb, double widthDb) const {
        gDc.sink->setPen(rgb, std::max(1.0, std::abs(widthDb) / gDc.scale), gState.style, gState.drawMode);
    }
    void brush(bool filled, uint32_t rgb) const { gDc.sink->setBrush(filled, rgb); }

    void polyline(const std::vector<Pt>& pts) const { emit(pts, false); }
    void polygon(const std::vector<Pt>& pts) const { emit(pts, true); }
    void circle(Pt c, double r) const {
        const IDrawSink::Point p = px(c);
        const double pr = len(std::abs(r));
        gDc.sink->ellipse(p.x - pr, p.y - pr, 2 * pr, 2 * pr);
    }
    void arc(Pt c, double r, double startDeg, double spanDeg) const {
        const IDrawSink::Point p = px(c);
        const double pr = len(std::abs(r));
        gDc.sink->arc(p.x - pr, p.y - pr, 2 * pr, 2 * pr, startDeg, spanDeg);
    }

private:
    void emit(const std::vector<Pt>& pts, bool closed) const {
        std::vector<IDrawSink::Point> out;
        out.reserve(pts.size());
        for (const Pt& p : pts) out.push_back(px(p));
        if (closed)
            gDc.sink->polygon(out.data(), out.size());
        else
            gDc.sink->polyline(out.data(), out.size());
    }
};

void DrawTextAt(const Pen& pen, const Affine& m, Pt anchor, double angleDeg, double wf, double hf,
                const std::string& text) {
    const Pt a = m(anchor.x, anchor.y);
    std::vector<Pt> pts;
    TextStrokes(text, wf, hf, angleDeg + m.textAngle(), [&](const std::vector<Pt>& s) {
        pts.clear();
        for (const Pt& p : s) pts.push_back({a.x + p.x, a.y + p.y});
        pen.polyline(pts);
    });
}

// One item under placement `m` in colour `rgb`.
void DrawItem(const Pen& pen, const Item& it, const Affine& m, uint32_t rgb) {
    const bool filled = it.styleB & 0x10;
    pen.pen(rgb, it.width);
    pen.brush(filled, rgb);
    switch (it.itemKind) {
        case 1:
            pen.polyline({m(it.x, it.y), m(it.p2, it.p3)});
            break;
        case 2:
            pen.polygon({m(it.x, it.y), m(it.p2, it.p3), m(it.p4, it.p5)});
            break;
        case 3:
            pen.polygon({m(it.x, it.y), m(it.p2, it.y), m(it.p2, it.p3), m(it.x, it.p3)});
            break;
        case 4:
            pen.circle(m(it.x, it.y), it.p2);
            break;
        case 5: {
            const double s = it.p3 / 1000.0 * kPi / 180;
            const Pt c = m(it.x, it.y), p = m(it.x + std::cos(s), it.y + std::sin(s));
            const double start = std::atan2(p.y - c.y, p.x - c.x) * 180 / kPi;
            double span = std::fmod((double(it.p4) - it.p3) / 1000.0, 360.0);
            if (span <= 0) span += 360;
            pen.brush(false, rgb);
            pen.arc(c, it.p2, start, m.det() < 0 ? -span : span);
            break;
        }
        case 6:
            DrawTextAt(pen, m, {double(it.x), double(it.y)}, it.angle / 1000.0, it.p2, it.p3, it.text);
            break;
        default:
            break;
    }
}

void DrawItems(const Pen& pen, const ObjectArray& a, const Affine& m, uint32_t rgb) {
    for (const auto& o : a.items)
        if (const Item* it = As<Item>(o.get())) DrawItem(pen, *it, m, rgb);
}

Affine PadPlacement(const Entry& e) { return Placement(e.x, e.y, e.angle, false); }

// A symbol at placement `m`: its items and, for a layout symbol, its pads.
void DrawSymbolAt(const Pen& pen, const Symbol& s, const Affine& m, bool mirrored) {
    const bool layout = LayoutMode();
    const uint32_t outline = layout ? ObjectColour(0, -1, mirrored ? kLayerSoldPrint : kLayerCompPrint)
                                    : ObjectColour(kCatCompOutline, -1, 0);
    for (const auto& o : s.items.items) {
        const Item* it = As<Item>(o.get());
        if (!it) continue;
        DrawItem(pen, *it, m, it->itemKind == 6 && !layout ? ObjectColour(kCatCompText, -1, 0) : outline);
    }
    if (s.isLayout()) {
        const uint32_t padColour = ObjectColour(0, mirrored ? kCatPadMirrored : kCatPad, 0);
        for (const auto& o : s.entries.items) {
            const Entry* e = As<Entry>(o.get());
            const PadStack* ps = e ? As<PadStack>(s.padstacks.find(e->padstack)) : nullptr;
            if (ps) DrawItems(pen, ps->items, m * PadPlacement(*e), padColour);
        }
    }
}

Symbol* SymbolOf(int32_t id) { return InDb<Symbol>(&Database::symbols, id); }

Affine CompLocation() {
    const auto& l = Kern().compLocation;
    return Placement(l[0], l[1], l[2], l[3] != 0);
}

// Runs `f(pen)` when a context is open on a database; 1 then, else 0.
template <class F>
int32_t Drawing(F&& f) {
    return Guard([&]() -> int32_t {
        Pen pen;
        if (!pen.ready() || !Db()) return 0;
        f(pen);
        return 1;
    });
}

// The page a branch selector names: -1 all pages (0 here), <= -101 page -(sel + 100).
bool PageSelector(int32_t sel, int32_t& page, int32_t& branch) {
    page = 0, branch = 0;
    if (sel == -1) return true;
    if (sel > 0) {
        branch = sel;
        return true;
    }
    if (sel <= -101) {
        page = -(sel + 100);
        return true;
    }
    return false;
}

template <class F>
void ForBranches(int32_t sel, F&& f) {
    Hierarchy* h = CurHier();
    int32_t page, branch;
    if (!h || !PageSelector(sel, page, branch)) return;
    h->branches.forEach([&](int32_t k, Obj& o) {
        auto& b = static_cast<Branch&>(o);
        if ((branch && k != branch) || (page && b.page != page)) return;
        f(b);
    });
}

template <class F>
void ForTraces(int32_t sel, F&& f) {
    Hierarchy* h = CurHier();
    if (!h || (sel != -1 && sel <= 0)) return;
    h->traces.forEach([&](int32_t k, Obj& o) {
        if (sel == -1 || k == sel) f(static_cast<Trace&>(o));
    });
}

double Degrees(double dy, double dx) { return std::atan2(dy, dx) * 180 / kPi; }

void DrawTrace(const Pen& pen, const Trace& t, uint32_t rgb) {
    const TraceRecord* prev = nullptr;
    const TraceRecord* arc = nullptr;
    size_t straight = 0;
    const auto fullCircle = [&](const TraceRecord& a, int32_t width) {
        pen.pen(rgb, width);
        pen.circle({double(a.x), double(a.y)}, a.width);
    };
    pen.brush(false, rgb);
    for (const TraceRecord& r : t.records) {
        if (r.flags & 0x10) {
            if (arc) fullCircle(*arc, prev ? prev->width : 0);
            arc = &r;
            continue;
        }
        ++straight;
        if (prev) {
            pen.pen(rgb, r.width);
            if (arc) {
                const double s = Degrees(double(prev->y) - arc->y, double(prev->x) - arc->x);
                const double e = Degrees(double(r.y) - arc->y, double(r.x) - arc->x);
                double span = std::fmod(e - s, 360.0);
                if (span <= 0) span += 360;
                if (arc->flags & 0x20) span -= 360;  // clockwise
                pen.arc({double(arc->x), double(arc->y)}, arc->width, s, span);
            } else {
                pen.polyline({{double(prev->x), double(prev->y)}, {double(r.x), double(r.y)}});
            }
        } else if (arc) {
            fullCircle(*arc, r.width);
        }
        arc = nullptr;
        prev = &r;
    }
    if (arc) fullCircle(*arc, prev ? prev->width : 0);
    if (straight == 1 && t.records.size() == 1) {  // a lone point: a round dot of its width
        pen.pen(rgb, 0);
        pen.brush(true, rgb);
        pen.circle({double(prev->x), double(prev->y)}, prev->width / 2.0);
    }
}

// --- framing ---------------------------------------------------------------------------------

void FrameItem(Box& box, const Item& it, const Affine& m) {
    const double w = std::abs(double(it.width)) / 2;
    switch (it.itemKind) {
        case 1:
            box.add(m(it.x, it.y), w), box.add(m(it.p2, it.p3), w);
            break;
        case 2:
            box.add(m(it.x, it.y), w), box.add(m(it.p2, it.p3), w), box.add(m(it.p4, it.p5), w);
            break;
        case 3:
            box.add(m(it.x, it.y), w), box.add(m(it.p2, it.y), w);
            box.add(m(it.p2, it.p3), w), box.add(m(it.x, it.p3), w);
            break;
        case 4:
        case 5:
            box.add(m(it.x, it.y), std::abs(double(it.p2)) + w);
            break;
        case 6: {
            // The box the text's strokes fill, placed as DrawTextAt places them.
            Pt c[4];
            TextCorners(int64_t(it.text.size()), it.p2, it.p3, c);
            const Pt a = m(it.x, it.y);
            const Affine t = Placement(a.x, a.y, Clamp32((it.angle / 1000.0 + m.textAngle()) * 1000), false);
            for (const Pt& p : c) box.add(t(p.x, p.y), w);
            break;
        }
        default:
            return;
    }
    ++box.count;
}

int32_t PutFrame(const Box& box, FrameRec& frame) {
    if (!box.count) {
        frame = FrameRec{};
        return 0;
    }
    frame = {Clamp32(box.x1), Clamp32(box.y1), Clamp32(box.x2), Clamp32(box.y2)};
    return CountResult(box.count);
}

int32_t PutExtent(const Box& box, ExtentRec& ext) {
    if (!box.count) return 0;
    ext = {Clamp32(box.x1), Clamp32(box.y1), Clamp32(box.x2), Clamp32(box.y2)};
    return CountResult(box.count);
}

}  // namespace

namespace tolvi::kernel {

void ResetDrawingState() {
    gDc = Context{};  // a context left open is forgotten: its sink may be gone already
    gState = DrawState{};
    gHelpHandler = nullptr;
    UseBuiltInFont();
}

}  // namespace tolvi::kernel

// --- framing ---------------------------------------------------------------------------------

int32_t T_FrameTraceLines(int32_t sel, int32_t, ExtentRec& ext) {
    return Guard([&]() -> int32_t {
        Box box;
        ForTraces(sel, [&](const Trace& t) {
            for (const TraceRecord& r : t.records) {
                const bool arc = r.flags & 0x10;
                box.add({double(r.x), double(r.y)}, std::abs(double(r.width)) / (arc ? 1 : 2));
                ++box.count;
            }
        });
        return PutExtent(box, ext);
    });
}

int32_t B_FrameBranchLines(int32_t pageSelector, int32_t, ExtentRec& ext) {
    return Guard([&]() -> int32_t {
        Box box;
        ForBranches(pageSelector, [&](const Branch& b) {
            for (const BranchPoint& p : b.points) {
                box.add({double(p.x), double(p.y)});
                ++box.count;
            }
        });
        return PutExtent(box, ext);
    });
}

int32_t S_FrameSymbolItems(int32_t symbol, int32_t sel, FrameRec& frame) {
    return Guard([&]() -> int32_t {
        Box box;
        if (const Symbol* s = SymbolOf(symbol)) {
            const Affine m = CompLocation();
            for (size_t i = 0; i < s->items.items.size(); ++i) {
                const Item* it = As<Item>(s->items.items[i].get());
                if (it && (sel <= 0 || size_t(sel) == i + 1)) FrameItem(box, *it, m);
            }
        }
        return PutFrame(box, frame);
    });
}

int32_t S_FrameSymbolEntries(int32_t symbol, int32_t sel, FrameRec& frame) {
    return Guard([&]() -> int32_t {
        Box box;
        if (const Symbol* s = SymbolOf(symbol)) {
            const Affine m = CompLocation();
            for (size_t i = 0; i < s->entries.items.size(); ++i) {
                const Entry* e = As<Entry>(s->entries.items[i].get());
                if (!e || (sel > 0 && size_t(sel) != i + 1)) continue;
                box.add(m(e->x, e->y));
                ++box.count;
                if (!s->isLayout()) continue;
                if (const PadStack* ps = As<PadStack>(s->padstacks.find(e->padstack))) {
                    Box pad;
                    for (const auto& o : ps->items.items)
                        if (const Item* it = As<Item>(o.get())) FrameItem(pad, *it, m * PadPlacement(*e));
                    if (pad.count) box.add({pad.x1, pad.y1}), box.add({pad.x2, pad.y2});
                }
            }
        }
        return PutFrame(box, frame);
    });
}

// --- drawing ---------------------------------------------------------------------------------

int32_t G_OpenDC(IDrawSink* sink, DcRec& rec) {
    return Guard([&]() -> int32_t {
        if (!sink) return 0;
        // A context its caller left open is forgotten, not ended: its sink may be gone already.
        gDc.sink = sink;
        gDc.rec = rec;
        gDc.scale = rec.Scale > 0 ? rec.Scale : 1;
        sink->begin(rec.Width, rec.Height);
        return 1;
    });
}

int32_t G_CloseDC() {
    return Guard([]() -> int32_t {
        if (!gDc.sink) return 0;
        IDrawSink* s = gDc.sink;
        gDc = Context{};
        s->end();
        return 1;
    });
}

int32_t G_SetDrawMode(int32_t mode) {
    gState.drawMode = mode;
    return 1;
}

int32_t G_SetColor(int32_t code) {
    gState.colour = code;
    return 1;
}

int32_t G_SetStyle(int32_t style) {
    gState.style = style;
    return 1;
}

int32_t G_SetWidth(int32_t width) {
    gState.width = width;
    return 1;
}

int32_t G_SetTextMode(int32_t mode, int32_t widthFactor, int32_t heightFactor) {
    gState.textMode = mode;
    gState.textWf = widthFactor;
    gState.textHf = heightFactor;
    return 1;
}

int32_t G_GetTextSize(int32_t widthFactor, int32_t heightFactor, int32_t charCount, TextExtent& ext) {
    Pt c[4];
    TextCorners(charCount, widthFactor, heightFactor, c);
    ext = {Clamp32(c[2].x), Clamp32(c[2].y)};
    return 1;
}

int32_t G_Text(int32_t x, int32_t y, const char* text) {
    return Guard([&]() -> int32_t {
        Pen pen;
        if (!pen.ready()) return 0;
        const uint32_t rgb = ObjectColour(kCatCompText, -1, kLayerCompPrint);
        pen.pen(rgb, gState.width);
        pen.brush(false, rgb);
        DrawTextAt(pen, Affine{}, {double(x), double(y)}, 0, gState.textWf, gState.textHf, Str(text));
        return 1;
    });
}

int32_t T_DrawAllRecords(int32_t sel, int32_t) {
    return Drawing([&](const Pen& pen) {
        const uint32_t rgb = ObjectColour(kCatWire, -1, kLayerCompCopper);
        ForTraces(sel, [&](const Trace& t) { DrawTrace(pen, t, rgb); });
    });
}

int32_t T_DrawAllTraceMask(int32_t, int32_t) {
    // Airgap outlines are the design modules' business; the previews show the copper only.
    return Drawing([](const Pen&) {});
}

int32_t T_DrawLayoutAllTexts(int32_t) {
    return Drawing([](const Pen& pen) {
        if (Hierarchy* h = CurHier())
            DrawItems(pen, h->layoutTexts, Affine{}, ObjectColour(kCatCompText, -1, kLayerCompPrint));
    });
}

int32_t L_DrawAllComponents(int32_t) {
    return Drawing([](const Pen& pen) {
        Hierarchy* h = CurHier();
        if (!h) return;
        h->layComps.forEach([&](int32_t, Obj& o) {
            const auto& c = static_cast<LayComp&>(o);
            const bool mirrored = c.status & 2;
            const Affine m = Placement(c.x, c.y, c.angle, mirrored);
            if (const Symbol* s = SymbolOf(c.symbol)) DrawSymbolAt(pen, *s, m, mirrored);
            DrawItems(pen, c.texts, m, ObjectColour(0, -1, mirrored ? kLayerSoldPrint : kLayerCompPrint));
        });
    });
}

int32_t V_DrawAllVias(int32_t) {
    return Drawing([](const Pen& pen) {
        Hierarchy* h = CurHier();
        if (!h) return;
        const uint32_t rgb = ObjectColour(0, kCatVia, 0);
        h->vias.forEach([&](int32_t, Obj& o) {
            const auto& v = static_cast<Via&>(o);
            const PadStack* ps = As<PadStack>(Db()->padstacks.find(v.padstack));
            if (ps && !ps->items.items.empty()) {
                DrawItems(pen, ps->items, Placement(v.x, v.y, 0, false), rgb);
            } else {
                pen.pen(rgb, 0);
                pen.brush(false, rgb);
                pen.circle({double(v.x), double(v.y)}, ps ? ps->holeA / 2.0 : 0);
            }
        });
    });
}

int32_t B_DrawAllRecords(int32_t pageSelector, int32_t) {
    return Drawing([&](const Pen& pen) {
        const uint32_t rgb = ObjectColour(kCatWire, -1, kLayerCompCopper);
        pen.pen(rgb, WireWidth());
        pen.brush(false, rgb);
        std::vector<Pt> pts;
        ForBranches(pageSelector, [&](const Branch& b) {
            pts.clear();
            for (const BranchPoint& p : b.points) pts.push_back({double(p.x), double(p.y)});
            if (pts.size() == 1) pts.push_back(pts[0]);
            if (!pts.empty()) pen.polyline(pts);
        });
    });
}

int32_t B_DrawAllBranchMask(int32_t, int32_t, int32_t) {
    return Drawing([](const Pen& pen) {
        const uint32_t rgb = ObjectColour(kCatNetName, -1, kLayerCompPrint);
        ForBranches(-100 - DB_CurPage(), [&](const Branch& b) { DrawItems(pen, b.texts, Affine{}, rgb); });
    });
}

int32_t J_DrawAllJunctions(int32_t) {
    return Drawing([](const Pen& pen) {
        Hierarchy* h = CurHier();
        if (!h) return;
        const uint32_t rgb = ObjectColour(kCatJunction, -1, kLayerCompCopper);
        const double radius = 2.0 * WireWidth();
        pen.pen(rgb, 0);
        pen.brush(true, rgb);
        h->junctions.forEach([&](int32_t, Obj& o) {
            const auto& j = static_cast<Junction&>(o);
            if (j.page == h->curPage) pen.circle({double(j.x), double(j.y)}, radius);
        });
    });
}

int32_t C_DrawAllComponents(int32_t) {
    return Drawing([](const Pen& pen) {
        Hierarchy* h = CurHier();
        if (!h) return;
        h->schComps.forEach([&](int32_t, Obj& o) {
            const auto& c = static_cast<SchComp&>(o);
            if (c.page != h->curPage) return;
            const bool mirrored = c.status & 2;
            const Affine m = Placement(c.x, c.y, c.angle, mirrored);
            if (const Symbol* s = SymbolOf(c.symbol)) DrawSymbolAt(pen, *s, m, mirrored);
            DrawItems(pen, c.texts, m, ObjectColour(kCatCompText, -1, kLayerCompPrint));
        });
    });
}

int32_t S_DrawSymbol(int32_t symbol, int32_t, int32_t) {
    return Drawing([&](const Pen& pen) {
        const auto& l = Kern().compLocation;
        if (const Symbol* s = SymbolOf(symbol)) DrawSymbolAt(pen, *s, CompLocation(), l[3] != 0);
    });
}

// --- vector font, cursors, help --------------------------------------------------------------

int16_t G_VectorFontLoad(const char* path) {
    KERNEL_FAIL_POINT(0);
    return Guard([&]() -> int16_t { return path && LoadFontFile(path) ? 1 : 0; });
}

// The kernel keeps no cursors: the tokens name the two shapes a design module may ask for.
int32_t G_SelectCur(int32_t kind) { return kind == 1 || kind == 2 ? kind : 0; }
int32_t G_DelCur(int32_t) { return 0; }

void H_SetTopicHandler(HelpTopicHandler handler) { gHelpHandler = handler; }

int32_t H_DispTopic(void* owner, const char* helpFile, int32_t topic) {
    // The handler is the program's code: whatever it throws stays on this side.
    return Guard(
        [&]() -> int32_t { return gHelpHandler ? gHelpHandler(owner, helpFile ? helpFile : "", topic) : 0; });
}
