#pragma once

#include <functional>
#include <memory>

namespace zephyra::platform {

class Scheduler;

// A repeating timer in the manner of a window timer: it runs while its interval is above 0
// and calls its handler once per interval. Setting the interval restarts the count.
class Timer {
  public:
    virtual ~Timer() = default;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    bool running() const { return interval() > 0; }
};

// The one source of time for the program: the clock, timers, blocking waits and the
// "let the window process its events" step. The application runs on Qt's event loop;
// tests and the headless tool run on VirtualScheduler, where time is simulated.
class Scheduler {
  public:
    virtual ~Scheduler() = default;

    // Seconds since an arbitrary epoch of this scheduler.
    virtual double now() const = 0;
    // Wall-clock date and time as seconds since the Unix epoch (for the clock labels and
    // for stamping records); virtual schedulers advance it together with now().
    virtual double wallClock() const = 0;

    virtual std::unique_ptr<Timer> createTimer(std::function<void()> handler) = 0;

    // Wait for the given time; timers that fall due meanwhile may run (the window stays live).
    virtual void wait(int milliseconds) = 0;
    // Let pending events and due timers run, then return.
    virtual void processEvents() = 0;
};

}  // namespace zephyra::platform
