#include "platform/RealTimeScheduler.h"

#include <algorithm>
#include <thread>

namespace zephyra::platform {

class RealTimeScheduler::RealTimer final : public Timer {
  public:
    RealTimer(RealTimeScheduler* owner, std::function<void()> handler)
        : owner_(owner), handler_(std::move(handler)) {}
    ~RealTimer() override {
        if (alive_ != nullptr) {
            *alive_ = false;
        }
        if (owner_ != nullptr) {
            auto& list = owner_->timers_;
            list.erase(std::remove(list.begin(), list.end(), this), list.end());
        }
    }

    void setInterval(int milliseconds) override {
        interval_ = std::max(0, milliseconds);
        if (owner_ != nullptr) {
            rearm(owner_->elapsedMs());
        }
    }
    int interval() const override { return interval_; }

    void rearm(std::int64_t from) {
        due_ = interval_ > 0 ? from + interval_ : -1;
        order_ = ++owner_->sequence_;
    }

    RealTimeScheduler* owner_;
    std::function<void()> handler_;
    int interval_ = 0;
    std::int64_t due_ = -1;  // -1: stopped
    std::uint64_t order_ = 0;
    bool inHandler_ = false;
    bool* alive_ = nullptr;  // cleared when the timer is destroyed inside its own handler
};

RealTimeScheduler::RealTimeScheduler(double timeScale)
    : scale_(timeScale > 0.0 ? timeScale : 1.0),
      start_(std::chrono::steady_clock::now()),
      wallStart_(std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
                     .count()) {}

RealTimeScheduler::~RealTimeScheduler() {
    for (auto* t : timers_) {
        t->owner_ = nullptr;
    }
}

double RealTimeScheduler::now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count() *
           scale_;
}

std::int64_t RealTimeScheduler::elapsedMs() const {
    return static_cast<std::int64_t>(now() * 1000.0);
}

std::unique_ptr<Timer> RealTimeScheduler::createTimer(std::function<void()> handler) {
    auto timer = std::make_unique<RealTimer>(this, std::move(handler));
    timers_.push_back(timer.get());
    return timer;
}

std::optional<std::int64_t> RealTimeScheduler::nextDueMs() const {
    std::optional<std::int64_t> next;
    for (const auto* t : timers_) {
        if (t->due_ >= 0 && !t->inHandler_ && (!next || t->due_ < *next)) {
            next = t->due_;
        }
    }
    return next;
}

void RealTimeScheduler::sleepUntil(std::int64_t ms) const {
    for (std::int64_t left = ms - elapsedMs(); left > 0; left = ms - elapsedMs()) {
        std::this_thread::sleep_for(
            std::chrono::duration<double, std::milli>(static_cast<double>(left) / scale_));
    }
}

void RealTimeScheduler::runDue() {
    const std::int64_t now = elapsedMs();
    for (;;) {
        RealTimer* first = nullptr;
        for (auto* t : timers_) {
            if (t->due_ >= 0 && t->due_ <= now &&
                (first == nullptr ||
                 std::make_pair(t->due_, t->order_) < std::make_pair(first->due_, first->order_))) {
                first = t;
            }
        }
        if (first == nullptr) {
            return;
        }
        // Re-armed from now: it falls due again only after this round.
        first->rearm(now);
        if (first->inHandler_) {
            continue;  // its handler is waiting further up: the tick is dropped
        }
        // Copy: the handler may destroy or re-arm its own timer.
        auto handler = first->handler_;
        first->inHandler_ = true;
        bool alive = true;
        first->alive_ = &alive;
        handler();
        if (alive) {
            first->inHandler_ = false;
            first->alive_ = nullptr;
        }
    }
}

void RealTimeScheduler::wait(int milliseconds) {
    const std::int64_t deadline = elapsedMs() + std::max(0, milliseconds);
    for (;;) {
        runDue();
        if (elapsedMs() >= deadline) {
            return;
        }
        const auto due = nextDueMs();
        sleepUntil(due && *due < deadline ? *due : deadline);
    }
}

void RealTimeScheduler::processEvents() {
    runDue();
}

}  // namespace zephyra::platform
