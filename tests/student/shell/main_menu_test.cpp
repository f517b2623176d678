// The student program's shell as a child meets it: the opening sequence from the logo to the
// login, the main menu's greeting, help mode and Exit guard, the screens that open over it or
// take its place, and the good-bye dialogue.

#include "archive/error.h"
#include "content/entry_names.h"
#include "datafiles/settings.h"
#include "datafiles/user_file.h"
#include "platform/media/clock_timer.h"
#include "platform/media/media_player.h"
#include "student/login/login_form.h"
#include "student/phonogram/phono_form.h"
#include "student/shell/goodbye_form.h"
#include "student/shell/loading_message.h"
#include "student/shell/logo_form.h"
#include "student/shell/main_menu.h"
#include "student/shell/narrator.h"
#include "student/shell/screen_kit.h"
#include "student/shell/title_form.h"
#include "student/spelltest/word_test.h"
#include "student_test.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <limits>

namespace hc::test::student {
namespace {

using hc::media::Mode;
using hc::student::Narrator;
using hc::student::TGoodByeForm;
using hc::student::TMainMenuForm;

QString modalName() {
    QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr ? modal->objectName() : QString();
}

// Logs a new user in on the login screen once the bee allows it; true when the login closed.
bool logInNewUser(QWidget& login, const QString& name) {
    auto* narrator = login.findChild<Narrator*>();
    if (narrator->busy()) {
        return false;
    }
    auto* pages = login.findChild<QTabWidget*>(QStringLiteral("PageControl"));
    pages->setCurrentIndex(1);
    login.findChild<QLineEdit*>(QStringLiteral("NameEdit"))->setText(name);
    login.findChild<QPushButton*>(QStringLiteral("OKbtn"))->click();
    return !login.isVisible();
}

class MainMenuTest : public StudentTest {
protected:
    // The menu as the start sequence leaves it, without running the sequence: settings loaded,
    // the shared animations extracted, a user logged in, the menu entered.
    std::unique_ptr<TMainMenuForm> enteredMenu() {
        extractBeeAnimations();
        EXPECT_EQ(UserFileAdd("USERS.ERF", "Ada"), 0);
        m_program->setCurrentUser("Ada", "USERS.ERF", false);
        auto menu = std::make_unique<TMainMenuForm>(*m_program);
        menu->EnterScreen();
        processEvents();
        return menu;
    }
    QString lastClip(const TMainMenuForm& menu) const { return menu.narrator().lastClip(); }
    // Lets the bee finish whatever it says.
    void untilSilent(const Narrator& narrator) {
        for (int i = 0; i < 6000 && narrator.busy(); ++i) {
            step(10ms);
        }
        ASSERT_FALSE(narrator.busy());
    }
};

TEST_F(MainMenuTest, TheOpeningSequenceRunsLogoTitleAndLoginThenShowsTheMenu) {
    // A hand-made OPTIONS.DAT: the program uses the nearest usable values and leaves the file.
    SettingsRecord handMade = hc::defaultSettings();
    handMade.WordDelay = 1e9f;
    handMade.SpellWeight = std::numeric_limits<float>::quiet_NaN();
    const std::string optionsBytes = hc::settingsFileBytes(handMade);
    hc::test::writeFile("OPTIONS.DAT", optionsBytes);
    TMainMenuForm menu(*m_program);
    QStringList seen;
    qint64 logoClosedAt = -1;
    qint64 logoLength = -1;
    driveWhile([&] { menu.FormCreate(); },
               [&] {
                   const QString now = modalName();
                   if (!now.isEmpty() && (seen.isEmpty() || seen.back() != now)) {
                       if (!seen.isEmpty() && seen.back() == QStringLiteral("QRVlogoForm")) {
                           logoClosedAt = m_clock.now().count() / 1'000'000;
                       }
                       seen << now;
                   }
                   QWidget* modal = QApplication::activeModalWidget();
                   if (now == QStringLiteral("QRVlogoForm") && logoLength < 0) {
                       auto& logo = static_cast<hc::student::TQRVlogoForm&>(*modal);
                       logoLength = logo.player().length() * 1000 / 15;
                   }
                   if (now == QStringLiteral("TitleForm")) {
                       static_cast<hc::student::TTitleForm*>(modal)->StartPanelClick();
                   }
                   if (now == QStringLiteral("LoginForm")) {
                       logInNewUser(*modal, QStringLiteral("Ada"));
                   }
                   return true;
               });

    EXPECT_EQ(seen, QStringList({"QRVlogoForm", "TitleForm", "LoginForm"}));
    // The logo ended with its movie, not before.
    EXPECT_GE(logoClosedAt, logoLength);
    EXPECT_LT(logoClosedAt, logoLength + 200);
    EXPECT_FALSE(menu.endRequested());
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.findChild<QLabel*>(QStringLiteral("NamePanel"))->text(), QStringLiteral("Ada"));
    EXPECT_FALSE(menu.loadingMessage()->isVisible());
    ASSERT_EQ(UserFileFind("USERS.ERF", "Ada"), 0);
    EXPECT_EQ(CurrentUser.ProgramRuns, 1);
    EXPECT_EQ(Settings.WordDelay, 60.0f);
    EXPECT_EQ(Settings.SpellWeight, 1.0f);
    EXPECT_EQ(hc::test::readFile("OPTIONS.DAT"), optionsBytes);

