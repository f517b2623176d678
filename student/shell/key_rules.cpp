#include "student/shell/key_rules.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>

namespace hc::student {
namespace {

const char* const kName = "KeyRules";

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool takesText(const QWidget& widget) {
    return qobject_cast<const QLineEdit*>(&widget) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(&widget) != nullptr ||
           qobject_cast<const QTextEdit*>(&widget) != nullptr;
}

// A push or tool button that Enter presses: focused, enabled and shown. Check boxes keep
// their own keys (Space ticks them, Enter is the window's).
QAbstractButton* pressableButton(QWidget& widget) {
    if (qobject_cast<QPushButton*>(&widget) == nullptr &&
        qobject_cast<QToolButton*>(&widget) == nullptr) {
        return nullptr;
    }
    auto* button = static_cast<QAbstractButton*>(&widget);
    if (button->window()->focusWidget() != button || !button->isEnabled() || !button->isVisible()) {
        return nullptr;
    }
    return button;
}

} // namespace

void KeyRules::install() {
    if (qApp == nullptr || qApp->findChild<QObject*>(QString::fromLatin1(kName)) != nullptr) {
        return;
    }
    auto* rules = new KeyRules(qApp);
    rules->setObjectName(QString::fromLatin1(kName));
    qApp->installEventFilter(rules);
}

bool KeyRules::isRepeat(const QKeyEvent& event) const {
    if (event.isAutoRepeat()) {
        return true;
    }
    // A repeat reported as a release and a press carries the release's time stamp.
    const auto released = m_released.find(event.key());
    return event.timestamp() != 0 && released != m_released.end() &&
           released->second == event.timestamp();
}

bool KeyRules::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        return false;
    }
    // The event passes the window first, then the focused control and its parents: only the
    // controls count.
    auto* widget = qobject_cast<QWidget*>(watched);
    auto& key = static_cast<QKeyEvent&>(*event);
    if (widget == nullptr || !(isEnter(key.key()) || key.key() == Qt::Key_Space)) {
        return false;
    }
    if (event->type() == QEvent::KeyRelease) {
        if (!key.isAutoRepeat() && key.timestamp() != 0) {
            m_released[key.key()] = key.timestamp();
        }
        return false;
    }
    if (isRepeat(key)) {
        if (key.key() == Qt::Key_Space && takesText(*widget)) {
            return false; // spaces typed by a held key are text, not an answer
        }
        key.accept();
        return true;
    }
    if (isEnter(key.key())) {
        if (QAbstractButton* button = pressableButton(*widget)) {
            key.accept();
            button->click();
            return true;
        }
    }
    return false;
}

} // namespace hc::student
