// The pictures stored with the screens, as PNGs for Qt's resource system.

#include "content/gen/art.h"
#include "content/gen/bee.h"
#include "content/gen/generators.h"
#include "content/gen/scenes.h"

#include "archive/error.h"

#include <QFile>
#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

namespace hc::content {

namespace {

QImage wallpaper() {
    // 16:10, between the old 4:3 screens and today's 16:9, so stretching distorts little.
    QImage image = newImage(1280, 800);
    QPainter p(&image);
    prepare(p);
    const QRectF all(0, 0, image.width(), image.height());
    QRadialGradient warm(all.center(), 820);
    warm.setColorAt(0.0, QColor(0xFF, 0xD8, 0x6A));
    warm.setColorAt(1.0, QColor(0xF0, 0xA0, 0x20));
    p.fillRect(all, warm);
    // Soft honeycomb drawn as thin light lines over the warm ground.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xFF, 0xF0, 0xC0, 120), 3));
    const double r = 40;
    const double dx = r * 1.5;
    const double dy = r * std::sqrt(3.0);
    int column = 0;
    for (double x = 0; x < all.width() + r; x += dx, ++column) {
        for (double y = (column % 2) ? dy / 2 : 0; y < all.height() + dy; y += dy) {
            p.drawPath(hexagon(QPointF(x, y), r - 3));
        }
    }
    // A few happy bees along the edges, where the program's windows rarely cover them.
    const struct {
        double x, y, r, tilt;
    } bees[] = {{100, 96, 34, -12}, {1170, 130, 28, 10}, {130, 700, 26, 8}, {1150, 690, 36, -6}};
    for (const auto& b : bees) {
        BeePose bee;
        bee.centre = QPointF(b.x, b.y);
        bee.radius = b.r;
        bee.tilt = b.tilt;
        bee.leftArm = 0.3;
        bee.rightArm = 0.6;
        drawBee(p, bee);
    }
    return image;
}

QImage menuPicture() {
    const QSize size = layout::kMenuPicture;
    QImage image = newImage(size.width(), size.height());
    QPainter p(&image);
    prepare(p);
    const QRectF all(0, 0, size.width(), size.height());
    drawSky(p, all);
    drawSun(p, QPointF(302, 24), 13, 0);
    drawCloud(p, QPointF(30, 70), 26);
    drawCloud(p, QPointF(300, 96), 22);
    drawHills(p, all, 150);
    drawLettering(p, QStringLiteral("What shall we play?"), QPointF(162, 23), houseFont(22),
                  palette::kHoney, palette::kOutline, 2.2);
    // A hive on the left edge and flowers along the bottom, framing the two big buttons.
    QPainterPath hive;
    hive.addRoundedRect(QRectF(6, 104, 34, 44), 14, 14);
    fillOutlined(p, hive, palette::kAmber, 1.6);
    p.setPen(QPen(palette::kAmberDark, 1.6));
    for (int i = 1; i < 4; ++i) {
        p.drawLine(QPointF(9, 104 + 11 * i), QPointF(37, 104 + 11 * i));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(palette::kOutline);
    p.drawEllipse(QPointF(23, 138), 4, 4);
    const QColor colours[] = {palette::kPink, palette::kPurple.lighter(130), palette::kRed,
                              palette::kBlue.lighter(140), palette::kPink};
    for (int i = 0; i < 5; ++i) {
        drawFlower(p, QPointF(22 + 70 * i, 174 + 6 * (i % 2)), 7, colours[i], 0.0);
    }
    BeePose bee;
    bee.centre = QPointF(303, 150);
    bee.radius = 14;
    bee.leftArm = 0.8;
    bee.lookX = -0.7;
    drawBee(p, bee);
    return image;
}

// Button glyphs are drawn in a 64-unit box and scaled to their size, so the small ones are
// the same drawings as the large ones.
void drawPencilGlyph(QPainter& p) {
    QPainterPath card;
    card.addRoundedRect(QRectF(3, 14, 44, 40), 5, 5);
    fillOutlined(p, card, palette::kCream, 2.2);
    drawLettering(p, QStringLiteral("abc"), QPointF(23, 32), houseFont(18), palette::kBlue,
                  palette::kBlue, 0);
    p.setPen(QPen(palette::kRed, 2));
    p.drawLine(QPointF(9, 44), QPointF(38, 44));
    p.save();
    p.translate(47, 38);
    p.scale(0.85, 0.85);
    p.rotate(28);
    QPainterPath body;
    body.addRect(QRectF(-5, -26, 10, 30));
    fillOutlined(p, body, palette::kOrange, 2);
    QPainterPath rubber;
    rubber.addRoundedRect(QRectF(-5, -33, 10, 8), 2, 2);
    fillOutlined(p, rubber, palette::kPink, 2);
    QPainterPath tip;
    tip.moveTo(-5, 4);
    tip.lineTo(5, 4);
    tip.lineTo(0, 15);
    tip.closeSubpath();
    fillOutlined(p, tip, palette::kCream, 2);
    p.restore();
}

void drawPuzzleGlyph(QPainter& p) {
    auto piece = [&](QPointF at, QColor colour, double turn) {
        p.save();
        p.translate(at);
        p.rotate(turn);
        QPainterPath path;
        path.moveTo(-14, -14);
        path.lineTo(-4, -14);
        path.arcTo(QRectF(-5, -21, 10, 10), 210, -240);
        path.lineTo(14, -14);
        path.lineTo(14, -4);
        path.arcTo(QRectF(11, -5, 10, 10), 120, -240);
        path.lineTo(14, 14);
        path.lineTo(-14, 14);
        path.closeSubpath();
        fillOutlined(p, path, colour, 2.2);
        p.restore();
    };
    piece(QPointF(22, 38), palette::kBlue.lighter(120), 0);
    piece(QPointF(42, 24), palette::kHoney, 12);
    drawLettering(p, QStringLiteral("sh"), QPointF(42, 26), houseFont(16), palette::kOutline,
                  palette::kOutline, 0);
    drawLettering(p, QStringLiteral("ai"), QPointF(21, 40), houseFont(16), palette::kWhite,
                  palette::kWhite, 0);
}

void drawNewUserGlyph(QPainter& p) {
    QPainterPath shoulders;
    shoulders.addRoundedRect(QRectF(10, 40, 36, 26), 14, 14);
    fillOutlined(p, shoulders, palette::kBlue, 2.4);
    QPainterPath head;
    head.addEllipse(QPointF(28, 26), 14, 14);
    fillOutlined(p, head, QColor(0xFF, 0xD6, 0xB0), 2.4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x7A, 0x4A, 0x1E));
    p.drawChord(QRectF(13, 11, 30, 24), 10 * 16, 160 * 16);
    p.setBrush(palette::kOutline);
    p.drawEllipse(QPointF(23, 27), 2, 2.4);
    p.drawEllipse(QPointF(33, 27), 2, 2.4);
    p.setPen(QPen(palette::kOutline, 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(22, 26, 12, 9), -20 * 16, -140 * 16);
    QPainterPath badge;
    badge.addEllipse(QPointF(50, 48), 12, 12);
    fillOutlined(p, badge, palette::kGreen, 2.4);
    p.setPen(QPen(palette::kWhite, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(50, 42), QPointF(50, 54));
    p.drawLine(QPointF(44, 48), QPointF(56, 48));
}

void drawReportGlyph(QPainter& p) {
    QPainterPath card;
    card.addRoundedRect(QRectF(8, 6, 44, 54), 5, 5);
    fillOutlined(p, card, palette::kWhite, 2.4);
    p.setPen(QPen(palette::kBlue.lighter(130), 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(15, 34 + 8 * i), QPointF(44, 34 + 8 * i));
    }
    drawStar(p, QPointF(30, 20), 12, palette::kHoney, 0);
    QPainterPath ribbon;
    ribbon.addEllipse(QPointF(50, 50), 10, 10);
    fillOutlined(p, ribbon, palette::kRed, 2.2);
    drawLettering(p, QStringLiteral("A"), QPointF(50, 50), houseFont(14), palette::kWhite,
                  palette::kWhite, 0);
}

void drawWordListGlyph(QPainter& p) {
    QPainterPath pad;
    pad.addRoundedRect(QRectF(10, 6, 44, 54), 5, 5);
    fillOutlined(p, pad, palette::kHoneyLight, 2.4);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::kRed);
    p.drawRoundedRect(QRectF(10, 6, 44, 10), 4, 4);
    p.setPen(QPen(palette::kOutline, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(10, 6, 44, 54), 5, 5);
    for (int i = 0; i < 4; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(palette::kGreen);
        p.drawEllipse(QPointF(18, 25 + 9 * i), 2.6, 2.6);
        p.setPen(QPen(palette::kOutline, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(25, 25 + 9 * i), QPointF(46 - 6 * (i % 2), 25 + 9 * i));
    }
}

void drawDiskGlyph(QPainter& p) {
    QPainterPath disk;
    disk.moveTo(6, 6);
    disk.lineTo(50, 6);
    disk.lineTo(58, 14);
    disk.lineTo(58, 58);
    disk.lineTo(6, 58);
    disk.closeSubpath();
    fillOutlined(p, disk, palette::kBlue, 2.6);
    QPainterPath shutter;
    shutter.addRoundedRect(QRectF(18, 6, 28, 18), 2, 2);
    fillOutlined(p, shutter, QColor(0xD0, 0xD8, 0xE0), 2.2);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::kBlue.darker(130));
    p.drawRect(QRectF(36, 9, 6, 12));
    QPainterPath label;
    label.addRoundedRect(QRectF(14, 32, 36, 24), 3, 3);
    fillOutlined(p, label, palette::kWhite, 2.2);
    BeePose bee;
    bee.centre = QPointF(32, 45);
    bee.radius = 7.5;
    drawBee(p, bee);
}

void drawYesGlyph(QPainter& p) {
    QPainterPath badge;
    badge.addEllipse(QPointF(32, 32), 27, 27);
    QRadialGradient shine(QPointF(24, 22), 36);
    shine.setColorAt(0, palette::kGreen.lighter(140));
    shine.setColorAt(1, palette::kGreen);
    fillOutlined(p, badge, shine, 2.6);
    QPainterPath tick;
    tick.moveTo(18, 33);
    tick.lineTo(28, 43);
    tick.lineTo(47, 21);
    p.setPen(QPen(palette::kWhite, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

void drawNoGlyph(QPainter& p) {
    QPainterPath badge;
    badge.addEllipse(QPointF(32, 32), 27, 27);
    QRadialGradient shine(QPointF(24, 22), 36);
    shine.setColorAt(0, palette::kRed.lighter(140));
    shine.setColorAt(1, palette::kRed);
    fillOutlined(p, badge, shine, 2.6);
    p.setPen(QPen(palette::kWhite, 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(21, 21), QPointF(43, 43));
    p.drawLine(QPointF(43, 21), QPointF(21, 43));
}

void drawPrinterGlyph(QPainter& p) {
    QPainterPath paper;
    paper.addRect(QRectF(16, 4, 32, 22));
    fillOutlined(p, paper, palette::kWhite, 3.5);
    QPainterPath body;
    body.addRoundedRect(QRectF(4, 22, 56, 26), 6, 6);
    fillOutlined(p, body, QColor(0x9C, 0xA8, 0xB8), 3.5);
    QPainterPath out;
    out.addRect(QRectF(14, 40, 36, 20));
    fillOutlined(p, out, palette::kWhite, 3.5);
    p.setPen(QPen(palette::kBlue, 3.5));
    p.drawLine(QPointF(20, 48), QPointF(44, 48));
    p.drawLine(QPointF(20, 54), QPointF(38, 54));
    p.setPen(Qt::NoPen);
    p.setBrush(palette::kGreen);
    p.drawEllipse(QPointF(51, 30), 3.5, 3.5);
}

// Tool-bar glyphs of the options form, drawn for 16 x 16: few shapes, outlines of at least
// one pixel (4 units), so each reads at a glance at that size.
constexpr double kToolLine = 4.0;

QPainterPath sheet(QRectF box) {
    QPainterPath path;
    path.moveTo(box.topLeft());
    path.lineTo(box.right() - 10, box.top());
    path.lineTo(box.right(), box.top() + 10);
    path.lineTo(box.bottomRight());
    path.lineTo(box.bottomLeft());
    path.closeSubpath();
    return path;
}

void drawToolDiskGlyph(QPainter& p) {
    QPainterPath disk;
    disk.moveTo(6, 6);
    disk.lineTo(48, 6);
    disk.lineTo(58, 16);
    disk.lineTo(58, 58);
    disk.lineTo(6, 58);
    disk.closeSubpath();
    fillOutlined(p, disk, palette::kBlue, kToolLine);
    QPainterPath shutter;
    shutter.addRect(QRectF(18, 6, 26, 16));
    fillOutlined(p, shutter, palette::kSilver, kToolLine);
    QPainterPath label;
    label.addRect(QRectF(16, 34, 32, 24));
    fillOutlined(p, label, palette::kWhite, kToolLine);
}

void drawToolDeleteUserGlyph(QPainter& p) {
    QPainterPath shoulders;
    shoulders.addRoundedRect(QRectF(4, 38, 40, 26), 12, 12);
    fillOutlined(p, shoulders, palette::kBlue, kToolLine);
    QPainterPath head;
    head.addEllipse(QPointF(24, 22), 13, 13);
    fillOutlined(p, head, QColor(0xFF, 0xD6, 0xB0), kToolLine);
    QPainterPath badge;
    badge.addEllipse(QPointF(47, 45), 15, 15);
    fillOutlined(p, badge, palette::kRed, kToolLine);
    p.setPen(QPen(palette::kWhite, 7, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(38, 45), QPointF(56, 45));
}

void drawToolClearGlyph(QPainter& p) {
    fillOutlined(p, sheet(QRectF(8, 4, 44, 56)), palette::kWhite, kToolLine);
    p.setPen(QPen(palette::kRed, 8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18, 20), QPointF(50, 54));
    p.drawLine(QPointF(50, 20), QPointF(18, 54));
}

void drawToolImportGlyph(QPainter& p) {
    fillOutlined(p, sheet(QRectF(22, 4, 38, 56)), palette::kWhite, kToolLine);
    p.setPen(QPen(palette::kOutline, 4, Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(36, 26 + 11 * i), QPointF(52, 26 + 11 * i));
    }
    QPainterPath arrow;
    arrow.moveTo(2, 26);
    arrow.lineTo(20, 26);
    arrow.lineTo(20, 14);
    arrow.lineTo(40, 34);
    arrow.lineTo(20, 54);
    arrow.lineTo(20, 42);
    arrow.lineTo(2, 42);
    arrow.closeSubpath();
    fillOutlined(p, arrow, palette::kGreen, 3);
}

void drawToolCutGlyph(QPainter& p) {
    p.setPen(QPen(palette::kOutline, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 40), QPointF(46, 4));
    p.drawLine(QPointF(40, 40), QPointF(18, 4));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(palette::kRed, 6));
    p.drawEllipse(QPointF(18, 50), 10, 10);
    p.drawEllipse(QPointF(46, 50), 10, 10);
}

void drawToolCopyGlyph(QPainter& p) {
    fillOutlined(p, sheet(QRectF(6, 6, 34, 42)), palette::kWhite, kToolLine);
    fillOutlined(p, sheet(QRectF(24, 18, 34, 42)), palette::kWhite, kToolLine);
    p.setPen(QPen(palette::kBlue, 4, Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(32, 34 + 8 * i), QPointF(52, 34 + 8 * i));
    }
}

void drawToolPasteGlyph(QPainter& p) {
    QPainterPath board;
    board.addRoundedRect(QRectF(4, 8, 44, 54), 5, 5);
    fillOutlined(p, board, QColor(0xB8, 0x74, 0x32), kToolLine);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(16, 2, 20, 12), 3, 3);
    fillOutlined(p, clip, palette::kSilver, kToolLine);
    fillOutlined(p, sheet(QRectF(26, 22, 34, 40)), palette::kWhite, kToolLine);
    p.setPen(QPen(palette::kBlue, 4, Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(32, 36 + 8 * i), QPointF(52, 36 + 8 * i));
    }
}

template <typename Draw> QImage glyph(int size, Draw draw) {
    QImage image = newImage(size, size);
    QPainter p(&image);
    prepare(p);
    p.scale(size / 64.0, size / 64.0);
    draw(p);
    return image;
}

QImage studentIcon(int size) {
    QImage image = newImage(size, size);
    QPainter p(&image);
    prepare(p);
    const double s = size / 256.0;
    p.scale(s, s);
    QPainterPath cell = hexagon(QPointF(128, 128), 124, true);
    QRadialGradient honey(QPointF(100, 90), 200);
    honey.setColorAt(0, palette::kHoneyLight);
    honey.setColorAt(1, palette::kAmber);
    fillOutlined(p, cell, honey, 8);
    BeePose bee;
    bee.centre = QPointF(128, 146);
    bee.radius = 62;
    bee.mouth = Mouth::Grin;
    bee.rightArm = 0.7;
    bee.holdsPencil = true;
    drawBee(p, bee);
    return image;
}

QImage optionsIcon(int size) {
    QImage image = newImage(size, size);
    QPainter p(&image);
    prepare(p);
    const double s = size / 256.0;
    p.scale(s, s);
    // The teacher's tool: a clipboard with the bee's word list and a gear.
    QPainterPath board;
    board.addRoundedRect(QRectF(36, 24, 172, 216), 18, 18);
    fillOutlined(p, board, QColor(0xB8, 0x74, 0x32), 8);
    QPainterPath paper;
    paper.addRoundedRect(QRectF(54, 52, 136, 172), 8, 8);
    fillOutlined(p, paper, palette::kWhite, 6);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(90, 12, 64, 34), 10, 10);
    fillOutlined(p, clip, QColor(0xA0, 0xA8, 0xB4), 6);
    for (int i = 0; i < 4; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(palette::kGreen);
        p.drawEllipse(QPointF(78, 84 + 36 * i), 8, 8);
        p.setPen(QPen(palette::kOutline, 9, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(100, 84 + 36 * i), QPointF(168 - 20 * (i % 2), 84 + 36 * i));
    }
    // Gear.
    p.save();
    p.translate(196, 196);
    QPainterPath gear;
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-11, -54, 22, 26), 4, 4);
        QTransform turn;
        turn.rotate(45.0 * i);
        gear = gear.united(turn.map(tooth));
    }
    QPainterPath ring;
    ring.addEllipse(QPointF(0, 0), 40, 40);
    gear = gear.united(ring);
    QPainterPath hole;
    hole.addEllipse(QPointF(0, 0), 15, 15);
    gear = gear.subtracted(hole);
    fillOutlined(p, gear, palette::kHoney, 7);
    p.restore();
    return image;
}

struct Picture {
    const char* file;
    QImage image;
};

} // namespace

void writeIcons(const std::string& outDir, const std::string& studentName,
                const std::string& optionsName) {
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string folder =
            joinPath(outDir, std::to_string(size) + "x" + std::to_string(size) + "/apps");
        std::filesystem::create_directories(folder);
        saveImage(studentIcon(size), joinPath(folder, studentName + ".png"), "PNG");
        saveImage(optionsIcon(size), joinPath(folder, optionsName + ".png"), "PNG");
    }
}

void writePictures(const std::string& outDir) {
    std::vector<Picture> pictures = {
        {"wallpaper.png", wallpaper()},
        {"loading.png", loadingFrame(0, 30)},
        {"title.png", titleArt()},
        {"floor.png", checkerFloor()},
        {"mainmenu.png", menuPicture()},
        {"spelling.png", glyph(64, drawPencilGlyph)},
        {"phonogram.png", glyph(64, drawPuzzleGlyph)},
        {"newuser.png", glyph(32, drawNewUserGlyph)},
        {"reportcard.png", glyph(32, drawReportGlyph)},
        {"wordlist.png", glyph(32, drawWordListGlyph)},
        {"disk.png", glyph(32, drawDiskGlyph)},
        {"yes.png", glyph(48, drawYesGlyph)},
        {"no.png", glyph(48, drawNoGlyph)},
        {"print.png", glyph(16, drawPrinterGlyph)},
        {"tool-disk.png", glyph(16, drawToolDiskGlyph)},
        {"tool-deleteuser.png", glyph(16, drawToolDeleteUserGlyph)},
        {"tool-clear.png", glyph(16, drawToolClearGlyph)},
        {"tool-import.png", glyph(16, drawToolImportGlyph)},
        {"tool-cut.png", glyph(16, drawToolCutGlyph)},
        {"tool-copy.png", glyph(16, drawToolCopyGlyph)},
        {"tool-paste.png", glyph(16, drawToolPasteGlyph)},
        {"phonobackdrop.png", phonoBackdrop()},
        {"godown.png", goButton(ButtonLook::Pressed)},
        {"godark.png", goButton(ButtonLook::Dark)},
        {"repeatdown.png", repeatButton(ButtonLook::Pressed)},
        {"repeatdark.png", repeatButton(ButtonLook::Dark)},
        {"honeycomb-icon.png", studentIcon(256)},
        {"honeycomb-icon-32.png", studentIcon(32)},
        {"options-icon.png", optionsIcon(256)},
        {"options-icon-32.png", optionsIcon(32)},
    };
    std::string qrc = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/pictures\">\n";
    for (const Picture& picture : pictures) {
        bool opaque = true;
        for (int y = 0; y < picture.image.height() && opaque; ++y) {
            for (int x = 0; x < picture.image.width(); ++x) {
                if (qAlpha(picture.image.pixel(x, y)) != 255) {
                    opaque = false;
                    break;
                }
            }
        }
        // Pictures that cover their control fully are stored without an alpha channel.
        const QImage opaqueOrNot =
            picture.image.convertToFormat(opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
        saveImage(opaqueOrNot, joinPath(outDir, picture.file), "PNG");
        qrc += std::string("  <file>") + picture.file + "</file>\n";
    }
    qrc += "</qresource>\n</RCC>\n";
    std::ofstream out(joinPath(outDir, "pictures.qrc"), std::ios::binary);
    out << qrc;
    if (!out) {
        throw Error("Can't write " + joinPath(outDir, "pictures.qrc"));
    }
}

} // namespace hc::content