    // The greeting one second later.
    step(1010ms);
    EXPECT_EQ(lastClip(menu), QStringLiteral("mainmenu"));
}

TEST_F(MainMenuTest, TheTitleEndsWithItsMusicAndACancelledFirstLoginEndsUnseen) {
    TMainMenuForm menu(*m_program);
    int menuShown = 0;
    struct ShowCounter : QObject {
        int& count;
        explicit ShowCounter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            count += event->type() == QEvent::Show ? 1 : 0;
            return false;
        }
    } counter(menuShown);
    menu.installEventFilter(&counter);

    qint64 titleClosedAt = -1;
    qint64 musicLength = -1;
    driveWhile([&] { menu.FormCreate(); },
               [&] {
                   const QString now = modalName();
                   if (now == QStringLiteral("TitleForm") && musicLength < 0) {
                       musicLength = menu.musicPlayer().length();
                   }
                   if (now == QStringLiteral("LoginForm")) {
                       if (titleClosedAt < 0) {
                           titleClosedAt = m_clock.now().count() / 1'000'000;
                       }
                       auto* login = QApplication::activeModalWidget();
                       if (!login->findChild<Narrator*>()->busy()) {
                           login->findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
                       }
                   }
                   return true;
               },
               50ms);

    // Nobody clicked the title: the end of the music closed it.
    ASSERT_GT(musicLength, 10'000);
    EXPECT_GT(titleClosedAt, musicLength);
    EXPECT_TRUE(menu.endRequested());
    EXPECT_EQ(menuShown, 0) << "the menu is never seen after a cancelled first login";
    EXPECT_TRUE(m_media.programSoundPlaying()) << "the farewell sound";
    EXPECT_EQ(menu.musicPlayer().mode(), Mode::NotOpen);
}

TEST_F(MainMenuTest, AStartSequenceThatFailsStopsThereAndLeavesNoTemporaryFile) {
    // Settings that cannot be read: nothing else happens.
    hc::test::writeFile("OPTIONS.DAT", std::string(1104, 'x'));
    {
        TMainMenuForm menu(*m_program);
        EXPECT_THROW(menu.FormCreate(), hc::Error);
        EXPECT_EQ(menu.wallpaper(), nullptr);
    }
    std::filesystem::remove("OPTIONS.DAT");

    // Music missing from the archive: the logo has played, then the sequence stops before the
    // title and the login.
    const std::string archive = path("nomusic.erf");
    writeArchive(archive, {std::string(hc::entries::kBeeIdle), std::string(hc::entries::kBeeTalk),
                           std::string(hc::entries::kLoadingMovie),
                           std::string(hc::entries::kLogoMovie)});
    useArchive(archive);
    QStringList seen;
    {
        TMainMenuForm menu(*m_program);
        std::string error;
        driveWhile(
            [&] {
                try {
                    menu.FormCreate();
                } catch (const hc::Error& e) {
                    error = e.what();
                }
            },
            [&] {
                if (!modalName().isEmpty() && (seen.isEmpty() || seen.back() != modalName())) {
                    seen << modalName();
                }
                return true;
            });
        EXPECT_EQ(error, "Can't open ERF resource: sound\\title.mid");
        EXPECT_FALSE(temporaryFiles().empty()) << "the bee animations were extracted";
    }
    EXPECT_EQ(seen, QStringList({"QRVlogoForm"}));
    EXPECT_TRUE(temporaryFiles().empty()) << "the menu's destruction deleted everything";
}

TEST_F(MainMenuTest, TheGreetingComesOneSecondAfterEveryReturnAndExitWaitsForIt) {
    auto menu = enteredMenu();
    // Exit during the greeting second: no good-bye screen.
    menu->CancelBtnClick();
    EXPECT_TRUE(modalName().isEmpty());
    step(990ms);
    EXPECT_TRUE(lastClip(*menu).isEmpty());
    step(20ms);
    EXPECT_EQ(lastClip(*menu), QStringLiteral("mainmenu"));
    EXPECT_TRUE(menu->narrator().talking());
    menu->CancelBtnClick(); // while the bee speaks: nothing either
    EXPECT_TRUE(modalName().isEmpty());
    EXPECT_FALSE(menu->close()) << "only the good-bye screen closes the menu";
    EXPECT_TRUE(menu->isVisible());

    // Leaving while the bee speaks stops the speech; back again, the greeting comes anew.
    menu->LeaveScreen();
    EXPECT_FALSE(menu->isVisible());
    EXPECT_NE(beePlayer(menu->narrator(), "BeeSound").mode(), Mode::Playing);
    step(3000ms);
    EXPECT_FALSE(greetingTimer(menu->narrator()).isActive());
    menu->narrator().stopButton().click();
    menu->EnterScreen();
    step(1010ms);
    EXPECT_EQ(lastClip(*menu), QStringLiteral("mainmenu"));
    EXPECT_TRUE(menu->narrator().talking());
}

TEST_F(MainMenuTest, HelpModeSpeaksTheButtonsHelpInsteadOfActing) {
    auto menu = enteredMenu();
    step(1010ms);
    QPushButton* help = menu->narrator().helpButton();
    auto* mainPanel = control(*menu, "MainPanel");
    auto* wordTest = control<QToolButton>(*menu, "WordTestBtn");
    auto* exitButton = control(*menu, "CancelBtn");

    // The narrator's own buttons make no sound; the activity buttons click on mouse-down.
    auto press = [](QWidget* button) {
        QMouseEvent down(QEvent::MouseButtonPress, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)),
                         Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(button, &down);
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(-50, -50),
                       button->mapToGlobal(QPointF(-50, -50)), Qt::LeftButton, Qt::NoButton,
                       Qt::NoModifier);
        QApplication::sendEvent(button, &up); // released outside: no click
    };
    press(help);
    EXPECT_FALSE(m_media.programSoundPlaying());
    press(wordTest);
    EXPECT_TRUE(m_media.programSoundPlaying());
    EXPECT_TRUE(modalName().isEmpty());

    help->click();
    EXPECT_TRUE(help->isChecked());
    EXPECT_EQ(lastClip(*menu), QStringLiteral("cntxthlp"));
    EXPECT_EQ(mainPanel->cursor().shape(), Qt::WhatsThisCursor);
    EXPECT_EQ(wordTest->cursor().shape(), Qt::WhatsThisCursor);
    EXPECT_NE(exitButton->cursor().shape(), Qt::WhatsThisCursor)
        << "the bottom bar's controls keep their cursor";

    wordTest->click();
    EXPECT_EQ(lastClip(*menu), QStringLiteral("spelmhlp"));
    EXPECT_FALSE(help->isChecked());
    EXPECT_EQ(wordTest->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(menu->isVisible()) << "no activity opened";

    // Down and up again: the help clip once, cursors back.
    menu->narrator().stopButton().click();
    help->click();
    help->click();
    EXPECT_EQ(lastClip(*menu), QStringLiteral("cntxthlp"));
    EXPECT_FALSE(menu->narrator().talking() && lastClip(*menu) != QStringLiteral("cntxthlp"));
    EXPECT_EQ(mainPanel->cursor().shape(), Qt::ArrowCursor);

    // Each activity button has its own help clip. Enter on the focused button presses it as a
    // click does (here in help mode, so nothing opens); a held Enter's repeat presses nothing.
    const std::vector<std::pair<const char*, const char*>> buttons = {{"NewUserBtn", "hlpusr"},
                                                                      {"WordListBtn", "hlplist"},
                                                                      {"ReportCardBtn", "hlpreprt"},
                                                                      {"WordTestBtn", "spelmhlp"},
                                                                      {"PhonoBtn", "phonmhlp"}};
    for (const auto& [name, clip] : buttons) {
        help->click();
        auto* button = control<QAbstractButton>(*menu, name);
        button->setFocus();
        pressKey(*button, Qt::Key_Return, true);
        EXPECT_EQ(lastClip(*menu), QStringLiteral("cntxthlp")) << name;
        pressKey(*button, Qt::Key_Return);
        EXPECT_EQ(lastClip(*menu), QString::fromLatin1(clip)) << name;
        EXPECT_FALSE(help->isChecked()) << name;
        EXPECT_TRUE(modalName().isEmpty()) << name;
    }
}

