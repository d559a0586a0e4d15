#include "support/manual_timer.h"

#include <algorithm>

namespace tolvi::test {

namespace {
std::vector<ManualTimer*>& registry() {
    static std::vector<ManualTimer*> timers;
    return timers;
}
}  // namespace

ManualTimer::~ManualTimer() {
    auto& r = registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

bool ManualTimer::Tick() {
    if (!enabled_) return false;
    Fire();
    return true;
}

const std::vector<ManualTimer*>& manualTimers() { return registry(); }

platform::TimerFactory ManualTimerFactory() {
    return [] {
        auto t = std::make_unique<ManualTimer>();
        registry().push_back(t.get());
        return std::unique_ptr<platform::Timer>(std::move(t));
    };
}

void ResetManualTimers() { registry().clear(); }

}  // namespace tolvi::test
