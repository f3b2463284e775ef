#include "shell/Icons.h"

#include <QPainter>
#include <QPainterPath>

namespace zephyra::shell {

namespace {

const QColor kInk(40, 52, 74);
const QColor kSky(66, 133, 214);
const QColor kCloud(250, 251, 253);
const QColor kGreen(46, 160, 90);
const QColor kRed(210, 64, 56);
const QColor kAmber(232, 160, 40);

QPainterPath cloudPath(QRectF r) {
    QPainterPath p;
    const double w = r.width();
    const double h = r.height();
    p.addEllipse(QRectF(r.left() + w * 0.05, r.top() + h * 0.42, w * 0.38, h * 0.5));
    p.addEllipse(QRectF(r.left() + w * 0.25, r.top() + h * 0.12, w * 0.45, h * 0.62));
    p.addEllipse(QRectF(r.left() + w * 0.52, r.top() + h * 0.34, w * 0.42, h * 0.56));
    p.addRoundedRect(QRectF(r.left() + w * 0.2, r.top() + h * 0.6, w * 0.6, h * 0.32), 4, 4);
    return p.simplified();
}

void drawCloud(QPainter& p, QRectF r) {
    p.setPen(QPen(kInk, 2.5));
    p.setBrush(kCloud);
    p.drawPath(cloudPath(r));
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& c, double width = 5) {
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const double len = std::hypot(d.x(), d.y());
    if (len <= 0) {
        return;
    }
    const QPointF u = d / len;
    const QPointF n(-u.y(), u.x());
    QPolygonF head;
    head << to + u * 4 << to - u * 10 + n * 9 << to - u * 10 - n * 9;
    p.setBrush(c);
    p.setPen(QPen(c, 1));
    p.drawPolygon(head);
}

void badge(QPainter& p, QPointF centre, const QColor& c, const QString& text) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(centre, 13, 13);
    QFont f;
    f.setBold(true);
    f.setPixelSize(text.size() > 1 ? 12 : 20);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(centre.x() - 13, centre.y() - 13, 26, 26), Qt::AlignCenter, text);
}

