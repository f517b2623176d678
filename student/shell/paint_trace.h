#pragma once

#include <QObject>

#include <QSet>
#include <QString>

namespace hc::student {

// A measuring aid switched on by the environment variable HC_TRACE=1: prints to stderr when a
// window is first painted after it was shown, and when a movie picture is first painted in it,
// as "trace first-paint WINDOW[/DISPLAY] MS", MS being the monotonic clock in milliseconds (the
// clock a benchmark started the program by), so start-up and screen-change times can be taken
// from the real program.
class PaintTrace final : public QObject {
public:
    using QObject::QObject;
    // Installs the trace on the application when HC_TRACE is set; otherwise does nothing.
    static void installIfRequested();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Windows shown and not painted yet, and pictures already reported per showing.
    QSet<const QObject*> m_shown;
    QSet<QString> m_seen;
};

} // namespace hc::student
