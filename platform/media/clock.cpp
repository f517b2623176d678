#include "platform/media/clock.h"

namespace hc::media {

SteadyClock::SteadyClock() {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { runWakeHandler(); });
}

Duration SteadyClock::now() const {
    return std::chrono::duration_cast<Duration>(
        std::chrono::steady_clock::now().time_since_epoch());
}

void SteadyClock::wakeAt(Duration deadline) {
    // Qt timers count whole milliseconds: round up so the wake-up never comes early.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - now());
    m_timer.start(static_cast<int>(std::max<std::int64_t>(0, wait.count())));
}

void SteadyClock::cancelWake() {
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
