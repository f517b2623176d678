#include "platform/desktop/display.h"

#include <QGuiApplication>
#include <QScreen>

namespace hc {

int paletteColoursForDepth(int bitsPerPixel) {
    if (bitsPerPixel <= 0 || bitsPerPixel > 8) {
        return 0;
    }
    return 1 << bitsPerPixel;
}

int displayPaletteColours() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? paletteColoursForDepth(screen->depth()) : 0;
}

QRect desktopRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

} // namespace hc
