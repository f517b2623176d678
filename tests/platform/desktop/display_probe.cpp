// Prints what the desktop services see of the display it runs on, for display_test:
// "palette=N desktop=X,Y WxH".
#include "platform/desktop/display.h"

#include <QApplication>
#include <QRect>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QRect desktop = hc::desktopRect();
    std::printf("palette=%d desktop=%d,%d %dx%d\n", hc::displayPaletteColours(), desktop.x(),
                desktop.y(), desktop.width(), desktop.height());
    return 0;
}
