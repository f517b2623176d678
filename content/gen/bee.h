#pragma once

// The narrator bee, the one character of the whole product. Every picture and movie that shows
// a bee draws it through drawBee, so it is always the same bee.

#include <QPainter>
#include <QPointF>

namespace hc::content {

enum class Mouth { Smile, Open, Frown, Grin };

struct BeePose {
    QPointF centre;       // centre of the round body
    double radius = 30;   // body radius in pixels
    double tilt = 0;      // degrees, clockwise
    double squash = 0;    // >0 flattens (landing), <0 stretches (jumping)
    double wingPhase = 0; // 0..1, one wing beat
    double blink = 0;     // 0 open .. 1 closed
    double lookX = 0;     // -1 .. 1, where the pupils look
    double lookY = 0;     // -1 .. 1
    Mouth mouth = Mouth::Smile;
    double mouthOpen = 0; // 0..1 for Mouth::Open
    double leftArm = 0;   // 0 down at the side .. 1 raised high
    double rightArm = 0;
    bool holdsPencil = false; // the wordsmith's pencil in the right hand
};

void drawBee(QPainter& p, const BeePose& pose);

} // namespace hc::content