void paint(QPainter& p, IconKind kind) {
    switch (kind) {
        case IconKind::LoadWeather:
            drawCloud(p, QRectF(4, 6, 56, 40));
            arrow(p, QPointF(32, 30), QPointF(32, 58), kSky);
            break;
        case IconKind::UpdateWeather: {
            drawCloud(p, QRectF(4, 4, 56, 40));
            p.setPen(QPen(kGreen, 5, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(20, 34, 26, 26), 30 * 16, 280 * 16);
            badge(p, QPointF(47, 49), kGreen, QStringLiteral("↻"));
            break;
        }
        case IconKind::LastWeather:
            drawCloud(p, QRectF(4, 4, 56, 40));
            badge(p, QPointF(46, 47), kAmber, QStringLiteral("↺"));
            break;
        case IconKind::Settings: {
            p.setPen(QPen(kInk, 2));
            p.setBrush(QColor(150, 162, 180));
            QPainterPath gear;
            for (int i = 0; i < 8; ++i) {
                QTransform t;
                t.translate(32, 32);
                t.rotate(i * 45.0);
                gear.addPolygon(t.map(QPolygonF(QRectF(-5, -28, 10, 14))));
            }
            gear.addEllipse(QPointF(32, 32), 19, 19);
            p.drawPath(gear.simplified());
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(32, 32), 8, 8);
            break;
        }
        case IconKind::WorldReport:
            p.setPen(QPen(kInk, 2.5));
            p.setBrush(QColor(120, 180, 235));
            p.drawEllipse(QPointF(32, 32), 27, 27);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(19, 5, 26, 54));
            p.drawLine(QPointF(5, 32), QPointF(59, 32));
            p.drawLine(QPointF(32, 5), QPointF(32, 59));
            p.drawArc(QRectF(8, 12, 48, 14), 0, 180 * 16);
            p.drawArc(QRectF(8, 38, 48, 14), 180 * 16, 180 * 16);
            break;
        case IconKind::StationReport:
            p.setPen(QPen(kInk, 2.5));
            p.setBrush(Qt::white);
            p.drawRoundedRect(QRectF(12, 4, 40, 56), 4, 4);
            p.setPen(QPen(QColor(120, 130, 150), 3));
            for (int y = 16; y <= 46; y += 10) {
                p.drawLine(QPointF(19, y), QPointF(45, y));
            }
            drawCloud(p, QRectF(30, 36, 30, 22));
            break;
        case IconKind::Help:
            p.setPen(Qt::NoPen);
            p.setBrush(kSky);
            p.drawEllipse(QPointF(32, 32), 27, 27);
            {
                QFont f;
                f.setBold(true);
                f.setPixelSize(40);
                p.setFont(f);
                p.setPen(Qt::white);
                p.drawText(QRectF(0, 0, 64, 64), Qt::AlignCenter, QStringLiteral("?"));
            }
            break;
        case IconKind::QuickLink:
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(kSky, 7, Qt::SolidLine, Qt::RoundCap));
            p.drawRoundedRect(QRectF(6, 22, 30, 20), 10, 10);
            p.setPen(QPen(kInk, 7, Qt::SolidLine, Qt::RoundCap));
            p.drawRoundedRect(QRectF(28, 22, 30, 20), 10, 10);
            break;
        case IconKind::Builder:
            drawCloud(p, QRectF(2, 8, 50, 36));
            p.setPen(QPen(kInk, 2));
            p.setBrush(kAmber);
            {
                QTransform t;
                t.translate(44, 44);
                t.rotate(45);
                p.drawPolygon(t.map(QPolygonF(QRectF(-5, -20, 10, 30))));
            }
            break;
        case IconKind::Exit:
            p.setPen(QPen(kRed, 6, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(10, 12, 44, 44), 120 * 16, 300 * 16);
            p.drawLine(QPointF(32, 6), QPointF(32, 32));
            break;
        case IconKind::Panel:
            p.setPen(QPen(kInk, 2.5));
            p.setBrush(QColor(30, 40, 56));
            p.drawRoundedRect(QRectF(4, 10, 56, 44), 5, 5);
            p.setPen(QPen(QColor(120, 230, 140), 3));
            p.drawLine(QPointF(12, 22), QPointF(40, 22));
            p.drawLine(QPointF(12, 32), QPointF(48, 32));
            p.drawLine(QPointF(12, 42), QPointF(34, 42));
            break;
        case IconKind::LoadPlan:
            p.setPen(QPen(kInk, 2.5));
            p.setBrush(QColor(244, 196, 80));
            p.drawRoundedRect(QRectF(4, 14, 56, 42), 4, 4);
            p.setBrush(QColor(252, 216, 120));
            p.drawRoundedRect(QRectF(4, 8, 24, 10), 3, 3);
            p.drawRoundedRect(QRectF(4, 22, 56, 34), 4, 4);
            break;
        case IconKind::SavePlan:
            p.setPen(QPen(kInk, 2.5));
            p.setBrush(kSky);
            p.drawRoundedRect(QRectF(6, 6, 52, 52), 5, 5);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(16, 6, 32, 18));
            p.setBrush(QColor(230, 235, 242));
            p.drawRect(QRectF(14, 34, 36, 24));
            break;
        case IconKind::Send: {
            QPolygonF plane;
            plane << QPointF(4, 30) << QPointF(60, 6) << QPointF(36, 58) << QPointF(28, 38);
            p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(QColor(120, 190, 250));
            p.drawPolygon(plane);
            p.drawLine(QPointF(28, 38), QPointF(60, 6));
            break;
        }
        case IconKind::Find:
            p.setPen(QPen(kInk, 6, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(QColor(220, 236, 250));
            p.drawEllipse(QPointF(26, 26), 17, 17);
            p.drawLine(QPointF(39, 39), QPointF(57, 57));
            break;
        case IconKind::Next:
            arrow(p, QPointF(8, 32), QPointF(52, 32), kSky, 8);
            break;
        case IconKind::Add:
            p.setPen(Qt::NoPen);
            p.setBrush(kGreen);
            p.drawEllipse(QPointF(32, 32), 26, 26);
            p.setPen(QPen(Qt::white, 8, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(32, 18), QPointF(32, 46));
            p.drawLine(QPointF(18, 32), QPointF(46, 32));
            break;
        case IconKind::Insert:
            p.setPen(QPen(QColor(120, 130, 150), 5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(30, 14), QPointF(58, 14));
            p.drawLine(QPointF(30, 50), QPointF(58, 50));
            arrow(p, QPointF(4, 32), QPointF(50, 32), kGreen, 7);
            break;
        case IconKind::Delete:
            p.setPen(Qt::NoPen);
            p.setBrush(kRed);
            p.drawEllipse(QPointF(32, 32), 26, 26);
            p.setPen(QPen(Qt::white, 8, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(18, 32), QPointF(46, 32));
            break;
        case IconKind::Clear:
            p.setPen(QPen(kRed, 8, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(14, 14), QPointF(50, 50));
            p.drawLine(QPointF(50, 14), QPointF(14, 50));
            break;
        case IconKind::AutoPlan:
            p.setPen(QPen(kInk, 3, Qt::DashLine, Qt::RoundCap));
            p.drawLine(QPointF(10, 54), QPointF(30, 26));
            p.drawLine(QPointF(30, 26), QPointF(54, 12));
            p.setPen(QPen(kInk, 2));
            p.setBrush(kGreen);
            p.drawEllipse(QPointF(10, 54), 6, 6);
            p.setBrush(kAmber);
            p.drawEllipse(QPointF(30, 26), 6, 6);
            p.setBrush(kRed);
            p.drawEllipse(QPointF(54, 12), 6, 6);
            break;
        case IconKind::Toggle:
            p.setPen(QPen(kInk, 2));
            p.setBrush(QColor(200, 206, 216));
            p.drawRoundedRect(QRectF(4, 18, 56, 28), 14, 14);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(44, 32), 11, 11);
            break;
    }
}

}  // namespace

QIcon makeIcon(IconKind kind) {
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p, kind);
    p.end();
    return QIcon(pm);
}

QPixmap switchPixmap(bool on, int width, int height) {
    QPixmap pm(width * 2, height * 2);
    pm.setDevicePixelRatio(2.0);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1, 1, width - 2, height - 2);
    p.setPen(QPen(kInk, 1));
    p.setBrush(on ? kGreen : QColor(190, 196, 206));
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    p.setBrush(Qt::white);
    const double d = r.height() - 4;
    p.drawEllipse(QRectF(on ? r.right() - d - 2 : r.left() + 2, r.top() + 2, d, d));
    p.end();
    return pm;
}

}  // namespace zephyra::shell
