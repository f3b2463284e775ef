#include "shell/PictureButton.h"

#include <QMouseEvent>
#include <QPainter>

namespace zephyra::shell {

void setPressedBorder(QFrame& picture, bool pressed) {
    picture.setFrameStyle(pressed ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
    picture.setLineWidth(1);
}

PictureButton::PictureButton(const QString& objectName, const QIcon& icon, const QString& caption,
                             QWidget* parent)
    : QFrame(parent), icon_(icon), caption_(caption) {
    setObjectName(objectName);
    setMouseTracking(true);
    setFrameStyle(QFrame::NoFrame);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(caption);
}

void PictureButton::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect r = rect().adjusted(1, 1, -1, -1);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    const bool on = isEnabled();
    g.setColorAt(0, hover_ && on ? QColor(236, 243, 252) : QColor(246, 247, 249));
    g.setColorAt(1, hover_ && on ? QColor(204, 220, 240) : QColor(222, 226, 232));
    p.setPen(QColor(170, 178, 190));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);

    if (icon_.isNull()) {
        // A text-only button.
        p.setPen(on ? QColor(30, 40, 60) : QColor(150, 150, 150));
        QFont f = font();
        f.setBold(true);
        p.setFont(f);
        p.drawText(rect(), Qt::AlignCenter, caption_);
        p.end();
        QFrame::paintEvent(event);
        return;
    }
    const bool hasCaption = !caption_.isEmpty();
    const int iconSize = std::min(hasCaption ? height() - 18 : height() - 8, width() - 8);
    const QIcon::Mode mode = on ? QIcon::Normal : QIcon::Disabled;
    const QPixmap pm = icon_.pixmap(QSize(iconSize, iconSize), devicePixelRatioF(), mode);
    const int x = (width() - iconSize) / 2;
    const int y = hasCaption ? 3 : (height() - iconSize) / 2;
    p.drawPixmap(QRect(x, y, iconSize, iconSize), pm);
    if (hasCaption) {
        QFont f = font();
        f.setPointSizeF(7.0);
        p.setFont(f);
        p.setPen(on ? QColor(30, 40, 60) : QColor(150, 150, 150));
        p.drawText(QRect(0, height() - 15, width(), 13), Qt::AlignCenter, caption_);
    }
    p.end();
    QFrame::paintEvent(event);
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
    setPressedBorder(*this, true);
    event->accept();
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
    setPressedBorder(*this, false);
    event->accept();
    emit released(event->button());
}

void PictureButton::enterEvent(QEnterEvent* event) {
    hover_ = true;
    update();
    QFrame::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QFrame::leaveEvent(event);
}

}  // namespace zephyra::shell
