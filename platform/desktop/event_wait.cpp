#include "platform/desktop/event_wait.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace hc {

void processPendingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void handleEventsOrSleep() {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void waitUntil(const std::function<bool()>& done) {
    while (!done()) {
        handleEventsOrSleep();
    }
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const QDeadlineTimer deadline(timeout, Qt::PreciseTimer);
    // The alarm's own timer event wakes the sleeping loop when the time is up. It is started
    // again should it ever fire a little before the deadline.
    QTimer alarm;
    alarm.setSingleShot(true);
    alarm.setTimerType(Qt::PreciseTimer);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        if (!alarm.isActive()) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline.remainingTimeAsDuration());
            alarm.start(std::max(left, std::chrono::milliseconds(1)));
        }
        handleEventsOrSleep();
    }
    return true;
}

void wakeWaits() {
    if (QAbstractEventDispatcher* dispatcher = QCoreApplication::eventDispatcher()) {
        dispatcher->wakeUp();
    }
}

} // namespace hc
