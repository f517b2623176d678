#pragma once

#include <chrono>
#include <functional>

namespace hc {

// Keeping the user interface alive inside a handler: the nested waits of the screens (until a
// card has landed, until a movie has stopped) and the pauses of long copies. All of these run
// on the user-interface thread and need a QCoreApplication. Events handled here go through
// the application's notify(), so an error raised by one of them is shown and the wait goes on.

// Handles the events already queued and returns at once, never sleeping. For work that
// yields to the user interface between pieces (copying an archive entry).
void processPendingEvents();

// Handles the events that are queued; when none is, sleeps until one arrives (input, a timer,
// a posted event, a media notification, wakeWaits()) and handles it. One step of a nested wait.
void handleEventsOrSleep();

// Handles events, sleeping while none is queued, until `done` returns true. `done` is checked
// first (a condition that already holds returns at once) and again after each handled batch of
// events, so it must only change through an event, or be followed by wakeWaits(): a condition
// that turns true without either is not noticed until the next event arrives.
void waitUntil(const std::function<bool()>& done);

// As above, but gives up once `timeout` has passed; true when `done` held, false on timeout.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// Makes a sleeping wait of the user-interface thread wake up and check its condition again.
// Safe to call from any thread (an audio callback, for one).
void wakeWaits();

} // namespace hc
