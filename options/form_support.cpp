#include "options/form_support.h"

#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace hc {

QFont formFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
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
    const QRect area = screen->availableGeometry();
    QRect frame = window.frameGeometry();
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}

void setUpPrintPage(QWidget& page, const char* objectName, const char* title, QSize size) {
    page.setObjectName(objectName);
    page.setFont(formFont());
    page.setWindowTitle(title);
    page.setFixedSize(size);
    page.setAutoFillBackground(true);
    QPalette white = page.palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    page.setPalette(white);
}

} // namespace hc
