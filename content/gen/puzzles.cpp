// The phonogram puzzles: a 141 x 133 picture cut into 4 x 4 pieces, and a short movie in which
// the finished picture comes alive. The movie's first frame is the picture itself, so the
// pieces that lie in the frame turn into the movie without a jump.

#include "content/gen/art.h"
#include "content/gen/avi_writer.h"
#include "content/gen/bee.h"
#include "content/gen/generators.h"
#include "content/gen/scenes.h"
#include "content/gen/school_puzzles.h"
#include "content/gen/sound.h"

#include "content/entry_names.h"

#include "archive/error.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <tuple>

namespace hc::content {

namespace {

constexpr double kPi = std::numbers::pi;

// `t` runs from 0 (the still picture) to 1 (the end of the movie).
void paintPuzzle(QPainter& p, int k, double t, int frame) {
    const QRectF all(0, 0, layout::kPuzzle.width(), layout::kPuzzle.height());
    const double wave = std::sin(t * 4 * kPi);
    switch (k) {
    case 0: { // A flower garden; the flowers sway and a bee visits them.
        drawSky(p, all);
        drawSun(p, QPointF(118, 22), 12, t * 90);
        drawHills(p, all, 92);
        const QColor petals[] = {palette::kPink, palette::kRed, palette::kPurple.lighter(125)};
        for (int i = 0; i < 3; ++i) {
            drawFlower(p, QPointF(28 + 42 * i, 78 + (i % 2) * 8), 10, petals[i],
                       0.5 * std::sin(t * 4 * kPi + i));
        }
        BeePose bee;
        bee.radius = 12;
        bee.centre = QPointF(30 + 80 * t, 36 + 10 * std::sin(t * 6 * kPi));
        bee.wingPhase = (frame % 2) * 0.5;
        bee.mouth = Mouth::Grin;
        drawBee(p, bee);
        break;
    }
    case 1: { // Under the sea; fish swim and bubbles rise.
        QLinearGradient sea(all.topLeft(), all.bottomLeft());
        sea.setColorAt(0, QColor(0x5C, 0xC8, 0xF0));
        sea.setColorAt(1, QColor(0x1E, 0x6E, 0xB8));
        p.fillRect(all, sea);
        QPainterPath sand;
        sand.moveTo(0, 133);
        sand.lineTo(0, 112);
        sand.quadTo(70, 98, 141, 114);
        sand.lineTo(141, 133);
        sand.closeSubpath();
        fillOutlined(p, sand, QColor(0xF4, 0xD8, 0x8C), 1.5);
        for (int i = 0; i < 3; ++i) {
            QPainterPath weed;
            const double x = 18 + 50 * i;
            weed.moveTo(x, 115);
            weed.cubicTo(x - 10 + 6 * wave, 95, x + 10 + 6 * wave, 85, x + 8 * wave, 66);
            p.setPen(QPen(palette::kGreen.darker(110), 5, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            p.drawPath(weed);
        }
        auto fish = [&](QPointF c, double s, QColor colour, bool left) {
            p.save();
            p.translate(c);
            if (left) {
                p.scale(-1, 1);
            }
            QPainterPath body;
            body.addEllipse(QPointF(0, 0), s, s * 0.62);
            QPainterPath tail;
            tail.moveTo(-s * 0.8, 0);
            tail.lineTo(-s * 1.5, -s * 0.55);
            tail.lineTo(-s * 1.5, s * 0.55);
            tail.closeSubpath();
            fillOutlined(p, tail, colour.darker(120), 1.6);
            fillOutlined(p, body, colour, 1.6);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(s * 0.45, -s * 0.12), s * 0.22, s * 0.22);
            p.setBrush(palette::kOutline);
            p.drawEllipse(QPointF(s * 0.5, -s * 0.1), s * 0.11, s * 0.11);
            p.setPen(QPen(palette::kOutline, 1.2));
            p.drawArc(QRectF(s * 0.4, s * 0.05, s * 0.35, s * 0.22), 200 * 16, 140 * 16);
            p.restore();
        };
        fish(QPointF(44 + 50 * t, 46 + 4 * wave), 16, palette::kOrange, false);
        fish(QPointF(104 - 40 * t, 82 - 3 * wave), 12, palette::kHoney, true);
        for (int i = 0; i < 5; ++i) {
            const double y = std::fmod(120 - t * 140 + i * 26, 130.0);
            p.setPen(QPen(Qt::white, 1.4));
            p.setBrush(QColor(255, 255, 255, 60));
            p.drawEllipse(QPointF(70 + 12 * std::sin(i + t * 8), y), 3 + i % 3, 3 + i % 3);
        }
        break;
    }
    case 2: { // A hot-air balloon drifts over the hills.
        drawSky(p, all);
        drawCloud(p, QPointF(30 + 20 * t, 30), 30);
        drawCloud(p, QPointF(120 - 15 * t, 58), 24);
        drawHills(p, all, 104);
        const QPointF c(72, 50 - 12 * std::sin(t * kPi) + 3 * wave);
        p.setPen(QPen(palette::kOutline, 1.2));
        p.drawLine(QPointF(c.x() - 14, c.y() + 22), QPointF(c.x() - 8, c.y() + 38));
        p.drawLine(QPointF(c.x() + 14, c.y() + 22), QPointF(c.x() + 8, c.y() + 38));
        QPainterPath basket;
        basket.addRoundedRect(QRectF(c.x() - 9, c.y() + 37, 18, 12), 2, 2);
        fillOutlined(p, basket, QColor(0xB0, 0x6A, 0x2A), 1.6);
        QPainterPath envelope;
        envelope.moveTo(c.x() - 12, c.y() + 24);
        envelope.cubicTo(c.x() - 40, c.y() - 10, c.x() - 20, c.y() - 34, c.x(), c.y() - 34);
        envelope.cubicTo(c.x() + 20, c.y() - 34, c.x() + 40, c.y() - 10, c.x() + 12, c.y() + 24);
        envelope.closeSubpath();
        fillOutlined(p, envelope, palette::kRed, 2);
        p.save();
        p.setClipPath(envelope);
        p.setPen(Qt::NoPen);
        p.setBrush(palette::kHoney);
        p.drawRect(QRectF(c.x() - 6, c.y() - 40, 12, 70));
        p.setBrush(palette::kBlue);
        p.drawRect(QRectF(c.x() - 30, c.y() - 40, 10, 70));
        p.drawRect(QRectF(c.x() + 20, c.y() - 40, 10, 70));
        p.restore();
        p.setPen(QPen(palette::kOutline, 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(envelope);
        break;
    }
    case 3: { // A rocket in space; stars twinkle and the flame flickers.
        p.fillRect(all, QColor(0x14, 0x18, 0x44));
        Rng rng(3);
        for (int i = 0; i < 26; ++i) {
            const QPointF at(rng.range(0, 141), rng.range(0, 133));
            const double twinkle = 0.5 + 0.5 * std::sin(t * 12 + i * 2.1);
            drawSparkle(p, at, 1.5 + 2.5 * twinkle, QColor(0xFF, 0xF6, 0xD0));
        }
        QPainterPath planet;
        planet.addEllipse(QPointF(112, 100), 20, 20);
        fillOutlined(p, planet, palette::kPurple, 1.8);
        p.setPen(QPen(palette::kHoney, 3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(112, 100), 30, 8);
        p.save();
        p.translate(52 + 10 * t, 72 - 20 * t);
        p.rotate(30);
        const double flame = 14 + 6 * std::abs(std::sin(frame * 1.7));
        QPainterPath fire;
        fire.moveTo(-8, 26);
        fire.quadTo(0, 26 + flame * 1.6, 8, 26);
        fire.closeSubpath();
        fillOutlined(p, fire, palette::kOrange, 1.4);
        QPainterPath body;
        body.moveTo(0, -36);
        body.cubicTo(16, -20, 14, 10, 11, 26);
        body.lineTo(-11, 26);
        body.cubicTo(-14, 10, -16, -20, 0, -36);
        fillOutlined(p, body, QColor(0xF2, 0xF4, 0xF8), 2);
        QPainterPath finL;
        finL.moveTo(-11, 8);
        finL.lineTo(-22, 28);
        finL.lineTo(-11, 24);
        finL.closeSubpath();
        fillOutlined(p, finL, palette::kRed, 1.6);
        fillOutlined(p, QTransform().scale(-1, 1).map(finL), palette::kRed, 1.6);
        QPainterPath window;
        window.addEllipse(QPointF(0, -8), 6, 6);
        fillOutlined(p, window, QColor(0x7F, 0xD6, 0xFF), 1.6);
        p.restore();
        break;
    }
    case 4: { // A ladybird walks along a leaf.
        p.fillRect(all, QColor(0xDC, 0xF5, 0xC8));
        drawHoneycomb(p, QRectF(0, 0, 141, 30), 9, QColor(0xF6, 0xFF, 0xE8),
                      QColor(0xC0, 0xE0, 0xA0), 1);
        QPainterPath leaf;
        leaf.moveTo(6, 110);
        leaf.cubicTo(30, 30, 110, 20, 136, 40);
        leaf.cubicTo(120, 100, 60, 126, 6, 110);
        fillOutlined(p, leaf, palette::kGreen, 2);
        p.setPen(QPen(palette::kGrassDark, 2));
        p.setBrush(Qt::NoBrush);
        QPainterPath vein;
        vein.moveTo(8, 108);
        vein.quadTo(70, 60, 134, 42);
        p.drawPath(vein);
        const double u = t;
        const QPointF c(lerp(36, 96, u), lerp(86, 58, u));
        p.save();
        p.translate(c);
        p.rotate(-28);
        for (int i = -1; i <= 1; ++i) {
            const double step = 3 * std::sin(frame * 1.2 + i);
            p.setPen(QPen(palette::kOutline, 1.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(i * 7, -8), QPointF(i * 8 + step, -16));
            p.drawLine(QPointF(i * 7, 8), QPointF(i * 8 - step, 16));
        }
        QPainterPath head;
        head.addEllipse(QPointF(17, 0), 7, 7);
        fillOutlined(p, head, palette::kStripe, 1.4);
        QPainterPath shell;
        shell.addEllipse(QPointF(0, 0), 16, 13);
        fillOutlined(p, shell, palette::kRed, 1.8);
        p.setPen(QPen(palette::kOutline, 1.6));
        p.drawLine(QPointF(-16, 0), QPointF(16, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(palette::kStripe);
        for (const QPointF spot :
             {QPointF(-7, -6), QPointF(5, -6), QPointF(-6, 6), QPointF(6, 7)}) {
            p.drawEllipse(spot, 3, 3);
        }
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(20, -3), 2, 2);
        p.drawEllipse(QPointF(20, 3), 2, 2);
        p.restore();
        break;
    }
    case 5: { // A castle; its flags wave.
        drawSky(p, all);
        drawHills(p, all, 112);
        auto tower = [&](double x, double w, double top) {
            QPainterPath body;
            body.addRect(QRectF(x, top, w, 118 - top));
            fillOutlined(p, body, QColor(0xC8, 0xC0, 0xD8), 1.8);
            QPainterPath roof;
            roof.moveTo(x - 4, top);
            roof.lineTo(x + w / 2, top - 24);
            roof.lineTo(x + w + 4, top);
            roof.closeSubpath();
            fillOutlined(p, roof, palette::kPurple, 1.8);
            p.setPen(QPen(palette::kOutline, 1.4));
            p.drawLine(QPointF(x + w / 2, top - 24), QPointF(x + w / 2, top - 36));
            QPainterPath flag;
            const double flutter = 3 * std::sin(frame * 0.9 + x);
            flag.moveTo(x + w / 2, top - 36);
            flag.quadTo(x + w / 2 + 8, top - 38 + flutter, x + w / 2 + 15, top - 33 + flutter);
            flag.lineTo(x + w / 2, top - 29);
            flag.closeSubpath();
            fillOutlined(p, flag, palette::kRed, 1.2);
            QPainterPath window;
            window.addRoundedRect(QRectF(x + w / 2 - 4, top + 12, 8, 12), 4, 4);
            fillOutlined(p, window, palette::kHoneyLight, 1.2);
        };
        QPainterPath wall;
        wall.addRect(QRectF(34, 76, 74, 42));
        fillOutlined(p, wall, QColor(0xD8, 0xD0, 0xE6), 1.8);
        for (int i = 0; i < 5; ++i) {
            QPainterPath merlon;
            merlon.addRect(QRectF(36 + i * 15, 68, 9, 9));
            fillOutlined(p, merlon, QColor(0xD8, 0xD0, 0xE6), 1.6);
        }
        QPainterPath gate;
        gate.moveTo(60, 118);
        gate.lineTo(60, 98);
        gate.arcTo(QRectF(60, 88, 22, 20), 180, -180);
        gate.lineTo(82, 118);
        gate.closeSubpath();
        fillOutlined(p, gate, QColor(0x8A, 0x52, 0x22), 1.6);
        tower(14, 24, 60);
        tower(104, 24, 60);
        tower(58, 26, 44);
        drawSun(p, QPointF(124, 18), 9, t * 120);
        break;
    }
    case 6: { // A sailing boat bobs on the waves; a gull glides past.
        drawSky(p, all);
        drawSun(p, QPointF(26, 24), 11, t * 80);
        const double bob = 3 * std::sin(t * 6 * kPi);
        p.save();
        p.translate(70, 86 + bob);
        p.rotate(3 * std::sin(t * 6 * kPi + 1));
        QPainterPath hull;
        hull.moveTo(-38, 0);
        hull.lineTo(38, 0);
        hull.lineTo(28, 16);
        hull.lineTo(-28, 16);
        hull.closeSubpath();
        fillOutlined(p, hull, palette::kRed, 2);
        p.setPen(QPen(palette::kOutline, 2));
        p.drawLine(QPointF(0, 0), QPointF(0, -62));
        QPainterPath sail;
        sail.moveTo(3, -60);
        sail.quadTo(30 + 4 * wave, -30, 34, -6);
        sail.lineTo(3, -6);
        sail.closeSubpath();
        fillOutlined(p, sail, palette::kWhite, 1.8);
        QPainterPath jib;
        jib.moveTo(-3, -52);
        jib.lineTo(-3, -6);
        jib.lineTo(-30, -6);
        jib.closeSubpath();
        fillOutlined(p, jib, palette::kHoney, 1.8);
        p.restore();
        for (int row = 0; row < 3; ++row) {
            QPainterPath sea;
            const double top = 96 + row * 12;
            sea.moveTo(0, 133);
            for (int i = 0; i <= 28; ++i) {
                const double x = i * 141.0 / 28;
                sea.lineTo(x, top + 3 * std::sin(x * 0.15 + t * 4 * kPi + row * 1.3));
            }
            sea.lineTo(141, 133);
            sea.closeSubpath();
            const QColor blue = QColor(0x3B, 0x8F, 0xE0).lighter(130 - row * 15);
            p.setPen(QPen(QColor(0x1E, 0x5A, 0xA0), 1.4));
            p.setBrush(blue);
            p.drawPath(sea);
        }
        QPainterPath gull;
        const QPointF g(100 - 60 * t, 30 + 4 * wave);
        const double flap = 5 * std::sin(frame * 0.8);
        gull.moveTo(g.x() - 10, g.y() - flap);
        gull.quadTo(g.x() - 5, g.y() - 6, g.x(), g.y());
        gull.quadTo(g.x() + 5, g.y() - 6, g.x() + 10, g.y() - flap);
        p.setPen(QPen(palette::kOutline, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(gull);
        break;
    }
    default: { // An apple tree; the apples bounce and a bird sings.
        drawSky(p, all);
        drawHills(p, all, 114);
        QPainterPath trunk;
        trunk.moveTo(62, 122);
        trunk.lineTo(66, 70);
        trunk.lineTo(78, 70);
        trunk.lineTo(82, 122);
        trunk.closeSubpath();
        fillOutlined(p, trunk, QColor(0x9A, 0x5A, 0x22), 2);
        QPainterPath crown;
        for (const auto& [centre, rx, ry] :
             {std::tuple{QPointF(72, 48), 44.0, 34.0}, std::tuple{QPointF(44, 62), 24.0, 20.0},
              std::tuple{QPointF(100, 62), 24.0, 20.0}}) {
            QPainterPath puff;
            puff.addEllipse(centre, rx, ry);
            crown = crown.united(puff);
        }
        fillOutlined(p, crown, palette::kGreen, 2);
        const QPointF apples[] = {{52, 40}, {86, 34}, {70, 60}, {100, 58}, {40, 66}};
        for (int i = 0; i < 5; ++i) {
            const double hop = 3 * std::abs(std::sin(t * 6 * kPi + i));
            QPainterPath apple;
            apple.addEllipse(QPointF(apples[i].x(), apples[i].y() - hop), 6, 6);
            fillOutlined(p, apple, palette::kRed, 1.4);
        }
        const QPointF bird(118, 96);
        QPainterPath body;
        body.addEllipse(bird, 9, 8);
        fillOutlined(p, body, palette::kBlue, 1.6);
        QPainterPath beak;
        const double open = std::abs(std::sin(frame * 0.7)) * 3;
        beak.moveTo(bird.x() - 8, bird.y() - 3);
        beak.lineTo(bird.x() - 15, bird.y() - 1 - open);
        beak.lineTo(bird.x() - 8, bird.y() + 1);
        beak.lineTo(bird.x() - 15, bird.y() + 1 + open);
        beak.closeSubpath();
        fillOutlined(p, beak, palette::kHoney, 1.2);
        p.setPen(Qt::NoPen);
        p.setBrush(palette::kOutline);
        p.drawEllipse(QPointF(bird.x() - 3, bird.y() - 3), 1.6, 1.6);
        if (t > 0.05) {
            const double note = std::fmod(t * 3, 1.0);
            p.setOpacity(1 - note);
            drawLettering(p, QString::fromUtf8("\u266A"), QPointF(100 - 20 * note, 84 - 30 * note),
                          houseFont(14), palette::kPurple, palette::kWhite, 1);
            p.setOpacity(1);
        }
        break;
    }
    }
}

QImage puzzleFrame(int k, double t, int frame) {
    QImage image = newImage(layout::kPuzzle.width(), layout::kPuzzle.height(), Qt::white);
    QPainter p(&image);
    prepare(p);
    paintPuzzle(p, k, t, frame);
    drawFinishSparkles(p, k, t);
    p.setPen(QPen(palette::kOutline, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, image.width() - 1, image.height() - 1));
    return image;
}

} // namespace

void writePuzzles(const std::string& outDir, const std::string& audioDir,
                  const std::vector<std::string>& schoolPictures) {
    const Sound sparkle = readWave(joinPath(audioDir, "puzzle_done.wav"));
    const int frames = framesForSound(sparkle, kPuzzleFps, kPuzzleMinimumFrames);
    for (int k = 0; k < kPuzzleCount; ++k) {
        writePuzzle(outDir, k, puzzleFrame(k, 0.0, 0), sparkle, frames,
                    [k](int f, double t) { return puzzleFrame(k, t, f); });
    }
    writeSchoolPuzzles(outDir, kPuzzleCount, schoolPictures, sparkle);
}

} // namespace hc::content
