#include "test_application.h"

#include "archive/error.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using hc::MessageAnswer;
using hc::MessageButtons;
using hc::MessageIcon;
using hc::MessageRequest;

// A widget whose mouse-press and key-press handlers throw.
class ThrowingWidget : public QWidget {
protected:
    void mousePressEvent(QMouseEvent*) override { throw hc::Error("Mouse handler failed"); }
    void keyPressEvent(QKeyEvent*) override { throw std::runtime_error("Key handler failed"); }
};

void postClick(QWidget& widget, QPoint at) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QCoreApplication::postEvent(&widget, new QMouseEvent(type, at, widget.mapToGlobal(at),
                                                             Qt::LeftButton, held, Qt::NoModifier));
    }
}

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        hc::test::application().setMessageBoxPresenter(
            std::make_unique<hc::test::RecordingPresenter>(m_boxes));
    }
    void TearDown() override { hc::test::application().setMessageBoxPresenter(nullptr); }

    // Runs a local event loop in which `trigger` makes a handler throw, followed by a queued
    // event that ends the loop. True when that later event was handled.
    bool runLoop(const std::function<void()>& trigger) {
        QEventLoop loop;
        bool wentOn = false;
        trigger();
        QTimer::singleShot(0, &loop, [&] {
            wentOn = true;
            loop.quit();
        });
        QTimer::singleShot(5000, &loop, [&] { loop.quit(); });
        loop.exec();
        return wentOn;
    }

    std::vector<MessageRequest> m_boxes;
};

// Each row throws from a different kind of handler; each must end up as one standard error
// box, and the loop must go on to the next event.
TEST_F(ApplicationTest, ErrorEscapingAnyHandlerIsShownAndTheProgramGoesOn) {
    ThrowingWidget widget;
    widget.resize(100, 50);
    widget.show();
    QPushButton button("Go");
    button.resize(80, 30);
    button.show();
    QObject::connect(&button, &QPushButton::clicked,
                     [] { throw hc::Error("ERFlib error (Opening DATA.ERF): Can't open file"); });
    QObject target;

    struct Row {
        const char* name;
        std::function<void()> trigger;
        QString expectedText;
    };
    const std::vector<Row> rows = {
        {"timer", [] { QTimer::singleShot(0, [] { throw hc::Error("Timer failed"); }); },
         "Timer failed."},
        {"queued slot",
         [&] {
             QMetaObject::invokeMethod(
                 &target, [] { throw hc::Error("Slot failed"); }, Qt::QueuedConnection);
         },
         "Slot failed."},
        {"mouse press handler", [&] { postClick(widget, QPoint(10, 10)); },
         "Mouse handler failed."},
        {"button's clicked slot", [&] { postClick(button, QPoint(5, 5)); },
         "ERFlib error (Opening DATA.ERF): Can't open file."},
        // Any std::exception shows its own text, not only hc::Error.
        {"key handler",
         [&] {
             QCoreApplication::postEvent(
                 &widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier));
         },
         "Key handler failed."},
        // An exception without a message must not take the program down either.
        {"no message", [] { QTimer::singleShot(0, [] { throw 42; }); },
         "An unexpected error occurred."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_boxes.clear();
        EXPECT_TRUE(runLoop(row.trigger));
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].text, row.expectedText);
        EXPECT_EQ(m_boxes[0].caption, "Honeycombwordsmiths");
        EXPECT_EQ(m_boxes[0].icon, MessageIcon::Error);
        EXPECT_EQ(m_boxes[0].buttons, MessageButtons::Ok);
    }
}

// Regression: an error box whose presenter itself fails must not let the exception reach Qt.
TEST_F(ApplicationTest, FailingErrorBoxDoesNotEscapeIntoTheEventLoop) {
    class ThrowingPresenter final : public hc::MessageBoxPresenter {
    public:
        MessageAnswer present(const MessageRequest&) override {
            throw std::runtime_error("no box");
        }
    };
    hc::test::application().setMessageBoxPresenter(std::make_unique<ThrowingPresenter>());
    EXPECT_TRUE(runLoop([] { QTimer::singleShot(0, [] { throw hc::Error("Lost"); }); }));
}

TEST_F(ApplicationTest, GuardShowsTheErrorAndSkipsTheRest) {
    bool restRan = false;
    EXPECT_FALSE(hc::test::application().guard([&] {
        throw hc::Error("Can't open ERF resource: bee\\beejump.avi");
        restRan = true;
    }));
    EXPECT_FALSE(restRan);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, "Can't open ERF resource: bee\\beejump.avi.");
    EXPECT_EQ(m_boxes[0].icon, MessageIcon::Error);

    bool ran = false;
    EXPECT_TRUE(hc::test::application().guard([&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_EQ(m_boxes.size(), 1u);
}

// The real box, in the application's own loop: an error from a timer opens a modal
// QMessageBox with the standard look; Enter closes it and the program goes on with the next
// event. Regression: the box was the only window, and closing it ended the program.
TEST_F(ApplicationTest, RealErrorBoxShowsTextCaptionIconAndOkAndTheProgramGoesOn) {
    hc::test::application().setMessageBoxPresenter(nullptr);
    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        text = box->text();
        caption = box->windowTitle();
        icon = box->icon();
        buttons = box->standardButtons();
        QCoreApplication::postEvent(
            box, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
    });
    watcher.start(10);
    bool wentOn = false;
    QTimer::singleShot(0, [] { throw hc::Error("Disk full"); });
    // Queued while the box is open; runs once it has closed.
    QTimer::singleShot(200, [&] {
        wentOn = QApplication::activeModalWidget() == nullptr;
        QCoreApplication::exit(7);
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 7);
    EXPECT_TRUE(wentOn);
    EXPECT_EQ(text, "Disk full.");
    EXPECT_EQ(caption, "Honeycombwordsmiths");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

} // namespace
