#include "content/gen/scenes.h"

#include "content/gen/art.h"
#include "content/gen/bee.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace hc::content {

namespace {
constexpr double kPi = std::numbers::pi;
}

QImage beeBackdrop() {
    QImage image = newImage(layout::kBeePanel.width(), layout::kBeePanel.height());
    QPainter p(&image);
    prepare(p);
    const QRectF all(0, 0, image.width(), image.height());
    drawSky(p, all);
    drawCloud(p, QPointF(28, 22), 26);
    drawCloud(p, QPointF(136, 34), 20);
    drawHills(p, all, 96);
    drawFlower(p, QPointF(16, 100), 5.5, palette::kPink, 0.0);
    drawFlower(p, QPointF(146, 104), 4.5, palette::kPurple.lighter(130), 0.0);
    return image;
}

QImage titleArt() {
    const QSize size = layout::kTitleArt;
    QImage image = newImage(size.width(), size.height());
    QPainter p(&image);
    prepare(p);
    const QRectF all(0, 0, size.width(), size.height());
    // A warm honey sky fading into the honeycomb band at the bottom.
    QLinearGradient sky(all.topLeft(), all.bottomLeft());
    sky.setColorAt(0.0, QColor(0x6F, 0xC4, 0xF5));
    sky.setColorAt(1.0, QColor(0xD8, 0xF1, 0xFF));
    p.fillRect(all, sky);
    drawSun(p, QPointF(34, 32), 17, 8);
    drawCloud(p, QPointF(590, 24), 34);
    drawCloud(p, QPointF(200, 134), 26);
    drawHoneycomb(p, QRectF(0, 160, size.width(), 25), 13, palette::kHoney, palette::kAmberDark,
                  2.0);
    p.setPen(QPen(palette::kAmberDark, 3));
    p.drawLine(QPointF(0, 160), QPointF(size.width(), 160));

    // The name in big friendly letters, with a honey-coloured shadow.
    const QFont big = houseFont(50);
    drawLettering(p, QStringLiteral("Honeycombwordsmiths"), QPointF(318, 64), big,
                  palette::kAmberDark, palette::kAmberDark, 4);
    QLinearGradient letters(QPointF(0, 36), QPointF(0, 90));
    letters.setColorAt(0.0, palette::kHoneyLight);
    letters.setColorAt(1.0, palette::kHoney);
    QPainterPath name;
    name.addText(0, 0, big, QStringLiteral("Honeycombwordsmiths"));
    const QRectF box = name.boundingRect();
    name.translate(316 - box.center().x(), 60 - box.center().y());
    QPen pen(palette::kOutline, 5);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(palette::kOutline);
    p.drawPath(name);
    p.setPen(Qt::NoPen);
    p.setBrush(letters);
    p.drawPath(name);
    // Sub title to the right of where the title bee hovers.
    drawLettering(p, QStringLiteral("Spelling fun with the busy bee!"), QPointF(440, 122),
                  houseFont(22), palette::kWhite, QColor(0x2C, 0x5C, 0x9A), 2.5);
    for (const QPointF at : {QPointF(20, 70), QPointF(612, 60), QPointF(180, 112),
                             QPointF(420, 100), QPointF(560, 146)}) {
        drawSparkle(p, at, 6, palette::kWhite);
    }
    return image;
}

