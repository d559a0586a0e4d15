#pragma once
#include <QTimer>

#include "platform/timer.h"

namespace tolvi::platform {

// A QTimer behind the timer interface. Like the old timer control, an interval of 0 never fires.
class QtTimer : public Timer {
public:
    QtTimer();
    void SetInterval(int ms) override;
    int Interval() const override { return interval_; }
    void SetEnabled(bool on) override;
    bool Enabled() const override { return enabled_; }

private:
    void Apply();
    QTimer timer_;
    int interval_ = 0;
    bool enabled_ = false;
};

TimerFactory QtTimerFactory();

}  // namespace tolvi::platform
