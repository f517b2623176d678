#include "student/shell/paint_trace.h"

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
    const char* trace = std::getenv("HC_TRACE");
    if (trace == nullptr || std::strcmp(trace, "1") != 0) {
        return;
    }
    qApp->installEventFilter(new PaintTrace(qApp));
}

bool PaintTrace::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Paint) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) {
        return false;
    }
    QString key;
    if (widget->isWindow()) {
        key = widget->objectName();
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
