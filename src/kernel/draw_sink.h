// The target of the kernel's drawing (G_OpenDC). The kernel does every transform itself and
// hands the sink pixel coordinates of the box (origin top left, Y down) as doubles, so a sink
// only paints: QPainterSink paints with Qt, RecordingSink records for the tests.
#pragma once

#include <cstddef>
#include <cstdint>

class IDrawSink {
public:
    struct Point {
        double x = 0, y = 0;
    };

    virtual ~IDrawSink() = default;

    // G_OpenDC: a box of w x h pixels. A sink keeps whatever state it must give back at end().
    virtual void begin(int32_t w, int32_t h) = 0;
    // Colours are 0xRRGGBB. The width is in pixels, never below 1. Style and draw mode are the
    // values of G_SetStyle and G_SetDrawMode, passed through (0 solid, copy pen).
    virtual void setPen(uint32_t rgb, double widthPx, int32_t style, int32_t drawMode) = 0;
    // Fill for polygon and ellipse; `filled` false draws outlines only.
    virtual void setBrush(bool filled, uint32_t rgb) = 0;
    virtual void polyline(const Point* pts, size_t n) = 0;
    virtual void polygon(const Point* pts, size_t n) = 0;
    // The ellipse within the rectangle (x, y, w, h).
    virtual void ellipse(double x, double y, double w, double h) = 0;
    // Part of the ellipse within (x, y, w, h): angles in degrees, 0 at three o'clock, positive
    // counter-clockwise as seen on the screen; a negative span runs clockwise.
    virtual void arc(double x, double y, double w, double h, double startDeg, double spanDeg) = 0;
    // G_CloseDC: gives the target back as begin() found it.
    virtual void end() = 0;
};
