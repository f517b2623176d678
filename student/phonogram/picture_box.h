#pragma once

#include <QPixmap>
#include <QWidget>

namespace hc::student {

// A picture stretched over the whole control, drawn smoothly at any scale (a 33 x 31 piece on a
// 33 x 31 control is shown 1:1; at a scale factor of 2 it is interpolated, never blocky).
// Without a picture it draws nothing and the control's parent shows through. Mouse clicks go
// through it to whatever lies below unless it is made to take them.
class PictureBox : public QWidget {
public:
    explicit PictureBox(QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return m_picture; }
    // Whether clicks stop here (an "unavailable" look over a button takes them).
    void setTakesClicks(bool takes);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

} // namespace hc::student
