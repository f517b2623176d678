#pragma once

#include <QColor>
#include <QWidget>

#include <cstdint>

class QTimer;

namespace hc::controls {

// The score counter: a non-negative whole number shown as a row of seven-segment digits, like
// an LED display, that can walk its shown number one step at a time toward a target.
//
// The control is always Digits x 13 + 2 logical pixels wide and 25 high; any other size it is
// given (a layout, setGeometry, resize) is taken back. Cell i (0 = units, at the right) shows
// (Value / 10^i) mod 10, leading zeros included, so a number with more digits than cells shows
// only its lowest ones. Every segment is drawn as one-pixel lines on exact logical pixels, so
// the digits look the same at every scale, only larger.
//
// Stepping: while Value differs from Target and Delay is not 0, StepTimer moves Value one
// toward Target every Delay milliseconds, firing OnValueChange for each step and OnTargetReach
// when a tick finds the two equal (which also switches the timer off). The timer runs from
// construction, so the first tick of a new counter fires OnTargetReach once. With Delay 0
// there is no stepping: Value and Target always move together.
//
// The properties carry the names a form's layout stores (setProperty("Digits", 2) works), and
// the three events are signals carrying the counter as sender. The accessible description is
// the number shown, for screen readers.
class TDigitBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor Color1 READ color1 WRITE setColor1)
    Q_PROPERTY(QColor Color2 READ color2 WRITE setColor2)
    Q_PROPERTY(uint Digits READ digits WRITE setDigits)
    Q_PROPERTY(uint Delay READ delay WRITE setDelay)
    Q_PROPERTY(uint Value READ value WRITE setValue)
    Q_PROPERTY(uint Target READ target WRITE setTarget)

public:
    static constexpr int kCellWidth = 13;
    static constexpr int kHeight = 25;
    static constexpr std::uint32_t kMaxDigits = 11;

    explicit TDigitBox(QWidget* parent = nullptr);
    ~TDigitBox() override;

    // The colour of lit segments (red by default).
    QColor color1() const { return m_color1; }
    void setColor1(const QColor& color);
    // The background, and the colour unlit segments are drawn in (black by default).
    QColor color2() const { return m_color2; }
    void setColor2(const QColor& color);
    // The number of digit cells, at most 11 (a larger number is stored as 11); sets the width.
    std::uint32_t digits() const { return m_digits; }
    void setDigits(std::uint32_t digits);
    // Milliseconds per step; 0 switches stepping off and shows Target at once.
    std::uint32_t delay() const { return m_delay; }
    void setDelay(std::uint32_t delay);
    // The number shown. Writing it fires OnValueChange; with Delay 0 it moves Target too.
    std::uint32_t value() const { return m_value; }
    void setValue(std::uint32_t value);
    // The number Value walks toward. Writing it fires OnTargetChange first (the handler still
    // sees the old Target); with Delay 0 it shows the number at once, without OnValueChange.
    std::uint32_t target() const { return m_target; }
    void setTarget(std::uint32_t target);

    // Write Target + n or Target - n through the Target setter (unsigned, wrapping).
    void AddToTarget(std::uint32_t n);
    void SubtractFromTarget(std::uint32_t n);

    // The digit cell i shows for the current Value.
    int digitInCell(std::uint32_t cell) const;
    // The counter's fixed size for `digits` cells.
    static QSize sizeFor(std::uint32_t digits);

    // The step timer and its handler: one step of Value toward Target.
    QTimer& stepTimer() const { return *m_stepTimer; }
    void StepTimerTimer();

    QSize sizeHint() const override { return sizeFor(m_digits); }
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void OnValueChange(QObject* sender);
    void OnTargetChange(QObject* sender);
    void OnTargetReach(QObject* sender);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The timer's on/off state as the counter sees it. With Delay 0 an enabled timer does not
    // tick (an interval of 0 would otherwise fire on every turn of the event loop); it ticks
    // again once Delay is set above 0.
    void setStepping(bool on);
    // Value has changed: repaint and tell screen readers.
    void shown();

    QTimer* m_stepTimer = nullptr;
    bool m_stepping = false;
    QColor m_color1;
    QColor m_color2;
    std::uint32_t m_delay = 100;
    std::uint32_t m_digits = 3;
    std::uint32_t m_value = 0;
    std::uint32_t m_target = 0;
};

} // namespace hc::controls
