#include "end_signals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace hc {

namespace {

int g_pipe[2] = {-1, -1};
std::atomic<bool> g_signalled{false};
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

extern "C" void onEndSignal(int number) {
    const int saved = errno;
    g_signalled.store(true);
    const char byte = static_cast<char>(number);
    // The pipe does not block: a full pipe already holds a byte that will be read.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

EndOnSignals::EndOnSignals(std::function<void()> onSignal) : m_onSignal(std::move(onSignal)) {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return; // the default dispositions stay: the programs still end, less tidily
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { readSignal(); });
    struct sigaction action = {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals) {
        ::sigaction(number, &action, nullptr);
    }
}

EndOnSignals::~EndOnSignals() {
    // From here on a signal ends the process as usual; the ending has begun anyway.
    for (const int number : kSignals) {
        ::signal(number, SIG_DFL);
    }
    m_notifier.reset();
    if (g_pipe[0] >= 0) {
        ::close(g_pipe[0]);
        ::close(g_pipe[1]);
        g_pipe[0] = g_pipe[1] = -1;
    }
}

bool EndOnSignals::signalled() {
    return g_signalled.load();
}

void EndOnSignals::readSignal() {
    char bytes[16];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (m_onSignal) {
        auto onSignal = std::move(m_onSignal); // once only
        m_onSignal = nullptr;
        onSignal();
    }
}

} // namespace hc
