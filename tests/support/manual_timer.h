#pragma once
// A timer the test drives by hand: Tick() runs the handler only while the timer is enabled,
// as a real timer would only fire then. The factory keeps every live timer, in creation order,
// so a test can reach the timers a form created.
#include <vector>

#include "platform/timer.h"

namespace tolvi::test {

class ManualTimer : public platform::Timer {
public:
    ~ManualTimer() override;
    void SetInterval(int ms) override { interval_ = ms; }
    int Interval() const override { return interval_; }
    void SetEnabled(bool on) override { enabled_ = on; }
    bool Enabled() const override { return enabled_; }
    // Fires once when enabled; returns whether it did.
    bool Tick();

private:
    int interval_ = 0;
    bool enabled_ = false;
};

// Live timers made by the manual factory, oldest first.
const std::vector<ManualTimer*>& manualTimers();
platform::TimerFactory ManualTimerFactory();
// Forgets the record of created timers (the timers themselves stay with their owners).
void ResetManualTimers();

}  // namespace tolvi::test
