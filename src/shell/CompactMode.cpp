#include "shell/CompactMode.h"

#include <QEvent>

namespace zephyra::shell {

CompactMode::CompactMode(QWidget& window) : QObject(&window), window_(window) {}

void CompactMode::watch(QWidget* control) {
    if (control != nullptr) {
        control->installEventFilter(this);
    }
}

double CompactMode::twipsPerPixel(const QWidget* widget) {
    const double dpi = widget->logicalDpiX() > 0 ? widget->logicalDpiX() : 96.0;
    return 1440.0 / dpi;
}

int CompactMode::widthTwips() const {
    return static_cast<int>(window_.width() * twipsPerPixel(&window_));
}
int CompactMode::heightTwips() const {
    return static_cast<int>(window_.height() * twipsPerPixel(&window_));
}

bool CompactMode::topmost() const {
    return window_.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void CompactMode::setSizeTwips(int width, int height) {
    const double tpp = twipsPerPixel(&window_);
    window_.resize(static_cast<int>(width / tpp), static_cast<int>(height / tpp));
}

void CompactMode::setNormalSize() {
    setSizeTwips(kNormalWidth, kNormalHeight);
}

void CompactMode::toggle() {
    const bool wasVisible = window_.isVisible();
    if (widthTwips() > kCompactThreshold) {
        setSizeTwips(kCompactWidth, kCompactHeight);
        window_.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    } else {
        setNormalSize();
        window_.setWindowFlag(Qt::WindowStaysOnTopHint, false);
    }
    // Changing the window flags hides a window; bring it back where it was.
    if (wasVisible) {
        window_.show();
    }
}

bool CompactMode::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        toggle();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zephyra::shell
