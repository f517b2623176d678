#include "content/gen/offscreen.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>

namespace hc::content {

namespace {

QtMessageHandler g_qtHandler = nullptr;

void quietQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))) {
        return;
    }
    if (g_qtHandler) {
        g_qtHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

} // namespace

void startOffscreen() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    av_log_set_level(AV_LOG_ERROR);
    g_qtHandler = qInstallMessageHandler(quietQtMessages);
}

} // namespace hc::content
