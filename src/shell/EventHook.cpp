#include "shell/EventHook.h"

namespace zephyra::shell {

EventHook::EventHook(QObject* target, QEvent::Type type, std::function<void()> action)
    : QObject(target), type_(type), action_(std::move(action)) {}

EventHook* EventHook::install(QObject* target, QEvent::Type type, std::function<void()> action) {
    auto* hook = new EventHook(target, type, std::move(action));
    target->installEventFilter(hook);
    return hook;
}

bool EventHook::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == type_) {
        action_();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zephyra::shell
