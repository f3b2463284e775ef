// Writes Zephyra's application icon twice from one description: zephyra.svg (scalable) and
// zephyra.png (256 px), for the desktop's icon theme.
#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cstdio>
#include <fstream>
#include <string>
#include <variant>
#include <vector>

namespace {

constexpr int kSize = 256;

struct Circle {
    double cx, cy, r;
};
struct RoundRect {
    double x, y, w, h, r;
};
struct Polygon {
    std::vector<QPointF> points;
};
using Shape = std::variant<Circle, RoundRect, Polygon>;

struct Part {
    Shape shape;
    const char* colour;  // "#rrggbb"; empty for the sky gradient
};

constexpr const char* kSkyTop = "#5aa0e6";
constexpr const char* kSkyBottom = "#1d4f8f";

// A sky tile, a cloud and a weather vane's arrow blowing over it.
std::vector<Part> icon() {
    const char* cloud = "#ffffff";
    const char* vane = "#f2b705";
    return {
        {RoundRect{8, 8, 240, 240, 48}, ""},
        {Circle{98, 156, 40}, cloud},
        {Circle{148, 134, 52}, cloud},
        {Circle{194, 162, 34}, cloud},
        {RoundRect{58, 156, 170, 48, 24}, cloud},
        {Polygon{{{52, 62}, {168, 62}, {168, 44}, {218, 72}, {168, 100}, {168, 82}, {52, 82}}},
         vane},
        {Polygon{{{30, 40}, {58, 40}, {82, 72}, {58, 104}, {30, 104}, {54, 72}}}, vane},
    };
}

std::string svgNumber(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

std::string svg(const std::vector<Part>& parts) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
        "viewBox=\"0 0 256 256\">\n"
        "  <defs>\n"
        "    <linearGradient id=\"sky\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
        "      <stop offset=\"0\" stop-color=\"" +
        std::string(kSkyTop) +
        "\"/>\n"
        "      <stop offset=\"1\" stop-color=\"" +
        std::string(kSkyBottom) +
        "\"/>\n"
        "    </linearGradient>\n"
        "  </defs>\n";
    for (const auto& part : parts) {
        const std::string fill = *part.colour ? std::string(part.colour) : std::string("url(#sky)");
        if (const auto* c = std::get_if<Circle>(&part.shape)) {
            out += "  <circle cx=\"" + svgNumber(c->cx) + "\" cy=\"" + svgNumber(c->cy) +
                   "\" r=\"" + svgNumber(c->r) + "\" fill=\"" + fill + "\"/>\n";
        } else if (const auto* r = std::get_if<RoundRect>(&part.shape)) {
            out += "  <rect x=\"" + svgNumber(r->x) + "\" y=\"" + svgNumber(r->y) + "\" width=\"" +
                   svgNumber(r->w) + "\" height=\"" + svgNumber(r->h) + "\" rx=\"" +
                   svgNumber(r->r) + "\" fill=\"" + fill + "\"/>\n";
        } else if (const auto* p = std::get_if<Polygon>(&part.shape)) {
            std::string points;
            for (const auto& point : p->points) {
                points +=
                    (points.empty() ? "" : " ") + svgNumber(point.x()) + "," + svgNumber(point.y());
            }
            out += "  <polygon points=\"" + points + "\" fill=\"" + fill + "\"/>\n";
        }
    }
    return out + "</svg>\n";
}

QImage png(const std::vector<Part>& parts) {
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (const auto& part : parts) {
        if (*part.colour) {
            painter.setBrush(QColor(QString::fromLatin1(part.colour)));
        } else {
            QLinearGradient sky(0, 8, 0, 248);
            sky.setColorAt(0, QColor(QString::fromLatin1(kSkyTop)));
            sky.setColorAt(1, QColor(QString::fromLatin1(kSkyBottom)));
            painter.setBrush(sky);
        }
        if (const auto* c = std::get_if<Circle>(&part.shape)) {
            painter.drawEllipse(QPointF(c->cx, c->cy), c->r, c->r);
        } else if (const auto* r = std::get_if<RoundRect>(&part.shape)) {
            painter.drawRoundedRect(QRectF(r->x, r->y, r->w, r->h), r->r, r->r);
        } else if (const auto* p = std::get_if<Polygon>(&part.shape)) {
            painter.drawPolygon(QPolygonF(QList<QPointF>(p->points.begin(), p->points.end())));
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zephyra-icon FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const auto parts = icon();
    std::ofstream out(folder + "/zephyra.svg");
    if (!(out << svg(parts))) {
        std::fprintf(stderr, "zephyra-icon: cannot write %s/zephyra.svg\n", folder.c_str());
        return 1;
    }
    if (!png(parts).save(QString::fromStdString(folder + "/zephyra.png"), "PNG")) {
        std::fprintf(stderr, "zephyra-icon: cannot write %s/zephyra.png\n", folder.c_str());
        return 1;
    }
    return 0;
}
