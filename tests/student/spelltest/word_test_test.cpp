// The spelling test screen in process: whole tests driven as a child takes them (Start, the
// card with its word, typing, Ok) on the manual clock with the build's DATA.ERF or a smaller
// archive, a real user file and word list in the test's directory. What is checked: the cards
// and the board, the record written after the last word, Exit refused and accepted, the reward
// and its failures, and the temporary files.

#include "content/entry_names.h"
#include "controls/digit_box.h"
#include "datafiles/file_ops.h"
#include "datafiles/history.h"
#include "datafiles/settings.h"
#include "datafiles/user_file.h"
#include "platform/media/clock_timer.h"
#include "platform/media/media_player.h"
#include "student/shell/narrator.h"
#include "student/spelltest/great_job.h"
#include "student/spelltest/word_test.h"
#include "student_test.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>

namespace hc::test::student {
namespace {

using hc::controls::TDigitBox;
using hc::media::Mode;
using hc::student::TGreatJob;
using hc::student::TWordTest;

constexpr const char* kUserFile = "USERS.ERF";

// One step of a journey: when `ready` holds, `act` runs as an event of its own (so a click
// that waits inside its handler leaves the journey going).
struct Step {
    const char* what;
    std::function<bool()> ready;
    std::function<void()> act;
};

class WordTestTest : public StudentTest {
protected:
    void SetUp() override {
        StudentTest::SetUp();
        extractBeeAnimations();
        Settings.WordDelay = 1.0f;
        ASSERT_EQ(UserFileAdd(kUserFile, "Ann"), 0);
        m_program->setCurrentUser("Ann", kUserFile, false);
        m_program->calendarTime = [] { return std::time_t(1003); };
    }

    void TearDown() override {
        if (m_screen) {
            m_screen->FormDestroy();
            m_screen.reset();
        }
        StudentTest::TearDown();
    }

    static void writeWords(const std::string& bytes) {
        std::ofstream(Settings.WordFile, std::ios::binary) << bytes;
    }

    // Constructs the screen and runs its creation as the main menu does; false when the
    // creation failed (its error box is then among messages()).
    bool create() {
        m_screen = std::make_unique<TWordTest>(*m_program);
        const bool created = application().guard([&] { m_screen->FormCreate(); });
        m_screen->hide();
        return created;
    }

    // Shows the screen modally and follows `steps` until it closes. A step that never becomes
    // ready within ten minutes of the clock fails the test and closes the screen.
    void run(std::vector<Step> steps) {
        std::size_t next = 0;
        const auto start = m_clock.now();
        driveWhile([&] { m_screen->exec(); },
                   [&] {
                       if (m_clock.now() - start > 600s) {
                           ADD_FAILURE() << "stuck before: "
                                         << (next < steps.size() ? steps[next].what : "the end");
                           m_screen->done(0);
                           return false;
                       }
                       if (next < steps.size() && !m_acting && steps[next].ready()) {
                           m_acting = true;
                           QTimer::singleShot(0, m_screen.get(), [this, act = steps[next].act] {
                               m_acting = false;
                               act();
                           });
                           ++next;
                       }
                       return true;
                   });
        EXPECT_EQ(next, steps.size()) << "the screen closed before: "
                                      << (next < steps.size() ? steps[next].what : "");
    }

    // The controls.
    QLabel& theWord() { return *control<QLabel>(*m_screen, "TheWord"); }
    QLineEdit& answerEdit() { return *control<QLineEdit>(*m_screen, "AnswerEdit"); }
    QPushButton& startBtn() { return *control<QPushButton>(*m_screen, "StartBtn"); }
    QPushButton& okBtn() { return *control<QPushButton>(*m_screen, "OkBtn"); }
    // The board as the three counters show it, "total/correct/percent".
    std::string board() {
        auto shown = [&](const char* name) {
            return std::to_string(control<TDigitBox>(*m_screen, name)->value());
        };
        return shown("TotalBox") + "/" + shown("CorrectBox") + "/" + shown("PercentBox");
    }
    bool cardWithWord() { return theWord().isVisible(); }
    bool typing() { return answerEdit().isEnabled(); }
    void answer(const QString& text) {
        answerEdit().setText(text);
        okBtn().click();
    }
    bool beeSilent() { return !m_screen->narrator().talking(); }

