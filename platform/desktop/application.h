#pragma once

#include "platform/desktop/message_box.h"

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>
#include <memory>

namespace hc {

// The program's application object. Beyond QApplication it owns the application's title and
// the message-box presenter, and it guarantees that no exception crosses a Qt event boundary:
//
// An exception that escapes an event handler (a timer, a slot reached through an event, a
// mouse or key handler, a paint or close handler) is caught in notify() at the innermost
// event delivery that it leaves, shown in the standard error box (its message followed by
// ".", the title as caption, error icon, OK), and the program goes on with the next event.
// The operation stops where the error was raised; nothing is undone. Every exception type is
// caught: std::exception (hc::Error among them) shows what(), read as UTF-8; anything else
// shows a generic message.
//
// Handlers should still leave their own state consistent when they throw: the frames of Qt
// between the handler and notify() are unwound without running their clean-ups. Where a
// handler's error must not travel through Qt at all, run its body under guard().
class Application : public QApplication {
public:
    // argc must outlive the application, as for QApplication. The title starts as the
    // executable's name until setTitle() is called.
    Application(int& argc, char** argv);
    ~Application() override;

    // The caption of the standard error box from the moment it is set.
    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }

    // The presenter every message box of the program goes through. The application starts
    // with the real one (QtMessageBoxPresenter); passing nullptr restores it.
    MessageBoxPresenter& messageBoxes() { return *m_boxes; }
    void setMessageBoxPresenter(std::unique_ptr<MessageBoxPresenter> presenter);

    // Shows the standard error box for `message` at once.
    void showError(const QString& message);

    // Runs `action`. An exception it throws is shown in the standard error box and the
    // result is false; the rest of `action` is skipped. For a creation handler whose error
    // must leave the screen in existence, and for the program entry's guard.
    bool guard(const std::function<void()>& action);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    // Shows the error box for an exception; never throws, whatever the presenter does.
    void reportException(const std::exception_ptr& error) noexcept;

    QString m_title;
    std::unique_ptr<MessageBoxPresenter> m_boxes;
};

} // namespace hc
