#pragma once

#include <QElapsedTimer>
#include <vector>

#include "platform/Scheduler.h"

namespace zephyra::platform {

// Scheduler on Qt's event loop: timers are QTimers, a wait spins a local event loop so the
// windows stay live while a long operation waits.
//
// The rate runs the clock, every timer and every wait that many times faster than real time
// (time acceleration for the built-in aircraft); it may change at any moment, and the clock
// goes on from where it was.
class QtScheduler final : public Scheduler {
  public:
    static constexpr double kMaxRate = 16.0;

    QtScheduler();
    ~QtScheduler() override;
    QtScheduler(const QtScheduler&) = delete;
    QtScheduler& operator=(const QtScheduler&) = delete;

    double now() const override;
    double wallClock() const override;
    std::unique_ptr<Timer> createTimer(std::function<void()> handler) override;
    void wait(int milliseconds) override;
    void processEvents() override;

    // 1 to kMaxRate; other values are brought into that range.
    void setRate(double rate);
    double rate() const { return rate_; }
    // Real milliseconds for a scheduler interval at the current rate (at least 1).
    int realMs(int milliseconds) const;

  private:
    friend class QtTimer;
    QElapsedTimer clock_;
    double rate_ = 1.0;
    double base_ = 0.0;      // scheduler seconds at the last rate change
    double baseReal_ = 0.0;  // real seconds then
    std::vector<class QtTimer*> timers_;
};

}  // namespace zephyra::platform
