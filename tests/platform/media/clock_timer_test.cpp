// Screen timers on the media clock: ticks follow the clock, arrive through the event loop, and
// a tick already due is dropped when the timer is stopped or restarted before it is delivered.

#include "media_test_support.h"
#include "platform/media/clock_timer.h"

namespace hc::test::media {
namespace {

using hc::media::ClockTimer;

class ClockTimerTest : public MediaTest {
protected:
    int ticks = 0;
    void count(ClockTimer& timer) {
        QObject::connect(&timer, &ClockTimer::timeout, [this] { ++ticks; });
    }
};

TEST_F(ClockTimerTest, RepeatsEveryIntervalWhileActiveAndNeverEarly) {
    ClockTimer timer(m_media);
    count(timer);
    timer.setInterval(1000ms);
    step(5000ms);
    EXPECT_EQ(ticks, 0) << "a timer that is off never fires";

    timer.setActive(true);
    step(999ms);
    EXPECT_EQ(ticks, 0);
    step(1ms);
    EXPECT_EQ(ticks, 1);
    step(1000ms);
    EXPECT_EQ(ticks, 2);

    // Switching on a timer that is already on does not restart its count.
    step(600ms);
    timer.setActive(true);
    step(400ms);
    EXPECT_EQ(ticks, 3);

    // A stalled clock fires once, not once per missed interval.
    step(10'000ms);
    EXPECT_EQ(ticks, 4);
    step(1000ms);
    EXPECT_EQ(ticks, 5);

    timer.stop();
    step(5000ms);
    EXPECT_EQ(ticks, 5);
}

TEST_F(ClockTimerTest, ADueTickIsDroppedWhenTheTimerStopsOrRestartsFirst) {
    ClockTimer timer(m_media);
    count(timer);
    timer.setInterval(100ms);
    timer.start();
    m_clock.advance(100ms); // due: the tick is posted, not yet delivered
    timer.stop();
    processEvents();
    EXPECT_EQ(ticks, 0);

    timer.start();
    m_clock.advance(100ms);
    timer.start(); // restarted before delivery: counts from now
    processEvents();
    EXPECT_EQ(ticks, 0);
    step(99ms);
    EXPECT_EQ(ticks, 0);
    step(1ms);
    EXPECT_EQ(ticks, 1);

    // A new interval on an active timer counts from the change.
    step(50ms);
    timer.setInterval(200ms);
    step(150ms);
    EXPECT_EQ(ticks, 1);
    step(50ms);
    EXPECT_EQ(ticks, 2);
}

TEST_F(ClockTimerTest, AZeroIntervalNeverFiresAndADestroyedTimerLeavesNoWakeUp) {
    ClockTimer never(m_media);
    never.setInterval(0ms);
    never.start();
    ClockTimer other(m_media);
    count(other);
    other.setInterval(250ms);
    other.start();
    for (int i = 0; i < 4; ++i) {
        step(250ms);
    }
    EXPECT_EQ(ticks, 4);
    {
        ClockTimer gone(m_media);
        gone.setInterval(10ms);
        gone.start();
    }
    step(250ms); // the destroyed timer left no wake-up behind that could fire into nothing
    EXPECT_EQ(ticks, 5);
}

// Fault guarded against: an interval of centuries (a nonsense setting) overflowed the clock's
// count and wrapped into the past, firing at once.
TEST_F(ClockTimerTest, AnIntervalBeyondTheClocksCountNeverFires) {
    ClockTimer timer(m_media);
    count(timer);
    timer.setInterval(std::chrono::milliseconds::max() / 2);
    timer.start();
    step(1000ms);
    EXPECT_EQ(ticks, 0);
    EXPECT_TRUE(timer.isActive());
}

} // namespace
} // namespace hc::test::media
