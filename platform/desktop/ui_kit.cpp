#include "platform/desktop/ui_kit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cstdlib>
#include <cstring>

namespace hc {

bool traceRequested() {
    static const bool on = [] {
        const char* trace = std::getenv("HC_TRACE");
        return trace != nullptr && std::strcmp(trace, "1") == 0;
    }();
    return on;
}

QFont systemFont(int pixelHeight) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    return font;
}

void centreOnScreen(QWidget& window) {
    QScreen* screen = window.screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    const QSize frame = window.frameGeometry().size();
    window.move(area.x() + (area.width() - frame.width()) / 2,
                area.y() + (area.height() - frame.height()) / 2);
}

void placeControl(QWidget& control, const char* objectName, QRect geometry,
                  const QString& accessibleName) {
    control.setObjectName(QString::fromLatin1(objectName));
    if (!accessibleName.isEmpty()) {
        control.setAccessibleName(accessibleName);
    }
    control.setGeometry(geometry);
}

} // namespace hc
