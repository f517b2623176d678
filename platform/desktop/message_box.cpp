#include "platform/desktop/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <utility>
#include <vector>

namespace hc {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The buttons of a box in the order they are offered, the first being the fallback default.
std::vector<MessageAnswer> answersOf(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::YesNo:
        return {MessageAnswer::Yes, MessageAnswer::No};
    case MessageButtons::YesNoCancel:
        return {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel};
    case MessageButtons::Ok:
        break;
    }
    return {MessageAnswer::Ok};
}

QMessageBox::StandardButton qtButton(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    case MessageAnswer::Cancel:
        return QMessageBox::Cancel;
    case MessageAnswer::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// The window a box belongs to: the modal screen on top, else the active window.
QWidget* ownerWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

} // namespace

MessageAnswer escapeAnswer(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::Ok:
        break;
    }
    return MessageAnswer::Ok;
}

MessageAnswer QtMessageBoxPresenter::present(const MessageRequest& request) {
    const std::vector<MessageAnswer> answers = answersOf(request.buttons);
    const MessageAnswer wayOut = escapeAnswer(request.buttons);

    // Owned through a guard rather than the stack: if the owner window is destroyed while the
    // box runs its loop, Qt deletes the box with it.
    QPointer<QMessageBox> box = new QMessageBox(ownerWindow());
    box->setWindowTitle(request.caption);
    box->setText(request.text);
    box->setTextFormat(Qt::PlainText);
    // A box shown while no other window is visible (an error at start-up) must not end the
    // program when it closes, as the last window of an application otherwise would.
    box->setAttribute(Qt::WA_QuitOnClose, false);
    // A box without an owner (an error at start-up) stays on top: the screens of the programs
    // (another running copy's, too) stay on top, and the box must never hide beneath them.
    if (box->parentWidget() == nullptr) {
        box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    box->setIcon(qtIcon(request.icon));

    std::vector<std::pair<QPushButton*, MessageAnswer>> buttons;
    for (MessageAnswer answer : answers) {
        buttons.emplace_back(box->addButton(qtButton(answer)), answer);
    }
    QPushButton* defaultButton = buttons.front().first;
    QPushButton* escapeButton = buttons.front().first;
    for (const auto& [button, answer] : buttons) {
        if (answer == request.defaultAnswer) {
            defaultButton = button;
        }
        if (answer == wayOut) {
            escapeButton = button;
        }
    }
    box->setDefaultButton(defaultButton);
    box->setEscapeButton(escapeButton);

    box->exec();
    if (box.isNull()) {
        return wayOut;
    }
    MessageAnswer chosen = wayOut;
    QAbstractButton* clicked = box->clickedButton();
    for (const auto& [button, answer] : buttons) {
        if (button == clicked) {
            chosen = answer;
        }
    }
    delete box.data();
    return chosen;
}

void showMessage(MessageBoxPresenter& boxes, const QString& text, const QString& caption,
                 MessageIcon icon) {
    boxes.present({text, caption, icon, MessageButtons::Ok, MessageAnswer::Ok});
}

bool askYesNo(MessageBoxPresenter& boxes, const QString& text, const QString& caption,
              MessageIcon icon) {
    return boxes.present({text, caption, icon, MessageButtons::YesNo, MessageAnswer::No}) ==
           MessageAnswer::Yes;
}

MessageAnswer askYesNoCancel(MessageBoxPresenter& boxes, const QString& text,
                             const QString& caption, MessageIcon icon) {
    return boxes.present({text, caption, icon, MessageButtons::YesNoCancel, MessageAnswer::Yes});
}

QString standardErrorText(const QString& message) {
    if (message.endsWith(QLatin1Char('.'))) {
        return message;
    }
    return message + QLatin1Char('.');
}

void showStandardError(MessageBoxPresenter& boxes, const QString& applicationTitle,
                       const QString& message) {
    showMessage(boxes, standardErrorText(message), applicationTitle, MessageIcon::Error);
}

} // namespace hc