    static TGreatJob* shownReward() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* reward = qobject_cast<TGreatJob*>(window); reward && reward->isVisible()) {
                return reward;
            }
        }
        return nullptr;
    }

    static UserRecord record() {
        EXPECT_EQ(UserFileFind(kUserFile, "Ann"), 0);
        return CurrentUser;
    }

    // The steps of a one-word test answered `answer`, from a silenced greeting to the answer's
    // feedback.
    std::vector<Step> oneWord(const QString& typed) {
        return {
            {"greeting", [this] { return m_screen->narrator().talking(); },
             [this] { m_screen->narrator().stopButton().click(); }},
            {"start", [this] { return beeSilent(); }, [this] { startBtn().click(); }},
            {"typing", [this] { return typing(); }, [this, typed] { answer(typed); }},
        };
    }

    // The history's lines: user, word, answer, right or wrong, test number.
    static std::vector<std::string> historyLines() {
        hc::HistoryContents contents;
        hc::History(hc::FileOps::system(), "HISTORY.CSV").read({}, contents);
        EXPECT_EQ(contents.damaged, 0);
        std::vector<std::string> lines;
        for (const hc::HistoryEntry& entry : contents.entries) {
            lines.push_back(entry.user + " " + entry.word + " " + entry.answer + " " +
                            (entry.right ? "right " : "wrong ") + std::to_string(entry.test));
        }
        return lines;
    }

    std::unique_ptr<TWordTest> m_screen;
    bool m_acting = false;
};

