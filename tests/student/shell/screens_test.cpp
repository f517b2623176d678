// What every screen of the shell owes a child who cannot see or cannot point: a name for every
// control a screen reader reaches, captions on every window, and the per-screen differences of
// the narrator bee.

#include "student/login/login_form.h"
#include "student/progress/report_card.h"
#include "student/progress/word_form.h"
#include "student/shell/goodbye_form.h"
#include "student/shell/logo_form.h"
#include "student/shell/main_menu.h"
#include "student/shell/narrator.h"
#include "student/shell/title_form.h"
#include "student_test.h"

#include "platform/media/clock_timer.h"

#include <QAccessible>
#include <QFrame>
#include <QPushButton>

#include <functional>

namespace hc::test::student {
namespace {

using hc::media::MediaPlayer;
using hc::student::Narrator;

// Every control a screen reader reaches, with the names found missing.
void collectUnnamed(QAccessibleInterface* node, const QString& path, QStringList& unnamed,
                    int& checked) {
    if (node == nullptr) {
        return;
    }
    const QAccessible::Role role = node->role();
    const bool interactive =
        role == QAccessible::PushButton || role == QAccessible::CheckBox ||
        role == QAccessible::EditableText || role == QAccessible::List ||
        role == QAccessible::Tree || role == QAccessible::PageTab ||
        role == QAccessible::Graphic || role == QAccessible::Animation;
    const QString name = node->text(QAccessible::Name);
    checked += interactive ? 1 : 0;
    if (interactive && name.trimmed().isEmpty() && !node->state().invisible) {
        QObject* object = node->object();
        unnamed << path + "/" + (object != nullptr ? object->objectName() : QStringLiteral("?"));
    }
    for (int i = 0; i < node->childCount(); ++i) {
        collectUnnamed(node->child(i), path + "/" + name, unnamed, checked);
    }
}

class ScreensTest : public StudentTest {
protected:
    void SetUp() override {
        StudentTest::SetUp();
        extractBeeAnimations();
        m_menu = std::make_unique<hc::student::TMainMenuForm>(*m_program);
        m_music = std::make_unique<MediaPlayer>(m_media);
    }
    void TearDown() override {
        m_music.reset();
        m_menu.reset();
        StudentTest::TearDown();
    }
    std::unique_ptr<hc::student::TMainMenuForm> m_menu;
    std::unique_ptr<MediaPlayer> m_music;
};

TEST_F(ScreensTest, EveryControlAndWindowHasAName) {
    using Make = std::function<std::unique_ptr<QWidget>()>;
    const std::vector<std::pair<const char*, Make>> screens = {
        {"Honeycombwordsmiths Main Menu", [&] { return std::unique_ptr<QWidget>(); }},
        {"Welcome", [&] { return std::make_unique<hc::student::TLoginForm>(*m_program); }},
        {"Good-Bye",
         [&] { return std::make_unique<hc::student::TGoodByeForm>(*m_program, *m_menu); }},
        {"Brightquill", [&] { return std::make_unique<hc::student::TQRVlogoForm>(*m_program); }},
        {"Honeycombwordsmiths",
         [&] { return std::make_unique<hc::student::TTitleForm>(*m_program, *m_music); }},
        {"Report Card", [&] { return std::make_unique<hc::student::TReportCard>(*m_program); }},
        {"Word List", [&] { return std::make_unique<hc::student::TWordForm>(*m_program); }},
    };
    int total = 0;
    for (const auto& [caption, make] : screens) {
        std::unique_ptr<QWidget> owned = make();
        QWidget& screen = owned ? *owned : static_cast<QWidget&>(*m_menu);
        screen.show();
        processEvents();
        EXPECT_EQ(screen.windowTitle(), QString::fromUtf8(caption));
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&screen);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->text(QAccessible::Name), QString::fromUtf8(caption));
        QStringList unnamed;
        int checked = 0;
        collectUnnamed(window, QString::fromUtf8(caption), unnamed, checked);
        EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(", ").toStdString();
        total += checked;
        screen.hide();
    }
    EXPECT_GE(total, 30) << "the accessibility tree reaches the screens' controls";
}

// The narrator differs between screens only as this table says.
TEST_F(ScreensTest, TheNarratorOfEachScreen) {
    struct Row {
        const char* screen;
        std::function<QWidget*()> make;
        const char* playerPrefix;
        const char* greeting;
        int greetingMs;
        bool onAtCreation;
        const char* help; // clip of a push button, "toggle", or "" for none
        int helpWidth;
    };
    std::unique_ptr<QWidget> owned;
    const std::vector<Row> rows = {
        {"main menu", [&]() -> QWidget* { return m_menu.get(); }, "", "mainmenu", 1000, false,
         "toggle", 57},
        {"login",
         [&]() -> QWidget* {
             owned = std::make_unique<hc::student::TLoginForm>(*m_program);
             return owned.get();
         },
         "Login", "welcome", 2000, true, "login", 53},
        {"good-bye",
         [&]() -> QWidget* {
             owned = std::make_unique<hc::student::TGoodByeForm>(*m_program, *m_menu);
             return owned.get();
         },
         "", "leave", 2000, true, "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.screen);
        QWidget* screen = row.make();
        auto* bee = screen->findChild<Narrator*>();
        ASSERT_NE(bee, nullptr);
        EXPECT_EQ(bee->panel().width(), 162);
        EXPECT_EQ(bee->panel().height(), screen->height());
        EXPECT_EQ(beePlayer(*bee, "BeeGuide").objectName(), QString(row.playerPrefix) + "BeeGuide");
        EXPECT_EQ(beePlayer(*bee, "BeeGuideTalk").objectName(), QString(row.playerPrefix) + "BeeGuideTalk");
        EXPECT_EQ(beePlayer(*bee, "BeeSound").objectName(), QString(row.playerPrefix) + "BeeSound");
        EXPECT_EQ(greetingTimer(*bee).isActive(), row.onAtCreation);
        EXPECT_EQ(greetingTimer(*bee).interval().count(), row.greetingMs);

        QPushButton* help = bee->helpButton();
        if (std::string(row.help).empty()) {
            EXPECT_EQ(help, nullptr);
        } else {
            ASSERT_NE(help, nullptr);
            EXPECT_EQ(help->width(), row.helpWidth);
            EXPECT_EQ(help->isCheckable(), std::string(row.help) == "toggle");
        }

        screen->show();
        bee->enter();
        greetingTimer(*bee).setActive(true);
        step(std::chrono::milliseconds(row.greetingMs + 10));
        EXPECT_EQ(bee->lastClip(), QString(row.greeting));
        if (help != nullptr && !help->isCheckable()) {
            help->click();
            EXPECT_EQ(bee->lastClip(), QString(row.help));
        }
        bee->stopButton().click();
        bee->leave();
        screen->hide();
    }
}

} // namespace
} // namespace hc::test::student
