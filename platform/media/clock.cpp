#include "platform/media/clock.h"

#include <algorithm>

namespace hc::media {

SteadyClock::SteadyClock(std::chrono::milliseconds longestTimerWait)
    : m_longestTimerWait(
          std::clamp(longestTimerWait, std::chrono::milliseconds(1), kLongestTimerWait)) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { timerFired(); });
}

Duration SteadyClock::now() const {
    return std::chrono::duration_cast<Duration>(
        std::chrono::steady_clock::now().time_since_epoch());
}

void SteadyClock::wakeAt(Duration deadline) {
    m_deadline = deadline;
    arm();
}

void SteadyClock::arm() {
    // Qt timers count whole milliseconds in an int: round up so the wake-up never comes early,
    // and never hand over more than one run can hold (a longer wait wraps around and fires
    // at a nonsensical moment, or never).
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*m_deadline - now());
    const auto run = std::clamp(wait, std::chrono::milliseconds(0), m_longestTimerWait);
    m_timer.start(static_cast<int>(run.count()));
}

void SteadyClock::timerFired() {
    if (!m_deadline) {
        return;
    }
    if (now() < *m_deadline) {
        arm(); // one run of a longer wait has passed
        return;
    }
    m_deadline.reset();
    runWakeHandler();
}

void SteadyClock::cancelWake() {
    m_deadline.reset();
    m_timer.stop();
}

void ManualClock::advance(Duration step) {
    m_now += step.count();
    if (m_deadline && *m_deadline <= now()) {
        m_deadline.reset();
        runWakeHandler();
    }
}

} // namespace hc::media
