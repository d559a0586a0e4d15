#include "kernel/qt/qpainter_sink.h"

#include <QPolygonF>
#include <cmath>

namespace tolvi {

namespace {

QColor Rgb(uint32_t rgb) { return QColor(int(rgb >> 16 & 0xFF), int(rgb >> 8 & 0xFF), int(rgb & 0xFF)); }

QPolygonF Poly(const IDrawSink::Point* pts, size_t n) {
    QPolygonF poly;
    poly.reserve(qsizetype(n));
    for (size_t i = 0; i < n; ++i) poly << QPointF(pts[i].x, pts[i].y);
    return poly;
}

}  // namespace

void QPainterSink::begin(int32_t, int32_t) {
    p_.save();
    ++depth_;
    p_.setRenderHint(QPainter::Antialiasing, true);
    p_.setBrush(Qt::NoBrush);
}

void QPainterSink::setPen(uint32_t rgb, double widthPx, int32_t style, int32_t) {
    // Style 0 is solid; the kernel's other styles have no meaning in the previews.
    QPen pen(Rgb(rgb), widthPx, style == 0 ? Qt::SolidLine : Qt::DashLine, Qt::RoundCap, Qt::RoundJoin);
    p_.setPen(pen);
}

void QPainterSink::setBrush(bool filled, uint32_t rgb) {
    if (filled)
        p_.setBrush(Rgb(rgb));
    else
        p_.setBrush(Qt::NoBrush);
}

void QPainterSink::polyline(const Point* pts, size_t n) {
    if (n == 0) return;
    if (n == 2 && pts[0].x == pts[1].x && pts[0].y == pts[1].y) {
        p_.drawPoint(QPointF(pts[0].x, pts[0].y));  // a dot: a zero-length line may not show
        return;
    }
    p_.drawPolyline(Poly(pts, n));
}

void QPainterSink::polygon(const Point* pts, size_t n) {
    if (n) p_.drawPolygon(Poly(pts, n));
}

void QPainterSink::ellipse(double x, double y, double w, double h) { p_.drawEllipse(QRectF(x, y, w, h)); }

void QPainterSink::arc(double x, double y, double w, double h, double startDeg, double spanDeg) {
    // Qt counts arcs in sixteenths of a degree, counter-clockwise on the screen, like the sink.
    p_.drawArc(QRectF(x, y, w, h), int(std::lround(startDeg * 16)), int(std::lround(spanDeg * 16)));
}

void QPainterSink::end() {
    if (depth_ == 0) return;
    --depth_;
    p_.restore();
}

}  // namespace tolvi
