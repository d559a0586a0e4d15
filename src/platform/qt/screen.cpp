#include "platform/screen.h"

#include <QApplication>
#include <QBoxLayout>
#include <QEvent>
#include <QGridLayout>
#include <QPointer>
#include <QScreen>
#include <QSpacerItem>
#include <QStackedLayout>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <optional>

namespace tolvi::platform {

namespace {

std::optional<ScreenArea> gScreenOverride;

Rect FromQRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

bool Framed(const QWidget* window) {
    return window->windowType() != Qt::SplashScreen &&
           !window->windowFlags().testFlag(Qt::FramelessWindowHint);
}

bool Exposed(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle && handle->isExposed();
}

Margins FromQMargins(const QMargins& m) { return {m.left(), m.top(), m.right(), m.bottom()}; }

// The frame as the window system reports it now (the widget's own copy of it can lag behind).
Margins PlatformMargins(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle ? FromQMargins(handle->frameMargins()) : Margins{};
}

// The window manager has framed the window: it is on the screen, or the window system knows its
// frame all the same.
bool FrameKnown(const QWidget* window) { return Exposed(window) || PlatformMargins(window) != Margins{}; }

Margins AssumedMargins(const QWidget* window) {
    if (FrameKnown(window)) return PlatformMargins(window);
    if (!Framed(window)) return {};
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != window && other->isVisible() && Framed(other) && FrameKnown(other))
            return PlatformMargins(other);
    return {};
}

// Puts the window's inside at left, top. Qt takes a widget's position for its frame's, by the
// frame it last heard of; that is allowed for, so the inside lands where it is meant to.
void MoveInside(QWidget* window, int left, int top) {
    const QRect f = window->frameGeometry();
    const QRect g = window->geometry();
    window->move(left - (g.left() - f.left()), top - (g.top() - f.top()));
}

// The inside's size; a window never shown nor sized is given its size hint when it first shows,
// so it is placed by the size it will have rather than by a placeholder.
QSize InsideSize(const QWidget* window) {
    if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized)) {
        const QSize hint = window->sizeHint().expandedTo(window->minimumSize());
        if (hint.isValid()) return hint;
    }
    return window->size();
}

class FramePlacer : public QObject {
public:
    explicit FramePlacer(QWidget* window) : QObject(window), window_(window) {
        window->installEventFilter(this);
        Watch();
    }

    FramePlacement placement;

