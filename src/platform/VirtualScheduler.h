#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/Scheduler.h"

namespace zephyra::platform {

// Simulated time: nothing happens until the owner advances the clock. Timers fire in time
// order; a wait advances the clock and runs the timers that fall due, as a live window would.
class VirtualScheduler final : public Scheduler {
  public:
    explicit VirtualScheduler(double wallClockStart = 1.0e9);
    ~VirtualScheduler() override;

    double now() const override { return static_cast<double>(nowMs_) / 1000.0; }
    double wallClock() const override { return wallStart_ + now(); }
    std::unique_ptr<Timer> createTimer(std::function<void()> handler) override;
    void wait(int milliseconds) override;
    void processEvents() override;

    // Advance the clock by the given time, running every timer tick that falls due.
    void advance(double seconds);
    void advanceMs(std::int64_t milliseconds);
    // Advance until the predicate holds or the time limit passes; returns the predicate.
    bool runUntil(const std::function<bool()>& done, double maxSeconds);

    // Number of processEvents() calls so far (lets tests see that long work yields).
    std::int64_t processEventsCalls() const { return processEventsCalls_; }
    std::int64_t nowMs() const { return nowMs_; }

  private:
    class VirtualTimer;
    friend class VirtualTimer;

    void advanceTo(std::int64_t targetMs);
    void reschedule(VirtualTimer* timer);
    void unregister(VirtualTimer* timer);

    std::int64_t nowMs_ = 0;
    double wallStart_;
    std::int64_t processEventsCalls_ = 0;
    std::uint64_t sequence_ = 0;
    // Due time and creation order → timer; one entry per running timer.
    std::map<std::pair<std::int64_t, std::uint64_t>, VirtualTimer*> queue_;
    std::vector<VirtualTimer*> timers_;
};

}  // namespace zephyra::platform
