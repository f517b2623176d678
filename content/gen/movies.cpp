// The bee animations and the screens' movies.

#include "content/gen/art.h"
#include "content/gen/avi_writer.h"
#include "content/gen/bee.h"
#include "content/gen/generators.h"
#include "content/gen/scenes.h"
#include "content/gen/sound.h"

#include "archive/error.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>
#include <filesystem>
#include <functional>
#include <numbers>
#include <optional>

namespace hc::content {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kFps = 15;

using FramePainter = std::function<void(QPainter&, int frame)>;

// Renders `frames` frames of `size` and writes them as one movie.
void writeMovie(const std::string& path, QSize size, int fps, int frames, const Sound* sound,
                const FramePainter& paint) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    AviWriter writer(path, size.width(), size.height(), fps, sound);
    for (int frame = 0; frame < frames; ++frame) {
        QImage image = newImage(size.width(), size.height(), Qt::black);
        {
            QPainter p(&image);
            prepare(p);
            paint(p, frame);
        }
        writer.addFrame(image);
    }
    writer.finish();
}

std::optional<Sound> track(const std::string& audioDir, const std::string& file) {
    return readWave(joinPath(audioDir, file));
}

// ---------------------------------------------------------------------------------------------
// The narrator bee. All four animations start and end in the same resting pose, so switching
// between them in the one panel never jumps.

BeePose restingPose() {
    BeePose pose;
    pose.centre = QPointF(80, 60);
    pose.radius = 26;
    pose.leftArm = 0.1;
    pose.rightArm = 0.1;
    return pose;
}

BeePose idlePose(int frame, int frames) {
    const double t = static_cast<double>(frame) / frames;
    BeePose pose = restingPose();
    pose.centre.ry() += 2.5 * std::sin(2 * kPi * t);
    pose.wingPhase = (frame % 2) * 0.5;
    pose.lookX = 0.35 * std::sin(2 * kPi * t);
    pose.rightArm = 0.1 + 0.08 * std::sin(2 * kPi * t);
    const int blinkAt = frames * 2 / 3;
    if (frame == blinkAt || frame == blinkAt + 2) {
        pose.blink = 0.55;
    } else if (frame == blinkAt + 1) {
        pose.blink = 1.0;
    }
    return pose;
}

BeePose talkPose(int frame, int frames) {
    static const double kMouth[] = {0.3, 0.9, 0.5, 1.0, 0.2, 0.7,  0.95, 0.4,
                                    0.8, 0.1, 0.6, 1.0, 0.5, 0.85, 0.3,  0.6};
    const double t = static_cast<double>(frame) / frames;
    BeePose pose = restingPose();
    pose.centre.ry() += 1.5 * std::sin(2 * kPi * t);
    pose.wingPhase = (frame % 2) * 0.5;
    pose.mouth = Mouth::Open;
    pose.mouthOpen = kMouth[frame % 16];
    pose.rightArm = 0.35 + 0.3 * std::sin(2 * kPi * t);
    pose.leftArm = 0.15 + 0.15 * std::sin(2 * kPi * t + 2.0);
    pose.tilt = 3 * std::sin(2 * kPi * t);
    return pose;
}

BeePose jumpPose(int frame) {
    BeePose pose = restingPose();
    pose.wingPhase = (frame % 2) * 0.5;
    const double rest = pose.centre.y();
    if (frame <= 3) {
        const double u = frame / 3.0;
        pose.squash = 0.2 * u;
        pose.centre.ry() = rest + 4 * u;
        pose.mouth = Mouth::Grin;
    } else if (frame <= 10) {
        const double u = easeOut((frame - 3) / 7.0);
        pose.centre.ry() = lerp(rest + 4, rest - 20, u);
        pose.squash = lerp(-0.15, 0.0, u);
        pose.leftArm = pose.rightArm = lerp(0.4, 1.0, u);
        pose.mouth = Mouth::Grin;
        pose.tilt = -6 * std::sin(u * kPi);
    } else if (frame <= 16) {
        const double u = (frame - 10) / 6.0;
        pose.centre.ry() = lerp(rest - 20, rest + 3, u * u);
        pose.leftArm = pose.rightArm = lerp(1.0, 0.6, u);
        pose.mouth = Mouth::Grin;
        pose.tilt = 6 * std::sin(u * kPi);
    } else if (frame <= 19) {
        const double u = (frame - 16) / 3.0;
        pose.squash = 0.16 * (1 - u);
        pose.centre.ry() = rest + 3 * (1 - u);
        pose.leftArm = pose.rightArm = lerp(0.6, 0.1, u);
        pose.mouth = Mouth::Grin;
    }
    return pose;
}

BeePose noPose(int frame, int frames) {
    BeePose pose = restingPose();
    pose.wingPhase = (frame % 2) * 0.5;
    const int shaking = frames - 3;
    if (frame < shaking) {
        const double u = static_cast<double>(frame) / shaking;
        const double swing = std::sin(u * 2 * 2 * kPi) * std::sqrt(std::sin(u * kPi));
        pose.tilt = 15 * swing;
        pose.centre.rx() += 4 * swing;
        pose.lookX = -swing;
        pose.lookY = 0.5;
        pose.mouth = Mouth::Frown;
        pose.leftArm = pose.rightArm = 0.0;
    }
    return pose;
}

