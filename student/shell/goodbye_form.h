#pragma once

#include "student/shell/screen_kit.h"

class QToolButton;

namespace hc::media {
class ClockTimer;
}

namespace hc::student {

class Narrator;
class ProgramState;
class TMainMenuForm;

// The good-bye dialogue: the bee asks whether the child really wants to leave. The first
// answer accepted (only once the greeting has been spoken) is final; the screen closes one
// second after the answer's clip has ended, and then either ends the program (Yes) or brings
// the main menu back (No).
class TGoodByeForm : public ClosingOnPurposeDialog {
    Q_OBJECT

public:
    enum AnswerValue { NoAnswer = 0, AnswerNo = 1, AnswerYes = 2 };

    TGoodByeForm(ProgramState& program, TMainMenuForm& menu, QWidget* parent = nullptr);
    ~TGoodByeForm() override;

    // Leaves the main menu and brings the bee in.
    void FormCreate();
    // Closes the bee, then ends the program (Yes) or enters the main menu again.
    void FormDestroy();

    Narrator& narrator() const { return *m_narrator; }
    hc::media::ClockTimer& exitTimer() const { return *m_exitTimer; }
    QToolButton& yesButton() const { return *m_yes; }
    QToolButton& noButton() const { return *m_no; }
    int answer() const { return m_answer; }

    void YesBtnClick();
    void NoBtnClick();

    void reject() override; // Escape answers No

protected:
    // Enter presses the focused answer, No when neither has the focus.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void answerWith(AnswerValue answer, const char* clip);
    void ExitTimerTimer();

    ProgramState& m_program;
    TMainMenuForm& m_menu;
    Narrator* m_narrator = nullptr;
    QToolButton* m_yes = nullptr;
    QToolButton* m_no = nullptr;
    hc::media::ClockTimer* m_exitTimer = nullptr;
    int m_answer = NoAnswer;
};

} // namespace hc::student
