#include "platform/qt/QtScheduler.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

namespace zephyra::platform {

namespace {

class QtTimer final : public Timer {
  public:
    explicit QtTimer(std::function<void()> handler) {
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
    }
    void setInterval(int milliseconds) override {
        interval_ = milliseconds > 0 ? milliseconds : 0;
        if (interval_ > 0) {
            timer_.start(interval_);
        } else {
            timer_.stop();
        }
    }
    int interval() const override { return interval_; }

  private:
    QTimer timer_;
    int interval_ = 0;
    bool inHandler_ = false;
    bool* alive_ = nullptr;  // cleared when the timer is destroyed inside its own handler
};

}  // namespace

QtScheduler::QtScheduler() {
    clock_.start();
}

double QtScheduler::now() const {
    return static_cast<double>(clock_.elapsed()) / 1000.0;
}

double QtScheduler::wallClock() const {
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

std::unique_ptr<Timer> QtScheduler::createTimer(std::function<void()> handler) {
    return std::make_unique<QtTimer>(std::move(handler));
}

void QtScheduler::wait(int milliseconds) {
    if (milliseconds <= 0) {
        processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void QtScheduler::processEvents() {
    QCoreApplication::processEvents();
}

}  // namespace zephyra::platform
