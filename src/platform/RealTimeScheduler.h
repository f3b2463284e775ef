#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Scheduler.h"

namespace zephyra::platform {

// Real time without an event loop, for the headless tool flying a live simulator: the clock
// follows a steady clock, and a wait sleeps until the next timer falls due, runs it and sleeps
// on. A timer's handler that waits (a weather transition's one-second periods) keeps the
// other timers (the navigation tick) running, as a live window does. Like a window timer, a
// timer never re-enters its own handler, and ticks missed while the program was busy are not
// made up: the next one falls an interval after the late one.
//
// timeScale runs the clock that many times faster than real time (tests fly a minute in a
// fraction of a second); the program uses 1.
class RealTimeScheduler final : public Scheduler {
  public:
    explicit RealTimeScheduler(double timeScale = 1.0);
    ~RealTimeScheduler() override;
    RealTimeScheduler(const RealTimeScheduler&) = delete;
    RealTimeScheduler& operator=(const RealTimeScheduler&) = delete;

    double now() const override;
    double wallClock() const override { return wallStart_ + now(); }
    std::unique_ptr<Timer> createTimer(std::function<void()> handler) override;
    void wait(int milliseconds) override;
    void processEvents() override;

  private:
    class RealTimer;

    std::int64_t elapsedMs() const;
    std::optional<std::int64_t> nextDueMs() const;
    void sleepUntil(std::int64_t ms) const;
    // Runs, in time order, every timer that is due now, each at most once.
    void runDue();

    double scale_;
    std::chrono::steady_clock::time_point start_;
    double wallStart_;
    std::uint64_t sequence_ = 0;
    std::vector<RealTimer*> timers_;
};

}  // namespace zephyra::platform
