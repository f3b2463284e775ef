#include "platform/RealTimeScheduler.h"

#include <algorithm>
#include <thread>

namespace zephyra::platform {

RealTimeScheduler::RealTimeScheduler(double timeScale)
    : scale_(timeScale > 0.0 ? timeScale : 1.0),
      start_(std::chrono::steady_clock::now()),
      wallStart_(std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
                     .count()),
      timers_(0.0) {}

double RealTimeScheduler::now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count() *
           scale_;
}

std::int64_t RealTimeScheduler::elapsedMs() const {
    return static_cast<std::int64_t>(now() * 1000.0);
}

std::unique_ptr<Timer> RealTimeScheduler::createTimer(std::function<void()> handler) {
    return timers_.createTimer(std::move(handler));
}

void RealTimeScheduler::sleepUntil(std::int64_t ms) const {
    for (std::int64_t left = ms - elapsedMs(); left > 0; left = ms - elapsedMs()) {
        std::this_thread::sleep_for(
            std::chrono::duration<double, std::milli>(static_cast<double>(left) / scale_));
    }
}

void RealTimeScheduler::catchUp() {
    timers_.advanceMs(std::max<std::int64_t>(0, elapsedMs() - timers_.nowMs()));
}

void RealTimeScheduler::wait(int milliseconds) {
    const std::int64_t deadline = elapsedMs() + std::max(0, milliseconds);
    for (;;) {
        const auto due = timers_.nextDueMs();
        const bool timerFirst = due && *due <= deadline;
        sleepUntil(timerFirst ? *due : deadline);
        // A handler may wait in turn; the clock is past its due time when it returns.
        catchUp();
        if (!timerFirst) {
            return;
        }
    }
}

void RealTimeScheduler::processEvents() {
    catchUp();
}

}  // namespace zephyra::platform
