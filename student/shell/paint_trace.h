#pragma once

#include <QObject>

#include <QSet>
#include <QString>

namespace hc::student {

// A measuring aid switched on by the environment variable HC_TRACE=1: prints to stderr, once
// each, when a window and when a movie picture is first painted, as
// "trace first-paint WINDOW[/DISPLAY] MS", MS being the monotonic clock in milliseconds (the
// clock a benchmark started the program by), so start-up and screen-change times can be taken
// from the real program.
class PaintTrace final : public QObject {
public:
    using QObject::QObject;
    // Installs the trace on the application when HC_TRACE is set; otherwise does nothing.
    static void installIfRequested();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSet<QString> m_seen;
};

} // namespace hc::student
