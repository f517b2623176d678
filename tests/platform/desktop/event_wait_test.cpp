#include "test_application.h"

#include "platform/desktop/event_wait.h"

#include "archive/error.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A wait that sleeps between events checks its condition about once per event. A busy wait
// checks it thousands of times in the same span.
constexpr int kFewChecks = 10;

class EventWaitTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Nothing left over from other tests may wake the waits measured here.
        QCoreApplication::processEvents();
        hc::test::application().setMessageBoxPresenter(
            std::make_unique<hc::test::RecordingPresenter>(m_boxes));
    }
    void TearDown() override { hc::test::application().setMessageBoxPresenter(nullptr); }

    std::vector<hc::MessageRequest> m_boxes;
};

TEST_F(EventWaitTest, WaitEndsWhenATimerMakesTheConditionTrueWithoutSpinning) {
    bool stopped = false;
    QTimer::singleShot(100, [&] { stopped = true; });
    int checks = 0;
    hc::waitUntil([&] {
        ++checks;
        return stopped;
    });
    EXPECT_TRUE(stopped);
    EXPECT_LE(checks, kFewChecks);
}

// Regression: an object scheduled for deletion by the waiting handler itself stays queued
// during the wait; it must not keep the wait from sleeping.
TEST_F(EventWaitTest, PendingDeferredDeleteDoesNotMakeTheWaitSpin) {
    bool stopped = false;
    QTimer::singleShot(0, [&] {
        (new QObject)->deleteLater();
        QTimer::singleShot(100, [&] { stopped = true; });
        int checks = 0;
        hc::waitUntil([&] {
            ++checks;
            return stopped;
        });
        EXPECT_LE(checks, kFewChecks);
    });
    hc::waitUntil([&] { return stopped; });
}

TEST_F(EventWaitTest, ConditionThatAlreadyHoldsReturnsWithoutHandlingEvents) {
    bool handled = false;
    QTimer::singleShot(0, [&] { handled = true; });
    hc::waitUntil([] { return true; });
    EXPECT_FALSE(handled);
    hc::waitUntil([&] { return handled; });
}

TEST_F(EventWaitTest, TimeoutEndsAWaitThatNeverHoldsWithoutSpinning) {
    int checks = 0;
    EXPECT_FALSE(hc::waitUntil(
        [&] {
            ++checks;
            return false;
        },
        50ms));
    EXPECT_LE(checks, kFewChecks);
}

// A condition changed outside any event (another thread) is noticed once wakeWaits() is
// called, not only when the next event happens to come.
TEST_F(EventWaitTest, WakeWaitsFromAnotherThreadEndsTheSleep) {
    std::atomic<bool> stopped = false;
    std::thread other([&] {
        std::this_thread::sleep_for(50ms);
        stopped = true;
        hc::wakeWaits();
    });
    QElapsedTimer clock;
    clock.start();
    // Without the wake-up the wait would only end at its 30 s timeout.
    EXPECT_TRUE(hc::waitUntil([&] { return stopped.load(); }, 30s));
    other.join();
    EXPECT_LT(clock.elapsed(), 15000);
}

// Handlers run during a wait are guarded like any other: an error is shown and the wait
// goes on until its condition holds.
TEST_F(EventWaitTest, ErrorInAHandlerDuringTheWaitIsShownAndTheWaitGoesOn) {
    bool stopped = false;
    QTimer::singleShot(0, [] { throw hc::Error("Can't open ERF resource: phono\\1.wav"); });
    QTimer::singleShot(20, [&] { stopped = true; });
    hc::waitUntil([&] { return stopped; });
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, "Can't open ERF resource: phono\\1.wav.");
}

TEST_F(EventWaitTest, ProcessPendingEventsHandlesWhatIsQueuedAndNeverSleeps) {
    int handled = 0;
    QTimer::singleShot(0, [&] { ++handled; });
    QTimer::singleShot(0, [&] { ++handled; });
    hc::processPendingEvents();
    EXPECT_EQ(handled, 2);
    // Nothing queued: returns at once instead of sleeping (a sleep would hang this test).
    hc::processPendingEvents();
    EXPECT_EQ(handled, 2);
}

} // namespace
