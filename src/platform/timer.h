#pragma once
// Timers of the main window (mailbox tick, backup tick). The program uses QTimer behind this;
// tests use a manual timer that fires only while enabled.
#include <functional>
#include <memory>

namespace tolvi::platform {

class Timer {
public:
    virtual ~Timer() = default;
    virtual void SetInterval(int ms) = 0;
    virtual int Interval() const = 0;
    virtual void SetEnabled(bool on) = 0;
    virtual bool Enabled() const = 0;
    void SetHandler(std::function<void()> handler) { handler_ = std::move(handler); }

protected:
    void Fire() {
        if (handler_) handler_();
    }

private:
    std::function<void()> handler_;
};

using TimerFactory = std::function<std::unique_ptr<Timer>()>;
// Creates a timer through the installed factory (disabled, interval 0).
std::unique_ptr<Timer> CreateTimer();
void SetTimerFactory(TimerFactory factory);

}  // namespace tolvi::platform
