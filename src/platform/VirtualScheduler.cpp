#include "platform/VirtualScheduler.h"

#include <algorithm>
#include <cmath>

namespace zephyra::platform {

class VirtualScheduler::VirtualTimer final : public Timer {
  public:
    VirtualTimer(VirtualScheduler* owner, std::function<void()> handler)
        : owner_(owner), handler_(std::move(handler)) {}
    ~VirtualTimer() override {
        if (alive_ != nullptr) {
            *alive_ = false;
        }
        if (owner_ != nullptr) {
            owner_->unregister(this);
        }
    }

    void setInterval(int milliseconds) override {
        interval_ = std::max(0, milliseconds);
        if (owner_ != nullptr) {
            owner_->reschedule(this);
        }
    }
    int interval() const override { return interval_; }

    VirtualScheduler* owner_;
    std::function<void()> handler_;
    int interval_ = 0;
    bool inHandler_ = false;
    bool* alive_ = nullptr;  // cleared when the timer is destroyed inside its own handler
    std::pair<std::int64_t, std::uint64_t> key_{-1, 0};
};

VirtualScheduler::VirtualScheduler(double wallClockStart) : wallStart_(wallClockStart) {}

VirtualScheduler::~VirtualScheduler() {
    for (auto* t : timers_) {
        t->owner_ = nullptr;
    }
}

std::unique_ptr<Timer> VirtualScheduler::createTimer(std::function<void()> handler) {
    auto timer = std::make_unique<VirtualTimer>(this, std::move(handler));
    timers_.push_back(timer.get());
    return timer;
}

void VirtualScheduler::reschedule(VirtualTimer* timer) {
    if (timer->key_.first >= 0) {
        queue_.erase(timer->key_);
        timer->key_ = {-1, 0};
    }
    if (timer->interval_ > 0) {
        timer->key_ = {nowMs_ + timer->interval_, ++sequence_};
        queue_[timer->key_] = timer;
    }
}

void VirtualScheduler::unregister(VirtualTimer* timer) {
    if (timer->key_.first >= 0) {
        queue_.erase(timer->key_);
    }
    timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
}

void VirtualScheduler::advanceTo(std::int64_t targetMs) {
    while (!queue_.empty() && queue_.begin()->first.first <= targetMs) {
        auto it = queue_.begin();
        VirtualTimer* timer = it->second;
        nowMs_ = std::max(nowMs_, it->first.first);
        queue_.erase(it);
        timer->key_ = {-1, 0};
        // Re-arm before the handler runs, so a handler that waits (and so advances the
        // clock) sees its own next tick in the queue, as a live timer would.
        timer->key_ = {nowMs_ + timer->interval_, ++sequence_};
        queue_[timer->key_] = timer;
        // A timer never re-enters its own handler: a tick that falls due while the handler
        // still runs (it waits, say) is dropped, as with a window timer.
        if (timer->inHandler_) {
            continue;
        }
        // Copy: the handler may destroy or re-arm its own timer.
        auto handler = timer->handler_;
        timer->inHandler_ = true;
        bool alive = true;
        timer->alive_ = &alive;
        handler();
        if (alive) {
            timer->inHandler_ = false;
            timer->alive_ = nullptr;
        }
    }
    nowMs_ = std::max(nowMs_, targetMs);
}

void VirtualScheduler::wait(int milliseconds) {
    advanceTo(nowMs_ + std::max(0, milliseconds));
}

void VirtualScheduler::processEvents() {
    ++processEventsCalls_;
    advanceTo(nowMs_);
}

void VirtualScheduler::advance(double seconds) {
    advanceMs(static_cast<std::int64_t>(std::llround(seconds * 1000.0)));
}

void VirtualScheduler::advanceMs(std::int64_t milliseconds) {
    advanceTo(nowMs_ + std::max<std::int64_t>(0, milliseconds));
}

bool VirtualScheduler::runUntil(const std::function<bool()>& done, double maxSeconds) {
    const std::int64_t limit = nowMs_ + static_cast<std::int64_t>(std::llround(maxSeconds * 1000));
    while (!done()) {
        if (queue_.empty() || queue_.begin()->first.first > limit) {
            nowMs_ = std::max(nowMs_, limit);
            return done();
        }
        advanceTo(queue_.begin()->first.first);
    }
    return true;
}

}  // namespace zephyra::platform
