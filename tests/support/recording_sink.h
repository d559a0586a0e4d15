#pragma once
// A draw sink that records every call for the tests (header only: the kernel tests use it
// without Qt).
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/draw_sink.h"

namespace tolvi::test {

class RecordingSink : public IDrawSink {
public:
    struct Op {
        std::string kind;  // "polyline", "polygon", "ellipse", "arc"
        uint32_t rgb = 0;
        double widthPx = 0;
        int32_t style = 0, drawMode = 0;
        bool filled = false;
        std::vector<Point> pts;                                  // polyline and polygon
        double x = 0, y = 0, w = 0, h = 0, start = 0, span = 0;  // ellipse and arc
    };

    int begins = 0, ends = 0;
    int32_t width = 0, height = 0;
    std::vector<Op> ops;

    void begin(int32_t w, int32_t h) override {
        ++begins;
        width = w, height = h;
    }
    void setPen(uint32_t rgb, double widthPx, int32_t style, int32_t drawMode) override {
        pen_.rgb = rgb, pen_.widthPx = widthPx, pen_.style = style, pen_.drawMode = drawMode;
    }
    void setBrush(bool filled, uint32_t) override { pen_.filled = filled; }
    void polyline(const Point* p, size_t n) override { add("polyline").pts.assign(p, p + n); }
    void polygon(const Point* p, size_t n) override { add("polygon").pts.assign(p, p + n); }
    void ellipse(double x, double y, double w, double h) override {
        Op& o = add("ellipse");
        o.x = x, o.y = y, o.w = w, o.h = h;
    }
    void arc(double x, double y, double w, double h, double start, double span) override {
        Op& o = add("arc");
        o.x = x, o.y = y, o.w = w, o.h = h, o.start = start, o.span = span;
    }
    void end() override { ++ends; }

    std::vector<Op> of(const std::string& kind) const {
        std::vector<Op> r;
        for (const Op& o : ops)
            if (o.kind == kind) r.push_back(o);
        return r;
    }

private:
    Op& add(const char* kind) {
        ops.push_back(pen_);
        ops.back().kind = kind;
        return ops.back();
    }
    Op pen_;
};

}  // namespace tolvi::test
