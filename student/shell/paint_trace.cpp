#include "student/shell/paint_trace.h"

#include "student/shell/screen_kit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace hc::student {
namespace {

long long monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

} // namespace

void PaintTrace::installIfRequested() {
    if (!traceRequested()) {
        return;
    }
    qApp->installEventFilter(new PaintTrace(qApp));
}

bool PaintTrace::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) {
        return false;
    }
    if (event->type() == QEvent::Show && widget->isWindow()) {
        // A new showing: its first paint and its first picture are reported again.
        m_shown.insert(widget);
        const QString prefix = widget->objectName() + QLatin1Char('/');
        m_seen.removeIf([&](const QString& key) { return key.startsWith(prefix); });
        return false;
    }
    if (event->type() == QEvent::Hide && widget->isWindow()) {
        m_shown.remove(widget);
        return false;
    }
    if (event->type() != QEvent::Paint) {
        return false;
    }
    QString key;
    if (widget->isWindow()) {
        if (!m_shown.remove(widget)) {
            return false;
        }
        std::fprintf(stderr, "trace first-paint %s %lld\n", qPrintable(widget->objectName()),
                     monotonicMs());
        std::fflush(stderr);
        return false;
    } else if (std::strcmp(widget->metaObject()->className(), "hc::media::detail::DisplayView") ==
                   0 &&
               widget->parentWidget() != nullptr) {
        key = widget->window()->objectName() + QLatin1Char('/') +
              widget->parentWidget()->objectName();
    } else {
        return false;
    }
    if (!m_seen.contains(key)) {
        m_seen.insert(key);
        std::fprintf(stderr, "trace first-paint %s %lld\n", qPrintable(key), monotonicMs());
        std::fflush(stderr);
    }
    return false;
}

} // namespace hc::student