TEST_F(WordTestTest, AThreeWordTestIsShownCountedAndRecorded) {
    writeWords("apple\r\nbanana\r\ncherry\r\n");
    // Two earlier tests, 60 and 80.
    UserRecord before = record();
    before.SpellScores[8] = 61;
    before.SpellScores[9] = 81;
    CurrentUser = before;
    ComputeScores();
    ASSERT_EQ(UserFileUpdate(kUserFile, "Ann"), 0);
    before = CurrentUser;

    ASSERT_TRUE(create());
    QString cardFile;
    std::size_t filesDuringTest = 0;
    auto cardUp = [this](const char* word) {
        EXPECT_EQ(theWord().text(), QString::fromLatin1(word));
        EXPECT_EQ(m_screen->flashCardPlayer().position(), 15) << "the word lies on the landed card";
        EXPECT_FALSE(typing());
    };
    auto asked = [this] {
        EXPECT_FALSE(cardWithWord()) << "the word is hidden once the card has gone";
        EXPECT_EQ(m_screen->flashCardPlayer().position(), 30);
        EXPECT_TRUE(okBtn().isEnabled());
        EXPECT_EQ(m_screen->focusWidget(), &answerEdit());
    };
    run({
        {"exit during the greeting second", [] { return true; },
         [this] { m_screen->CancelBtnClick(); }},
        {"greeting", [this] { return m_screen->narrator().talking(); },
         [this] {
             EXPECT_TRUE(m_screen->isVisible()) << "Exit before the greeting is refused";
             m_screen->CancelBtnClick();
         }},
        {"greeting over", [this] { return beeSilent(); },
         [&] {
             EXPECT_TRUE(m_screen->isVisible()) << "Exit while the bee speaks is refused";
             EXPECT_EQ(board(), "0/0/0");
             startBtn().click();
             EXPECT_FALSE(startBtn().isEnabled());
             EXPECT_FALSE(cardWithWord()) << "the word waits for the card";
             cardFile = m_screen->flashCardPlayer().fileName();
             filesDuringTest = temporaryFiles().size();
         }},
        {"card 1", [this] { return cardWithWord(); }, [&] { cardUp("apple"); }},
        {"answer 1", [this] { return typing(); },
         [&] {
             asked();
             answer(QStringLiteral("APPLE")); // letter case does not count
         }},
        {"feedback 1", [this] { return m_screen->answering(); },
         [this] {
             EXPECT_EQ(board(), "1/1/100");
             EXPECT_EQ(m_screen->beeJumpPlayer().mode(), Mode::Playing);
             EXPECT_EQ(control<TDigitBox>(*m_screen, "PercentBox")->accessibleDescription(),
                       QStringLiteral("100"));
             EXPECT_TRUE(answerEdit().text().isEmpty());
             // A second Enter must find no button to press (Exit would end the test).
             EXPECT_FALSE(qobject_cast<QPushButton*>(m_screen->focusWidget()))
                 << m_screen->focusWidget()->objectName().toStdString();
         }},
        {"card 2", [this] { return cardWithWord(); }, [&] { cardUp("banana"); }},
        {"answer 2", [this] { return typing(); },
         [&] {
             asked();
             answer(QStringLiteral("bananna"));
         }},
        {"feedback 2", [this] { return m_screen->answering(); },
         [this] {
             EXPECT_EQ(board(), "2/1/50");
             EXPECT_EQ(m_screen->beeNoPlayer().mode(), Mode::Playing);
         }},
        {"card 3", [this] { return cardWithWord(); }, [&] { cardUp("cherry"); }},
        {"answer 3", [this] { return typing(); },
         [&] { answer(QStringLiteral("cherry ")); }}, // half right: a space too many
        {"test over", [this] { return startBtn().isEnabled(); },
         [&] {
             EXPECT_EQ(board(), "3/1/33");
             EXPECT_FALSE(okBtn().isEnabled());
             EXPECT_EQ(m_screen->focusWidget(), &startBtn()) << "Enter starts the next test";
             EXPECT_FALSE(m_screen->doneTimer().isActive()) << "33 is below the 90 asked for";
             const UserRecord after = record();
             EXPECT_EQ(after.SpellScores[9], 34);
             EXPECT_EQ(after.SpellScores[8], 81);
             EXPECT_EQ(after.SpellScores[7], 61);
             EXPECT_EQ(after.SpellScores[6], 0);
             UserRecord expected = before;
             hc::shiftInResult(expected, hc::Activity::Spelling, 33);
             hc::computeScores(expected, Settings.SpellWeight, Settings.PhonoWeight);
             EXPECT_EQ(after.SpellAverage, expected.SpellAverage);
             EXPECT_NEAR(after.SpellAverage, (60 + 80 + 33) / 3.0, 1e-4);
             EXPECT_EQ(after.PhonoAverage, expected.PhonoAverage);
             EXPECT_EQ(after.Score, expected.Score);
             // Every answer, as typed, in the history beside the user file.
             EXPECT_EQ(historyLines(), (std::vector<std::string>{"Ann apple APPLE right 1",
                                                                 "Ann banana bananna wrong 1",
                                                                 "Ann cherry cherry  wrong 1"}));
             // The movies were opened once for the screen, not per word.
             EXPECT_EQ(m_screen->flashCardPlayer().fileName(), cardFile);
             EXPECT_EQ(temporaryFiles().size(), filesDuringTest);
             startBtn().click();
         }},
        {"again from the first word", [this] { return cardWithWord(); },
         [this] {
             EXPECT_EQ(theWord().text(), QStringLiteral("apple"));
             EXPECT_EQ(board(), "0/0/0");
             m_screen->CancelBtnClick(); // Exit while a card is up closes at once
         }},
    });
    EXPECT_FALSE(m_screen->isVisible());
    const UserRecord after = record();
    EXPECT_EQ(after.SpellScores[9], 34) << "an abandoned test stores nothing";
    EXPECT_EQ(after.SpellScores[8], 81);
    EXPECT_EQ(historyLines().size(), 3u);

    m_screen->FormDestroy();
    m_screen.reset();
    EXPECT_EQ(temporaryFiles().size(), 2u) << "only the shared bee animations are left";
}

