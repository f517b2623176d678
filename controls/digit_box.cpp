#include "controls/digit_box.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <array>

namespace hc::controls {
namespace {

// The lit segments of each digit: segment n is lit when bit n - 1 is set.
constexpr std::array<std::uint8_t, 10> kMasks = {0x77, 0x24, 0x5D, 0x6D, 0x2E,
                                                 0x6B, 0x7B, 0x25, 0x7F, 0x2F};

// A one-pixel line from (x1, y1) up to, but not including, (x2, y2); horizontal or vertical.
struct Line {
    int x1, y1, x2, y2;
};
using Segment = std::array<Line, 3>;

constexpr Segment moved(const Segment& segment, int dy) {
    Segment result = segment;
    for (Line& line : result) {
        line.y1 += dy;
        line.y2 += dy;
    }
    return result;
}

constexpr Segment kTop = {{{1, 0, 10, 0}, {2, 1, 9, 1}, {3, 2, 8, 2}}};
constexpr Segment kUpperLeft = {{{0, 1, 0, 10}, {1, 2, 1, 9}, {2, 3, 2, 8}}};
constexpr Segment kUpperRight = {{{10, 1, 10, 10}, {9, 2, 9, 9}, {8, 3, 8, 8}}};
constexpr Segment kMiddle = {{{1, 10, 10, 10}, {2, 9, 9, 9}, {2, 11, 9, 11}}};
constexpr Segment kBottom = {{{1, 20, 10, 20}, {2, 19, 9, 19}, {3, 18, 8, 18}}};
// Segments 1 to 7, relative to the cell origin.
constexpr std::array<Segment, 7> kSegments = {
    kTop, kUpperLeft, kUpperRight, kMiddle, moved(kUpperLeft, 10), moved(kUpperRight, 10), kBottom};

constexpr int kOriginY = 2;
constexpr int kOriginX = 2;

// The line as the pixels it covers: the end point itself is not drawn.
QRect pixelsOf(const Line& line, int x, int y) {
    if (line.y1 == line.y2) {
        return QRect(x + line.x1, y + line.y1, line.x2 - line.x1, 1);
    }
    return QRect(x + line.x1, y + line.y1, 1, line.y2 - line.y1);
}

} // namespace

TDigitBox::TDigitBox(QWidget* parent)
    : QWidget(parent), m_color1(Qt::red), m_color2(Qt::black) {
    m_stepTimer = new QTimer(this);
    m_stepTimer->setObjectName(QStringLiteral("StepTimer"));
    m_stepTimer->setInterval(static_cast<int>(m_delay));
    connect(m_stepTimer, &QTimer::timeout, this, &TDigitBox::StepTimerTimer);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(sizeFor(m_digits));
    setStepping(true);
    shown();
}

TDigitBox::~TDigitBox() = default;

QSize TDigitBox::sizeFor(std::uint32_t digits) {
    return QSize(static_cast<int>(std::min(digits, kMaxDigits)) * kCellWidth + 2, kHeight);
}

void TDigitBox::setColor1(const QColor& color) {
    m_color1 = color;
    update();
}

void TDigitBox::setColor2(const QColor& color) {
    m_color2 = color;
    update();
}

void TDigitBox::setDigits(std::uint32_t digits) {
    m_digits = std::min(digits, kMaxDigits);
    setFixedSize(sizeFor(m_digits));
    shown();
}

void TDigitBox::setDelay(std::uint32_t delay) {
    m_delay = delay;
    m_stepTimer->setInterval(static_cast<int>(std::min<std::uint32_t>(delay, INT32_MAX)));
    setStepping(m_stepping);
    if (delay == 0 && m_value != m_target) {
        m_value = m_target;
        shown();
    }
}

void TDigitBox::setValue(std::uint32_t value) {
    m_value = value;
    if (m_delay != 0) {
        if (value != m_target) {
            setStepping(true);
        }
    } else {
        m_target = value;
    }
    shown();
    emit OnValueChange(this);
}

void TDigitBox::setTarget(std::uint32_t target) {
    emit OnTargetChange(this);
    m_target = target;
    if (m_delay == 0) {
        m_value = target;
        shown();
    } else if (target != m_value) {
        setStepping(true);
    }
}

void TDigitBox::AddToTarget(std::uint32_t n) {
    setTarget(m_target + n);
}

void TDigitBox::SubtractFromTarget(std::uint32_t n) {
    setTarget(m_target - n);
}

void TDigitBox::StepTimerTimer() {
    if (m_value < m_target) {
        setValue(m_value + 1);
    }
    if (m_value > m_target) {
        setValue(m_value - 1);
    }
    if (m_value == m_target) {
        setStepping(false);
        emit OnTargetReach(this);
    }
}

int TDigitBox::digitInCell(std::uint32_t cell) const {
    // 10^10 does not fit in 32 bits: the eleventh cell divides in 64 bits and so shows the
    // leading zero that every 32-bit number has there.
    std::uint64_t power = 1;
    for (std::uint32_t i = 0; i < cell; ++i) {
        power *= 10;
    }
    return static_cast<int>((m_value / power) % 10);
}

void TDigitBox::setStepping(bool on) {
    m_stepping = on;
    if (on && m_delay != 0) {
        if (!m_stepTimer->isActive()) {
            m_stepTimer->start();
        }
    } else {
        m_stepTimer->stop();
    }
}

void TDigitBox::shown() {
    update();
    std::uint64_t modulus = 1;
    for (std::uint32_t i = 0; i < m_digits; ++i) {
        modulus *= 10;
    }
    setAccessibleDescription(QString::number(m_value % modulus));
}

void TDigitBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), m_color2);
    for (std::uint32_t cell = 0; cell < m_digits; ++cell) {
        const int x = kCellWidth * static_cast<int>(m_digits - 1 - cell) + kOriginX;
        const std::uint8_t mask = kMasks[static_cast<std::size_t>(digitInCell(cell))];
        for (std::size_t n = 0; n < kSegments.size(); ++n) {
            if ((mask & (1u << n)) == 0) {
                continue; // unlit: the background shows
            }
            for (const Line& line : kSegments[n]) {
                painter.fillRect(pixelsOf(line, x, kOriginY), m_color1);
            }
        }
    }
}

} // namespace hc::controls
