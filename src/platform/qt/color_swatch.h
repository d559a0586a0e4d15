#pragma once
// A patch of one colour that answers a click: the colour dialogs' swatches and palette.
#include <QColor>
#include <QFrame>
#include <cstdint>

namespace tolvi::platform {

// A colour as the program keeps it: red in the lowest byte, then green, then blue.
QColor ColorFromCode(int32_t rgb);

class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);

    QColor color() const { return color_; }
    void setColor(const QColor& color);

    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QColor color_;
};

}  // namespace tolvi::platform