TEST_F(WordTestTest, AHeldEnterAnswersOneCardStartsNoTestAndEnterOnExitIsExit) {
    writeWords("apple\r\npear\r\n");
    Settings.GetPercent = 101; // no reward: the focus goes back to Start at once
    ASSERT_TRUE(create());
    unsigned long time = 1000;
    // Enter held down: its repeats as the windowing system reports them, flagged as repeats
    // or as a release and a press at the same moment.
    auto held = [&](QWidget& target) {
        pressKey(target, Qt::Key_Return, true, ++time);
        releaseKey(target, Qt::Key_Return, ++time);
        pressKey(target, Qt::Key_Return, false, time);
    };
    auto fresh = [&](QWidget& target) {
        releaseKey(target, Qt::Key_Return, ++time);
        pressKey(target, Qt::Key_Return, false, ++time);
    };
    auto* exitBtn = control<QPushButton>(*m_screen, "CancelBtn");
    run({
        {"greeting", [this] { return m_screen->narrator().talking(); },
         [this] { m_screen->narrator().stopButton().click(); }},
        {"start", [this] { return beeSilent(); }, [this] { startBtn().click(); }},
        {"card 1", [this] { return typing(); },
         [&] {
             answerEdit().setText(QStringLiteral("apple"));
             pressKey(answerEdit(), Qt::Key_Return, false, ++time);
         }},
        {"card 2", [this] { return typing(); },
         [&] {
             EXPECT_EQ(board(), "1/1/100");
             held(answerEdit());
             EXPECT_TRUE(typing()) << "the key that answered card 1 answers no other";
             EXPECT_EQ(board(), "1/1/100");
             answerEdit().setText(QStringLiteral("pear"));
             fresh(answerEdit());
         }},
        {"test over", [this] { return startBtn().isEnabled(); },
         [&] {
             EXPECT_EQ(board(), "2/2/100");
             ASSERT_EQ(m_screen->focusWidget(), &startBtn());
             for (int i = 0; i < 20; ++i) {
                 held(startBtn());
             }
             EXPECT_TRUE(startBtn().isEnabled()) << "a held Enter starts no test";
             EXPECT_NE(m_screen->flashCardPlayer().mode(), Mode::Playing);
             fresh(startBtn()); // a fresh press starts one
             EXPECT_FALSE(startBtn().isEnabled());
         }},
        {"typing again", [this] { return typing(); },
         [&] {
             answerEdit().setText(QStringLiteral("apple"));
             exitBtn->setFocus();
             fresh(*exitBtn);
         }},
    });
    EXPECT_FALSE(m_screen->isVisible()) << "Enter on the focused Exit is Exit";
    EXPECT_EQ(board(), "0/0/0") << "not Ok";
    const UserRecord after = record();
    EXPECT_EQ(after.SpellScores[9], 101);
    EXPECT_EQ(after.SpellScores[8], 0) << "one test, recorded once";
}

TEST_F(WordTestTest, ExitDuringTheLastFeedbackStoresTheResultWithoutAReward) {
    writeWords("apple");
    Settings.GetPercent = 0; // every result earns the reward
    ASSERT_TRUE(create());
    auto steps = oneWord(QStringLiteral("apple"));
    steps.push_back({"feedback", [this] { return m_screen->answering(); },
                     [this] {
                         m_screen->CancelBtnClick();
                         EXPECT_TRUE(m_screen->closeRequested());
                         EXPECT_TRUE(m_screen->isVisible()) << "the answer is handled first";
                     }});
    run(steps);
    EXPECT_EQ(record().SpellScores[9], 101);
    EXPECT_FALSE(m_screen->doneTimer().isActive());
    EXPECT_EQ(m_program->rewardNumber, -1) << "no reward movie was shown";
}

