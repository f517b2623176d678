#pragma once

// Ends a program cleanly on SIGTERM, SIGHUP and SIGINT (a log-out, a closed terminal, Ctrl+C).
//
// The signal itself only writes a byte into a pipe; the program learns of it through its event
// loop, between two events, so a file being written is always finished first (the data files
// are written whole, never left half-written). Then `onSignal` runs once on the user-interface
// thread. It is meant to end every event loop (QCoreApplication::exit), nested ones included,
// so the program's entry goes on with its usual ending: nothing is asked, every temporary file
// is deleted, and the exit status is the program's usual 0.

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace hc {

class EndOnSignals : public QObject {
public:
    // Installs the handlers; there is one instance per process.
    explicit EndOnSignals(std::function<void()> onSignal);
    ~EndOnSignals() override;

    EndOnSignals(const EndOnSignals&) = delete;
    EndOnSignals& operator=(const EndOnSignals&) = delete;

    // True once a signal has arrived.
    static bool signalled();

private:
    void readSignal();

    std::function<void()> m_onSignal;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace hc
