#include "common/preview_drawing.h"

#include "common/db_session.h"
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
