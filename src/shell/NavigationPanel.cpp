#include "shell/NavigationPanel.h"

#include <QMouseEvent>

#include "shell/PictureButton.h"

namespace zephyra::shell {

PanelTitle::PanelTitle(QFrame& panel, QWidget* parent) : QLabel(parent), panel_(panel) {
    setCursor(Qt::SizeAllCursor);
}

void PanelTitle::mousePressEvent(QMouseEvent* event) {
    origin_ = event->position().toPoint();
    dragging_ = true;
    event->accept();
}

void PanelTitle::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        panel_.move(panel_.pos() + (event->position().toPoint() - origin_));
    }
    event->accept();
}

void PanelTitle::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    if (event->button() == Qt::RightButton) {
        panel_.hide();
    }
    event->accept();
}

NavigationPanel::NavigationPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Picture11"));
    setPressedBorder(*this, false);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(0xe8, 0xee, 0xf7));
    setPalette(p);
    setStyleSheet(
        "QFrame#Picture11 { background: #101822; }"
        "QFrame#Picture11 QLabel { color: #9df2b4; }"
        "QLabel#Label37 { background: #2a3b55; color: #ffffff; font-weight: bold; }");
    title_ = new PanelTitle(*this, this);
    title_->setObjectName(QStringLiteral("Label37"));
}

void NavigationPanel::showIn(QWidget* host) {
    if (host != nullptr && parentWidget() != host) {
        setParent(host);
        move(8, 8);
    }
    show();
    raise();
}

void NavigationPanel::mousePressEvent(QMouseEvent* event) {
    setPressedBorder(*this, true);
    event->accept();
}

}  // namespace zephyra::shell
