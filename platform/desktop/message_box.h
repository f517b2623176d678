#pragma once

#include <QString>

namespace hc {

// The icon a message box shows. Error is the stop sign of the standard error box.
enum class MessageIcon { None, Information, Warning, Error, Question };

// The buttons a message box offers.
enum class MessageButtons { Ok, YesNo, YesNoCancel };

// The button the user chose. Escape, or closing the box by its window, chooses the box's
// "way out" (see escapeAnswer()).
enum class MessageAnswer { Ok, Yes, No, Cancel };

// One message box as a screen asks for it: the text, the caption of its title bar, its icon,
// its buttons and the button that Enter presses.
struct MessageRequest {
    QString text;
    QString caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // Must be one of `buttons`; any other value is treated as the box's first button.
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
};

// Shows a message box and returns the chosen button. It blocks its caller until the box is
// answered, while the event loop goes on (timers and notifications keep arriving).
//
// The program uses QtMessageBoxPresenter. Tests put a presenter in its place that records the
// request and answers at once, so nothing waits for a click.
class MessageBoxPresenter {
public:
    virtual ~MessageBoxPresenter() = default;
    virtual MessageAnswer present(const MessageRequest& request) = 0;
};

// The real message box: a modal QMessageBox over the active window (so it stays above an
// always-on-top screen), application-modal. If that window is destroyed while the box is open,
// the box goes with it and the answer is the way out. Closing a box never ends the program,
// even when it was the only window on the screen.
class QtMessageBoxPresenter final : public MessageBoxPresenter {
public:
    MessageAnswer present(const MessageRequest& request) override;
};

// The answer that Escape or the window's close box gives: OK for an OK box, No for Yes/No,
// Cancel for Yes/No/Cancel.
MessageAnswer escapeAnswer(MessageButtons buttons);

// A box with OK only.
void showMessage(MessageBoxPresenter& boxes, const QString& text, const QString& caption,
                 MessageIcon icon);

// A question with Yes and No, No being the default button (Enter answers No). True for Yes.
bool askYesNo(MessageBoxPresenter& boxes, const QString& text, const QString& caption,
              MessageIcon icon = MessageIcon::Question);

// A question with Yes, No and Cancel, Yes being the default button; Escape answers Cancel.
MessageAnswer askYesNoCancel(MessageBoxPresenter& boxes, const QString& text,
                             const QString& caption, MessageIcon icon = MessageIcon::Question);

// The text of the standard error box for an error's message: the message followed by ".".
// A message that already ends in "." gets no second one.
QString standardErrorText(const QString& message);

// The standard error box: standardErrorText(message), the application's title as caption,
// the error icon and OK.
void showStandardError(MessageBoxPresenter& boxes, const QString& applicationTitle,
                       const QString& message);

} // namespace hc
