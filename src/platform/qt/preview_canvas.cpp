#include "platform/qt/preview_canvas.h"

#include <QPaintEvent>

namespace tolvi::platform {

PreviewCanvas::PreviewCanvas(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    remake();
}

PreviewCanvas::~PreviewCanvas() { painter_.reset(); }

void PreviewCanvas::setBackground(const QColor& c) { back_ = c; }

QImage& PreviewCanvas::image() {
    fit();
    return image_;
}

QPainter& PreviewCanvas::painter() {
    fit();
    if (!painter_) painter_ = std::make_unique<QPainter>(&image_);
    return *painter_;
}

void PreviewCanvas::clear() {
    QPainter& p = painter();
    p.save();
    p.resetTransform();
    p.setClipping(false);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(image_.rect(), back_);
    p.restore();
    update();
}

void PreviewCanvas::paintEvent(QPaintEvent* e) {
    fit();
    QPainter p(this);
    p.drawImage(e->rect(), image_, e->rect());
}

void PreviewCanvas::resizeEvent(QResizeEvent*) { fit(); }

// The size is taken when the image is used, not only on resize events: a hidden box gets its
// resize event only when it is shown, after the program may have drawn into it.
void PreviewCanvas::fit() {
    if (image_.size() != size().expandedTo(QSize(1, 1))) remake();
}

void PreviewCanvas::remake() {
    painter_.reset();
    image_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image_.fill(back_);
}

}  // namespace tolvi::platform
