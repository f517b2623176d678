#pragma once

// The phonogram screen's own controls and the helpers of its layout.

#include "controls/digit_box.h"
#include "student/phonogram/picture_box.h"
#include "student/shell/screen_kit.h"

#include <QAbstractButton>
#include <QColor>
#include <QLabel>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>

namespace hc::student::phono {

inline const QColor kCardWhite(Qt::white);
inline const QColor kCardYellow(Qt::yellow);
inline const QColor kScoreRed(Qt::red);

// A transparent click area over button art painted elsewhere (the backdrop): it draws
// nothing, and reports pressed(), released() and clicked() as any button does.
class AreaButton final : public QAbstractButton {
public:
    AreaButton(const QString& caption, QWidget* parent) : QAbstractButton(parent) {
        setText(caption);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {}
};

// A phonogram card: white (or the colour it flashes in) with a thin edge, its phonogram in
// black in the middle. Its piece picture is a child that covers the inside when shown.
class CardButton final : public QAbstractButton {
public:
    explicit CardButton(QWidget* parent) : QAbstractButton(parent) {
        setFocusPolicy(Qt::NoFocus);
        setFont(arialFont(13));
        setColour(kCardWhite);
    }

    void setColour(const QColor& colour) {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, colour);
        setPalette(palette);
        update();
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        const QRect all = rect();
        painter.fillRect(all, palette().color(QPalette::Window));
        painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(all.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::black);
        painter.setFont(font());
        painter.drawText(all, Qt::AlignCenter, text());
    }
};

PictureBox* picture(QWidget* parent, const char* name, QRect geometry, const char* resource,
                    const QString& description);

QLabel* scoreLabel(QWidget* parent, const char* name, const QString& caption, QRect geometry);

hc::controls::TDigitBox* scoreCounter(QWidget* parent, const char* name, int digits, QPoint at,
                                      const QString& accessibleName);

} // namespace hc::student::phono
