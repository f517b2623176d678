#pragma once

#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace hc::media {

using Duration = std::chrono::nanoseconds;

// The time base of media playback. Every frame change and every end of a play is decided by
// comparing now() with the start of the play, so a test that substitutes ManualClock sees
// exactly the frames and notifications that real time would bring, without sleeping.
//
// A clock serves one MediaSystem: the system installs its wake handler and asks for one
// wake-up at a time.
class Clock {
public:
    virtual ~Clock() = default;

    // Time since a fixed origin; never goes backwards. Safe to call from any thread.
    virtual Duration now() const = 0;
    // Asks for the wake handler to run on the user-interface thread once now() has reached
    // `deadline`. A new request replaces the previous one. Never runs the handler inside this
    // call.
    virtual void wakeAt(Duration deadline) = 0;
    virtual void cancelWake() = 0;

    void setWakeHandler(std::function<void()> handler) { m_wake = std::move(handler); }

protected:
    void runWakeHandler() {
        if (m_wake) {
            m_wake();
        }
    }

private:
    std::function<void()> m_wake;
};

// Real time: std::chrono::steady_clock, with wake-ups from a precise Qt timer (so they arrive
// through the event loop of the thread that created the clock).
//
// A Qt timer takes at most 2^31 - 1 milliseconds (about 24.8 days). A longer wait is covered by
// timer runs of at most `longestTimerWait` each, re-armed until the deadline has come, so any
// deadline is kept, however far away.
class SteadyClock final : public Clock {
public:
    static constexpr std::chrono::milliseconds kLongestTimerWait{24LL * 24 * 60 * 60 * 1000};

    explicit SteadyClock(std::chrono::milliseconds longestTimerWait = kLongestTimerWait);
    Duration now() const override;
    void wakeAt(Duration deadline) override;
    void cancelWake() override;

private:
    // Starts the timer for the rest of the wait, or at most the longest timer run.
    void arm();
    void timerFired();

    QTimer m_timer;
    std::chrono::milliseconds m_longestTimerWait;
    std::optional<Duration> m_deadline;
};

// A clock that only moves when a test steps it. advance() runs a wake-up that falls due
// directly (display updates are then scheduled and notifications posted), so a test steps
// time, processes pending events and observes the result.
class ManualClock final : public Clock {
public:
    Duration now() const override { return Duration(m_now.load()); }
    void wakeAt(Duration deadline) override { m_deadline = deadline; }
    void cancelWake() override { m_deadline.reset(); }

    void advance(Duration step);
    // When the system asked to be woken next, if it did.
    std::optional<Duration> deadline() const { return m_deadline; }

private:
    std::atomic<std::int64_t> m_now{0};
    std::optional<Duration> m_deadline;
};

} // namespace hc::media
