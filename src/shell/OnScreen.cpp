#include "shell/OnScreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "shell/WindowPlacement.h"

namespace zephyra::shell {

void placeOnScreen(QWidget& window, const QWidget& anchor) {
    const QScreen* screen =
        anchor.screen() != nullptr ? anchor.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // The window is not framed yet: it gets the frame the anchor has.
    const QSize frame =
        anchor.isVisible() ? anchor.frameGeometry().size() - anchor.size() : QSize();
    const QRect area = screen->availableGeometry();
    const QRect over = anchor.isVisible() ? anchor.frameGeometry() : area;
    // A window without a size of its own opens at its layout's.
    const QSize own = window.testAttribute(Qt::WA_Resized) ? window.size() : window.sizeHint();
    const QSize wanted = own.expandedTo(window.minimumSizeHint()) + frame;
    const ScreenRect at = placeOver({area.x(), area.y(), area.width(), area.height()},
                                    {over.x(), over.y(), over.width(), over.height()},
                                    wanted.width(), wanted.height());
    // Never smaller than its controls need: then it starts at the area's edge.
    const QSize size =
        QSize(at.width, at.height).expandedTo(window.minimumSizeHint() + frame) - frame;
    window.resize(size);
    window.move(std::max(area.x(), at.x - std::max(0, size.width() + frame.width() - at.width)),
                std::max(area.y(), at.y - std::max(0, size.height() + frame.height() - at.height)));
}

}  // namespace zephyra::shell
