// The puzzle screen in process: the manual clock drives the card flight, the flashing, the
// movies and the bee; the build's DATA.ERF (or a small archive) and a real user file in the
// test's folder.

#include "content/entry_names.h"
#include "controls/digit_box.h"
#include "datafiles/file_ops.h"
#include "datafiles/history.h"
#include "datafiles/user_file.h"
#include "platform/media/clock_timer.h"
#include "platform/media/media_player.h"
#include "student/phonogram/phono_form.h"
#include "student/phonogram/picture_box.h"
#include "student/shell/narrator.h"
#include "student_test.h"

#include <QAbstractButton>
#include <QPushButton>

namespace hc::test::student {
namespace {

using hc::media::Mode;
using hc::student::PhonoPuzzle;
using hc::student::TPhonoForm;
using std::chrono::duration_cast;
using std::chrono::milliseconds;

class PhonoFormTest : public StudentTest {
protected:
    void SetUp() override {
        StudentTest::SetUp();
        extractBeeAnimations();
        ASSERT_EQ(UserFileAdd("USERS.ERF", "Ann"), UserFileOk);
        m_program->setCurrentUser("Ann", "USERS.ERF", false);
        m_program->calendarTime = [] { return std::time_t{1700000000}; };
    }
    void TearDown() override {
        if (m_form) {
            m_form->FormDestroy();
            m_form.reset();
        }
        StudentTest::TearDown();
    }

    // Opens the screen as the main menu does (its creation shows it).
    void open() {
        m_form = std::make_unique<TPhonoForm>(*m_program);
        m_form->FormCreate();
        processEvents();
    }
    // Opens the screen and lets the greeting and the opening movie run to their ends.
    void openAndGreet() {
        open();
        step(1000ms);
        ASSERT_TRUE(m_form->narrator().talking());
        waitIdle();
    }
    void waitIdle() {
        for (int i = 0; i < 300 && (m_form->narrator().busy() ||
                                    m_form->phonoVidPlayer().mode() == Mode::Playing);
             ++i) {
            step(100ms);
        }
        ASSERT_FALSE(m_form->narrator().busy());
        ASSERT_NE(m_form->phonoVidPlayer().mode(), Mode::Playing);
    }

    // Runs a handler that waits inside (a deal, a landing, the flashing, the puzzle movie)
    // while the clock moves 10 ms per turn of the event loop; `everyTick` looks on.
    void drive(
        const std::function<void()>& handler, const std::function<void()>& everyTick = [] {}) {
        driveWhile(handler, [&] {
            everyTick();
            return true;
        });
    }
    void deal() {
        drive([&] { m_form->GoButtonClick(); });
    }
    void answerRight() {
        drive([&] { m_form->PhonoClick(m_form->puzzle().askedCard()); });
    }
    // A card without a piece: never the asked one.
    int emptyCard() const { return m_form->puzzle().cardWithPiece(PhonoPuzzle::kNoPiece); }

    QWidget* widget(const char* name) { return control(*m_form, name); }
    unsigned counter(const char* name) {
        return control<hc::controls::TDigitBox>(*m_form, name)->value();
    }
    bool goDark() { return widget("GoDark")->isVisible() && !widget("GoButton")->isEnabled(); }
    bool repeatDark() {
        return widget("RepeatDark")->isVisible() && !widget("RepeatBtn")->isEnabled();
    }
    QColor cardColour(int n) { return m_form->card(n).palette().color(QPalette::Window); }
    milliseconds now() const { return duration_cast<milliseconds>(m_clock.now()); }
    std::int32_t storedResult() {
        EXPECT_EQ(UserFileFind("USERS.ERF", "Ann"), UserFileOk);
        return CurrentUser.PhonoScores[9];
    }

