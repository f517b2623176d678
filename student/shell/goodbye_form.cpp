#include "student/shell/goodbye_form.h"

#include "content/pictures.h"
#include "platform/media/clock_timer.h"
#include "student/shell/main_menu.h"
#include "student/shell/narrator.h"
#include "student/shell/program_state.h"
#include "student/shell/screen_kit.h"

#include <QFrame>
#include <QKeyEvent>
#include <QToolButton>

namespace hc::student {

using namespace std::chrono_literals;

namespace {

QToolButton* pictureButton(QWidget* parent, const QString& caption, const char* picture) {
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setIcon(QIcon(QString::fromLatin1(picture)));
    button->setIconSize(QSize(48, 48));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

NarratorSetup goodByeNarrator() {
    NarratorSetup setup;
    setup.greetingClip = QStringLiteral("leave");
    setup.greetingInterval = 2000ms;
    setup.greetingOnAtCreation = true;
    setup.help = NarratorSetup::Help::None;
    setup.stopWidth = 81;
    setup.repeatWidth = 80;
    return setup;
}

} // namespace

TGoodByeForm::TGoodByeForm(ProgramState& program, TMainMenuForm& menu, QWidget* parent)
    : ClosingOnPurposeDialog(parent), m_program(program), m_menu(menu) {
    setObjectName(QStringLiteral("GoodByeForm"));
    setUpWindow(*this, QStringLiteral("Good-Bye"), QSize(280, 197),
                WindowKind::FixedMinimiseOnly);
    setModal(true);
    setFont(systemFont());

    m_narrator = new Narrator(program, *this, *this, goodByeNarrator());
    m_narrator->panel().setGeometry(0, 0, 162, 197);

    auto* mainPanel = place(new QFrame(this), "MainPanel", QRect(162, 0, 118, 197));
    mainPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_no = place(pictureButton(mainPanel, QStringLiteral("No"), hc::pictures::kNo), "NoBtn",
                 QRect(8, 104, 105, 89));
    m_yes = place(pictureButton(mainPanel, QStringLiteral("Yes"), hc::pictures::kYes), "YesBtn",
                  QRect(8, 8, 105, 89));
    // No comes first in the tab order and has the focus, so Enter answers No as well.
    setTabOrder(m_no, m_yes);
    m_no->setFocus();
    makeNoisy(*m_yes, program.media());
    makeNoisy(*m_no, program.media());
    connect(m_yes, &QToolButton::clicked, this, &TGoodByeForm::YesBtnClick);
    connect(m_no, &QToolButton::clicked, this, &TGoodByeForm::NoBtnClick);

    m_exitTimer = new hc::media::ClockTimer(program.media(), this);
    m_exitTimer->setObjectName(QStringLiteral("ExitTimer"));
    m_exitTimer->setInterval(1000ms);
    connect(m_exitTimer, &hc::media::ClockTimer::timeout, this, &TGoodByeForm::ExitTimerTimer);

    // The answer's clip ended: one second later the screen closes.
    connect(m_narrator, &Narrator::speechFinished, this, [this] {
        if (m_answer != NoAnswer) {
            m_exitTimer->start();
        }
    });
}

TGoodByeForm::~TGoodByeForm() = default;

void TGoodByeForm::FormCreate() {
    m_menu.LeaveScreen();
    enterScreen(*this, *m_narrator, m_program, false); // exec() shows the screen
}

void TGoodByeForm::FormDestroy() {
    m_exitTimer->stop();
    // Yes ends the program: no loading message comes up for the menu's return.
    leaveScreen(*this, *m_narrator, m_program, Leaving::AlreadyGone, m_answer != AnswerYes);
    m_narrator->releaseSpeech();
    if (m_answer == AnswerYes) {
        m_menu.closeMenu();
    } else {
        m_menu.EnterScreen();
    }
}

void TGoodByeForm::YesBtnClick() {
    answerWith(AnswerYes, "goodbye");
}

void TGoodByeForm::NoBtnClick() {
    answerWith(AnswerNo, "welcmbak");
}

void TGoodByeForm::answerWith(AnswerValue answer, const char* clip) {
    if (m_narrator->busy() || m_answer != NoAnswer) {
        return;
    }
    m_answer = answer;
    try {
        m_narrator->speak(QString::fromLatin1(clip));
    } catch (...) {
        // Without its clip the answer would never end the screen: it closes a second later.
        m_exitTimer->start();
        throw;
    }
}

void TGoodByeForm::reject() {
    NoBtnClick();
}

void TGoodByeForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (focusWidget() == m_yes) {
            YesBtnClick();
        } else {
            NoBtnClick();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void TGoodByeForm::ExitTimerTimer() {
    m_exitTimer->stop();
    closeScreen();
}

} // namespace hc::student
