#include "platform/media/clock_timer.h"

#include "platform/media/media_system.h"

#include <QMetaObject>
#include <QPointer>

namespace hc::media {

ClockTimer::ClockTimer(MediaSystem& media, QObject* parent) : QObject(parent), m_media(&media) {
    m_media->addTimer(this);
}

ClockTimer::~ClockTimer() {
    if (m_media != nullptr) {
        m_media->removeTimer(this);
    }
}

void ClockTimer::setInterval(std::chrono::milliseconds interval) {
    m_interval = interval;
    if (m_active) {
        start();
    }
}

void ClockTimer::setActive(bool active) {
    if (active == m_active) {
        return;
    }
    if (active) {
        start();
        return;
    }
    m_active = false;
    ++m_generation;
    if (m_media != nullptr) {
        m_media->reschedule();
    }
}

void ClockTimer::start() {
    m_active = true;
    ++m_generation;
    if (m_media != nullptr) {
        m_due = dueAfter(m_media->clock().now());
        m_media->reschedule();
    }
}

std::chrono::nanoseconds ClockTimer::dueAfter(std::chrono::nanoseconds now) const {
    // An interval too long for the clock's count (centuries) means never, not a wrap into the
    // past.
    const auto room = std::chrono::nanoseconds::max() - now;
    if (m_interval >= std::chrono::duration_cast<std::chrono::milliseconds>(room)) {
        return std::chrono::nanoseconds::max();
    }
    return now + m_interval;
}

std::optional<std::chrono::nanoseconds> ClockTimer::deadline() const {
    if (!m_active || m_interval.count() <= 0) {
        return std::nullopt;
    }
    return m_due;
}

void ClockTimer::advance(std::chrono::nanoseconds now) {
    const auto due = deadline();
    if (!due || *due > now) {
        return;
    }
    // The next tick counts from this one; after a long stall it counts from now instead, so
    // the ticks missed meanwhile are not made up in a burst.
    m_due = dueAfter(m_due);
    if (m_due <= now) {
        m_due = dueAfter(now);
    }
    const std::uint64_t generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (m_active && m_generation == generation) {
                emit timeout();
            }
        },
        Qt::QueuedConnection);
}

} // namespace hc::media
