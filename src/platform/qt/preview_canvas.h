#pragma once
// A picture box for previews: it owns an image the size of its drawing area, the program draws
// into that image through painter() (kernel drawings through a QPainterSink on it), and a paint
// only shows the image. The painter stays open, with whatever transform it was given, until the
// box changes size; drawings are kept until clear() or a change of size.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <memory>

namespace tolvi::platform {

class PreviewCanvas : public QWidget {
public:
    explicit PreviewCanvas(QWidget* parent = nullptr);
    ~PreviewCanvas() override;

    // The background that clear() paints (the box's back colour).
    void setBackground(const QColor& c);
    QColor background() const { return back_; }

    QImage& image();
    QPainter& painter();
    // Fills the whole image with the background whatever transform the painter carries, and
    // leaves that transform in place.
    void clear();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void fit();
    void remake();

    QColor back_ = Qt::white;
    QImage image_;
    std::unique_ptr<QPainter> painter_;
};

}  // namespace tolvi::platform
