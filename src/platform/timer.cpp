#include "platform/timer.h"

namespace tolvi::platform {

namespace {
// Keeps its settings but never fires: enough for code that runs before an event loop exists.
class InertTimer : public Timer {
public:
    void SetInterval(int ms) override { interval_ = ms; }
    int Interval() const override { return interval_; }
    void SetEnabled(bool on) override { enabled_ = on; }
    bool Enabled() const override { return enabled_; }

private:
    int interval_ = 0;
    bool enabled_ = false;
};

TimerFactory& factory() {
    static TimerFactory f;
    return f;
}
}  // namespace

std::unique_ptr<Timer> CreateTimer() {
    if (factory()) {
        if (auto t = factory()()) return t;
    }
    return std::make_unique<InertTimer>();
}

void SetTimerFactory(TimerFactory f) { factory() = std::move(f); }

}  // namespace tolvi::platform
