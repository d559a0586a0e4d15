#include "common/preview_drawing.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/db_session.h"
#include "kernel/draw_sink.h"
#include "kernel/kernel.h"
#include "platform/qt/preview_canvas.h"

namespace tolvi {

namespace {

constexpr int32_t kAllLayers = 63;

// Both measurements: `frame` fills the extent record and answers how much it framed.
template <class F>
void Measure(F&& frame) {
    gFrameCount = 0;
    gFrameX1 = gFrameY1 = gFrameX2 = gFrameY2 = 0;
    ExtentRec extent{};
    if (frame(extent) >= 1) {
        gFrameX1 = extent.X1, gFrameY1 = extent.Y1, gFrameX2 = extent.X2, gFrameY2 = extent.Y2;
        gFrameCount = -1;
    }
    gFrameW = int64_t(gFrameX2) - gFrameX1;
    gFrameH = int64_t(gFrameY2) - gFrameY1;
}

// Collects the box around everything drawn into it. Opened at scale 1 on a box of no size centred
// on the origin, a database point (X, Y) arrives as (X, -Y).
class ExtentSink : public IDrawSink {
public:
    void begin(int32_t, int32_t) override {}
    void setPen(uint32_t, double, int32_t, int32_t) override {}
    void setBrush(bool, uint32_t) override {}
    void polyline(const Point* pts, size_t n) override { AddAll(pts, n); }
    void polygon(const Point* pts, size_t n) override { AddAll(pts, n); }
    void ellipse(double x, double y, double w, double h) override { AddBox(x, y, w, h); }
    // The whole circle: a slightly larger frame costs nothing.
    void arc(double x, double y, double w, double h, double, double) override { AddBox(x, y, w, h); }
    void end() override {}

    bool Found() const { return found_; }
    // In database units, outward to whole units and within 32 bits.
    ExtentRec Extent() const {
        return {Clamp(std::floor(x1_)), Clamp(std::floor(-y2_)), Clamp(std::ceil(x2_)),
                Clamp(std::ceil(-y1_))};
    }

private:
    static int32_t Clamp(double v) {
        return int32_t(std::clamp(v, double(std::numeric_limits<int32_t>::min()),
                                  double(std::numeric_limits<int32_t>::max())));
    }
    void Add(double x, double y) {
        x1_ = std::min(x1_, x), y1_ = std::min(y1_, y);
        x2_ = std::max(x2_, x), y2_ = std::max(y2_, y);
        found_ = true;
    }
    void AddAll(const Point* pts, size_t n) {
        for (size_t i = 0; i < n; ++i) Add(pts[i].x, pts[i].y);
    }
    void AddBox(double x, double y, double w, double h) { Add(x, y), Add(x + w, y + h); }

    double x1_ = std::numeric_limits<double>::infinity(), y1_ = x1_;
    double x2_ = -x1_, y2_ = -x1_;
    bool found_ = false;
};

// Draws with `draw` into an ExtentSink and reports what it covered as a measurement.
template <class F>
void MeasureDrawing(int32_t mode, F&& draw) {
    Measure([&](ExtentRec& e) {
        ExtentSink sink;
        DcRec rec{1, 0, 0, 0, 0, mode};
        G_OpenDC(&sink, rec);
        draw();
        G_CloseDC();
        if (!sink.Found()) return 0;
        e = sink.Extent();
        return 1;
    });
}

}  // namespace

void ResetPreviewDrawingState() {
    gFrameCount = 0;
    gFrameX1 = gFrameY1 = gFrameX2 = gFrameY2 = 0;
    gFrameW = gFrameH = 0;
}

void FrameTraceLines() {
    Measure([](ExtentRec& e) { return T_FrameTraceLines(-1, kAllLayers, e); });
}

void FrameBranchLines() {
    Measure([](ExtentRec& e) { return B_FrameBranchLines(gPageSelector, kAllLayers, e); });
}

void FrameAllLayout() { MeasureDrawing(4, DrawAllLayout); }

void FrameAllSchematic() { MeasureDrawing(0, DrawAllSchematic); }

void DrawAllLayout() {
    G_SetDrawMode(44);
    G_SetColor(93);
    T_DrawAllRecords(-1, 1);
    G_SetDrawMode(36);
    L_DrawAllComponents(1);
    T_DrawAllTraceMask(1, 1);
    V_DrawAllVias(1);
    T_DrawLayoutAllTexts(1);
}

void DrawAllSchematic() {
    G_SetStyle(0);
    G_SetColor(61);
    G_SetDrawMode(8);
    B_DrawAllRecords(gPageSelector, 1);
    G_SetDrawMode(0);
    C_DrawAllComponents(1);
    B_DrawAllBranchMask(1, 1, 1);
    J_DrawAllJunctions(1);
}

void ClearPicture(platform::PreviewCanvas& Pic) { Pic.clear(); }

}  // namespace tolvi