    void Apply() {
        if (applying_ || !placement) return;
        applying_ = true;
        // A window moved before it exists has its position taken for its frame's or its
        // inside's, as the window system decides when it is made; made first, it is the inside's.
        if (!window_->testAttribute(Qt::WA_WState_Created)) window_->winId();
        const Margins m = AssumedMargins(window_);
        const QSize now = InsideSize(window_);
        const QSize least = window_->minimumSize().expandedTo(window_->minimumSizeHint());
        const QSize most = window_->maximumSize();
        const Rect inside = PlaceInside(placement, {now.width(), now.height()}, m, PrimaryScreen(),
                                        {least.width(), least.height()}, {most.width(), most.height()});
        if (inside.width != now.width() || inside.height != now.height())
            window_->resize(inside.width, inside.height);
        MoveInside(window_, inside.left, inside.top);
        assumed_ = m;
        settled_ = Exposed(window_);
        applying_ = false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_) {
            switch (event->type()) {
                case QEvent::Show:
                    // Before the window's own show handling: a dialog placed here is not centred
                    // over its parent afterwards.
                    Watch();
                    Apply();
                    break;
                case QEvent::WinIdChange:
                    Watch();
                    break;
                case QEvent::Resize:
                    // The size a window gives itself while it is being shown (a message box's).
                    if (window_->isVisible() && !Exposed(window_)) Apply();
                    break;
                case QEvent::Move:
                    FrameTurnedOut();
                    break;
                default:
                    break;
            }
        } else if (watched == watched_ && event->type() == QEvent::Expose) {
            // Once the window has handled its exposure, so that a move does not come in the
            // middle of it.
            QMetaObject::invokeMethod(
                this, [this] { FrameTurnedOut(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    // The window manager has framed the window: placed again the first time, and whenever the
    // frame is not the one assumed (a move by the designer keeps the frame).
    void FrameTurnedOut() {
        if (!Exposed(window_)) return;
        if (!settled_ || PlatformMargins(window_) != assumed_) Apply();
    }
    void Watch() {
        QWindow* handle = window_->windowHandle();
        if (!handle || handle == watched_) return;
        handle->installEventFilter(this);
        watched_ = handle;
    }

    QWidget* window_;
    QPointer<QWindow> watched_;
    Margins assumed_;
    bool settled_ = false;  // placed since the window manager framed it
    bool applying_ = false;
};

// The caption's room: the title-bar font is the one Qt gives title bars (the message box
// measures its caption with it), in bold and at least kTitlePoints, as the usual desktops draw
// captions; beside the text the window manager puts its controls, allowed for as kTitleControls
// squares of the title bar's height (menu or icon, minimise, maximise, close), the bar being the
// font's height and kTitleBarPadding.
constexpr double kTitlePoints = 10;
constexpr int kTitleControls = 4;
constexpr int kTitleBarPadding = 8;

// Keeps a window at least as wide as its caption needs, through every caption it is given: as
// a strut in its layout where the layout stacks its items (so the layout's own minimum still
// counts), else as the window's minimum width.
class CaptionKeeper : public QObject {
public:
    explicit CaptionKeeper(QWidget* window) : QObject(window), window_(window) {
        window->installEventFilter(this);
        Update();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::FontChange) Update();
        return false;
    }

private:
    void Update() {
        const int need = CaptionWidth(window_);
        QLayout* layout = window_->layout();
        auto* box = qobject_cast<QBoxLayout*>(layout);
        const bool across = box && (box->direction() == QBoxLayout::LeftToRight ||
                                    box->direction() == QBoxLayout::RightToLeft);
        if (layout && !across && !qobject_cast<QStackedLayout*>(layout)) {
            if (!strut_) {
                strut_ = new QSpacerItem(need, 0, QSizePolicy::Minimum, QSizePolicy::Minimum);
                if (auto* grid = qobject_cast<QGridLayout*>(layout))
                    grid->addItem(strut_, grid->rowCount(), 0, 1, std::max(1, grid->columnCount()));
                else
                    layout->addItem(strut_);
            } else {
                strut_->changeSize(need, 0, QSizePolicy::Minimum, QSizePolicy::Minimum);
            }
            layout->invalidate();
        } else {
            const int least = std::max(need, window_->minimumSizeHint().width());
            if (window_->minimumWidth() < least) window_->setMinimumWidth(least);
            if (window_->maximumWidth() < least) window_->setMaximumWidth(least);
        }
    }

    QWidget* window_;
    QSpacerItem* strut_ = nullptr;  // owned by the layout
};

template <typename T>
T* ChildOf(QWidget* window) {
    for (QObject* child : window->children())
        if (auto* found = dynamic_cast<T*>(child)) return found;
    return nullptr;
}

}  // namespace

ScreenArea PrimaryScreen() {
    if (gScreenOverride) return *gScreenOverride;
    const QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return {};
    return {FromQRect(s->geometry()), FromQRect(s->availableGeometry())};
}

Rect AvailableRect() { return PrimaryScreen().available; }

void OverrideScreen(const ScreenArea* screen) {
    if (screen)
        gScreenOverride = *screen;
    else
        gScreenOverride.reset();
}

Margins FrameMargins(const QWidget* window) { return window ? AssumedMargins(window) : Margins{}; }

Rect WindowRect(const QWidget* window) {
    if (!window) return {};
    const Margins m = AssumedMargins(window);
    const QSize inside = InsideSize(window);
    const QPoint at = window->geometry().topLeft();
    return {at.x() - m.left, at.y() - m.top, inside.width() + m.left + m.right,
            inside.height() + m.top + m.bottom};
}

void PlaceWindow(QWidget* window, FramePlacement placement) {
    if (!window) return;
    auto* placer = ChildOf<FramePlacer>(window);
    if (!placer) placer = new FramePlacer(window);
    placer->placement = std::move(placement);
    placer->Apply();
}

int CaptionWidth(const QWidget* window) {
    if (!window) return 0;
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    if (font.pointSizeF() > 0 && font.pointSizeF() < kTitlePoints) font.setPointSizeF(kTitlePoints);
    const QFontMetrics fm(font);
    return fm.horizontalAdvance(window->windowTitle()) + kTitleControls * (fm.height() + kTitleBarPadding);
}

void KeepCaptionWhole(QWidget* window) {
    if (window && !ChildOf<CaptionKeeper>(window)) new CaptionKeeper(window);
}

}  // namespace tolvi::platform
