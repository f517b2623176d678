#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QPixmap>
#include <QWidget>
#include <QRect>
#include <QString>

class QFrame;
class QPushButton;

namespace hc::media {
class MediaSystem;
}

namespace hc::student {

class Narrator;
class ProgramState;

// The grey of the bee's panel and of the puzzle.
inline const QColor kSilver(0xC0, 0xC0, 0xC0);

// Whether the measuring and driving aids are on: HC_TRACE=1 in the environment, read once.
bool traceRequested();

// The fonts of the screens, by pixel height (layouts are logical pixels). Arial is drawn with
// its metric twin Liberation Sans; the system font of the screens is a plain sans serif of the
// same size.
QFont arialFont(int pixelHeight, bool bold = false);
QFont systemFont(int pixelHeight = 11);

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
// the middle of the desktop.
void setUpWindow(QWidget& window, const QString& caption, QSize clientSize, WindowKind kind,
                 bool stayOnTop = true, bool centred = true);
// Places `window` in the middle of the desktop.
void centreOnDesktop(QWidget& window);

// A screen with the bee becoming active, the same on every screen: the bee's part first (its
// animations opened, idling unless it talks, its greeting where its setup says so), then the
// loading message goes and, when `showScreen`, the screen comes up on top and active (a screen
// in its own modal showing is shown by that).
void enterScreen(QWidget& screen, Narrator& bee, ProgramState& program, bool showScreen = true);

// Sets a control's object name, accessible name and geometry in one step: a screen's layout
// is a block of these calls. An empty accessible name leaves the control's own (its caption).
template <class W> W* place(W* control, const char* objectName, QRect geometry,
                            const QString& accessibleName = {});
void placeControl(QWidget& control, const char* objectName, QRect geometry,
                  const QString& accessibleName);

template <class W> W* place(W* control, const char* objectName, QRect geometry,
                            const QString& accessibleName) {
    placeControl(*control, objectName, geometry, accessibleName);
    return control;
}

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

// A screen that ends only when it decides to (a movie's end, a click on its start area, an
// answer, an accepted Exit): closeScreen() ends it. Escape and the window manager's close box
// before that are the screen's escapeOrCloseBox(), refused by default; a screen with an Exit
// button takes them as Exit, and its window closes only if Exit ends it there and then.
class ClosingOnPurposeDialog : public QDialog {
public:
    using QDialog::QDialog;
    // Ends the modal showing with `result`.
    void closeScreen(int result = QDialog::Accepted);
    void reject() override { escapeOrCloseBox(); }

protected:
    virtual void escapeOrCloseBox() {}
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_closing = false;
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
