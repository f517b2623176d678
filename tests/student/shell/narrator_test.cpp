// The narrator bee's rules: speaking, the end of a speech, Stop and Repeat, the loops of the two
// animations and their visibility checks, leaving and entering, failures half-way through a
// clip, and the temporary files it keeps.

#include "archive/error.h"
#include "content/entry_names.h"
#include "platform/media/clock_timer.h"
#include "student/shell/narrator.h"
#include "student_test.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <filesystem>

namespace hc::test::student {
namespace {

using hc::media::Mode;
using hc::student::Narrator;
using hc::student::NarratorSetup;

class NarratorTest : public StudentTest {
protected:
    void SetUp() override {
        StudentTest::SetUp();
        extractBeeAnimations();
    }

    // A screen with a narrator, shown and entered.
    void makeScreen(NarratorSetup setup = {}) {
        m_screen = std::make_unique<QWidget>();
        m_screen->resize(300, 328);
        m_narrator = new Narrator(*m_program, *m_screen, *m_screen, setup);
        m_narrator->panel().setGeometry(0, 0, 162, 328);
        m_screen->show();
        m_narrator->enter();
        processEvents();
    }

    // The length of a clip's speech.
    std::chrono::milliseconds clipLength() const {
        return std::chrono::milliseconds(beePlayer(*m_narrator, "BeeSound").length());
    }
    QString memoText() const { return m_narrator->memo().toPlainText(); }
    bool idlePlaying() const { return beePlayer(*m_narrator, "BeeGuide").mode() == Mode::Playing; }
    bool talkPlaying() const { return beePlayer(*m_narrator, "BeeGuideTalk").mode() == Mode::Playing; }

    void TearDown() override {
        delete m_narrator;
        m_screen.reset();
        StudentTest::TearDown();
    }

