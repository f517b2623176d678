#pragma once

#include <QPixmap>
#include <QWidget>

namespace hc::student {

// The background behind the program's windows for the whole run: a picture stretched over the
// whole desktop, in a borderless window that takes no input and never the focus.
class TWallpaper : public QWidget {
    Q_OBJECT

public:
    explicit TWallpaper(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_image;
};

} // namespace hc::student
