#include "student/phonogram/phono_parts.h"

#include "student/shell/screen_kit.h"

#include <QPixmap>

namespace hc::student::phono {

PictureBox* picture(QWidget* parent, const char* name, QRect geometry, const char* resource,
                    const QString& description) {
    auto* box = place(new PictureBox(parent), name, geometry, description);
    box->setPicture(QPixmap(QString::fromLatin1(resource)));
    return box;
}

QLabel* scoreLabel(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* label = place(new QLabel(caption, parent), name, geometry);
    label->setFont(arialFont(13, true));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kScoreRed);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

hc::controls::TDigitBox* scoreCounter(QWidget* parent, const char* name, int digits, QPoint at,
                                      const QString& accessibleName) {
    auto* box = new hc::controls::TDigitBox(parent);
    box->setColor1(kScoreRed);
    box->setDigits(static_cast<std::uint32_t>(digits));
    box->setDelay(100);
    place(box, name,
          QRect(at, hc::controls::TDigitBox::sizeFor(static_cast<std::uint32_t>(digits))),
          accessibleName);
    return box;
}

} // namespace hc::student::phono
