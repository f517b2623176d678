#pragma once

// The house style shared by every picture and movie: one palette, one font, one way of
// drawing outlines, honeycomb, sky, grass, sparkles and lettering. Everything is drawn with
// antialiasing at the target size, so the art stays crisp where the screens show it 1:1.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace hc::content {

namespace palette {
inline const QColor kOutline{0x2B, 0x1D, 0x12};
inline const QColor kHoney{0xFF, 0xC9, 0x3C};
inline const QColor kHoneyLight{0xFF, 0xE5, 0x8A};
inline const QColor kAmber{0xF2, 0x9A, 0x16};
inline const QColor kAmberDark{0xC8, 0x6E, 0x0A};
inline const QColor kStripe{0x2E, 0x22, 0x1C};
inline const QColor kCream{0xFF, 0xF7, 0xE0};
inline const QColor kSkyTop{0x8F, 0xD3, 0xFF};
inline const QColor kSkyLow{0xE4, 0xF6, 0xFF};
inline const QColor kGrass{0x7C, 0xCB, 0x4B};
inline const QColor kGrassDark{0x4E, 0x9A, 0x2A};
inline const QColor kRed{0xE8, 0x47, 0x3C};
inline const QColor kBlue{0x3B, 0x8F, 0xE0};
inline const QColor kGreen{0x4F, 0xB8, 0x3E};
inline const QColor kPurple{0x9A, 0x6A, 0xE0};
inline const QColor kPink{0xFF, 0x8F, 0xB0};
inline const QColor kOrange{0xFF, 0x8A, 0x2A};
inline const QColor kWhite{0xFF, 0xFF, 0xFF};
// The screens' own greys, so movies and pictures blend into the panels they lie on.
inline const QColor kPanelGray{0x80, 0x80, 0x80}; // clGray, the spelling test's panel
inline const QColor kLabelGray{0xD4, 0xD4, 0xD4}; // the word label's background
inline const QColor kSilver{0xC0, 0xC0, 0xC0};    // clSilver, the narrator and puzzle panels
} // namespace palette

// Loads the bundled lettering font once; throws hc::Error when the font file is missing, so a
// machine without it fails the build instead of silently drawing another face.
void loadFonts();
// The house lettering face (rounded, friendly) at `pixelSize`, bold or regular.
QFont houseFont(double pixelSize, bool bold = true);

// A transparent (or filled) ARGB image of the given size.
QImage newImage(int width, int height, QColor fill = Qt::transparent);
// A painter with antialiasing and smooth pixmap transforms on.
void prepare(QPainter& painter);

// Outline width that reads well at a figure `size` pixels tall.
double outlineFor(double size);

QPainterPath hexagon(QPointF centre, double radius, bool pointyTop = false);
// A honeycomb of hexagons of `radius` covering `area`; cells are filled by `cellColour`
// alternating gently so the pattern reads as wax cells, not a grid.
void drawHoneycomb(QPainter& p, const QRectF& area, double radius, QColor base, QColor line,
                   double lineWidth);
void drawSky(QPainter& p, const QRectF& area);
// Rolling grass hills along the bottom of `area`, the top at `horizon`.
void drawHills(QPainter& p, const QRectF& area, double horizon, double phase = 0.0);
void drawCloud(QPainter& p, QPointF centre, double size);
void drawSun(QPainter& p, QPointF centre, double radius, double turn = 0.0);
void drawFlower(QPainter& p, QPointF centre, double radius, QColor petals, double sway = 0.0);
// A four-pointed sparkle; `size` is its half-width.
void drawSparkle(QPainter& p, QPointF centre, double size, QColor colour);
void drawStar(QPainter& p, QPointF centre, double radius, QColor colour, double turn = 0.0);
void drawHeart(QPainter& p, QPointF centre, double size, QColor colour);

// Lettering with an outline: the text is centred on `centre`.
void drawLettering(QPainter& p, const QString& text, QPointF centre, const QFont& font, QColor fill,
                   QColor outline, double outlineWidth);
// Fills `path` with `fill` and strokes it with the house outline.
void fillOutlined(QPainter& p, const QPainterPath& path, const QBrush& fill, double width);

// Smooth 0..1 easing.
double easeInOut(double t);
double easeOut(double t);
double clamp01(double t);
double lerp(double a, double b, double t);
QColor mix(QColor a, QColor b, double t);

} // namespace hc::content

namespace hc::content {
// A small fixed-sequence generator for scattering confetti and stars: the same seed always
// gives the same art.
class Rng {
public:
    explicit Rng(unsigned seed) : m_state(seed * 2654435761u + 12345u) {}
    double next() {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<double>(m_state >> 8) / 16777216.0;
    }
    double range(double low, double high) { return low + (high - low) * next(); }

private:
    unsigned m_state;
};
} // namespace hc::content