TEST_F(MainMenuTest, ANameTooLongForItsPanelStartsAtItsFirstLetterAndIsReadWhole) {
    auto menu = enteredMenu();
    const QString longName = QStringLiteral("Maximilian Bartholomew-Featherstonehaugh");
    m_program->setCurrentUser(longName.toStdString(), "USERS.ERF", false);
    std::ofstream(hc::textOf(Settings.WordFile)) << "apple\r\n";
    hc::student::TWordTest test(*m_program);
    test.FormCreate();
    hc::student::TPhonoForm puzzle(*m_program);
    for (QWidget* screen : {static_cast<QWidget*>(menu.get()), static_cast<QWidget*>(&test),
                            static_cast<QWidget*>(&puzzle)}) {
        SCOPED_TRACE(screen->objectName().toStdString());
        auto* panel = control<hc::student::ElidedLabel>(*screen, "NamePanel");
        ASSERT_NE(panel, nullptr);
        EXPECT_TRUE(panel->shownText().startsWith(QStringLiteral("Maximilian B")));
        EXPECT_TRUE(panel->shownText().endsWith(QChar(0x2026)));
        EXPECT_EQ(QAccessible::queryAccessibleInterface(panel)->text(QAccessible::Name), longName)
            << "a screen reader reads the whole name";
        // Drawn from its first letter at the panel's left, ending before its right edge.
        for (int scale : {1, 2}) {
            QImage image(panel->size() * scale, QImage::Format_ARGB32);
            image.setDevicePixelRatio(scale);
            image.fill(Qt::white);
            panel->render(&image);
            const QRect inside(panel->contentsRect().topLeft() * scale,
                               panel->contentsRect().size() * scale);
            int first = -1;
            int last = -1;
            for (int x = inside.left(); x <= inside.right(); ++x) {
                for (int y = inside.top(); y <= inside.bottom(); ++y) {
                    if (QColor(image.pixel(x, y)).lightness() < 100) {
                        first = first < 0 ? x : first;
                        last = x;
                        break;
                    }
                }
            }
            EXPECT_GE(first, inside.left()) << scale << "x";
            EXPECT_LE(first, inside.left() + 3 * scale) << scale << "x";
            EXPECT_LT(last, inside.right() - scale) << scale << "x";
        }
    }
    test.FormDestroy();
}

