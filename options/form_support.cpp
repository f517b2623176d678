#include "options/form_support.h"

#include "platform/desktop/application.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFont>
#include <QIcon>
#include <QKeyEvent>
#include <QPalette>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

namespace hc {

namespace {

// Presses the button it watches when Enter reaches it.
class EnterPresses : public QObject {
public:
    explicit EnterPresses(QAbstractButton& button) : QObject(&button), m_button(button) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &m_button || event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier ||
            !m_button.isEnabled()) {
            return false;
        }
        m_button.click();
        return true;
    }

private:
    QAbstractButton& m_button;
};

} // namespace

void setUpPrintPage(QWidget& page, const char* objectName, const char* title, QSize size) {
    page.setObjectName(objectName);
    page.setFont(systemFont());
    page.setWindowTitle(title);
    page.setFixedSize(size);
    page.setAutoFillBackground(true);
    QPalette white = page.palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    page.setPalette(white);
}

void pressOnEnter(QAbstractButton& button) {
    button.installEventFilter(new EnterPresses(button));
}

QToolBar* addPageToolBar(QWidget& page, const char* name) {
    auto* bar = new QToolBar(&page);
    bar->setObjectName(name);
    bar->setIconSize(QSize(16, 16));
    bar->setFixedHeight(28);
    return bar;
}

QToolButton* addToolButton(QToolBar& bar, Application& application, const char* name,
                           const QString& tip, const char* picture,
                           const std::function<void()>& click) {
    auto* button = new QToolButton(&bar);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setIcon(QIcon(QString::fromLatin1(picture)));
    button->setIconSize(bar.iconSize());
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    pressOnEnter(*button);
    bar.addWidget(button);
    QObject::connect(button, &QToolButton::clicked, button,
                     [&application, click] { application.guard(click); });
    return button;
}

} // namespace hc
