#include "student/phonogram/picture_box.h"

#include <QPainter>

namespace hc::student {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setTakesClicks(false);
}

void PictureBox::setPicture(const QPixmap& picture) {
    m_picture = picture;
    update();
}

void PictureBox::setTakesClicks(bool takes) {
    setAttribute(Qt::WA_TransparentForMouseEvents, !takes);
}

void PictureBox::paintEvent(QPaintEvent* /*event*/) {
    if (m_picture.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), m_picture);
}

} // namespace hc::student
