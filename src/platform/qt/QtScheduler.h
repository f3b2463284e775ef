#pragma once

#include <QElapsedTimer>

#include "platform/Scheduler.h"

namespace zephyra::platform {

// Scheduler on Qt's event loop: timers are QTimers, a wait spins a local event loop so the
// windows stay live while a long operation waits.
class QtScheduler final : public Scheduler {
  public:
    QtScheduler();
    double now() const override;
    double wallClock() const override;
    std::unique_ptr<Timer> createTimer(std::function<void()> handler) override;
    void wait(int milliseconds) override;
    void processEvents() override;

  private:
    QElapsedTimer clock_;
};

}  // namespace zephyra::platform