void writeBeeMovie(const std::string& path, int frames,
                   const std::function<void(QPainter&, int)>& drawFrame) {
    const QImage backdrop = beeBackdrop();
    writeMovie(path, layout::kBeePanel, kFps, frames, nullptr, [&](QPainter& p, int frame) {
        p.drawImage(0, 0, backdrop);
        drawFrame(p, frame);
    });
}

// ---------------------------------------------------------------------------------------------

void drawQuill(QPainter& p, QPointF tip, double angle, double size) {
    p.save();
    p.translate(tip);
    p.rotate(angle);
    QPainterPath vane;
    vane.moveTo(0, 0);
    vane.cubicTo(size * 0.15, -size * 0.35, size * 0.55, -size * 0.55, size, -size * 0.95);
    vane.cubicTo(size * 0.55, -size * 0.75, size * 0.2, -size * 0.5, size * 0.08, -size * 0.12);
    vane.closeSubpath();
    QPainterPath plume;
    plume.moveTo(size * 0.1, -size * 0.08);
    plume.cubicTo(size * 0.05, -size * 0.5, size * 0.4, -size * 0.9, size * 1.02, -size * 0.97);
    plume.cubicTo(size * 0.8, -size * 0.55, size * 0.55, -size * 0.25, size * 0.1, -size * 0.08);
    QLinearGradient gold(QPointF(0, 0), QPointF(size, -size));
    gold.setColorAt(0.0, QColor(0xFF, 0xF2, 0xC0));
    gold.setColorAt(1.0, QColor(0xFF, 0xC2, 0x3A));
    fillOutlined(p, plume.united(vane), gold, 1.6);
    p.setPen(QPen(palette::kAmberDark, 1.4));
    p.drawLine(QPointF(size * 0.05, -size * 0.05), QPointF(size * 0.95, -size * 0.93));
    QPainterPath nib;
    nib.moveTo(0, 0);
    nib.lineTo(size * 0.1, -size * 0.03);
    nib.lineTo(size * 0.05, -size * 0.12);
    nib.closeSubpath();
    fillOutlined(p, nib, palette::kStripe, 1.0);
    p.restore();
}

