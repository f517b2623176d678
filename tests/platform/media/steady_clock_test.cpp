// The real-time clock's wake-ups: never early, and kept however far away the deadline lies.

#include "platform/media/clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <gtest/gtest.h>

namespace hc::test::media {
namespace {

using namespace std::chrono_literals;
using hc::media::SteadyClock;

// Lets the event loop run for `time` (or until `stop` says so).
template <typename Stop> void runEventsFor(std::chrono::milliseconds time, Stop stop) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < time.count() && !stop()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// Regression: a wait longer than 2^31 ms overflowed the Qt timer's int; 2^32 + 5 ms wrapped
// around to 5 ms and woke the program at once (and 2^31 + k ms never woke it at all).
TEST(SteadyClockTest, AWaitBeyondWhatOneTimerHoldsDoesNotWrapAround) {
    SteadyClock clock;
    int wakes = 0;
    clock.setWakeHandler([&] { ++wakes; });
    for (const auto far :
         {std::chrono::milliseconds((1LL << 32) + 5), std::chrono::milliseconds((1LL << 31) + 5),
          std::chrono::milliseconds(100 * 24h)}) {
        clock.wakeAt(clock.now() + far);
        runEventsFor(200ms, [&] { return wakes > 0; });
        EXPECT_EQ(wakes, 0) << far.count() << " ms";
    }
    clock.cancelWake();
}

// A wait longer than one timer run is covered by several runs: one wake-up, at the deadline.
TEST(SteadyClockTest, ALongWaitIsKeptAcrossTimerRuns) {
    SteadyClock clock(20ms); // timer runs of 20 ms stand for runs of 24 days
    int wakes = 0;
    hc::media::Duration wokeAt{};
    clock.setWakeHandler([&] {
        ++wakes;
        wokeAt = clock.now();
    });
    const auto deadline = clock.now() + 150ms;
    clock.wakeAt(deadline);
    runEventsFor(5000ms, [&] { return wakes > 0; });
    ASSERT_EQ(wakes, 1);
    EXPECT_GE(wokeAt, deadline);
    runEventsFor(100ms, [] { return false; });
    EXPECT_EQ(wakes, 1) << "woke again after the deadline";

    // Cancelled in the middle of a long wait: no wake-up.
    clock.wakeAt(clock.now() + 60ms);
    runEventsFor(30ms, [] { return false; });
    clock.cancelWake();
    runEventsFor(150ms, [] { return false; });
    EXPECT_EQ(wakes, 1);
}

} // namespace
} // namespace hc::test::media
