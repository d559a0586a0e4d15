#include "platform/screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tolvi::platform {

Rect ScreenRect() {
    const QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return {};
    const QRect g = s->geometry();
    return {g.left(), g.top(), g.width(), g.height()};
}

Rect WindowRect(const QWidget* window) {
    if (!window) return {};
    QRect g = window->frameGeometry();
    if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized)) {
        // Never shown nor sized: Qt gives it its size hint when it first shows, so a form is
        // placed by the size it will have rather than by a placeholder.
        const QSize hint = window->sizeHint().expandedTo(window->minimumSize());
        if (hint.isValid()) g.setSize(hint);
    }
    return {g.left(), g.top(), g.width(), g.height()};
}

void MoveWindow(QWidget* window, int left, int top) {
    if (window) window->move(left, top);  // move() places the frame, as WindowRect reports it
}

void SetTopmost(QWidget* window, bool on) {
    if (!window) return;
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
    // Changing the flags hides the window; show it again if it was showing.
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) window->show();
}

}  // namespace tolvi::platform