void paintLogo(QPainter& p, int frame, int frames) {
    const QSize size = layout::kLogo;
    const double t = static_cast<double>(frame) / std::max(1, frames - 1);
    QRadialGradient night(QPointF(size.width() / 2.0, size.height() * 0.45), 230);
    night.setColorAt(0.0, QColor(0x35, 0x4F, 0xA8));
    night.setColorAt(1.0, QColor(0x14, 0x1D, 0x4A));
    p.fillRect(QRectF(0, 0, size.width(), size.height()), night);
    Rng rng(7);
    for (int i = 0; i < 40; ++i) {
        const QPointF at(rng.range(0, size.width()), rng.range(0, size.height()));
        const double twinkle = 0.5 + 0.5 * std::sin(frame * 0.5 + i * 1.7);
        drawSparkle(p, at, 1.5 + 2.0 * twinkle * rng.next(),
                    QColor(0xFF, 0xF4, 0xC8, static_cast<int>(120 + 120 * twinkle)));
    }
    // The name is written out by the quill, left to right.
    const QFont font = houseFont(46);
    QPainterPath word;
    word.addText(0, 0, font, QStringLiteral("Brightquill"));
    const QRectF box = word.boundingRect();
    word.translate(160 - box.center().x(), 98 - box.center().y());
    const QRectF wordBox = word.boundingRect();
    const double write = clamp01((t - 0.22) / 0.5);
    // The clip starts left of the outline's stroke, so nothing shows before the quill writes.
    const double edge = wordBox.left() - 4 + (wordBox.width() + 8) * write;
    p.save();
    p.setClipRect(QRectF(0, 0, edge, size.height()));
    QPen pen(QColor(0x5A, 0x2A, 0x00), 5);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(word);
    QLinearGradient gold(wordBox.topLeft(), wordBox.bottomLeft());
    gold.setColorAt(0.0, QColor(0xFF, 0xF0, 0xA8));
    gold.setColorAt(1.0, QColor(0xFF, 0xB8, 0x20));
    p.setPen(Qt::NoPen);
    p.setBrush(gold);
    p.drawPath(word);
    p.restore();
    // The quill flies in, writes along the baseline, underlines the name with a swoosh and
    // flies off, leaving the name gleaming.
    const double swooshStart = 0.72;
    const double swooshEnd = 0.84;
    const QPointF swooshFrom(wordBox.right() + 2, wordBox.bottom() + 4);
    const QPointF swooshTo(wordBox.left() + 6, wordBox.bottom() + 10);
    auto swooshPoint = [&](double u) {
        const QPointF control(wordBox.center().x(), wordBox.bottom() + 22);
        const double a = 1 - u;
        return QPointF(a * a * swooshFrom.x() + 2 * a * u * control.x() + u * u * swooshTo.x(),
                       a * a * swooshFrom.y() + 2 * a * u * control.y() + u * u * swooshTo.y());
    };
    const double swoosh = clamp01((t - swooshStart) / (swooshEnd - swooshStart));
    if (swoosh > 0) {
        QPainterPath line;
        line.moveTo(swooshPoint(0));
        for (int i = 1; i <= 24; ++i) {
            line.lineTo(swooshPoint(swoosh * i / 24.0));
        }
        p.setPen(QPen(QColor(0xFF, 0xC8, 0x40), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(line);
    }
    QPointF tip;
    if (t < 0.22) {
        const double u = easeOut(t / 0.22);
        tip = QPointF(lerp(360, wordBox.left(), u), lerp(-20, wordBox.bottom() - 6, u));
    } else if (t < swooshStart - 0.02) {
        tip = QPointF(edge, wordBox.bottom() - 6 - 10 * std::abs(std::sin(frame * 1.3)));
    } else if (t < swooshStart) {
        tip = swooshFrom;
    } else if (t < swooshEnd) {
        tip = swooshPoint(swoosh);
    } else {
        const double u = easeInOut((t - swooshEnd) / (1.0 - swooshEnd));
        tip = QPointF(lerp(swooshTo.x(), -80, u), lerp(swooshTo.y(), -90, u));
    }
    if (tip.y() > -60) {
        drawQuill(p, tip, -8, 58);
    }
    if (t > swooshEnd) {
        // The finished name gleams: sparkles burst from its first and last letters.
        const double burst = clamp01((t - swooshEnd) / 0.16);
        for (const QPointF from : {QPointF(wordBox.right() - 8, wordBox.top() + 6),
                                   QPointF(wordBox.left() + 10, wordBox.top() + 4)}) {
            for (int i = 0; i < 8; ++i) {
                const double a = i * kPi / 4 + 0.3;
                const QPointF at(from.x() + std::cos(a) * 40 * burst,
                                 from.y() + std::sin(a) * 32 * burst);
                drawSparkle(p, at, 9 * (1 - burst) + 2, palette::kHoneyLight);
            }
        }
    }
    const double subtitle = clamp01((t - 0.78) / 0.15);
    if (subtitle > 0) {
        p.setOpacity(subtitle);
        drawLettering(p, QStringLiteral("presents"), QPointF(160, 158), houseFont(20, false),
                      QColor(0xE8, 0xEE, 0xFF), QColor(0x14, 0x1D, 0x4A), 1.0);
        p.setOpacity(1.0);
    }
}

// ---------------------------------------------------------------------------------------------

void paintTitleBee(QPainter& p, const QImage& background, int frame, int frames) {
    p.drawImage(0, 0, background);
    const double t = static_cast<double>(frame) / frames;
    const QPointF centre(118, 150);
    struct Letter {
        const char* text;
        QColor colour;
    };
    const Letter letters[] = {{"A", palette::kRed},
                              {"b", palette::kBlue},
                              {"c", palette::kGreen},
                              {"d", palette::kPurple}};
    auto drawLetter = [&](int i, bool front) {
        const double a = 2 * kPi * (t + i / 4.0);
        if ((std::sin(a) > 0) != front) {
            return;
        }
        const double depth = 0.8 + 0.2 * std::sin(a);
        const QPointF at(centre.x() + 100 * std::cos(a), centre.y() + 14 + 34 * std::sin(a));
        QPainterPath bubble;
        bubble.addEllipse(at, 17 * depth, 17 * depth);
        fillOutlined(p, bubble, palette::kWhite, 2.2);
        drawLettering(p, QString::fromLatin1(letters[i].text), at, houseFont(24 * depth),
                      letters[i].colour, letters[i].colour, 0);
    };
    for (int i = 0; i < 4; ++i) {
        drawLetter(i, false);
    }
    BeePose bee;
    bee.centre = QPointF(centre.x(), centre.y() + 7 * std::sin(2 * kPi * t));
    bee.radius = 64;
    bee.wingPhase = (frame % 2) * 0.5;
    bee.mouth = Mouth::Grin;
    bee.rightArm = 0.55 + 0.12 * std::sin(4 * kPi * t);
    bee.leftArm = 0.45 + 0.35 * std::sin(2 * kPi * t);
    bee.holdsPencil = true;
    bee.lookX = 0.3 * std::sin(2 * kPi * t);
    bee.tilt = 4 * std::sin(2 * kPi * t);
    const int blinkAt = frames / 2;
    if (frame == blinkAt + 1) {
        bee.blink = 1.0;
    } else if (frame == blinkAt || frame == blinkAt + 2) {
        bee.blink = 0.5;
    }
    drawBee(p, bee);
    for (int i = 0; i < 4; ++i) {
        drawLetter(i, true);
    }
}

void paintStart(QPainter& p, const QImage& background, int frame, int frames) {
    p.drawImage(0, 0, background);
    const double t = static_cast<double>(frame) / frames;
    const double pulse = 1.0 + 0.06 * std::sin(2 * kPi * t);
    const QPointF centre(57, 58);
    // Glow behind the button.
    QRadialGradient glow(centre, 56 * pulse);
    glow.setColorAt(0.0, QColor(0xFF, 0xF4, 0xB0, 200));
    glow.setColorAt(0.7, QColor(0xFF, 0xE0, 0x60, 90));
    glow.setColorAt(1.0, QColor(0xFF, 0xE0, 0x60, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, 56 * pulse, 56 * pulse);
    p.save();
    p.translate(centre);
    p.scale(pulse, pulse);
    // The button's thickness, then its face.
    p.setPen(Qt::NoPen);
    p.setBrush(palette::kAmberDark.darker(130));
    p.drawPath(hexagon(QPointF(0, 5), 44, true));
    QLinearGradient honey(QPointF(0, -44), QPointF(0, 44));
    honey.setColorAt(0.0, palette::kHoneyLight);
    honey.setColorAt(1.0, palette::kAmber);
    fillOutlined(p, hexagon(QPointF(0, 0), 44, true), honey, 3);
    drawLettering(p, QStringLiteral("Start"), QPointF(0, -8), houseFont(27), palette::kRed,
                  palette::kWhite, 2.5);
    QPainterPath play;
    play.moveTo(-9, 8);
    play.lineTo(12, 18);
    play.lineTo(-9, 28);
    play.closeSubpath();
    fillOutlined(p, play, palette::kGreen, 2.2);
    p.restore();
    for (int i = 0; i < 3; ++i) {
        const double a = 2 * kPi * (t + i / 3.0);
        drawSparkle(p, QPointF(centre.x() + 50 * std::cos(a), centre.y() + 50 * std::sin(a)),
                    4 + 2 * std::sin(4 * kPi * t + i), palette::kWhite);
    }
    // "Click me!" under the button, hopping with the beat.
    drawLettering(p, QStringLiteral("Click me!"),
                  QPointF(57, 113 - 3 * std::abs(std::sin(2 * kPi * t))), houseFont(17),
                  palette::kWhite, palette::kOutline, 2.0);
}

// ---------------------------------------------------------------------------------------------
// The flash card: arrives in frames 0..15, rests at frame 15 with the word slot exactly under
// the word label, leaves in frames 15..30.

constexpr int kCardFrames = 31;

void drawCard(QPainter& p, bool exactSlot) {
    const QRectF card(6, 12, 251, 68);
    QPainterPath shape;
    shape.addRoundedRect(card, 10, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawPath(shape.translated(3, 4));
    QLinearGradient paper(card.topLeft(), card.bottomLeft());
    paper.setColorAt(0.0, palette::kCream);
    paper.setColorAt(1.0, QColor(0xFF, 0xEC, 0xB8));
    fillOutlined(p, shape, paper, 2.0);
    p.setPen(QPen(palette::kHoney, 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(card.adjusted(3.5, 3.5, -3.5, -3.5), 7, 7);
    // Little honeycomb cells in the top corners and the card's bee.
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(palette::kAmberDark, 1.2));
        p.setBrush(palette::kHoney);
        p.drawPath(hexagon(QPointF(22 + 9 * i, 21 + (i % 2) * 2), 4.2));
    }
    BeePose bee;
    bee.centre = QPointF(234, 21);
    bee.radius = 6;
    drawBee(p, bee);
    drawLettering(p, QStringLiteral("Look!"), QPointF(131, 22), houseFont(11), palette::kAmberDark,
                  palette::kAmberDark, 0);
    // The word slot, the label's own grey, so the label lies on the card seamlessly.
    const QRectF slot(layout::kWordLabel);
    if (exactSlot) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(layout::kWordLabel, palette::kLabelGray);
        p.setRenderHint(QPainter::Antialiasing, true);
    } else {
        p.fillRect(slot, palette::kLabelGray);
    }
    p.setPen(QPen(QColor(0xA8, 0xA8, 0xA8), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(slot.adjusted(-1.5, -1.5, 1.5, 1.5));
}

void paintFlashCard(QPainter& p, int frame) {
    p.fillRect(QRectF(0, 0, layout::kFlashCard.width(), layout::kFlashCard.height()),
               palette::kPanelGray);
    if (frame == 0 || frame >= 30) {
        return;
    }
    const QPointF pivot(131, 46);
    double dx = 0;
    double dy = 0;
    double turn = 0;
    if (frame < 15) {
        const double u = easeOut(frame / 15.0);
        dx = lerp(-290, 0, u);
        dy = lerp(-18, 0, u);
        turn = lerp(-16, 0, u);
    } else if (frame > 15) {
        const double u = (frame - 15) / 15.0;
        dx = lerp(0, 300, u * u);
        dy = lerp(0, -22, u * u);
        turn = lerp(0, 14, u * u);
    }
    if (frame != 15) {
        // A trail of sparkles where the card has been.
        for (int i = 1; i <= 3; ++i) {
            const double back = frame < 15 ? -i * 22.0 : i * -22.0;
            drawSparkle(p, QPointF(pivot.x() + dx + back - 125, pivot.y() + dy + 12 * (i % 2) - 8),
                        5 - i, palette::kHoneyLight);
        }
    }
    p.save();
    p.translate(pivot.x() + dx, pivot.y() + dy);
    p.rotate(turn);
    p.translate(-pivot);
    drawCard(p, frame == 15);
    p.restore();
}

// ---------------------------------------------------------------------------------------------
// The reward movies: six short cheerful scenes, each with its own sound.

void rewardTitle(QPainter& p, const QString& text, double t, QColor fill) {
    const double pop = clamp01(t / 0.18);
    const double scale = pop < 1 ? easeOut(pop) * 1.15 : 1.0 + 0.03 * std::sin(t * 20);
    p.save();
    p.translate(159, 38);
    p.scale(scale, scale);
    p.rotate(-3 + 2 * std::sin(t * 9));
    drawLettering(p, text, QPointF(0, 0), houseFont(40), fill, palette::kOutline, 3);
    p.restore();
}

void confetti(QPainter& p, double t, unsigned seed, int count) {
    Rng rng(seed);
    const QColor colours[] = {palette::kRed,   palette::kBlue,   palette::kGreen,
                              palette::kHoney, palette::kPurple, palette::kPink};
    for (int i = 0; i < count; ++i) {
        const double x0 = rng.range(0, 318);
        const double speed = rng.range(90, 170);
        const double y = std::fmod(rng.range(-240, 0) + speed * t * 4, 280.0) - 20;
        const double x = x0 + 10 * std::sin(t * 12 + i);
        p.save();
        p.translate(x, y);
        p.rotate(t * 720 * (i % 2 ? 1 : -1) + i * 40);
        p.setPen(Qt::NoPen);
        p.setBrush(colours[i % 6]);
        p.drawRect(QRectF(-3, -1.8, 6, 3.6));
        p.restore();
    }
}

void dancingBee(QPainter& p, QPointF at, double radius, double t, int frame) {
    BeePose bee;
    const double beat = std::abs(std::sin(t * 4 * kPi * 2));
    bee.centre = QPointF(at.x() + 8 * std::sin(t * 4 * kPi), at.y() - 14 * beat);
    bee.radius = radius;
    bee.squash = 0.08 * (1 - beat) - 0.04;
    bee.wingPhase = (frame % 2) * 0.5;
    bee.mouth = Mouth::Grin;
    bee.leftArm = 0.5 + 0.5 * std::sin(t * 8 * kPi);
    bee.rightArm = 0.5 - 0.5 * std::sin(t * 8 * kPi);
    bee.tilt = 8 * std::sin(t * 4 * kPi);
    drawBee(p, bee);
}

void paintReward(QPainter& p, int number, int frame, int frames) {
    const QRectF all(0, 0, layout::kReward.width(), layout::kReward.height());
    const double t = static_cast<double>(frame) / std::max(1, frames - 1);
    switch (number) {
    case 0: { // Great job! A dance in the meadow under falling confetti.
        drawSky(p, all);
        drawSun(p, QPointF(286, 96), 18, frame * 3.0);
        drawHills(p, all, 190);
        for (int i = 0; i < 4; ++i) {
            drawFlower(p, QPointF(30 + 85 * i, 212), 8, i % 2 ? palette::kPink : palette::kPurple,
                       std::sin(t * 12 + i) * 0.6);
        }
        dancingBee(p, QPointF(159, 140), 40, t, frame);
        confetti(p, t, 11, 60);
        rewardTitle(p, QStringLiteral("Great job!"), t, palette::kHoney);
        break;
    }
    case 1: { // Super speller! Fireworks in the evening sky.
        QLinearGradient dusk(all.topLeft(), all.bottomLeft());
        dusk.setColorAt(0, QColor(0x1E, 0x1B, 0x5A));
        dusk.setColorAt(1, QColor(0x8A, 0x3C, 0x8C));
        p.fillRect(all, dusk);
        const QColor colours[] = {palette::kHoney, palette::kPink, QColor(0x7F, 0xE0, 0xFF),
                                  palette::kGreen.lighter(140)};
        for (int b = 0; b < 4; ++b) {
            const double start = 0.08 + b * 0.2;
            const double u = (t - start) / 0.35;
            if (u <= 0 || u >= 1) {
                continue;
            }
            const QPointF c(60 + 66 * b, 100 + 26 * ((b * 5) % 3));
            const double r = 72 * easeOut(u);
            p.setOpacity(1 - u * u);
            for (int i = 0; i < 18; ++i) {
                const double a = i * 2 * kPi / 18 + b;
                const QPointF end(c.x() + r * std::cos(a), c.y() + r * std::sin(a) + 12 * u * u);
                p.setPen(QPen(colours[b], 3.5, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(c.x() + r * 0.6 * std::cos(a), c.y() + r * 0.6 * std::sin(a)),
                           end);
                drawSparkle(p, end, 5, colours[b].lighter(130));
            }
            p.setOpacity(1);
        }
        QPainterPath ground;
        ground.moveTo(0, 240);
        ground.lineTo(0, 212);
        ground.quadTo(80, 196, 160, 208);
        ground.quadTo(240, 220, 318, 200);
        ground.lineTo(318, 240);
        ground.closeSubpath();
        fillOutlined(p, ground, QColor(0x2E, 0x6A, 0x3A), 2);
        BeePose bee;
        bee.centre = QPointF(159, 170 - 6 * std::abs(std::sin(t * 6 * kPi)));
        bee.radius = 34;
        bee.wingPhase = (frame % 2) * 0.5;
        bee.mouth = Mouth::Grin;
        bee.holdsPencil = true;
        bee.rightArm = 0.9;
        bee.leftArm = 0.3 + 0.5 * std::abs(std::sin(t * 6 * kPi));
        bee.lookY = -0.6;
        drawBee(p, bee);
        rewardTitle(p, QStringLiteral("Super speller!"), t, QColor(0x9F, 0xF0, 0xFF));
        break;
    }
    case 2: { // You're a star! A big star spins in behind the bee.
        QRadialGradient sky(all.center(), 220);
        sky.setColorAt(0, QColor(0xFF, 0xF0, 0xC0));
        sky.setColorAt(1, QColor(0xFF, 0xA8, 0x40));
        p.fillRect(all, sky);
        p.save();
        p.translate(159, 140);
        p.rotate(t * 120);
        for (int i = 0; i < 12; ++i) {
            p.rotate(30);
            QPainterPath ray;
            ray.moveTo(0, 0);
            ray.lineTo(-22, -240);
            ray.lineTo(22, -240);
            ray.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xFF, 0xFF, 0xFF, 70));
            p.drawPath(ray);
        }
        p.restore();
        const double grow = easeOut(clamp01(t / 0.35));
        drawStar(p, QPointF(159, 140), 80 * grow + 1, palette::kHoney, (1 - grow) * 300);
        for (int i = 0; i < 8; ++i) {
            const double a = 2 * kPi * (i / 8.0 + t * 0.5);
            drawStar(p, QPointF(159 + 130 * std::cos(a), 140 + 80 * std::sin(a)), 9,
                     i % 2 ? palette::kPink : palette::kBlue.lighter(140), t * 400);
        }
        BeePose bee;
        bee.centre = QPointF(159, 150 - 5 * std::sin(t * 8 * kPi));
        bee.radius = 32;
        bee.wingPhase = (frame % 2) * 0.5;
        bee.mouth = Mouth::Grin;
        bee.leftArm = 1.0;
        bee.rightArm = 1.0;
        drawBee(p, bee);
        rewardTitle(p, QStringLiteral("You're a star!"), t, palette::kWhite);
        break;
    }
    case 3: { // Well done! Balloons rise, the bee floats up with one.
        drawSky(p, all);
        drawCloud(p, QPointF(60 - 20 * t, 90), 40);
        drawCloud(p, QPointF(270 + 10 * t, 130), 34);
        drawHills(p, all, 205);
        const QColor colours[] = {palette::kRed,    palette::kBlue, palette::kGreen,
                                  palette::kPurple, palette::kPink, palette::kOrange};
        Rng rng(31);
        for (int i = 0; i < 9; ++i) {
            const double x = 20 + i * 35 + rng.range(-8, 8);
            const double y = 260 - (t * 1.2 + rng.range(0, 0.6)) * 300;
            const double sway = 6 * std::sin(t * 10 + i);
            QPainterPath string;
            string.moveTo(x + sway, y + 22);
            string.quadTo(x + sway - 6, y + 40, x + sway, y + 58);
            p.setPen(QPen(palette::kOutline, 1.2));
            p.setBrush(Qt::NoBrush);
            p.drawPath(string);
            QPainterPath balloon;
            balloon.addEllipse(QPointF(x + sway, y), 16, 21);
            QRadialGradient shine(QPointF(x + sway - 6, y - 8), 22);
            shine.setColorAt(0, colours[i % 6].lighter(150));
            shine.setColorAt(1, colours[i % 6]);
            fillOutlined(p, balloon, shine, 1.8);
        }
        const double rise = easeInOut(t);
        QPointF hand(159, 175 - 50 * rise);
        QPainterPath string;
        string.moveTo(hand);
        string.lineTo(hand.x() + 34, hand.y() - 58);
        p.setPen(QPen(palette::kOutline, 1.2));
        p.drawPath(string);
        QPainterPath big;
        big.addEllipse(QPointF(hand.x() + 38, hand.y() - 80), 22, 28);
        fillOutlined(p, big, palette::kRed, 2);
        BeePose bee;
        bee.centre = QPointF(hand.x() - 24, hand.y() + 14);
        bee.radius = 30;
        bee.wingPhase = (frame % 2) * 0.5;
        bee.mouth = Mouth::Grin;
        bee.rightArm = 0.95;
        bee.leftArm = 0.4 + 0.4 * std::sin(t * 10 * kPi);
        bee.tilt = 5 * std::sin(t * 4 * kPi);
        drawBee(p, bee);
        rewardTitle(p, QStringLiteral("Well done!"), t, palette::kHoney);
        break;
    }
    case 4: { // Hooray! A rainbow draws itself and the bee slides along it.
        drawSky(p, all);
        const QColor bands[] = {palette::kRed,   palette::kOrange, palette::kHoney,
                                palette::kGreen, palette::kBlue,   palette::kPurple};
        const double sweep = easeInOut(clamp01(t / 0.45));
        for (int i = 0; i < 6; ++i) {
            const double r = 150 - i * 11;
            p.setPen(QPen(bands[i], 11, Qt::SolidLine, Qt::FlatCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(159 - r, 232 - r, 2 * r, 2 * r), 180 * 16,
                      static_cast<int>(-180 * 16 * sweep));
        }
        drawCloud(p, QPointF(26, 222), 52);
        drawCloud(p, QPointF(292, 222), 52);
        const double ride = easeInOut(clamp01((t - 0.35) / 0.6));
        const double a = kPi - ride * kPi;
        BeePose bee;
        bee.centre = QPointF(159 + 150 * std::cos(a), 232 - 150 * std::sin(a) - 30);
        bee.radius = 26;
        bee.wingPhase = (frame % 2) * 0.5;
        bee.mouth = Mouth::Grin;
        bee.leftArm = 1.0;
        bee.rightArm = 1.0;
        bee.tilt = lerp(-30, 30, ride);
        drawBee(p, bee);
        rewardTitle(p, QStringLiteral("Hooray!"), t, palette::kPink);
        break;
    }
    default: { // Sweet as honey! The bee hugs its honey pot while hearts float up.
        drawHoneycomb(p, all, 18, QColor(0xFF, 0xD2, 0x5A), palette::kAmberDark, 2);
        p.fillRect(all, QColor(0xFF, 0xF4, 0xD0, 90));
        Rng rng(5);
        for (int i = 0; i < 10; ++i) {
            const double x = rng.range(20, 300);
            const double y = 250 - std::fmod(rng.range(0, 250) + t * 260, 260.0);
            drawHeart(p, QPointF(x + 6 * std::sin(t * 9 + i), y), 9 + (i % 3) * 3,
                      i % 2 ? palette::kPink : palette::kRed);
        }
        QPainterPath pot;
        pot.moveTo(110, 150);
        pot.cubicTo(90, 230, 228, 230, 208, 150);
        pot.closeSubpath();
        fillOutlined(p, pot, palette::kAmber, 3);
        QPainterPath rim;
        rim.addRoundedRect(QRectF(104, 140, 110, 16), 8, 8);
        fillOutlined(p, rim, palette::kAmberDark, 3);
        drawLettering(p, QStringLiteral("HONEY"), QPointF(159, 190), houseFont(20), palette::kCream,
                      palette::kAmberDark, 1.5);
        QPainterPath drip;
        const double drop = 8 + 10 * (0.5 + 0.5 * std::sin(t * 6 * kPi));
        drip.addRoundedRect(QRectF(126, 150, 12, drop), 6, 6);
        fillOutlined(p, drip, palette::kHoney, 2);
        BeePose bee;
        bee.centre = QPointF(159, 108 - 5 * std::abs(std::sin(t * 6 * kPi)));
        bee.radius = 30;
        bee.wingPhase = (frame % 2) * 0.5;
        bee.mouth = Mouth::Grin;
        bee.leftArm = 0.0;
        bee.rightArm = 0.0;
        bee.blink = (frame / 8) % 5 == 2 ? 0.9 : 0.0;
        drawBee(p, bee);
        rewardTitle(p, QStringLiteral("Sweet as honey!"), t, palette::kHoneyLight);
        break;
    }
    }
}

// ---------------------------------------------------------------------------------------------
// The phonogram screen's movie: honeycomb curtains open onto the backdrop (frames 0..90) and
// close again with a good-bye (frames 90..180). Frame 90 is the backdrop itself, so the
// screen's still picture takes over without a jump.

constexpr int kPhonoFps = 30;
constexpr int kPhonoFrames = 181;

// One half of the closed curtains; the title is painted across both halves and parts with them.
void drawCurtain(QPainter& p, double shift, bool leftHalf) {
    const double left = leftHalf ? -shift : 158 + shift;
    const QRectF half(left, 0, 158, 158);
    p.save();
    p.setClipRect(half);
    drawHoneycomb(p, half, 12, palette::kHoney, palette::kAmberDark, 2);
    QLinearGradient fold(half.topLeft(), half.topRight());
    const QColor shadow(0x80, 0x40, 0x00, 70);
    const QColor none(0x80, 0x40, 0x00, 0);
    fold.setColorAt(leftHalf ? 0.0 : 1.0, none);
    fold.setColorAt(leftHalf ? 1.0 : 0.0, shadow);
    p.fillRect(half, fold);
    drawLettering(p, QStringLiteral("Phonogram Puzzle"),
                  QPointF(158 + (leftHalf ? -shift : shift), 36), houseFont(30), palette::kWhite,
                  palette::kOutline, 2.5);
    p.restore();
    p.setPen(QPen(palette::kOutline, 2));
    const double edge = leftHalf ? left + 158 : left;
    p.drawLine(QPointF(edge, 0), QPointF(edge, 158));
}

void paintPhono(QPainter& p, const QImage& backdrop, int frame) {
    p.drawImage(0, 0, backdrop);
    double open = 0;
    if (frame <= 90) {
        open = easeInOut((frame - 30) / 50.0);
    } else {
        open = 1.0 - easeInOut((frame - 90) / 50.0);
    }
    if (open < 1.0) {
        const double shift = 158 * open;
        drawCurtain(p, shift, true);
        drawCurtain(p, shift, false);
        if (shift == 0.0) {
            // Closed: the title lies whole across the seam.
            drawLettering(p, QStringLiteral("Phonogram Puzzle"), QPointF(158, 36), houseFont(30),
                          palette::kWhite, palette::kOutline, 2.5);
        }
    }
    // The bee: flies in at the start and away as the curtains part; comes back to wave.
    BeePose bee;
    bee.radius = 24;
    bee.wingPhase = (frame % 2) * 0.5;
    bee.mouth = Mouth::Grin;
    bool show = false;
    if (frame < 80) {
        const double in = easeOut(clamp01(frame / 22.0));
        const double away = easeInOut(clamp01((frame - 45) / 35.0));
        bee.centre =
            QPointF(lerp(-40, 158, in) + 200 * away, 100 - 150 * away + 4 * std::sin(frame * 0.4));
        bee.leftArm = 0.3 + 0.6 * std::abs(std::sin(frame * 0.3));
        bee.tilt = 20 * away;
        show = true;
    } else if (frame >= 128) {
        const double in = easeOut(clamp01((frame - 128) / 24.0));
        bee.centre = QPointF(lerp(360, 158, in), 92 + 4 * std::sin(frame * 0.4));
        bee.rightArm = 0.5 + 0.5 * std::sin(frame * 0.5);
        bee.tilt = -10 * (1 - in);
        show = true;
    }
    if (show) {
        drawBee(p, bee);
    }
    const double words = clamp01((frame - 150) / 10.0);
    if (frame > 90 && words > 0) {
        p.save();
        p.translate(158, 138);
        p.scale(words, words);
        drawLettering(p, QStringLiteral("Bye-bye!"), QPointF(0, 0), houseFont(28), palette::kWhite,
                      palette::kOutline, 2.5);
        p.restore();
    }
}

} // namespace

void writeBeeMovies(const std::string& outDir) {
    const std::string bee = joinPath(outDir, "bee");
    writeBeeMovie(joinPath(bee, "bee.avi"), 30,
                  [](QPainter& p, int f) { drawBee(p, idlePose(f, 30)); });
    writeBeeMovie(joinPath(bee, "beetalk.avi"), 16,
                  [](QPainter& p, int f) { drawBee(p, talkPose(f, 16)); });
    writeBeeMovie(joinPath(bee, "beejump.avi"), 21, [](QPainter& p, int f) {
        if (f >= 7 && f <= 17) {
            const double u = (f - 7) / 10.0;
            for (int i = 0; i < 6; ++i) {
                const double a = i * kPi / 3 + 0.4;
                drawStar(
                    p, QPointF(80 + std::cos(a) * (30 + 36 * u), 48 + std::sin(a) * (20 + 26 * u)),
                    6 * (1 - u) + 2, i % 2 ? palette::kHoney : palette::kPink, u * 200);
            }
        }
        drawBee(p, jumpPose(f));
    });
    writeBeeMovie(joinPath(bee, "beeno.avi"), 21,
                  [](QPainter& p, int f) { drawBee(p, noPose(f, 21)); });
}

void writeScreenMovies(const std::string& outDir, const std::string& audioDir) {
    const std::string movies = joinPath(outDir, "movies");

    writeMovie(joinPath(movies, "loading.avi"), layout::kLoading, kFps, 30, nullptr,
               [](QPainter& p, int f) { p.drawImage(0, 0, loadingFrame(f, 30)); });

    const std::optional<Sound> jingle = track(audioDir, "jingle_logo.wav");
    const int logoFrames = framesForSound(*jingle, kFps, 30);
    writeMovie(joinPath(movies, "qrv.avi"), layout::kLogo, kFps, logoFrames, &*jingle,
               [&](QPainter& p, int f) { paintLogo(p, f, logoFrames); });

    const QImage title = titleScreen();
    const QImage beeBackground = title.copy(layout::kTitleBee);
    writeMovie(joinPath(movies, "titlebee.avi"), layout::kTitleBee.size(), kFps, 30, nullptr,
               [&](QPainter& p, int f) { paintTitleBee(p, beeBackground, f, 30); });
    const QImage startBackground = title.copy(layout::kStartArea);
    writeMovie(joinPath(movies, "start.avi"), layout::kStartArea.size(), kFps, 20, nullptr,
               [&](QPainter& p, int f) { paintStart(p, startBackground, f, 20); });

    writeMovie(joinPath(movies, "flashcrd.avi"), layout::kFlashCard, kFps, kCardFrames, nullptr,
               [](QPainter& p, int f) { paintFlashCard(p, f); });

    for (int n = 0; n < kRewardCount; ++n) {
        const std::optional<Sound> cheer = track(audioDir, "reward_" + std::to_string(n) + ".wav");
        const int frames = framesForSound(*cheer, kFps, 45);
        writeMovie(joinPath(movies, "greatjob/" + std::to_string(n) + ".avi"), layout::kReward,
                   kFps, frames, &*cheer,
                   [&](QPainter& p, int f) { paintReward(p, n, f, frames); });
    }

    const QImage backdrop = phonoBackdrop();
    writeMovie(joinPath(movies, "phono.avi"), layout::kPhonoBackdrop, kPhonoFps, kPhonoFrames,
               nullptr, [&](QPainter& p, int f) { paintPhono(p, backdrop, f); });
}

} // namespace hc::content
