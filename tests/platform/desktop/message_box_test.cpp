#include "test_application.h"

#include "platform/desktop/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

using hc::MessageAnswer;
using hc::MessageButtons;
using hc::MessageIcon;

// What the real box looked like when it came up.
struct SeenBox {
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Waits for the real box to come up, notes what it shows and answers it with `answer`.
class BoxDriver {
public:
    explicit BoxDriver(std::function<void(QMessageBox&)> answer) : m_answer(std::move(answer)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(10);
    }
    const std::optional<SeenBox>& seen() const { return m_seen; }

private:
    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || m_seen) {
            return;
        }
        SeenBox seen;
        seen.text = box->text();
        seen.caption = box->windowTitle();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        if (box->defaultButton() != nullptr) {
            seen.defaultButton = box->standardButton(box->defaultButton());
        }
        m_seen = seen;
        m_answer(*box);
    }

    std::function<void(QMessageBox&)> m_answer;
    QTimer m_timer;
    std::optional<SeenBox> m_seen;
};

void pressKey(QMessageBox& box, int key) {
    QApplication::postEvent(&box, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
}

std::function<void(QMessageBox&)> press(int key) {
    return [key](QMessageBox& box) { pressKey(box, key); };
}

std::function<void(QMessageBox&)> click(QMessageBox::StandardButton which) {
    return [which](QMessageBox& box) {
        QMetaObject::invokeMethod(box.button(which), &QAbstractButton::click, Qt::QueuedConnection);
    };
}

// The boxes of the screens, shown for real and answered by key or click.
TEST(MessageBox, RealBoxesOfferTheRightButtonsAndAnswers) {
    hc::QtMessageBoxPresenter presenter;
    using Ask = std::function<MessageAnswer()>;
    const auto yes = QMessageBox::Yes, no = QMessageBox::No, cancel = QMessageBox::Cancel,
               ok = QMessageBox::Ok;
    struct Row {
        const char* name;
        Ask ask;
        std::function<void(QMessageBox&)> answer;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
        MessageAnswer expected;
    };
    auto yesNo = [&] {
        return hc::askYesNo(presenter, "Are you sure you want to delete user Ann?",
                            "Honeycombwordsmiths Options")
                   ? MessageAnswer::Yes
                   : MessageAnswer::No;
    };
    auto yesNoCancel = [&] {
        return hc::askYesNoCancel(presenter, "Do you want to save this word list?",
                                  "Honeycombwordsmiths Options");
    };
    auto message = [&](MessageIcon icon) {
        return [&presenter, icon] {
            hc::showMessage(presenter, "New Password set.", "Honeycombwordsmiths Options", icon);
            return MessageAnswer::Ok;
        };
    };
    const std::vector<Row> rows = {
        // Enter on a Yes/No question answers No: deleting needs a deliberate Yes.
        {"yes/no, Enter", yesNo, press(Qt::Key_Return), QMessageBox::Question, yes | no, no,
         MessageAnswer::No},
        {"yes/no, Escape", yesNo, press(Qt::Key_Escape), QMessageBox::Question, yes | no, no,
         MessageAnswer::No},
        {"yes/no, Yes clicked", yesNo, click(yes), QMessageBox::Question, yes | no, no,
         MessageAnswer::Yes},
        {"yes/no/cancel, Enter", yesNoCancel, press(Qt::Key_Return), QMessageBox::Question,
         yes | no | cancel, yes, MessageAnswer::Yes},
        {"yes/no/cancel, Escape", yesNoCancel, press(Qt::Key_Escape), QMessageBox::Question,
         yes | no | cancel, yes, MessageAnswer::Cancel},
        {"yes/no/cancel, No clicked", yesNoCancel, click(no), QMessageBox::Question,
         yes | no | cancel, yes, MessageAnswer::No},
        {"OK, no icon", message(MessageIcon::None), press(Qt::Key_Return), QMessageBox::NoIcon, ok,
         ok, MessageAnswer::Ok},
        {"OK, stop icon", message(MessageIcon::Error), press(Qt::Key_Escape), QMessageBox::Critical,
         ok, ok, MessageAnswer::Ok},
        {"OK, information", message(MessageIcon::Information), press(Qt::Key_Return),
         QMessageBox::Information, ok, ok, MessageAnswer::Ok},
        {"OK, warning", message(MessageIcon::Warning), press(Qt::Key_Return), QMessageBox::Warning,
         ok, ok, MessageAnswer::Ok},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BoxDriver driver(row.answer);
        const MessageAnswer answer = row.ask();
        ASSERT_TRUE(driver.seen().has_value());
        const SeenBox& seen = *driver.seen();
        EXPECT_EQ(seen.icon, row.icon);
        EXPECT_EQ(seen.buttons, row.buttons);
        EXPECT_EQ(seen.defaultButton, row.defaultButton);
        EXPECT_EQ(answer, row.expected);
        EXPECT_EQ(seen.caption, "Honeycombwordsmiths Options");
    }
}

TEST(MessageBox, TextAndCaptionAreShownAsGiven) {
    hc::QtMessageBoxPresenter presenter;
    BoxDriver driver(press(Qt::Key_Return));
    // Plain text: markup-like characters in a user's name are shown, not interpreted.
    hc::showMessage(presenter, "Only one copy of <b>Honeycombwordsmiths</b> is allowed",
                    "Honeycombwordsmiths", MessageIcon::Error);
    ASSERT_TRUE(driver.seen().has_value());
    EXPECT_EQ(driver.seen()->text, "Only one copy of <b>Honeycombwordsmiths</b> is allowed");
    EXPECT_EQ(driver.seen()->caption, "Honeycombwordsmiths");
}

// Regression: the window a box belongs to may be destroyed while the box is open (a timer
// closes the screen); the box goes with it and the answer is the way out, without a crash.
TEST(MessageBox, OwnerDestroyedWhileOpenGivesTheWayOut) {
    hc::QtMessageBoxPresenter presenter;
    auto owner = std::make_unique<QWidget>();
    owner->show();
    QApplication::setActiveWindow(owner.get());
    ASSERT_EQ(QApplication::activeWindow(), owner.get());
    BoxDriver driver([&](QMessageBox&) { QTimer::singleShot(0, [&] { owner.reset(); }); });
    const MessageAnswer answer = hc::askYesNoCancel(presenter, "Save?", "Caption");
    EXPECT_TRUE(driver.seen().has_value());
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(answer, MessageAnswer::Cancel);
}

TEST(MessageBox, StandardErrorBox) {
    std::vector<hc::MessageRequest> log;
    hc::test::RecordingPresenter presenter(log);
    struct Row {
        QString message;
        QString text;
    };
    const std::vector<Row> rows = {
        {"UserFile Error: Can't open file", "UserFile Error: Can't open file."},
        {"'12a' is not a valid floating point value", "'12a' is not a valid floating point value."},
        {"", "."},
        // A message that already ends its sentence gets no second full stop.
        {"Disk full.", "Disk full."},
    };
    for (const Row& row : rows) {
        log.clear();
        hc::showStandardError(presenter, "Honeycombwordsmiths", row.message);
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].text, row.text);
        EXPECT_EQ(log[0].caption, "Honeycombwordsmiths");
        EXPECT_EQ(log[0].icon, MessageIcon::Error);
        EXPECT_EQ(log[0].buttons, MessageButtons::Ok);
    }
}

} // namespace
