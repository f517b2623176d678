#pragma once

#include <QObject>

#include <chrono>
#include <cstdint>
#include <optional>

namespace hc::media {

class MediaSystem;

// A repeating timer of the screens that runs on the media system's clock, so a test that steps
// a ManualClock steps the screens' timers (greeting, word delay, card flight) exactly as it
// steps the players, and a real run follows the steady clock.
//
// It behaves as a window-system timer: while active it fires every interval, counted from the
// moment it was switched on; an interval of 0 (or less) never fires. timeout() is delivered
// through the event loop, never inside start() or the clock's step, and a timer that has been
// stopped (or restarted) before a due timeout is delivered does not deliver it. A late wake-up
// fires once, never a burst of missed ticks.
class ClockTimer : public QObject {
    Q_OBJECT

public:
    // `media` must outlive the timer.
    explicit ClockTimer(MediaSystem& media, QObject* parent = nullptr);
    ~ClockTimer() override;

    std::chrono::milliseconds interval() const { return m_interval; }
    // Changing the interval of an active timer restarts its count from now.
    void setInterval(std::chrono::milliseconds interval);

    bool isActive() const { return m_active; }
    // Switches the timer on or off; switching on a timer that is already on changes nothing.
    void setActive(bool active);
    // Switches the timer on, counting the interval from now (also when it was already on).
    void start();
    void stop() { setActive(false); }

signals:
    void timeout();

private:
    friend class MediaSystem;

    // When the next tick is due, or nothing while off or with an interval of 0.
    std::optional<std::chrono::nanoseconds> deadline() const;
    // Called by the media system at `now`: fires when due.
    void advance(std::chrono::nanoseconds now);
    // One interval after `time`, saturated at the clock's end.
    std::chrono::nanoseconds dueAfter(std::chrono::nanoseconds time) const;
    void mediaSystemGone() { m_media = nullptr; }

    MediaSystem* m_media;
    std::chrono::milliseconds m_interval{1000};
    bool m_active = false;
    std::chrono::nanoseconds m_due{};
    // Counts starts and stops, so a timeout posted before one of them is dropped.
    std::uint64_t m_generation = 0;
};

} // namespace hc::media