TEST_F(WordTestTest, ARewardPlaysAndTheTestScreenComesBackEachTime) {
    writeWords("apple");
    Settings.GetPercent = 90;
    ASSERT_TRUE(create());
    std::string firstMovie;
    auto steps = oneWord(QStringLiteral("Apple"));
    steps.push_back({"reward 1", [] { return shownReward() != nullptr; },
                     [&] {
                         EXPECT_FALSE(m_screen->isVisible()) << "the test gives way to the movie";
                         // Six movies; the first of the run from the clock: 1003 mod 6.
                         EXPECT_EQ(shownReward()->rewardCount(), 6);
                         EXPECT_EQ(shownReward()->movieEntry(), "movies\\greatjob\\1.avi");
                         EXPECT_EQ(shownReward()->player().mode(), Mode::Playing);
                     }});
    steps.push_back({"back after reward 1",
                     [this] { return m_screen->isVisible() && startBtn().isEnabled(); },
                     [this] {
                         EXPECT_EQ(shownReward(), nullptr);
                         EXPECT_FALSE(okBtn().isEnabled());
                         EXPECT_EQ(record().SpellScores[9], 101);
                         startBtn().click();
                     }});
    steps.push_back({"typing again", [this] { return typing(); },
                     [this] { answer(QStringLiteral("apple")); }});
    steps.push_back({"reward 2", [] { return shownReward() != nullptr; },
                     [] { EXPECT_EQ(shownReward()->movieEntry(), "movies\\greatjob\\2.avi"); }});
    steps.push_back({"back after reward 2",
                     [this] { return m_screen->isVisible() && startBtn().isEnabled(); },
                     [this] { m_screen->CancelBtnClick(); }});
    run(steps);
    EXPECT_EQ(m_program->rewardNumber, 2);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(temporaryFiles().size(), 6u) << "the reward movie's file is gone with it";
}

TEST_F(WordTestTest, AMissingRewardMovieBringsTheTestBackAtOnce) {
    std::vector<std::string> entries = {
        std::string(hc::entries::kBeeIdle),        std::string(hc::entries::kBeeTalk),
        std::string(hc::entries::kFlashCardMovie), std::string(hc::entries::kBeeJump),
        std::string(hc::entries::kBeeNo),          hc::entries::clipSound("spelling"),
        hc::entries::clipText("spelling")};
    writeArchive(path("noreward.erf"), entries);
    useArchive(path("noreward.erf"));
    writeWords("apple");
    Settings.GetPercent = 0;
    ASSERT_TRUE(create());
    auto steps = oneWord(QStringLiteral("pear"));
    steps.push_back({"back", [this] { return !messages().empty(); },
                     [this] {
                         EXPECT_EQ(messages().front().text,
                                   QStringLiteral("Can't open ERF resource: "
                                                  "movies\\greatjob\\0.avi."));
                         EXPECT_TRUE(m_screen->isVisible());
                         EXPECT_TRUE(startBtn().isEnabled());
                         EXPECT_EQ(shownReward(), nullptr);
                         m_screen->CancelBtnClick();
                     }});
    run(steps);
    EXPECT_EQ(record().SpellScores[9], 1) << "0 percent, recorded as 0 + 1";
}

TEST_F(WordTestTest, AResultThatCannotBeStoredIsReported) {
    writeWords("apple");
    Settings.GetPercent = 101; // no reward
    ASSERT_TRUE(create());
    auto steps = oneWord(QStringLiteral("apple"));
    // The teacher deletes the user while the test runs.
    steps.insert(steps.begin() + 2, {"user deleted", [this] { return cardWithWord(); },
                                     [] { ASSERT_EQ(UserFileDelete(kUserFile, "Ann"), 0); }});
    steps.push_back({"test over", [this] { return startBtn().isEnabled(); },
                     [this] { m_screen->CancelBtnClick(); }});
    run(steps);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, QStringLiteral("UserFile Error: Can't open file."))
        << "the last user gone, the file went with it";
    EXPECT_EQ(messages()[0].icon, hc::MessageIcon::Error);
}

