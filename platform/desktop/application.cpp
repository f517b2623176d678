#include "platform/desktop/application.h"

#include <cstdio>
#include <utility>

namespace hc {

namespace {

// Shown for an exception that carries no message of its own.
const char* const kUnknownErrorText = "An unexpected error occurred";

} // namespace

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv), m_title(QCoreApplication::applicationName()),
      m_boxes(std::make_unique<QtMessageBoxPresenter>()) {}

Application::~Application() = default;

void Application::setMessageBoxPresenter(std::unique_ptr<MessageBoxPresenter> presenter) {
    m_boxes = presenter ? std::move(presenter) : std::make_unique<QtMessageBoxPresenter>();
}

void Application::showError(const QString& message) {
    showStandardError(*m_boxes, m_title, message);
}

bool Application::guard(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (...) {
        reportException(std::current_exception());
        return false;
    }
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportException(std::current_exception());
    }
    // The handler ran (and failed); the event is not offered to anyone else.
    return true;
}

void Application::reportException(const std::exception_ptr& error) noexcept {
    try {
        QString message;
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            message = QString::fromUtf8(e.what());
        } catch (...) {
            message = QString::fromLatin1(kUnknownErrorText);
        }
        try {
            showError(message);
        } catch (...) {
            // The box itself failed (a presenter that throws, no memory left): the message
            // still reaches someone.
            std::fprintf(stderr, "%s: %s\n", qPrintable(m_title), qPrintable(message));
        }
    } catch (...) {
        // Nothing may escape into Qt, not even a failure to report.
    }
}

} // namespace hc