    std::unique_ptr<QWidget> m_screen;
    Narrator* m_narrator = nullptr;
};

TEST_F(NarratorTest, ASpeechEndsSilentWithItsTextKeptAndTheIdleLoopBack) {
    makeScreen();
    EXPECT_TRUE(idlePlaying());
    EXPECT_FALSE(m_narrator->talking());

    m_narrator->speak(QStringLiteral("welcome"));
    EXPECT_TRUE(m_narrator->talking());
    EXPECT_EQ(m_narrator->lastClip(), QStringLiteral("welcome"));
    EXPECT_TRUE(memoText().contains(QStringLiteral("welcome"), Qt::CaseInsensitive));
    EXPECT_TRUE(talkPlaying());
    EXPECT_FALSE(idlePlaying());
    // The one paragraph of the clip has no line break of its own: the memo flows it at its
    // width, every line within the box.
    EXPECT_FALSE(memoText().contains(QLatin1Char('\n'))) << memoText().toStdString();
    processEvents();
    const QTextLayout& flowed = *m_narrator->memo().document()->firstBlock().layout();
    EXPECT_GT(flowed.lineCount(), 3);
    for (int i = 0; i < flowed.lineCount(); ++i) {
        EXPECT_LE(flowed.lineAt(i).naturalTextWidth(), m_narrator->memo().viewport()->width());
    }

    // The talking animation loops for as long as the speech lasts (longer than one loop).
    const auto length = clipLength();
    const auto talkLoop = std::chrono::milliseconds(beePlayer(*m_narrator, "BeeGuideTalk").length() * 1000 / 15);
    ASSERT_GT(length, talkLoop + 100ms) << "the clip is shorter than one talking loop";
    step(length - 50ms);
    EXPECT_TRUE(m_narrator->talking());
    EXPECT_TRUE(talkPlaying());

    step(100ms);
    EXPECT_FALSE(m_narrator->talking());
    EXPECT_TRUE(idlePlaying());
    EXPECT_FALSE(talkPlaying());
    EXPECT_FALSE(memoText().isEmpty()) << "the text stays after the speech";

    // The idle animation keeps looping while silent.
    step(5000ms);
    EXPECT_TRUE(idlePlaying());
}

TEST_F(NarratorTest, StopAndRepeat) {
    makeScreen();
    // Repeat before anything was said, and Stop while silent with nothing shown: nothing.
    m_narrator->repeatButton().click();
    m_narrator->stopButton().click();
    EXPECT_FALSE(m_narrator->talking());
    EXPECT_TRUE(m_narrator->speechFile().empty());
    EXPECT_TRUE(idlePlaying());

    // Stop while talking: silent at once, text gone, speech closed.
    m_narrator->speak(QStringLiteral("login"));
    step(300ms);
    m_narrator->stopButton().click();
    EXPECT_FALSE(m_narrator->talking());
    EXPECT_TRUE(memoText().isEmpty());
    EXPECT_EQ(beePlayer(*m_narrator, "BeeSound").mode(), Mode::NotOpen);
    EXPECT_TRUE(idlePlaying());
    EXPECT_FALSE(talkPlaying());
    EXPECT_EQ(m_narrator->lastClip(), QStringLiteral("login"));

    // Repeat after Stop speaks the same clip again, to its end.
    m_narrator->repeatButton().click();
    EXPECT_TRUE(m_narrator->talking());
    EXPECT_FALSE(memoText().isEmpty());
    step(clipLength() + 50ms);
    EXPECT_FALSE(m_narrator->talking());

    // Stop while silent after a finished clip clears the text.
    m_narrator->stopButton().click();
    EXPECT_TRUE(memoText().isEmpty());
}

TEST_F(NarratorTest, ANewClipCutsTheFirstOffAndOnlyItsOwnEndSilencesTheBee) {
    makeScreen();
    m_narrator->speak(QStringLiteral("typename"));
    const auto first = clipLength();
    step(200ms);
    m_narrator->speak(QStringLiteral("welcome"));
    const auto second = clipLength();
    ASSERT_GT(second, first) << "the test needs a longer second clip";
    EXPECT_EQ(temporaryFiles().size(), 3u)
        << "the cut-off clip's file is deleted: two animations and one speech remain";

    step(first);
    EXPECT_TRUE(m_narrator->talking()) << "the first clip's end must not count";
    EXPECT_TRUE(talkPlaying());
    step(second - first + 50ms);
    EXPECT_FALSE(m_narrator->talking());
}

TEST_F(NarratorTest, AHiddenScreenRestartsNoAnimationAndLeavingKeepsTalking) {
    makeScreen();
    m_narrator->speak(QStringLiteral("welcome"));
    const auto length = clipLength();

    // Left while talking: speech stopped, animations closed, Talking kept.
    m_screen->hide();
    m_narrator->leave();
    EXPECT_TRUE(m_narrator->talking());
    EXPECT_EQ(beePlayer(*m_narrator, "BeeGuide").mode(), Mode::NotOpen);
    EXPECT_EQ(beePlayer(*m_narrator, "BeeGuideTalk").mode(), Mode::NotOpen);
    EXPECT_NE(beePlayer(*m_narrator, "BeeSound").mode(), Mode::Playing);
    step(length + 100ms);

    // Back again: no idle animation until the next clip has been spoken to its end.
    m_screen->show();
    m_narrator->enter();
    EXPECT_FALSE(idlePlaying());
    EXPECT_FALSE(talkPlaying());
    step(3000ms);
    EXPECT_FALSE(idlePlaying());
    m_narrator->speak(QStringLiteral("typename"));
    step(clipLength() + 50ms);
    EXPECT_FALSE(m_narrator->talking());
    EXPECT_TRUE(idlePlaying());

    // A speech that ends while its screen is hidden leaves the bee as it was.
    m_narrator->speak(QStringLiteral("typename"));
    m_screen->hide();
    step(clipLength() + 50ms);
    EXPECT_TRUE(m_narrator->talking());
}

TEST_F(NarratorTest, GreetingTimerAndBusy) {
    NarratorSetup setup;
    setup.greetingClip = QStringLiteral("welcome");
    setup.greetingInterval = 2000ms;
    setup.greetingOnAtCreation = true;
    makeScreen(setup);
    EXPECT_TRUE(m_narrator->busy()) << "busy before the greeting";
    step(1990ms);
    EXPECT_FALSE(m_narrator->talking());
    step(20ms);
    EXPECT_TRUE(m_narrator->talking());
    EXPECT_FALSE(greetingTimer(*m_narrator).isActive()) << "the greeting comes once";
    EXPECT_TRUE(m_narrator->busy());
    step(clipLength() + 50ms);
    EXPECT_FALSE(m_narrator->busy());
}

TEST_F(NarratorTest, MissingClipPartsStopSpeakWhereTheyFail) {
    // An archive with the animations, one whole clip, a clip without its text and a clip
    // without its sound.
    const std::string archive = path("partial.erf");
    writeArchive(archive,
                 {std::string(hc::entries::kBeeIdle), std::string(hc::entries::kBeeTalk),
                  hc::entries::clipSound("welcome"), hc::entries::clipText("welcome"),
                  hc::entries::clipSound("login"), hc::entries::clipText("typename")});
    useArchive(archive);
    makeScreen();

    m_narrator->speak(QStringLiteral("welcome"));
    const QString welcomeText = memoText();

    // No sound: the old speech is closed and deleted, text and animations stay, LastClip moves.
    EXPECT_THROW(m_narrator->speak(QStringLiteral("typename")), hc::Error);
    EXPECT_EQ(m_narrator->lastClip(), QStringLiteral("typename"));
    EXPECT_EQ(memoText(), welcomeText);
    EXPECT_EQ(beePlayer(*m_narrator, "BeeSound").mode(), Mode::NotOpen);
    EXPECT_LE(temporaryFiles().size(), 3u) << "the old speech's file is deleted";
    EXPECT_TRUE(talkPlaying());

    // No text: the sound plays under the old text with the idle animation still running; its
    // end makes the bee silent.
    m_narrator->stopButton().click();
    m_narrator->speak(QStringLiteral("welcome"));
    step(clipLength() + 50ms);
    const QString shown = memoText();
    EXPECT_THROW(m_narrator->speak(QStringLiteral("login")), hc::Error);
    EXPECT_EQ(beePlayer(*m_narrator, "BeeSound").mode(), Mode::Playing);
    EXPECT_EQ(memoText(), shown);
    EXPECT_TRUE(idlePlaying());
    EXPECT_FALSE(m_narrator->talking());
    step(clipLength() + 50ms);
    EXPECT_FALSE(m_narrator->talking());
    EXPECT_TRUE(idlePlaying());
}

TEST_F(NarratorTest, TemporaryFilesLiveUntilTheNextClipOrTheScreenGoes) {
    makeScreen();
    m_narrator->speak(QStringLiteral("welcome"));
    const std::string speech = m_narrator->speechFile();
    EXPECT_TRUE(std::filesystem::exists(speech));
    // The text's file went as soon as the memo had read it: only the speech and the two shared
    // animations remain.
    EXPECT_EQ(temporaryFiles().size(), 3u);

    delete m_narrator;
    m_narrator = nullptr;
    EXPECT_FALSE(std::filesystem::exists(speech));
    EXPECT_TRUE(std::filesystem::exists(m_program->idleAnimationFile));
    EXPECT_TRUE(std::filesystem::exists(m_program->talkAnimationFile));
}

} // namespace
} // namespace hc::test::student