// The history that cannot be written costs the child nothing: the score is in the user file,
// and the message says only the history is missing.
TEST_F(WordTestTest, AHistoryThatCannotBeWrittenKeepsTheResult) {
    writeWords("apple");
    Settings.GetPercent = 101; // no reward
    std::filesystem::create_directory("HISTORY.CSV");
    ASSERT_TRUE(create());
    auto steps = oneWord(QStringLiteral("apple"));
    steps.push_back({"test over", [this] { return startBtn().isEnabled(); },
                     [this] { m_screen->CancelBtnClick(); }});
    run(steps);
    EXPECT_EQ(record().SpellScores[9], 101);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.startsWith(
        QStringLiteral("The result is saved, but the results history could not be written: ")))
        << messages()[0].text.toStdString();
    EXPECT_TRUE(messages()[0].text.contains(QStringLiteral("HISTORY.CSV")));
}

TEST_F(WordTestTest, AnEmptyListRefusesStartAndAMissingListEndsTheCreation) {
    writeWords("");
    Settings.WordDelay = -1.0f;
    ASSERT_TRUE(create());
    EXPECT_EQ(m_screen->wordTimer().interval(), 500ms) << "a delay below 0 would never end";
    m_screen->show();
    m_screen->StartBtnClick();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, QStringLiteral("The word list is empty"));
    EXPECT_EQ(messages()[0].caption, QStringLiteral("Spelling Test"));
    EXPECT_EQ(messages()[0].buttons, hc::MessageButtons::Ok);
    EXPECT_TRUE(startBtn().isEnabled());
    EXPECT_NE(m_screen->flashCardPlayer().mode(), Mode::Playing);
    m_screen->FormDestroy();
    m_screen.reset();

    // Regression: a FIFO in the list's place froze the program for good.
    const std::vector<std::pair<const char*, std::function<void()>>> unusable = {
        {"missing", [] {}},
        {"a FIFO", [] { ASSERT_EQ(::mkfifo(Settings.WordFile, 0600), 0); }},
        {"a folder", [] { std::filesystem::create_directory(Settings.WordFile); }},
    };
    for (const auto& [what, make] : unusable) {
        SCOPED_TRACE(what);
        std::filesystem::remove(Settings.WordFile);
        make();
        messages().clear();
        EXPECT_FALSE(create());
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].text, QStringLiteral("Cannot open file WORDLIST.TXT."));
        EXPECT_EQ(messages()[0].icon, hc::MessageIcon::Error);
        EXPECT_FALSE(m_screen->isVisible());
        m_screen->FormDestroy();
        m_screen.reset();
    }
}

// Regression: a list saved as UTF-8 by an editor showed "cafÃ©" and a right "café" scored 0 %.
TEST_F(WordTestTest, ARightAnswerScoresWhateverTheListsEncoding) {
    Settings.GetPercent = 101; // no reward
    const std::vector<std::pair<const char*, std::string>> lists = {
        {"Windows-1252", "caf\xE9\r\n"},
        {"UTF-8", "caf\xC3\xA9\n"},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" "caf\xC3\xA9\r\n"},
    };
    for (const auto& [what, bytes] : lists) {
        SCOPED_TRACE(what);
        writeWords(bytes);
        ASSERT_TRUE(create());
        auto steps = oneWord(QStringLiteral("CAFÉ"));
        steps.insert(steps.begin() + 2, {"card", [this] { return cardWithWord(); },
                                         [this] { EXPECT_EQ(theWord().text(), u"café"); }});
        steps.push_back({"test over", [this] { return startBtn().isEnabled(); },
                         [this] { m_screen->CancelBtnClick(); }});
        run(steps);
        EXPECT_EQ(record().SpellScores[9], 101);
        m_screen->FormDestroy();
        m_screen.reset();
    }
}

} // namespace
} // namespace hc::test::student
