#pragma once

#include "student/shell/extracted_file.h"
#include "student/shell/screen_kit.h"
#include "student/spelltest/scored_test.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace hc::controls {
class TDigitBox;
}

namespace hc::media {
class ClockTimer;
class MediaPlayer;
enum class NotifyResult;
} // namespace hc::media

namespace hc::student {

class Narrator;
class ProgramState;

// The spelling test. After the bee's greeting the child presses Start; each word of the word
// list in turn arrives on the flash card, stays for the teacher's WordDelay, leaves, and is
// typed from memory. Each answer gets the bee's jump or head shake and the score board's new
// counts; after the last one the percentage goes into the child's record and, when the
// teacher's rule is met, the reward movie follows two seconds later.
//
// The main menu opens it as a replacing screen: construction builds the controls, FormCreate
// (under the error guard) opens the three movies, loads the words and shows the screen; when
// FormCreate fails the menu does not show it at all. FormDestroy leaves the screen and
// releases the movies.
//
// Exit is refused while the greeting is pending or the bee talks. Accepted while an answer is
// being handled (its feedback and the pause after it), it only marks the screen to close: the
// answer's handling runs to its end (the next card is started, or a finished test is
// recorded), then the screen closes and no reward follows. Elsewhere it closes at once, and a
// test under way stores nothing.
class TWordTest : public ClosingOnPurposeDialog {
    Q_OBJECT

public:
    explicit TWordTest(ProgramState& program, QWidget* parent = nullptr);
    ~TWordTest() override;

    void FormCreate();
    void FormDestroy();

    // The screen operations: the bee's part, the loading message, and the screen itself.
    void EnterScreen();
    void LeaveScreen();

    // The handlers (public so that tests and keyboard equivalents can use them).
    void StartBtnClick();
    void OkBtnClick();
    void CancelBtnClick();
    void FlashCardPlayerNotify(hc::media::NotifyResult result);
    void WordTimerTimer();
    void SecondTimerTimer();
    void DoneTimerTimer();

    Narrator& narrator() const { return *m_narrator; }
    const TestWords& testWords() const { return m_test.words(); }
    int cardPhase() const { return m_cardPhase; }
    hc::media::MediaPlayer& flashCardPlayer() const { return *m_flashCardPlayer; }
    hc::media::MediaPlayer& beeJumpPlayer() const { return *m_beeJumpPlayer; }
    hc::media::MediaPlayer& beeNoPlayer() const { return *m_beeNoPlayer; }
    hc::media::ClockTimer& wordTimer() const { return *m_wordTimer; }
    hc::media::ClockTimer& secondTimer() const { return *m_secondTimer; }
    hc::media::ClockTimer& doneTimer() const { return *m_doneTimer; }
    // True while an answer is being handled (its nested waits).
    bool answering() const { return m_answering; }
    // True once an accepted Exit waits for the answer's handling to end.
    bool closeRequested() const { return m_closeRequested; }

protected:
    void escapeOrCloseBox() override;

private:
    void ShowNextWord();
    void PlayRightAnimation();
    void PlayWrongAnimation();
    void showScore();
    void recordResult();

    ProgramState& m_program;
    Narrator* m_narrator = nullptr;
    QFrame* m_mainPanel = nullptr;
    QLabel* m_theWord = nullptr;
    QLineEdit* m_answerEdit = nullptr;
    QPushButton* m_startBtn = nullptr;
    QPushButton* m_okBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
    hc::controls::TDigitBox* m_totalBox = nullptr;
    hc::controls::TDigitBox* m_correctBox = nullptr;
    hc::controls::TDigitBox* m_percentBox = nullptr;
    QWidget* m_diskImage = nullptr;
    QLabel* m_namePanel = nullptr;

    hc::media::MediaPlayer* m_flashCardPlayer = nullptr;
    hc::media::MediaPlayer* m_beeJumpPlayer = nullptr;
    hc::media::MediaPlayer* m_beeNoPlayer = nullptr;
    ExtractedFile m_flashCardFile;
    ExtractedFile m_beeJumpFile;
    ExtractedFile m_beeNoFile;

    hc::media::ClockTimer* m_wordTimer = nullptr;
    hc::media::ClockTimer* m_secondTimer = nullptr;
    hc::media::ClockTimer* m_doneTimer = nullptr;

    ScoredTest m_test;
    int m_cardPhase = 0;
    bool m_answering = false;
    bool m_closeRequested = false;
};

} // namespace hc::student