TEST_F(MainMenuTest, WordListAndReportCardOpenOverTheMenuWithoutRepeatingTheGreeting) {
    auto menu = enteredMenu();
    // Opened within the greeting second: the greeting timer runs on behind the screen.
    bool opened = false;
    driveWhile([&] { control<QAbstractButton>(*menu, "WordListBtn")->click(); },
               [&] {
                   if (modalName() == QStringLiteral("WordForm")) {
                       opened = true;
                       EXPECT_TRUE(menu->isVisible());
                       if (m_clock.now() > 1500ms) {
                           QApplication::activeModalWidget()->close();
                       }
                   }
                   return true;
               });
    EXPECT_TRUE(opened);
    EXPECT_EQ(lastClip(*menu), QStringLiteral("mainmenu")) << "greeted while the list was up";
    untilSilent(menu->narrator());

    opened = false;
    driveWhile([&] { control<QAbstractButton>(*menu, "ReportCardBtn")->click(); },
               [&] {
                   if (modalName() == QStringLiteral("ReportCard")) {
                       opened = true;
                       QApplication::activeModalWidget()->close();
                   }
                   return true;
               });
    EXPECT_TRUE(opened);
    step(2000ms);
    EXPECT_FALSE(menu->narrator().talking()) << "no second greeting after the report card";
}

TEST_F(MainMenuTest, ANewLoginCancelledKeepsTheUserAndTheMenuGreetsAgain) {
    auto menu = enteredMenu();
    untilSilent(menu->narrator());
    driveWhile([&] { control<QAbstractButton>(*menu, "NewUserBtn")->click(); },
               [&] {
                   if (modalName() == QStringLiteral("LoginForm")) {
                       EXPECT_FALSE(menu->isVisible());
                       auto* login = QApplication::activeModalWidget();
                       if (!login->findChild<Narrator*>()->busy()) {
                           login->findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
                       }
                   }
                   return true;
               });
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(m_program->currentUserName(), "Ada");
    menu->narrator().stopButton().click();
    step(1010ms);
    EXPECT_EQ(lastClip(*menu), QStringLiteral("mainmenu"));
}