    std::unique_ptr<TPhonoForm> m_form;
};

TEST_F(PhonoFormTest, ADealFliesTheCardsOntoTheBoardWithGoDark) {
    openAndGreet();
    // Before the first deal: no cards, only the backdrop; Repeat dark and doing nothing.
    for (int n = 0; n < TPhonoForm::kCards; ++n) {
        EXPECT_FALSE(m_form->card(n).isVisible());
    }
    EXPECT_EQ(widget("PhonoVid")->x(), 1000) << "the opening movie has moved away";
    EXPECT_TRUE(repeatDark());
    m_form->RepeatBtnClick();
    EXPECT_NE(m_form->phonoSnd().mode(), Mode::Playing);
    EXPECT_FALSE(goDark());

    const milliseconds start = now();
    milliseconds landed{-1};
    bool goDarkThroughout = true;
    drive([&] { m_form->GoButtonClick(); },
          [&] {
              goDarkThroughout = goDarkThroughout && goDark();
              bool all = true;
              for (int n = 0; n < TPhonoForm::kCards; ++n) {
                  all = all && m_form->card(n).pos() == TPhonoForm::boardPlace(n);
              }
              if (all && landed < 0ms) {
                  landed = now() - start;
              }
          });
    EXPECT_TRUE(goDarkThroughout);
    EXPECT_TRUE(goDark());
    EXPECT_FALSE(repeatDark());
    // Screen readers hear the areas' names and when they are unavailable.
    EXPECT_EQ(widget("GoButton")->accessibleName(), QStringLiteral("Go"));
    EXPECT_EQ(widget("GoButton")->accessibleDescription(), QStringLiteral("Not available now"));
    EXPECT_EQ(widget("RepeatBtn")->accessibleName(), QStringLiteral("Repeat"));
    EXPECT_TRUE(widget("RepeatBtn")->accessibleDescription().isEmpty());
    // The 170-pixel flight is seen: 11 steps of 16 pixels, about a quarter of a second.
    EXPECT_GE(landed, 200ms);
    EXPECT_LE(landed, 300ms);

    for (int n = 0; n < TPhonoForm::kCards; ++n) {
        SCOPED_TRACE(n);
        const QAbstractButton& card = m_form->card(n);
        EXPECT_TRUE(card.isVisible());
        EXPECT_EQ(card.pos(), TPhonoForm::boardPlace(n));
        const auto& phonogram =
            m_form->puzzle()
                .phonograms()[static_cast<std::size_t>(m_form->puzzle().card(n).phonogram)];
        EXPECT_EQ(card.text(), QString::fromStdString(phonogram.Text));
        EXPECT_EQ(card.accessibleName(), card.text());
        // The piece pictures are loaded behind their cards, not shown yet: each its own.
        const auto* image = card.findChild<hc::student::PictureBox*>();
        ASSERT_NE(image, nullptr);
        EXPECT_FALSE(image->isVisible());
        const int piece = m_form->puzzle().card(n).piece;
        if (piece != PhonoPuzzle::kNoPiece) {
            const std::string bmp =
                entryBytes(hc::entries::puzzlePiece(m_form->puzzle().puzzle(), piece));
            EXPECT_EQ(image->picture().toImage().convertToFormat(QImage::Format_RGB32),
                      QImage::fromData(reinterpret_cast<const uchar*>(bmp.data()),
                                       static_cast<int>(bmp.size()), "BMP")
                          .convertToFormat(QImage::Format_RGB32))
                << "piece " << piece;
        }
    }
    // The first question is sounded.
    EXPECT_GE(m_form->puzzle().currentQuestion(), 0);
    EXPECT_EQ(m_form->phonoSnd().mode(), Mode::Playing);
    EXPECT_EQ(counter("TotalBox"), 0u);
}

TEST_F(PhonoFormTest, ARightClickFliesTheCardToItsFramePlace) {
    openAndGreet();
    deal();
    for (int round = 0; round < 3; ++round) {
        const int card = m_form->puzzle().askedCard();
        const int piece = m_form->puzzle().card(card).piece;
        const QPoint frame(21 + 35 * (piece % 4), 181 + 33 * (piece / 4));
        bool imageShownInFlight = false;
        bool clicksIgnoredInFlight = true;
        drive([&] { m_form->PhonoClick(card); },
              [&] {
                  if (m_form->card(card).pos() != frame) {
                      imageShownInFlight = m_form->card(card).findChild<QWidget*>()->isVisible();
                      // No question is open while the card lands.
                      m_form->PhonoClick(emptyCard());
                      clicksIgnoredInFlight =
                          clicksIgnoredInFlight && m_form->puzzle().total() == round + 1;
                  }
              });
        EXPECT_TRUE(imageShownInFlight);
        EXPECT_TRUE(clicksIgnoredInFlight);
        EXPECT_EQ(m_form->card(card).pos(), frame);
        EXPECT_EQ(TPhonoForm::framePlace(piece), frame);
        EXPECT_EQ(counter("TotalBox"), static_cast<unsigned>(round + 1));
        EXPECT_EQ(counter("CorrectBox"), static_cast<unsigned>(round + 1));
        EXPECT_EQ(counter("PercentBox"), 100u);
        EXPECT_NE(m_form->puzzle().askedCard(), card) << "the next question is another card";
        EXPECT_EQ(m_form->phonoSnd().mode(), Mode::Playing);
    }
}

TEST_F(PhonoFormTest, AWrongClickFlashesTheRightCardFiveTimesAtAReadablePace) {
    openAndGreet();
    deal();
    const int asked = m_form->puzzle().askedCard();
    // Each change of the card's colour: when, and whether to yellow.
    std::vector<std::pair<milliseconds, bool>> changes;
    milliseconds over{-1};
    bool repeatSounded = false;
    const milliseconds start = now();
    drive([&] { m_form->PhonoClick(emptyCard()); },
          [&] {
              const bool yellow = cardColour(asked) == QColor(Qt::yellow);
              if (yellow != (!changes.empty() && changes.back().second)) {
                  changes.emplace_back(now() - start, yellow);
              }
              if (m_form->flashCount() == 0 && over < 0ms) {
                  over = now() - start;
              }
              if (changes.size() == 3 && !repeatSounded) {
                  // Mid-flash: Repeat sounds the open question; a click on the flashing card
                  // is not taken (one answer per question).
                  m_form->phonoSnd().stop(hc::media::Notify::No);
                  m_form->RepeatBtnClick();
                  repeatSounded = m_form->phonoSnd().mode() == Mode::Playing;
                  m_form->PhonoClick(asked);
              }
          });
    // Five yellow flashes; every phase lasts at least 1/6 s, so at most three flashes come in
    // a second.
    ASSERT_EQ(changes.size(), 10u);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(changes[i].second, i % 2 == 0) << i;
        if (i > 0) {
            EXPECT_GE(changes[i].first - changes[i - 1].first, 160ms) << i;
        }
    }
    EXPECT_GE(over, 1600ms);
    EXPECT_LE(over, 1800ms);
    EXPECT_EQ(cardColour(asked), QColor(Qt::white));
    EXPECT_TRUE(repeatSounded);
    EXPECT_EQ(m_form->puzzle().total(), 1) << "the click during the flashing was not taken";
    EXPECT_EQ(counter("TotalBox"), 1u);
    EXPECT_EQ(counter("CorrectBox"), 0u);
    EXPECT_EQ(counter("PercentBox"), 0u);
    EXPECT_GE(m_form->puzzle().currentQuestion(), 0) << "the next question is asked";
}

TEST_F(PhonoFormTest, ExitIsRefusedDuringTheGreetingTheSpeechAndTheScreensMovie) {
    open();
    // The opening's first frame stands over the backdrop until the greeting starts the movie.
    EXPECT_EQ(widget("PhonoVid")->pos(), QPoint(8, 168));
    EXPECT_FALSE(m_form->phonoVidPlayer().picture().isNull());
    m_form->CancelBtnClick();
    EXPECT_FALSE(m_form->closing()) << "greeting pending";
    step(1000ms);
    ASSERT_TRUE(m_form->narrator().talking());
    ASSERT_EQ(m_form->phonoVidPlayer().mode(), Mode::Playing);
    m_form->CancelBtnClick();
    EXPECT_FALSE(m_form->closing()) << "the bee speaks";
    m_form->narrator().stopButton().click();
    ASSERT_EQ(m_form->phonoVidPlayer().mode(), Mode::Playing);
    m_form->reject(); // Escape
    EXPECT_FALSE(m_form->closing()) << "the opening movie plays";
    waitIdle();
    m_form->CancelBtnClick();
    EXPECT_TRUE(m_form->closing());
    // The closing movie is the screen's movie too: a second Exit does not restart it.
    EXPECT_EQ(m_form->phonoVidPlayer().mode(), Mode::Playing);
    const auto position = m_form->phonoVidPlayer().position();
    step(500ms);
    m_form->CancelBtnClick();
    EXPECT_GT(m_form->phonoVidPlayer().position(), position);
}

TEST_F(PhonoFormTest, ExitMidPuzzleAsksNothingMoreStoresNothingAndClosesAfterTheMovie) {
    // Exit accepted while a step waits: the step ends without a question (no sound).
    enum class When { Dealing, Landing, Flashing };
    for (When when : {When::Dealing, When::Landing, When::Flashing}) {
        SCOPED_TRACE(static_cast<int>(when));
        openAndGreet();
        std::function<void()> handler = [&] { m_form->GoButtonClick(); };
        if (when != When::Dealing) {
            deal();
            answerRight();
            const int asked = m_form->puzzle().askedCard();
            handler = [&, asked] {
                m_form->PhonoClick(when == When::Landing ? asked : emptyCard());
            };
        }
        int ticks = 0;
        drive(handler, [&] {
            if (++ticks == 5) {
                m_form->CancelBtnClick();
                ASSERT_TRUE(m_form->closing());
            }
        });
        ASSERT_TRUE(m_form->closing());
        EXPECT_EQ(m_form->puzzle().currentQuestion(), -1);
        EXPECT_NE(m_form->phonoSnd().mode(), Mode::Playing) << "no question sounded";
        EXPECT_TRUE(goDark());
        EXPECT_TRUE(repeatDark());
        m_form->RepeatBtnClick();
        EXPECT_NE(m_form->phonoSnd().mode(), Mode::Playing);
        EXPECT_EQ(widget("PhonoVid")->x(), 8);

        // The closing movie plays to its end, then the screen ends; the cards have flown away.
        step(2500ms);
        EXPECT_TRUE(m_form->isVisible());
        step(1000ms);
        EXPECT_FALSE(m_form->isVisible());
        EXPECT_EQ(m_form->result(), 1);
        for (int n = 0; n < TPhonoForm::kCards; ++n) {
            EXPECT_TRUE(m_form->card(n).isHidden()) << "parked out of sight";
        }
        EXPECT_EQ(storedResult(), 0);
        m_form->FormDestroy();
        m_form.reset();
    }
}

TEST_F(PhonoFormTest, AFinishedPuzzlePlaysItsMovieStoresTheResultAndDarkensRepeat) {
    openAndGreet();
    const int puzzleBefore = m_program->puzzleNumber;
    deal();
    EXPECT_NE(m_program->puzzleNumber, puzzleBefore);
    drive([&] { m_form->PhonoClick(emptyCard()); });
    for (int right = 0; right < 15; ++right) {
        answerRight();
    }
    // The last right answer finishes the puzzle: the picture's movie replaces the pieces.
    bool moviePlayed = false;
    drive([&] { m_form->PhonoClick(m_form->puzzle().askedCard()); },
          [&] {
              if (m_form->puzzleVidPlayer().mode() == Mode::Playing) {
                  moviePlayed = widget("PuzzleVidPanel")->pos() == QPoint(21, 181);
                  for (int n = 0; n < TPhonoForm::kCards; ++n) {
                      if (m_form->puzzle().card(n).piece == PhonoPuzzle::kInPicture) {
                          moviePlayed = moviePlayed && !m_form->card(n).isVisible();
                      }
                  }
                  EXPECT_TRUE(repeatDark());
                  EXPECT_TRUE(goDark());
              }
          });
    EXPECT_TRUE(moviePlayed);
    EXPECT_EQ(widget("PuzzleVidPanel")->x(), 1021);
    EXPECT_EQ(m_form->puzzleVidPlayer().mode(), Mode::NotOpen);
    // 16 right of 17: 94 shown, 95 stored.
    EXPECT_EQ(counter("TotalBox"), 17u);
    EXPECT_EQ(counter("CorrectBox"), 16u);
    EXPECT_EQ(counter("PercentBox"), 94u);
    EXPECT_EQ(storedResult(), 95);
    EXPECT_TRUE(messages().empty());
    // And the puzzle's line in the history beside the user file.
    hc::HistoryContents history;
    ASSERT_EQ(hc::History(hc::FileOps::system(), path("HISTORY.CSV")).read({}, history),
              hc::HistoryStatus::Ok);
    ASSERT_EQ(history.entries.size(), 1u);
    EXPECT_EQ(history.entries[0].user, "Ann");
    EXPECT_EQ(history.entries[0].activity, hc::HistoryActivity::Phonogram);
    EXPECT_EQ(history.entries[0].puzzle, m_form->puzzle().puzzle());
    EXPECT_EQ(history.entries[0].rightClicks, 16);
    EXPECT_EQ(history.entries[0].wrongClicks, 1);
    EXPECT_EQ(history.entries[0].percent, 94);

    // Repeat is dark and does nothing; Go deals the next puzzle; the board empties.
    EXPECT_TRUE(repeatDark());
    EXPECT_FALSE(goDark());
    m_form->RepeatBtnClick();
    step(500ms);
    EXPECT_NE(m_form->phonoSnd().mode(), Mode::Playing);
    for (int n = 0; n < TPhonoForm::kCards; ++n) {
        EXPECT_FALSE(m_form->card(n).isVisible());
    }
    const int finished = m_program->puzzleNumber;
    deal();
    EXPECT_EQ(m_program->puzzleNumber, (finished + 1) % m_form->puzzle().puzzleCount());
}

TEST_F(PhonoFormTest, AResultThatCannotBeStoredIsReportedAndThePuzzleEndsAsUsual) {
    openAndGreet();
    deal();
    for (int right = 0; right < 15; ++right) {
        answerRight();
    }
    std::filesystem::remove(path("USERS.ERF"));
    answerRight();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text,
              QString::fromLatin1(UserFileMessage(UserFileCantOpen)) + QStringLiteral("."));
    EXPECT_FALSE(goDark());
}

TEST_F(PhonoFormTest, WithoutPuzzlesGoReportsTheMissingPieceAndOnlyExitRemains) {
    std::vector<std::string> entries = {
        std::string(hc::entries::kBeeIdle),        std::string(hc::entries::kBeeTalk),
        hc::entries::clipSound("phono"),           hc::entries::clipText("phono"),
        std::string(hc::entries::kPhonoMovie),     std::string(hc::entries::kPhonogramTable),
        std::string(hc::entries::kPhonogramSounds)};
    const std::string archive = path("NOPUZZLE.ERF");
    writeArchive(archive, entries);
    useArchive(archive);
    openAndGreet();
    EXPECT_EQ(m_form->puzzle().puzzleCount(), 0);
    application().guard([&] { deal(); });
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text,
              QStringLiteral("Can't open ERF resource: phono\\puzzles\\pictures\\0_00.bmp."));
    EXPECT_TRUE(goDark());
    EXPECT_EQ(m_form->puzzle().currentQuestion(), -1);
    m_form->CancelBtnClick();
    EXPECT_TRUE(m_form->closing());
    step(3500ms);
    EXPECT_FALSE(m_form->isVisible());
}

} // namespace
} // namespace hc::test::student
