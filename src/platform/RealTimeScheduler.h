#pragma once

#include <chrono>
#include <cstdint>

#include "platform/Scheduler.h"
#include "platform/VirtualScheduler.h"

namespace zephyra::platform {

// Real time without an event loop, for the headless tool flying a live simulator: the clock
// follows a steady clock, and a wait sleeps until the next timer falls due, runs it and sleeps
// on. A timer's handler that waits (a weather transition's one-second periods) keeps the
// other timers (the navigation tick) running, as a live window does.
//
// timeScale runs the clock that many times faster than real time (tests fly a minute in a
// fraction of a second); the program uses 1.
class RealTimeScheduler final : public Scheduler {
  public:
    explicit RealTimeScheduler(double timeScale = 1.0);

    double now() const override;
    double wallClock() const override { return wallStart_ + now(); }
    std::unique_ptr<Timer> createTimer(std::function<void()> handler) override;
    void wait(int milliseconds) override;
    void processEvents() override;

  private:
    std::int64_t elapsedMs() const;
    void sleepUntil(std::int64_t ms) const;
    // Runs every timer tick that fell due up to now.
    void catchUp();

    double scale_;
    std::chrono::steady_clock::time_point start_;
    double wallStart_;
    // The timers, on a virtual clock that is brought up to the real one at every wait.
    VirtualScheduler timers_;
};

}  // namespace zephyra::platform
