#pragma once
// Preview drawing: the extent of the layout or of the current schematic page, the whole layout or
// page drawn into an open kernel drawing context, and clearing a preview box.
#include <cstdint>

namespace tolvi {

namespace platform {
class PreviewCanvas;
}

// The extent of the last measurement, in database units. gFrameCount is -1 when it framed
// something, else 0 (a flag); the corners are then 0. Width and height are 64-bit: the difference
// of two 32-bit coordinates can leave the 32-bit range.
inline int32_t gFrameCount = 0;
inline int32_t gFrameX1 = 0;
inline int32_t gFrameY1 = 0;
inline int32_t gFrameX2 = 0;
inline int32_t gFrameY2 = 0;
inline int64_t gFrameW = 0;
inline int64_t gFrameH = 0;

void ResetPreviewDrawingState();

// Measures the traces of the current hierarchy.
void FrameTraceLines();
// Measures the wires of the current page (gPageSelector).
void FrameBranchLines();
// Measure everything DrawAllLayout / DrawAllSchematic would draw (components, pads, vias, texts
// and junctions as well as traces and wires), into the same globals: a preview framed by them
// shows the whole drawing. Each opens and closes a drawing context of its own, so call them
// while none is open.
void FrameAllLayout();
void FrameAllSchematic();
// Draw into the context the caller opened with G_OpenDC and closes with G_CloseDC. They leave
// the kernel's draw mode, colour and style as they set them.
void DrawAllLayout();
void DrawAllSchematic();
// Clears the whole box to its background, whatever transform an earlier drawing left on the
// box's painter; the transform stays in place.
void ClearPicture(platform::PreviewCanvas& Pic);

}  // namespace tolvi
