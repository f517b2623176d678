#include "content/gen/bee.h"

#include "content/gen/art.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace hc::content {

namespace {

void drawWing(QPainter& p, double side, double R, double beat, double line) {
    p.save();
    p.translate(side * R * 0.45, -R * 0.72);
    p.rotate(side * (28.0 + 22.0 * beat));
    p.scale(1.0, 1.0 - 0.45 * beat);
    QPainterPath wing;
    wing.addEllipse(QPointF(side * R * 0.32, -R * 0.42), R * 0.36, R * 0.56);
    QColor fill(0xDD, 0xF3, 0xFF, 215);
    p.setPen(QPen(QColor(0x4D, 0x7E, 0xA8), line * 0.8));
    p.setBrush(fill);
    p.drawPath(wing);
    // A vein and a shine make the wing read as glassy at small sizes.
    p.setPen(QPen(QColor(0x9C, 0xC8, 0xE8), line * 0.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(side * R * 0.1, -R * 0.1), QPointF(side * R * 0.36, -R * 0.7));
    p.restore();
}

void drawArm(QPainter& p, double side, double R, double raise, double line, bool pencil) {
    p.save();
    p.translate(side * R * 0.98, R * 0.18);
    const double angle = side * (20.0 - 120.0 * raise); // from hanging down-out to raised high
    p.rotate(angle);
    QPainterPath arm;
    arm.moveTo(0, 0);
    arm.quadTo(side * R * 0.22, R * 0.12, side * R * 0.34, R * 0.3);
    p.setPen(QPen(palette::kStripe, line * 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arm);
    const QPointF hand(side * R * 0.36, R * 0.33);
    if (pencil) {
        p.save();
        p.translate(hand);
        p.rotate(side * -35.0);
        const double w = R * 0.16;
        const double l = R * 0.95;
        QPainterPath body;
        body.addRect(QRectF(-w / 2, -l * 0.8, w, l * 0.7));
        fillOutlined(p, body, palette::kOrange, line * 0.8);
        QPainterPath band;
        band.addRect(QRectF(-w / 2, -l * 0.95, w, l * 0.15));
        fillOutlined(p, band, palette::kPink, line * 0.8);
        QPainterPath tip;
        tip.moveTo(-w / 2, -l * 0.1);
        tip.lineTo(w / 2, -l * 0.1);
        tip.lineTo(0, l * 0.15);
        tip.closeSubpath();
        fillOutlined(p, tip, palette::kCream, line * 0.8);
        p.setPen(Qt::NoPen);
        p.setBrush(palette::kOutline);
        p.drawEllipse(QPointF(0, l * 0.1), w * 0.18, w * 0.25);
        p.restore();
    }
    p.setPen(QPen(palette::kOutline, line * 0.8));
    p.setBrush(palette::kStripe);
    p.drawEllipse(hand, R * 0.1, R * 0.1);
    p.restore();
}

void drawEye(QPainter& p, QPointF c, double R, const BeePose& pose, double line) {
    const double w = R * 0.2;
    const double h = R * 0.26;
    if (pose.blink >= 0.9) {
        // Closed: a happy curved lash line.
        QPainterPath lid;
        lid.moveTo(c.x() - w, c.y() + h * 0.1);
        lid.quadTo(c.x(), c.y() + h * 0.7, c.x() + w, c.y() + h * 0.1);
        p.setPen(QPen(palette::kOutline, line * 1.2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(lid);
        return;
    }
    QPainterPath white;
    white.addEllipse(c, w, h);
    p.setPen(QPen(palette::kOutline, line));
    p.setBrush(Qt::white);
    p.drawPath(white);
    p.save();
    p.setClipPath(white);
    const QPointF pupil(c.x() + pose.lookX * w * 0.38, c.y() + R * 0.03 + pose.lookY * h * 0.3);
    p.setPen(Qt::NoPen);
    p.setBrush(palette::kStripe);
    p.drawEllipse(pupil, w * 0.68, h * 0.64);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(pupil.x() - w * 0.25, pupil.y() - h * 0.28), w * 0.26, w * 0.26);
    p.drawEllipse(QPointF(pupil.x() + w * 0.22, pupil.y() + h * 0.25), w * 0.11, w * 0.11);
    if (pose.blink > 0.0) {
        // The lid comes down from the top in body colour.
        const double lid = c.y() - h + 2.0 * h * pose.blink;
        p.setBrush(palette::kHoney);
        p.drawRect(QRectF(c.x() - w - 1, c.y() - h - 1, 2 * w + 2, lid - (c.y() - h) + 1));
        p.setPen(QPen(palette::kOutline, line));
        p.drawLine(QPointF(c.x() - w, lid), QPointF(c.x() + w, lid));
    }
    p.restore();
    p.setPen(QPen(palette::kOutline, line));
    p.setBrush(Qt::NoBrush);
    p.drawPath(white);
}

void drawMouth(QPainter& p, double R, const BeePose& pose, double line) {
    const QPointF c(0, R * 0.2);
    QPen pen(palette::kOutline, line * 1.1, Qt::SolidLine, Qt::RoundCap);
    switch (pose.mouth) {
    case Mouth::Smile: {
        QPainterPath smile;
        smile.moveTo(c.x() - R * 0.2, c.y() - R * 0.02);
        smile.quadTo(c.x(), c.y() + R * 0.2, c.x() + R * 0.2, c.y() - R * 0.02);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(smile);
        break;
    }
    case Mouth::Frown: {
        QPainterPath frown;
        frown.moveTo(c.x() - R * 0.15, c.y() + R * 0.1);
        frown.quadTo(c.x(), c.y() - R * 0.02, c.x() + R * 0.15, c.y() + R * 0.1);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(frown);
        break;
    }
    case Mouth::Open:
    case Mouth::Grin: {
        const double open = pose.mouth == Mouth::Grin ? 1.0 : pose.mouthOpen;
        const double w = pose.mouth == Mouth::Grin ? R * 0.26 : R * (0.13 + 0.08 * open);
        const double h = R * (0.05 + 0.2 * open);
        QPainterPath mouth;
        if (pose.mouth == Mouth::Grin) {
            mouth.moveTo(c.x() - w, c.y() - R * 0.02);
            mouth.quadTo(c.x(), c.y() - R * 0.06, c.x() + w, c.y() - R * 0.02);
            mouth.quadTo(c.x() + w * 0.9, c.y() + h * 1.2, c.x(), c.y() + h * 1.25);
            mouth.quadTo(c.x() - w * 0.9, c.y() + h * 1.2, c.x() - w, c.y() - R * 0.02);
        } else {
            mouth.addEllipse(QPointF(c.x(), c.y() + h * 0.4), w, h);
        }
        p.setPen(QPen(palette::kOutline, line));
        p.setBrush(QColor(0x8A, 0x1E, 0x2A));
        p.drawPath(mouth);
        p.save();
        p.setClipPath(mouth);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0x7A, 0x8C));
        p.drawEllipse(QPointF(c.x(), c.y() + h * 1.25), w * 0.7, h * 0.6);
        p.restore();
        break;
    }
    }
}

} // namespace

void drawBee(QPainter& p, const BeePose& pose) {
    const double R = pose.radius;
    const double line = outlineFor(R * 2.2);
    p.save();
    p.translate(pose.centre);
    p.rotate(pose.tilt);
    // Squash and stretch about the bottom of the body, keeping the volume.
    p.translate(0, R);
    p.scale(1.0 + pose.squash, 1.0 / (1.0 + pose.squash));
    p.translate(0, -R);

    const double beat = 0.5 - 0.5 * std::cos(pose.wingPhase * 2.0 * std::numbers::pi);
    drawWing(p, -1, R, beat, line);
    drawWing(p, +1, R, beat, line);

    // Stinger below the body.
    QPainterPath sting;
    sting.moveTo(-R * 0.14, R * 0.9);
    sting.lineTo(0, R * 1.22);
    sting.lineTo(R * 0.14, R * 0.9);
    sting.closeSubpath();
    fillOutlined(p, sting, palette::kStripe, line);

    // Antennae.
    for (double side : {-1.0, 1.0}) {
        QPainterPath stalk;
        stalk.moveTo(side * R * 0.25, -R * 0.85);
        stalk.quadTo(side * R * 0.3, -R * 1.35, side * R * 0.58, -R * 1.42);
        p.setPen(QPen(palette::kStripe, line * 1.2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(stalk);
        p.setPen(QPen(palette::kOutline, line * 0.8));
        p.setBrush(palette::kStripe);
        p.drawEllipse(QPointF(side * R * 0.6, -R * 1.42), R * 0.12, R * 0.12);
    }

    // The round body with its stripes.
    QPainterPath body;
    body.addEllipse(QPointF(0, 0), R * 1.06, R);
    QRadialGradient shade(QPointF(-R * 0.35, -R * 0.45), R * 1.6);
    shade.setColorAt(0.0, palette::kHoneyLight);
    shade.setColorAt(0.55, palette::kHoney);
    shade.setColorAt(1.0, palette::kAmber);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPath(body);
    p.save();
    p.setClipPath(body);
    p.setBrush(palette::kStripe);
    for (double y : {0.46, 0.82}) {
        QPainterPath stripe;
        const double t = 0.15;
        stripe.moveTo(-R * 1.2, R * (y - t));
        stripe.quadTo(0, R * (y - t + 0.16), R * 1.2, R * (y - t));
        stripe.lineTo(R * 1.2, R * (y + t));
        stripe.quadTo(0, R * (y + t + 0.16), -R * 1.2, R * (y + t));
        stripe.closeSubpath();
        p.drawPath(stripe);
    }
    p.restore();
    p.setPen(QPen(palette::kOutline, line));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);

    // Arms in front of the body, so a raised hand (and its pencil) is never hidden.
    drawArm(p, -1, R, pose.leftArm, line, false);
    drawArm(p, +1, R, pose.rightArm, line, pose.holdsPencil);

    // Face: big eyes, rosy cheeks, mouth.
    drawEye(p, QPointF(-R * 0.3, -R * 0.3), R, pose, line);
    drawEye(p, QPointF(R * 0.3, -R * 0.3), R, pose, line);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0x80, 0x90, 150));
    p.drawEllipse(QPointF(-R * 0.62, R * 0.02), R * 0.14, R * 0.09);
    p.drawEllipse(QPointF(R * 0.62, R * 0.02), R * 0.14, R * 0.09);
    drawMouth(p, R, pose, line);
    p.restore();
}

} // namespace hc::content
