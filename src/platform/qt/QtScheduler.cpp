#include "platform/qt/QtScheduler.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace zephyra::platform {

class QtTimer final : public Timer {
  public:
    QtTimer(QtScheduler* owner, std::function<void()> handler) : owner_(owner) {
        timer_.setTimerType(Qt::PreciseTimer);
        // A timer never re-enters its own handler (a handler that waits lets the event loop
        // run); a tick that falls due meanwhile is dropped.
        QObject::connect(&timer_, &QTimer::timeout, [this, h = std::move(handler)] {
            if (inHandler_) {
                return;
            }
            inHandler_ = true;
            bool alive = true;
            alive_ = &alive;
            auto call = h;  // the connection may go with the timer while this runs
            call();
            if (alive) {
                inHandler_ = false;
                alive_ = nullptr;
            }
        });
    }
    ~QtTimer() override {
        if (alive_ != nullptr) {
            *alive_ = false;
        }
        if (owner_ != nullptr) {
            auto& list = owner_->timers_;
            list.erase(std::remove(list.begin(), list.end(), this), list.end());
        }
    }
    void setInterval(int milliseconds) override {
        interval_ = milliseconds > 0 ? milliseconds : 0;
        restart();
    }
    int interval() const override { return interval_; }
    // Runs the timer again at the scheduler's current rate.
    void restart() {
        if (interval_ > 0) {
            timer_.start(owner_ != nullptr ? owner_->realMs(interval_) : interval_);
        } else {
            timer_.stop();
        }
    }

    QtScheduler* owner_;

  private:
    QTimer timer_;
    int interval_ = 0;
    bool inHandler_ = false;
    bool* alive_ = nullptr;  // cleared when the timer is destroyed inside its own handler
};

QtScheduler::QtScheduler() {
    clock_.start();
}

QtScheduler::~QtScheduler() {
    for (auto* t : timers_) {
        t->owner_ = nullptr;
    }
}

double QtScheduler::now() const {
    const double real = static_cast<double>(clock_.elapsed()) / 1000.0;
    return base_ + (real - baseReal_) * rate_;
}

void QtScheduler::setRate(double rate) {
    const double r = std::isfinite(rate) ? std::clamp(rate, 1.0, kMaxRate) : 1.0;
    if (r == rate_) {
        return;
    }
    base_ = now();
    baseReal_ = static_cast<double>(clock_.elapsed()) / 1000.0;
    rate_ = r;
    for (auto* t : timers_) {
        t->restart();
    }
}

int QtScheduler::realMs(int milliseconds) const {
    return std::max(1, static_cast<int>(std::lround(milliseconds / rate_)));
}

double QtScheduler::wallClock() const {
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

std::unique_ptr<Timer> QtScheduler::createTimer(std::function<void()> handler) {
    auto timer = std::make_unique<QtTimer>(this, std::move(handler));
    timers_.push_back(timer.get());
    return timer;
}

void QtScheduler::wait(int milliseconds) {
    if (milliseconds <= 0) {
        processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(realMs(milliseconds), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void QtScheduler::processEvents() {
    QCoreApplication::processEvents();
}

}  // namespace zephyra::platform
