#include "content/gen/art.h"

#include "archive/error.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace hc::content {

namespace {
QString g_family;
constexpr double kPi = std::numbers::pi;
} // namespace

void loadFonts() {
    if (!g_family.isEmpty()) {
        return;
    }
    const char* files[] = {"/usr/share/fonts/opentype/comic-neue/ComicNeue-Bold.otf",
                           "/usr/share/fonts/opentype/comic-neue/ComicNeue-Regular.otf"};
    for (const char* file : files) {
        const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(file));
        if (id < 0) {
            throw Error(std::string("Can't load the lettering font ") + file +
                        " (Debian package fonts-comic-neue)");
        }
        g_family = QFontDatabase::applicationFontFamilies(id).value(0);
    }
}

QFont houseFont(double pixelSize, bool bold) {
    QFont font(g_family);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QImage newImage(int width, int height, QColor fill) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

void prepare(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
}

double outlineFor(double size) {
    return std::clamp(size / 28.0, 1.2, 4.0);
}

QPainterPath hexagon(QPointF centre, double radius, bool pointyTop) {
    QPainterPath path;
    for (int i = 0; i < 6; ++i) {
        const double angle = kPi / 3.0 * i + (pointyTop ? kPi / 6.0 : 0.0);
        const QPointF corner(centre.x() + radius * std::cos(angle),
                             centre.y() + radius * std::sin(angle));
        if (i == 0) {
            path.moveTo(corner);
        } else {
            path.lineTo(corner);
        }
    }
    path.closeSubpath();
    return path;
}

void drawHoneycomb(QPainter& p, const QRectF& area, double radius, QColor base, QColor line,
                   double lineWidth) {
    p.save();
    p.setClipRect(area);
    // The wax between the cells: no gap between two cells is ever left see-through.
    p.fillRect(area, line);
    const double dx = radius * 1.5;
    const double dy = radius * std::sqrt(3.0);
    int column = 0;
    for (double x = area.left() - radius; x < area.right() + radius; x += dx, ++column) {
        const double offset = (column % 2) ? dy / 2.0 : 0.0;
        int row = 0;
        for (double y = area.top() - dy + offset; y < area.bottom() + dy; y += dy, ++row) {
            const int shade = (column * 7 + row * 3) % 5;
            const QColor cell = base.lighter(100 + shade * 3);
            p.setPen(QPen(line, lineWidth));
            p.setBrush(cell);
            p.drawPath(hexagon(QPointF(x, y), radius - lineWidth * 0.25));
        }
    }
    p.restore();
}

void drawSky(QPainter& p, const QRectF& area) {
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0.0, palette::kSkyTop);
    sky.setColorAt(1.0, palette::kSkyLow);
    p.fillRect(area, sky);
}

void drawHills(QPainter& p, const QRectF& area, double horizon, double phase) {
    const double w = area.width();
    const double outline = outlineFor(area.height() / 3.0);
    for (int layer = 0; layer < 2; ++layer) {
        QPainterPath hill;
        const double base = horizon + layer * (area.bottom() - horizon) * 0.35;
        hill.moveTo(area.left(), area.bottom() + 2);
        for (int i = 0; i <= 48; ++i) {
            const double x = area.left() + w * i / 48.0;
            const double y = base + std::sin(i / 48.0 * kPi * (2.0 + layer) + phase + layer * 1.7) *
                                        (area.bottom() - horizon) * 0.12;
            hill.lineTo(x, y);
        }
        hill.lineTo(area.right(), area.bottom() + 2);
        hill.closeSubpath();
        const QColor colour = layer == 0 ? palette::kGrass.lighter(112) : palette::kGrass;
        p.setPen(QPen(palette::kGrassDark, outline));
        p.setBrush(colour);
        p.drawPath(hill);
    }
}

void drawCloud(QPainter& p, QPointF c, double size) {
    // The puffs are united into one outline, so no seams show inside the cloud.
    auto puff = [](QPointF at, double rx, double ry) {
        QPainterPath path;
        path.addEllipse(at, rx, ry);
        return path;
    };
    QPainterPath cloud =
        puff(QPointF(c.x() - size * 0.45, c.y() + size * 0.08), size * 0.38, size * 0.3);
    cloud = cloud.united(puff(QPointF(c.x(), c.y() - size * 0.1), size * 0.45, size * 0.4));
    cloud = cloud.united(
        puff(QPointF(c.x() + size * 0.48, c.y() + size * 0.1), size * 0.35, size * 0.28));
    QPainterPath base;
    base.addRoundedRect(QRectF(c.x() - size * 0.8, c.y(), size * 1.6, size * 0.38), size * 0.19,
                        size * 0.19);
    cloud = cloud.united(base);
    p.setPen(QPen(QColor(0x9C, 0xC4, 0xE0), outlineFor(size) * 0.8));
    p.setBrush(Qt::white);
    p.drawPath(cloud);
}

