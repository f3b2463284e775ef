#pragma once

#include <QEvent>
#include <QObject>
#include <functional>

namespace zephyra::shell {

// Runs an action when one object receives an event of one type. The event goes on to the
// object as usual; nothing is decided by the object's name.
class EventHook : public QObject {
    Q_OBJECT
  public:
    static EventHook* install(QObject* target, QEvent::Type type, std::function<void()> action);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    EventHook(QObject* target, QEvent::Type type, std::function<void()> action);
    QEvent::Type type_;
    std::function<void()> action_;
};

}  // namespace zephyra::shell
