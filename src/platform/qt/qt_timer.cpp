#include "platform/qt/qt_timer.h"

namespace tolvi::platform {

QtTimer::QtTimer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Fire(); });
}

void QtTimer::SetInterval(int ms) {
    interval_ = ms < 0 ? 0 : ms;
    Apply();
}

void QtTimer::SetEnabled(bool on) {
    enabled_ = on;
    Apply();
}

void QtTimer::Apply() {
    // Setting the interval of a running timer restarts the count, as the old control did.
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
    else
        timer_.stop();
}

TimerFactory QtTimerFactory() {
    return [] { return std::unique_ptr<Timer>(std::make_unique<QtTimer>()); };
}

}  // namespace tolvi::platform