QImage checkerFloor() {
    const QSize size = layout::kFloor;
    QImage image = newImage(size.width(), size.height());
    QPainter p(&image);
    prepare(p);
    const double w = size.width();
    const double h = size.height();
    // The seams between tiles show this dark honey, never the background.
    p.fillRect(QRectF(0, 0, w, h), QColor(0xB0, 0x66, 0x0C));
    // A checker floor in perspective: rows get taller toward the viewer.
    const double horizonY = -70.0;
    const double vanishX = w / 2.0;
    const int columns = 14;
    const int rows = 9;
    auto rowY = [&](double r) { return horizonY + (h - horizonY) * std::pow(r / rows, 1.6); };
    double firstRow = 0;
    for (int r = 0; r < rows * 2; ++r) {
        if (rowY(r) > 0) {
            firstRow = r - 1;
            break;
        }
    }
    for (int r = static_cast<int>(firstRow); r < rows; ++r) {
        const double y0 = std::max(0.0, rowY(r));
        const double y1 = rowY(r + 1);
        for (int c = -columns; c < columns * 2; ++c) {
            auto xAt = [&](double col, double y) {
                const double t = (y - horizonY) / (h - horizonY);
                return vanishX + (col * (w / columns) - vanishX) * (0.25 + 1.75 * t);
            };
            QPainterPath tile;
            tile.moveTo(xAt(c, y0), y0);
            tile.lineTo(xAt(c + 1, y0), y0);
            tile.lineTo(xAt(c + 1, y1), y1);
            tile.lineTo(xAt(c, y1), y1);
            tile.closeSubpath();
            const bool dark = ((r + c) % 2 + 2) % 2 == 0;
            const double fade = clamp01((y0 + 40) / (h + 40));
            const QColor base = dark ? QColor(0xE0, 0x8C, 0x12) : QColor(0xFF, 0xD8, 0x6A);
            p.setPen(Qt::NoPen);
            p.setBrush(mix(base.darker(135), base, fade));
            p.drawPath(tile);
        }
    }
    // A soft shine near the horizon.
    QLinearGradient haze(QPointF(0, 0), QPointF(0, 60));
    haze.setColorAt(0.0, QColor(0x40, 0x20, 0x00, 180));
    haze.setColorAt(1.0, QColor(0x40, 0x20, 0x00, 0));
    p.fillRect(QRectF(0, 0, w, 60), haze);

    // The credits lie on a calm board so light lettering reads on it.
    const QRectF board(layout::kCredits.translated(0, -layout::kFloorTop));
    QPainterPath plate;
    plate.addRoundedRect(board, 14, 14);
    p.setPen(QPen(palette::kOutline, 3));
    QLinearGradient wood(board.topLeft(), board.bottomLeft());
    wood.setColorAt(0.0, QColor(0x6B, 0x3A, 0x12));
    wood.setColorAt(1.0, QColor(0x4A, 0x26, 0x08));
    p.setBrush(wood);
    p.drawPath(plate);
    p.setPen(QPen(palette::kHoney, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(board.adjusted(5, 5, -5, -5), 10, 10);
    return image;
}

QImage titleScreen() {
    QImage image = newImage(layout::kTitleScreen.width(), layout::kTitleScreen.height(), Qt::black);
    QPainter p(&image);
    p.drawImage(0, 0, titleArt());
    p.drawImage(0, layout::kFloorTop, checkerFloor());
    return image;
}

QImage loadingFrame(int frame, int frames) {
    const QSize size = layout::kLoading;
    QImage image = newImage(size.width(), size.height());
    QPainter p(&image);
    prepare(p);
    const QRectF all(0, 0, size.width(), size.height());
    QLinearGradient band(all.topLeft(), all.bottomLeft());
    band.setColorAt(0.0, palette::kHoneyLight);
    band.setColorAt(1.0, palette::kHoney);
    p.fillRect(all, band);
    drawHoneycomb(p, QRectF(0, 0, 36, size.height()), 7, palette::kHoneyLight,
                  QColor(0xE8, 0xA8, 0x30), 1.0);
    const double t = static_cast<double>(frame) / frames;
    // Three dots fill one after another, so the strip never looks frozen.
    const int dots = (frame * 4 / frames) % 4;
    QString text = QStringLiteral("Loading");
    drawLettering(p, text, QPointF(80, 16), houseFont(16), palette::kOutline, palette::kHoneyLight,
                  1.0);
    for (int i = 0; i < 3; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(i < dots ? palette::kOutline : QColor(0xE0, 0xA0, 0x30));
        p.drawEllipse(QPointF(112 + 7 * i, 22), 2.2, 2.2);
    }
    BeePose bee;
    bee.radius = 8;
    bee.centre = QPointF(20 + 5 * std::sin(t * 2 * kPi), 18 + 2 * std::sin(t * 4 * kPi));
    bee.wingPhase = (frame % 2) * 0.5;
    bee.tilt = 4 * std::sin(t * 2 * kPi);
    drawBee(p, bee);
    p.setPen(QPen(palette::kAmberDark, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(all.adjusted(0.5, 0.5, -0.5, -0.5));
    return image;
}

namespace {

void drawPanelButton(QPainter& p, const QRectF& area, const QString& caption, QColor colour,
                     ButtonLook look, bool speaker) {
    const bool pressed = look == ButtonLook::Pressed;
    const bool dark = look == ButtonLook::Dark;
    QColor face = colour;
    if (dark) {
        const int grey = qGray(colour.rgb());
        face = QColor(grey, grey, grey).darker(120);
    }
    const QRectF body = area.adjusted(1.5, 1.5, -1.5, -1.5);
    const double shift = pressed ? 2.0 : 0.0;
    // The button's base (its thickness), then the face above it.
    p.setPen(Qt::NoPen);
    p.setBrush(face.darker(dark ? 130 : 170));
    p.drawRoundedRect(body.adjusted(0, 3, 0, 0), 9, 9);
    const QRectF top = body.adjusted(0, shift, 0, -3 + shift);
    QLinearGradient shine(top.topLeft(), top.bottomLeft());
    shine.setColorAt(0.0, pressed ? face.darker(115) : face.lighter(135));
    shine.setColorAt(1.0, pressed ? face.darker(125) : face);
    p.setPen(QPen(dark ? QColor(0x40, 0x40, 0x40) : palette::kOutline, 1.5));
    p.setBrush(shine);
    p.drawRoundedRect(top, 9, 9);
    const QColor ink = dark ? QColor(0xB8, 0xB8, 0xB8) : palette::kWhite;
    const QColor rim = dark ? QColor(0x50, 0x50, 0x50) : face.darker(200);
    double textX = top.center().x();
    if (speaker) {
        // A small loudspeaker: Repeat says the sound again.
        const QPointF s(top.left() + 11, top.center().y());
        QPainterPath cone;
        cone.moveTo(s.x() - 5, s.y() - 3);
        cone.lineTo(s.x() - 2, s.y() - 3);
        cone.lineTo(s.x() + 3, s.y() - 7);
        cone.lineTo(s.x() + 3, s.y() + 7);
        cone.lineTo(s.x() - 2, s.y() + 3);
        cone.lineTo(s.x() - 5, s.y() + 3);
        cone.closeSubpath();
        p.setPen(QPen(rim, 1.2));
        p.setBrush(ink);
        p.drawPath(cone);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(s.x() + 1, s.y() - 5, 8, 10), -50 * 16, 100 * 16);
        textX += 8;
    }
    drawLettering(p, caption, QPointF(textX, top.center().y() + 0.5), houseFont(speaker ? 14 : 17),
                  ink, rim, 1.4);
}

} // namespace

QImage goButton(ButtonLook look) {
    QImage image = newImage(layout::kGoArea.width(), layout::kGoArea.height());
    QPainter p(&image);
    prepare(p);
    drawPanelButton(p, QRectF(0, 0, image.width(), image.height()), QStringLiteral("Go!"),
                    palette::kGreen, look, false);
    return image;
}

QImage repeatButton(ButtonLook look) {
    QImage image = newImage(layout::kRepeatArea.width(), layout::kRepeatArea.height());
    QPainter p(&image);
    prepare(p);
    drawPanelButton(p, QRectF(0, 0, image.width(), image.height()), QStringLiteral("Repeat"),
                    palette::kBlue, look, true);
    return image;
}

QImage phonoBackdrop() {
    const QSize size = layout::kPhonoBackdrop;
    QImage image = newImage(size.width(), size.height());
    QPainter p(&image);
    prepare(p);
    const QRectF all(0, 0, size.width(), size.height());
    // Honeycomb wall behind everything.
    drawHoneycomb(p, all, 11, QColor(0xFF, 0xDC, 0x7A), QColor(0xE6, 0xA6, 0x2C), 1.5);
    p.fillRect(all, QColor(0xFF, 0xF4, 0xD6, 110));

    // The empty frame the puzzle picture grows in: a wooden frame just outside 141 x 133.
    const QRectF inside = QRectF(layout::kPuzzleFrame);
    QPainterPath frame;
    frame.addRoundedRect(inside.adjusted(-7, -7, 7, 7), 6, 6);
    QLinearGradient wood(inside.topLeft(), inside.bottomRight());
    wood.setColorAt(0.0, QColor(0xC9, 0x80, 0x3A));
    wood.setColorAt(1.0, QColor(0x9A, 0x5A, 0x22));
    fillOutlined(p, frame, wood, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0xF8, 0xE6));
    p.drawRect(inside);
    // Faint card places: 4 x 4 cells of 35 x 33, where the pieces will land.
    p.setPen(QPen(QColor(0xE8, 0xD2, 0xA0), 1));
    for (int c = 1; c < 4; ++c) {
        const double x = inside.left() + c * layout::kPieceStepX + 0.5;
        p.drawLine(QPointF(x, inside.top()), QPointF(x, inside.bottom()));
    }
    for (int r = 1; r < 4; ++r) {
        const double y = inside.top() + r * layout::kPieceStepY + 0.5;
        p.drawLine(QPointF(inside.left(), y), QPointF(inside.right(), y));
    }
    drawLettering(p, QStringLiteral("?"), inside.center(), houseFont(64), QColor(0xF0, 0xDC, 0xB0),
                  QColor(0xF0, 0xDC, 0xB0), 0);
    p.setPen(QPen(QColor(0x7A, 0x42, 0x12), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(inside.adjusted(-0.5, -0.5, 0.5, 0.5));

    // The right-hand side: what to do, the two buttons and the bee pointing at them.
    QPainterPath sign;
    sign.addRoundedRect(QRectF(166, 8, 142, 70), 12, 12);
    fillOutlined(p, sign, palette::kCream, 1.5);
    drawLettering(p, QStringLiteral("Listen..."), QPointF(237, 28), houseFont(20), palette::kBlue,
                  palette::kWhite, 1.5);
    drawLettering(p, QStringLiteral("then click!"), QPointF(237, 56), houseFont(20), palette::kRed,
                  palette::kWhite, 1.5);
    p.drawImage(layout::kGoArea.topLeft(), goButton(ButtonLook::Normal));
    p.drawImage(layout::kRepeatArea.topLeft(), repeatButton(ButtonLook::Normal));
    BeePose bee;
    bee.centre = QPointF(274, 118);
    bee.radius = 18;
    bee.leftArm = 0.55;
    bee.lookX = -0.8;
    bee.mouth = Mouth::Smile;
    bee.wingPhase = 0.0;
    drawBee(p, bee);
    return image;
}

} // namespace hc::content
