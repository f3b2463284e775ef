#include "shell/ElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace zephyra::shell {

bool ElidedLabel::elided() const {
    const int width = contentsRect().width();
    const QFontMetrics metrics = fontMetrics();
    const auto lines = text().split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (metrics.horizontalAdvance(line) > width) {
            return true;
        }
    }
    return false;
}

bool ElidedLabel::event(QEvent* event) {
    // A tip of its own only when something is hidden; otherwise the label's usual tip.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && elided()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

void ElidedLabel::paintEvent(QPaintEvent* event) {
    if (wordWrap() || textFormat() == Qt::RichText) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QFontMetrics metrics = fontMetrics();
    const auto lines = text().split(QLatin1Char('\n'));
    const int height = metrics.lineSpacing() * static_cast<int>(lines.size());
    int y = area.top();
    if (alignment() & Qt::AlignVCenter) {
        y += (area.height() - height) / 2;
    } else if (alignment() & Qt::AlignBottom) {
        y += area.height() - height;
    }
    for (const QString& line : lines) {
        const QRect row(area.left(), y, area.width(), metrics.lineSpacing());
        style()->drawItemText(
            &painter, row,
            static_cast<int>(alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter, palette(),
            isEnabled(), metrics.elidedText(line, Qt::ElideRight, area.width()), foregroundRole());
        y += metrics.lineSpacing();
    }
}

}  // namespace zephyra::shell
