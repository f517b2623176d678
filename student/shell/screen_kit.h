#pragma once

// The student program's screen kit, over what both programs share (platform/desktop/ui_kit.h:
// place(), systemFont(), centreOnScreen(), traceRequested(), kSilver).

#include "platform/desktop/ui_kit.h"

#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

class QFrame;
class QPushButton;

namespace hc::media {
class MediaSystem;
}

namespace hc::student {

class Narrator;
class ProgramState;

// Arial by pixel height (layouts are logical pixels), drawn with its metric twin Liberation
// Sans. The screens' own font is systemFont().
QFont arialFont(int pixelHeight, bool bold = false);

// The kinds of window the screens use. Every kind has a fixed client size.
enum class WindowKind {
    // A title bar with the caption and a minimise button only: no close box, no resizing.
    FixedMinimiseOnly,
    // A title bar without any button.
    FixedNoButtons,
    // No border and no title bar (the caption is still the window's name for the desktop and
    // for screen readers).
    Frameless,
};

// Sets up `window` as a screen: caption, client size, kind, stay-on-top; `centred` places it in
// the middle of the screen (centreOnScreen()).
void setUpWindow(QWidget& window, const QString& caption, QSize clientSize, WindowKind kind,
                 bool stayOnTop = true, bool centred = true);

// A screen with the bee becoming active, the same on every screen: the bee's part first (its
// animations opened, idling unless it talks, its greeting where its setup says so), then the
// loading message goes and, when `showScreen`, the screen comes up on top and active (a screen
// in its own modal showing is shown by that).
void enterScreen(QWidget& screen, Narrator& bee, ProgramState& program, bool showScreen = true);

// How a screen gives up its place.
enum class Leaving {
    // It hides (the main menu; the puzzle after its modal showing).
    Hide,
    // It hides as a plain window and stays in its modal showing, which a dialog's own hide would
    // end: the spelling test while the reward movie has its place, and after its showing.
    HideStayingModal,
    // Its modal showing has ended and taken the window away (login, good-bye).
    AlreadyGone,
};

// The twin of enterScreen(), the same on every screen: the screen goes as `how` says, the
// loading message comes up unless `loadingMessage` is false (a good-bye that ends the program),
// and the bee leaves (its greeting off where its setup says so).
void leaveScreen(QWidget& screen, Narrator& bee, ProgramState& program, Leaving how,
                 bool loadingMessage = true);

// A picture stored with a screen, stretched over the control (1:1 at its designed size) and
// enlarged smoothly on a scaled display. Clicks pass through to what lies beneath.
class Picture : public QWidget {
public:
    Picture(const QString& resource, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_pixmap;
};

// The rule of a screen that ends only when it decides to (a movie's end, a click on its start
// area, an answer, an accepted Exit, Yes on the good-bye screen), for a dialog and for the main
// window alike: once the screen has allowed it (allowClosing()) its window closes. Before that
// the window manager's close box is the screen's escapeOrCloseBox(), refused by default; a
// screen with an Exit button takes it as Exit, and its window closes only if Exit ends it there
// and then.
template <class Base> class ClosingOnPurpose : public Base {
public:
    using Base::Base;

protected:
    void allowClosing() { m_closing = true; }
    virtual void escapeOrCloseBox() {}

    void closeEvent(QCloseEvent* event) override {
        if (!m_closing) {
            escapeOrCloseBox();
        }
        if (m_closing) {
            Base::closeEvent(event);
        } else {
            event->ignore();
        }
    }

private:
    bool m_closing = false;
};

// A screen shown modally: closeScreen() ends it. Escape is escapeOrCloseBox() too.
class ClosingOnPurposeDialog : public ClosingOnPurpose<QDialog> {
public:
    using ClosingOnPurpose::ClosingOnPurpose;
    // Ends the modal showing with `result`.
    void closeScreen(int result = QDialog::Accepted);
    void reject() override { escapeOrCloseBox(); }
};

// The main window: closeScreen() closes it.
class ClosingOnPurposeWindow : public ClosingOnPurpose<QWidget> {
public:
    using ClosingOnPurpose::ClosingOnPurpose;
    void closeScreen();
};

// A label that shows its text on one line: a text too long for the label ends with an
// ellipsis and starts at its first letter, one that fits is centred. The text itself, and so
// the name a screen reader gives the label, stays whole.
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;
    // The text as drawn.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The bottom bar of the main menu and of the activities (ButtonPanel, a lowered panel 38
// high): the floppy-disk picture DiskImage, shown when the user's record lives in the floppy
// copy of the user file; NamePanel with the user's name; and Exit (CancelBtn) at the right.
struct UserBar {
    // Builds the bar in `parent` at `geometry`, its name panel `nameWidth` wide.
    UserBar(QWidget& parent, QRect geometry, int nameWidth);
    // Shows the current user of `program`.
    void showUser(const ProgramState& program);

    QFrame* panel = nullptr;
    QWidget* diskImage = nullptr;
    // The user's name, which is also its accessible name.
    QLabel* namePanel = nullptr;
    QPushButton* cancelBtn = nullptr;
};

// The click sound: a mouse-down (any button) on `button` plays "IDWAV_CLICK" without waiting,
// before the button acts on its release.
void makeNoisy(QWidget& button, hc::media::MediaSystem& media);

} // namespace hc::student