class GoodByeTest : public MainMenuTest {
protected:
    void SetUp() override {
        MainMenuTest::SetUp();
        m_menu = enteredMenu();
        untilSilent(m_menu->narrator());
        m_bye = std::make_unique<TGoodByeForm>(*m_program, *m_menu);
        m_bye->FormCreate();
        m_bye->show();
        processEvents();
    }
    void TearDown() override {
        m_bye.reset();
        m_menu.reset();
        MainMenuTest::TearDown();
    }
    Narrator& bee() { return m_bye->narrator(); }
    std::unique_ptr<TMainMenuForm> m_menu;
    std::unique_ptr<TGoodByeForm> m_bye;
};

TEST_F(GoodByeTest, YesOnlyAfterTheQuestionThenTheProgramEnds) {
    EXPECT_FALSE(m_menu->isVisible()) << "the good-bye screen takes the menu's place";
    m_bye->YesBtnClick(); // before the greeting
    EXPECT_EQ(m_bye->answer(), 0);
    step(2010ms);
    EXPECT_EQ(bee().lastClip(), QStringLiteral("leave"));
    m_bye->YesBtnClick(); // during the question
    EXPECT_EQ(m_bye->answer(), 0);
    untilSilent(bee());

    m_bye->YesBtnClick();
    EXPECT_EQ(m_bye->answer(), TGoodByeForm::AnswerYes);
    EXPECT_EQ(bee().lastClip(), QStringLiteral("goodbye"));
    m_bye->NoBtnClick(); // the answer is final
    EXPECT_EQ(m_bye->answer(), TGoodByeForm::AnswerYes);
    const auto clip = std::chrono::milliseconds(beePlayer(bee(), "BeeSound").length());
    step(clip + 50ms);
    EXPECT_TRUE(m_bye->isVisible()) << "the screen waits one more second";
    step(1000ms);
    EXPECT_FALSE(m_bye->isVisible());
    m_bye->FormDestroy();
    EXPECT_TRUE(m_menu->endRequested());
    EXPECT_FALSE(m_menu->isVisible());
}

TEST_F(GoodByeTest, EscapeAnswersNoAndTheMenuComesBackAndGreets) {
    step(2010ms);
    untilSilent(bee());
    m_bye->reject(); // Escape
    EXPECT_EQ(m_bye->answer(), TGoodByeForm::AnswerNo);
    EXPECT_EQ(bee().lastClip(), QStringLiteral("welcmbak"));

    // Stopped, the answer's clip never closes the screen; Repeat speaks it again, and its end
    // does.
    bee().stopButton().click();
    step(5000ms);
    EXPECT_TRUE(m_bye->isVisible());
    m_bye->YesBtnClick();
    EXPECT_EQ(m_bye->answer(), TGoodByeForm::AnswerNo);
    bee().repeatButton().click();
    untilSilent(bee());
    step(1010ms);
    EXPECT_FALSE(m_bye->isVisible());
    m_bye->FormDestroy();
    EXPECT_FALSE(m_menu->endRequested());
    EXPECT_TRUE(m_menu->isVisible());
    step(1010ms);
    EXPECT_EQ(m_menu->narrator().lastClip(), QStringLiteral("mainmenu"));
}

// Fault guarded against: an answer whose clip is missing from the archive left the dialogue
// open for good, since only the clip's end starts the exit timer.
TEST_F(MainMenuTest, AnAnswerWhoseClipIsMissingStillEndsTheDialogue) {
    const std::string archive = path("nobye.erf");
    writeArchive(archive, {std::string(hc::entries::kBeeIdle), std::string(hc::entries::kBeeTalk),
                           hc::entries::clipSound("leave"), hc::entries::clipText("leave")});
    useArchive(archive);
    auto menu = enteredMenu();
    TGoodByeForm bye(*m_program, *menu);
    bye.FormCreate();
    bye.show();
    step(2010ms);
    untilSilent(bye.narrator());
    m_program->app().guard([&] { bye.YesBtnClick(); });
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, QStringLiteral("Can't open ERF resource: bee\\goodbye.wav."));
    step(1010ms);
    EXPECT_FALSE(bye.isVisible());
}

} // namespace
} // namespace hc::test::student
