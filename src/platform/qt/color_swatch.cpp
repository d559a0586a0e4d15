#include "platform/qt/color_swatch.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace tolvi::platform {

QColor ColorFromCode(int32_t rgb) {
    const auto v = static_cast<uint32_t>(rgb);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::TabFocus);
    setColor(Qt::white);
}

void ColorSwatch::setColor(const QColor& color) {
    color_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
    update();
}

QSize ColorSwatch::sizeHint() const {
    const int side = fontMetrics().height() + 4;
    return {side + side / 2, side};
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event) {
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

// Space picks a swatch that has the focus, as a click would.
void ColorSwatch::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        emit clicked();
        return;
    }
    QFrame::keyPressEvent(event);
}

}  // namespace tolvi::platform
