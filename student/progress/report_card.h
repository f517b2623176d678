#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace hc::student {

class ProgramState;

// The current user's report card: how often they have played, the averages of their recent
// spelling tests and phonogram puzzles, and the weighted average of both, as the user file
// holds them. It can print itself.
class TReportCard : public QDialog {
    Q_OBJECT

public:
    explicit TReportCard(ProgramState& program, QWidget* parent = nullptr);
    ~TReportCard() override;

    // Reloads the user's record and fills the card.
    void FormCreate();
    void FormDestroy() {}

    // Prints the card as a picture on one page of the default printer; without any printer,
    // offers to save the page as a PDF instead. Raises hc::Error when the job fails.
    void PrintBtnClick();

    QLabel& titleLabel() const { return *m_titleLbl; }

private:
    ProgramState& m_program;
    QLabel* m_titleLbl = nullptr;
    QLabel* m_progRunsLbl = nullptr;
    QLabel* m_spellTestBox = nullptr;
    QLabel* m_phonoPuzBox = nullptr;
    QLabel* m_scoreBox = nullptr;
    QPushButton* m_printBtn = nullptr;
    QPushButton* m_okBtn = nullptr;
};

} // namespace hc::student
