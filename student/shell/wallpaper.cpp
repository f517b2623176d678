#include "student/shell/wallpaper.h"

#include "content/pictures.h"
#include "platform/desktop/display.h"

#include <QPainter>

namespace hc::student {

TWallpaper::TWallpaper(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_image(QString::fromLatin1(hc::pictures::kWallpaper)) {
    setObjectName(QStringLiteral("Wallpaper"));
    setWindowTitle(QStringLiteral("Wallpaper"));
    setAccessibleName(QStringLiteral("Wallpaper"));
    setEnabled(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(hc::desktopRect());
}

void TWallpaper::paintEvent(QPaintEvent* /*event*/) {
    // Image1: the picture stretched over the whole window.
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), m_image);
}

} // namespace hc::student
