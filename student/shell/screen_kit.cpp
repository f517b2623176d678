#include "student/shell/screen_kit.h"

#include "content/pictures.h"
#include "platform/media/media_system.h"
#include "student/shell/narrator.h"
#include "student/shell/program_state.h"

#include <QEvent>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QPainter>
#include <QStyle>
#include <QWidget>

namespace hc::student {
namespace {

// Plays the click on mouse-down and lets the event go on to the button.
class ClickSound final : public QObject {
public:
    ClickSound(hc::media::MediaSystem& media, QObject* parent) : QObject(parent), m_media(media) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && widget->isEnabled()) {
                m_media.playProgramSound(QStringLiteral("IDWAV_CLICK"));
            }
        }
        return false;
    }

private:
    hc::media::MediaSystem& m_media;
};

} // namespace

QFont arialFont(int pixelHeight, bool bold) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void setUpWindow(QWidget& window, const QString& caption, QSize clientSize, WindowKind kind,
                 bool stayOnTop, bool centred) {
    Qt::WindowFlags flags = Qt::Window;
    switch (kind) {
    case WindowKind::FixedMinimiseOnly:
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint;
        break;
    case WindowKind::FixedNoButtons:
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        break;
    case WindowKind::Frameless:
        flags |= Qt::FramelessWindowHint;
        break;
    }
    if (stayOnTop) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    window.setWindowFlags(flags);
    window.setWindowTitle(caption);
    window.setAccessibleName(caption);
    window.setFixedSize(clientSize);
    if (centred) {
        centreOnScreen(window);
    }
}

void enterScreen(QWidget& screen, Narrator& bee, ProgramState& program, bool showScreen) {
    bee.enter();
    program.hideLoadingMessage();
    if (showScreen) {
        screen.show();
        screen.raise();
        screen.activateWindow();
    }
}

void leaveScreen(QWidget& screen, Narrator& bee, ProgramState& program, Leaving how,
                 bool loadingMessage) {
    switch (how) {
    case Leaving::Hide:
        screen.hide();
        break;
    case Leaving::HideStayingModal:
        screen.QWidget::setVisible(false);
        break;
    case Leaving::AlreadyGone:
        break;
    }
    if (loadingMessage) {
        program.showLoadingMessage();
    }
    bee.leave();
}

Picture::Picture(const QString& resource, QWidget* parent)
    : QWidget(parent), m_pixmap(resource) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Picture::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), m_pixmap);
}

void ClosingOnPurposeDialog::closeScreen(int result) {
    allowClosing();
    done(result);
}

void ClosingOnPurposeWindow::closeScreen() {
    allowClosing();
    close();
}

QString ElidedLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void ElidedLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    drawFrame(&painter);
    const QString shown = shownText();
    // Cut short, the text fills the width and so starts at the left.
    const Qt::Alignment horizontal =
        shown == text() ? (alignment() & Qt::AlignHorizontal_Mask) : Qt::AlignLeft;
    style()->drawItemText(&painter, contentsRect(),
                          static_cast<int>(horizontal | (alignment() & Qt::AlignVertical_Mask)),
                          palette(), isEnabled(), shown, foregroundRole());
}

UserBar::UserBar(QWidget& parent, QRect geometry, int nameWidth) {
    panel = place(new QFrame(&parent), "ButtonPanel", geometry);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // The face colour of the buttons, whatever the colour of the panel the bar stands in.
    panel->setAutoFillBackground(true);
    QPalette face = panel->palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    panel->setPalette(face);
    diskImage = place(new Picture(QString::fromLatin1(hc::pictures::kDisk), panel), "DiskImage",
                      QRect(3, 3, 32, 32), QStringLiteral("Floppy disk user"));
    diskImage->hide();
    // No accessible name of its own: a screen reader reads the name shown.
    namePanel = place(new ElidedLabel(panel), "NamePanel", QRect(37, 3, nameWidth, 32));
    namePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    namePanel->setAlignment(Qt::AlignCenter);
    namePanel->setFont(arialFont(13));
    namePanel->setTextFormat(Qt::PlainText);
    cancelBtn = place(new QPushButton(QStringLiteral("Exit"), panel), "CancelBtn",
                      QRect(geometry.width() - 78 - 6, 6, 78, 27));
    cancelBtn->setAutoDefault(false);
}

void UserBar::showUser(const ProgramState& program) {
    namePanel->setText(program.userDisplayName());
    diskImage->setVisible(program.userOnDisk());
}

void makeNoisy(QWidget& button, hc::media::MediaSystem& media) {
    button.installEventFilter(new ClickSound(media, &button));
}

} // namespace hc::student
