// Paints the kernel's drawing (G_OpenDC) with a QPainter: begin() saves the painter's state and
// end() restores it, so a drawing leaves the painter as it found it.
#pragma once

#include <QPainter>

#include "kernel/draw_sink.h"

namespace tolvi {

class QPainterSink : public IDrawSink {
public:
    explicit QPainterSink(QPainter& painter) : p_(painter) {}

    void begin(int32_t w, int32_t h) override;
    void setPen(uint32_t rgb, double widthPx, int32_t style, int32_t drawMode) override;
    void setBrush(bool filled, uint32_t rgb) override;
    void polyline(const Point* pts, size_t n) override;
    void polygon(const Point* pts, size_t n) override;
    void ellipse(double x, double y, double w, double h) override;
    void arc(double x, double y, double w, double h, double startDeg, double spanDeg) override;
    void end() override;

private:
    QPainter& p_;
    int depth_ = 0;
};

}  // namespace tolvi