void drawSun(QPainter& p, QPointF c, double r, double turn) {
    p.save();
    p.translate(c);
    p.rotate(turn);
    const double outline = outlineFor(r * 2);
    p.setPen(QPen(palette::kAmberDark, outline));
    p.setBrush(palette::kHoneyLight);
    for (int i = 0; i < 10; ++i) {
        p.save();
        p.rotate(36.0 * i);
        QPainterPath ray;
        ray.moveTo(-r * 0.22, -r * 1.05);
        ray.lineTo(0, -r * 1.55);
        ray.lineTo(r * 0.22, -r * 1.05);
        ray.closeSubpath();
        p.drawPath(ray);
        p.restore();
    }
    QRadialGradient glow(QPointF(-r * 0.3, -r * 0.3), r * 1.3);
    glow.setColorAt(0, palette::kHoneyLight);
    glow.setColorAt(1, palette::kHoney);
    p.setBrush(glow);
    p.drawEllipse(QPointF(0, 0), r, r);
    p.restore();
}

void drawFlower(QPainter& p, QPointF c, double r, QColor petals, double sway) {
    const double outline = outlineFor(r * 2.5);
    p.save();
    // Stem first, bending with the sway.
    QPainterPath stem;
    stem.moveTo(c.x(), c.y() + r * 4.0);
    stem.quadTo(c.x() + sway * r * 0.5, c.y() + r * 2.0, c.x() + sway * r, c.y());
    p.setPen(QPen(palette::kGrassDark, outline * 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(stem);
    p.translate(c.x() + sway * r, c.y());
    p.rotate(sway * 12.0);
    p.setPen(QPen(petals.darker(150), outline));
    p.setBrush(petals);
    for (int i = 0; i < 6; ++i) {
        p.save();
        p.rotate(60.0 * i);
        p.drawEllipse(QPointF(0, -r * 0.75), r * 0.45, r * 0.6);
        p.restore();
    }
    p.setPen(QPen(palette::kAmberDark, outline));
    p.setBrush(palette::kHoney);
    p.drawEllipse(QPointF(0, 0), r * 0.5, r * 0.5);
    p.restore();
}

void drawSparkle(QPainter& p, QPointF c, double s, QColor colour) {
    QPainterPath path;
    path.moveTo(c.x(), c.y() - s);
    path.quadTo(c.x(), c.y(), c.x() + s, c.y());
    path.quadTo(c.x(), c.y(), c.x(), c.y() + s);
    path.quadTo(c.x(), c.y(), c.x() - s, c.y());
    path.quadTo(c.x(), c.y(), c.x(), c.y() - s);
    p.setPen(QPen(colour.darker(130), std::max(0.8, s / 10.0)));
    p.setBrush(colour);
    p.drawPath(path);
}

void drawStar(QPainter& p, QPointF c, double r, QColor colour, double turn) {
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double angle = -kPi / 2.0 + kPi / 5.0 * i + turn * kPi / 180.0;
        const double radius = (i % 2 == 0) ? r : r * 0.48;
        const QPointF point(c.x() + radius * std::cos(angle), c.y() + radius * std::sin(angle));
        if (i == 0) {
            star.moveTo(point);
        } else {
            star.lineTo(point);
        }
    }
    star.closeSubpath();
    QPen pen(palette::kOutline, outlineFor(r * 2));
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(colour);
    p.drawPath(star);
}

void drawHeart(QPainter& p, QPointF c, double s, QColor colour) {
    QPainterPath heart;
    heart.moveTo(c.x(), c.y() + s * 0.9);
    heart.cubicTo(c.x() - s * 1.3, c.y() + s * 0.1, c.x() - s * 0.9, c.y() - s * 0.95, c.x(),
                  c.y() - s * 0.35);
    heart.cubicTo(c.x() + s * 0.9, c.y() - s * 0.95, c.x() + s * 1.3, c.y() + s * 0.1, c.x(),
                  c.y() + s * 0.9);
    p.setPen(QPen(colour.darker(160), outlineFor(s * 2)));
    p.setBrush(colour);
    p.drawPath(heart);
}

void drawLettering(QPainter& p, const QString& text, QPointF centre, const QFont& font, QColor fill,
                   QColor outline, double outlineWidth) {
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF box = path.boundingRect();
    path.translate(centre.x() - box.center().x(), centre.y() - box.center().y());
    p.save();
    if (outlineWidth > 0) {
        QPen pen(outline, outlineWidth * 2.0);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(outline);
        p.drawPath(path);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(path);
    p.restore();
}

void fillOutlined(QPainter& p, const QPainterPath& path, const QBrush& fill, double width) {
    QPen pen(palette::kOutline, width);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(fill);
    p.drawPath(path);
}

double clamp01(double t) {
    return std::clamp(t, 0.0, 1.0);
}
double easeInOut(double t) {
    t = clamp01(t);
    return t * t * (3.0 - 2.0 * t);
}
double easeOut(double t) {
    t = clamp01(t);
    return 1.0 - (1.0 - t) * (1.0 - t);
}
double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}
QColor mix(QColor a, QColor b, double t) {
    return QColor::fromRgbF(static_cast<float>(lerp(a.redF(), b.redF(), t)),
                            static_cast<float>(lerp(a.greenF(), b.greenF(), t)),
                            static_cast<float>(lerp(a.blueF(), b.blueF(), t)),
                            static_cast<float>(lerp(a.alphaF(), b.alphaF(), t)));
}

} // namespace hc::content
