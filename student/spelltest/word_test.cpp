#include "student/spelltest/word_test.h"

#include "archive/error.h"
#include "content/entry_names.h"
#include "content/pictures.h"
#include "controls/digit_box.h"
#include "datafiles/settings.h"
#include "datafiles/text_codec.h"
#include "datafiles/user_file.h"
#include "datafiles/word_list.h"
#include "platform/desktop/application.h"
#include "platform/desktop/event_wait.h"
#include "platform/desktop/message_box.h"
#include "platform/desktop/text_compare.h"
#include "platform/media/clock_timer.h"
#include "platform/media/media_player.h"
#include "student/shell/narrator.h"
#include "student/shell/program_state.h"
#include "student/shell/screen_kit.h"
#include "student/spelltest/great_job.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

namespace hc::student {

using namespace std::chrono_literals;
using hc::controls::TDigitBox;
using hc::media::Mode;
using hc::media::Notify;
using hc::media::NotifyResult;
using hc::media::TimeFormat;

namespace {

// The flash card comes in frames 0 to 15 and goes in frames 15 to 30.
constexpr std::int64_t kCardLanded = 15;
constexpr std::int64_t kCardGone = 30;

const QColor kGray(0x80, 0x80, 0x80);
const QColor kWordBackground(0xD4, 0xD4, 0xD4);
const QColor kShadow(0x53, 0x53, 0x53);

NarratorSetup wordTestNarrator() {
    NarratorSetup setup;
    setup.greetingClip = QStringLiteral("spelling");
    setup.greetingInterval = 1000ms;
    setup.help = NarratorSetup::Help::Push;
    setup.helpClip = QStringLiteral("spelhelp");
    return setup;
}

// Arial by the height of its character cell (ascent plus descent), as this screen's layout
// gives its fonts. The size is rounded down, so the text fits the label or box of that height
// and the board's captions end before the counters beside them.
QFont arialCell(int cellHeight) {
    return arialFont(cellHeight * 2048 / 2288);
}

void setBackground(QWidget& widget, const QColor& colour) {
    widget.setAutoFillBackground(true);
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    widget.setPalette(palette);
}

QLabel* scoreLabel(QWidget* parent, const QString& caption, const char* name, QRect geometry) {
    auto* label = place(new QLabel(caption, parent), name, geometry);
    label->setFont(arialCell(22));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(palette);
    return label;
}

TDigitBox* scoreCounter(QWidget* parent, const char* name, const QString& accessibleName,
                        unsigned digits, int left) {
    auto* box = new TDigitBox(parent);
    box->setColor1(Qt::red);
    box->setDigits(digits);
    box->setDelay(100);
    place(box, name, QRect(QPoint(left, 5), box->size()), accessibleName);
    return box;
}

// A measuring and driving aid, on with HC_TRACE=1 as the program's paint trace is: prints
// "trace spelling EVENT N MS" to stderr when the test reaches a step (N counts the words of the
// test, MS is the monotonic clock in milliseconds), so an end-to-end run knows when the word
// is up or the answer box is ready, and a benchmark can time them.
void traceStep(const char* event, std::size_t word) {
    if (!traceRequested()) {
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "trace spelling %s %zu %lld\n", event, word,
                 static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000);
    std::fflush(stderr);
}

// Marks an answer as being handled for as long as its handler runs, also when it ends in an
// error, so that a later Exit is not held back for ever.
class AnsweringScope {
public:
    explicit AnsweringScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~AnsweringScope() { m_flag = false; }
    AnsweringScope(const AnsweringScope&) = delete;
    AnsweringScope& operator=(const AnsweringScope&) = delete;

private:
    bool& m_flag;
};

} // namespace

TWordTest::TWordTest(ProgramState& program, QWidget* parent)
    : ClosingOnPurposeDialog(parent), m_program(program) {
    setObjectName(QStringLiteral("WordTest"));
    setUpWindow(*this, QStringLiteral("Spelling Test"), QSize(425, 268),
                WindowKind::FixedMinimiseOnly);
    setModal(true);
    setFont(systemFont(11));

    m_narrator = new Narrator(program, *this, *this, wordTestNarrator());
    m_narrator->panel().setGeometry(0, 0, 162, 268);

    // MainPanel: grey, a border of 2 without bevel. The flash card plays from its top-left
    // corner beneath its controls, so TheWord lies on the card.
    m_mainPanel = place(new QFrame(this), "MainPanel", QRect(162, 0, 263, 268),
                        QStringLiteral("Flash card"));
    setBackground(*m_mainPanel, kGray);

    m_theWord = place(new QLabel(m_mainPanel), "TheWord", QRect(16, 30, 233, 33));
    m_theWord->setAlignment(Qt::AlignCenter);
    m_theWord->setTextFormat(Qt::PlainText);
    m_theWord->setFont(arialCell(33));
    m_theWord->setAccessibleDescription(QStringLiteral("The word to spell"));
    setBackground(*m_theWord, kWordBackground);
    m_theWord->hide();

    // The answer box: a white box with a black outline over its dark shadow, the edit inside.
    auto* shape2 = place(new QFrame(m_mainPanel), "Shape2", QRect(32, 104, 209, 49),
                         QStringLiteral("Answer box shadow"));
    setBackground(*shape2, kShadow);
    auto* shape1 = place(new QFrame(m_mainPanel), "Shape1", QRect(24, 96, 209, 49),
                         QStringLiteral("Answer box"));
    shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    shape1->setLineWidth(1);
    {
        QPalette palette = shape1->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        shape1->setPalette(palette);
    }
    setBackground(*shape1, Qt::white);
    m_answerEdit = place(new QLineEdit(m_mainPanel), "AnswerEdit", QRect(32, 104, 193, 33),
                         QStringLiteral("Type the word here"));
    m_answerEdit->setFrame(false);
    m_answerEdit->setFont(arialCell(33));
    m_answerEdit->setMaxLength(INT_MAX);
    setBackground(*m_answerEdit, Qt::white);
    m_answerEdit->setEnabled(false);

    m_startBtn = place(new QPushButton(QStringLiteral("Start"), m_mainPanel), "StartBtn",
                       QRect(43, 160, 81, 25));
    m_okBtn = place(new QPushButton(QStringLiteral("Ok"), m_mainPanel), "OkBtn",
                    QRect(139, 160, 81, 25));
    m_okBtn->setDefault(true);
    m_okBtn->setEnabled(false);

    // The score board: black, lowered inner and outer bevels, red captions and counters.
    auto* scoreBoard = place(new QFrame(m_mainPanel), "ScoreBoard", QRect(2, 192, 259, 36),
                             QStringLiteral("Score board"));
    scoreBoard->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setBackground(*scoreBoard, Qt::black);
    scoreLabel(scoreBoard, QStringLiteral("Total:"), "TotalLabel", QRect(8, 5, 48, 25));
    scoreLabel(scoreBoard, QStringLiteral("Correct:"), "CorrectLabel", QRect(88, 5, 70, 25));
    scoreLabel(scoreBoard, QStringLiteral("%"), "PercentLabel", QRect(240, 5, 17, 25));
    m_totalBox = scoreCounter(scoreBoard, "TotalBox", QStringLiteral("Total"), 2, 56);
    m_correctBox = scoreCounter(scoreBoard, "CorrectBox", QStringLiteral("Correct"), 2, 158);
    m_percentBox = scoreCounter(scoreBoard, "PercentBox", QStringLiteral("Percent"), 3, 200);

    // The bottom bar: the user and Exit.
    const UserBar bar(*m_mainPanel, QRect(2, 228, 259, 38), 129);
    m_diskImage = bar.diskImage;
    m_namePanel = bar.namePanel;
    m_cancelBtn = bar.cancelBtn;

    setTabOrder(m_answerEdit, m_okBtn);
    setTabOrder(m_okBtn, m_startBtn);
    setTabOrder(m_startBtn, m_cancelBtn);
    // Enter presses the focused button (Exit too, when the child has tabbed to it), else Ok;
    // while an answer is handled the focus rests on the panel, so a second Enter presses none.
    m_startBtn->setFocus();

    for (QPushButton* button : {m_cancelBtn, m_okBtn, m_startBtn}) {
        makeNoisy(*button, program.media());
    }
    connect(m_startBtn, &QPushButton::clicked, this, &TWordTest::StartBtnClick);
    connect(m_okBtn, &QPushButton::clicked, this, &TWordTest::OkBtnClick);
    connect(m_cancelBtn, &QPushButton::clicked, this, &TWordTest::CancelBtnClick);

    auto makePlayer = [&](const char* name, QWidget* display) {
        auto* player = new hc::media::MediaPlayer(program.media(), this);
        player->setObjectName(QString::fromLatin1(name));
        player->setDeviceType(hc::media::DeviceType::AviVideo);
        player->setDisplay(display);
        return player;
    };
    m_flashCardPlayer = makePlayer("FlashCardPlayer", m_mainPanel);
    m_beeJumpPlayer = makePlayer("BeeJumpPlayer", &m_narrator->aviPanel());
    m_beeNoPlayer = makePlayer("BeeNoPlayer", &m_narrator->aviPanel());
    connect(m_flashCardPlayer, &hc::media::MediaPlayer::notified, this,
            &TWordTest::FlashCardPlayerNotify);

    auto makeTimer = [&](const char* name, std::chrono::milliseconds interval,
                         void (TWordTest::*handler)()) {
        auto* timer = new hc::media::ClockTimer(program.media(), this);
        timer->setObjectName(QString::fromLatin1(name));
        timer->setInterval(interval);
        connect(timer, &hc::media::ClockTimer::timeout, this, handler);
        return timer;
    };
    m_wordTimer = makeTimer("WordTimer", 1000ms, &TWordTest::WordTimerTimer);
    m_secondTimer = makeTimer("SecondTimer", 1000ms, &TWordTest::SecondTimerTimer);
    m_doneTimer = makeTimer("DoneTimer", 2000ms, &TWordTest::DoneTimerTimer);
}

TWordTest::~TWordTest() {
    // Players before the files they play (the files go with their members afterwards).
    m_beeJumpPlayer->close(Notify::No);
    m_beeNoPlayer->close(Notify::No);
    m_flashCardPlayer->close(Notify::No);
}

void TWordTest::FormCreate() {
    // 1. The three movies, opened once for the life of the screen.
    const std::pair<hc::media::MediaPlayer*, ExtractedFile*> movies[] = {
        {m_flashCardPlayer, &m_flashCardFile},
        {m_beeJumpPlayer, &m_beeJumpFile},
        {m_beeNoPlayer, &m_beeNoFile},
    };
    const std::string_view entries[] = {hc::entries::kFlashCardMovie, hc::entries::kBeeJump,
                                        hc::entries::kBeeNo};
    for (std::size_t i = 0; i < std::size(movies); ++i) {
        auto [player, file] = movies[i];
        file->extract(entries[i]);
        player->setFileName(QString::fromStdString(file->name()));
        player->open(Notify::No);
    }

    // 2. The user, as the main menu shows it.
    m_diskImage->setVisible(m_program.userOnDisk());
    m_namePanel->setText(m_program.userDisplayName());

    // 3. The words.
    const std::string wordFile = hc::textOf(Settings.WordFile);
    hc::WordListLoad list = hc::loadWordList(wordFile);
    if (!list.opened) {
        throw hc::Error("Cannot open file " + hc::cp1252ToUtf8(wordFile));
    }
    // The words in UTF-8, as the card shows them and the answer is compared with them: the
    // user's locale's collation, letter case ignored.
    m_test =
        ScoredTest(std::move(list.text), [](const std::string& answer, const std::string& word) {
            return hc::sameTextIgnoringCase(QString::fromStdString(answer),
                                            QString::fromStdString(word));
        });

    // 4. How long each word stays up.
    m_wordTimer->setInterval(wordInterval(Settings.WordDelay));

    // 5. and 6. The screen shows; the bee greets a second later.
    EnterScreen();
    m_narrator->startGreeting();
}

void TWordTest::FormDestroy() {
    m_wordTimer->stop();
    m_secondTimer->stop();
    m_doneTimer->stop();
    m_narrator->stopGreeting();
    LeaveScreen();
    m_test.clear();
    m_beeJumpPlayer->close(Notify::No);
    m_beeJumpFile.release();
    m_beeNoPlayer->close(Notify::No);
    m_beeNoFile.release();
    m_flashCardPlayer->close(Notify::No);
    m_flashCardFile.release();
    m_narrator->releaseSpeech();
}

void TWordTest::EnterScreen() {
    enterScreen(*this, *m_narrator, m_program);
}

void TWordTest::LeaveScreen() {
    // The screen stays modal (in exec) while the reward movie has its place.
    leaveScreen(*this, *m_narrator, m_program, Leaving::HideStayingModal);
}

void TWordTest::StartBtnClick() {
    if (m_test.empty()) {
        hc::showMessage(m_program.app().messageBoxes(), QStringLiteral("The word list is empty"),
                        QStringLiteral("Spelling Test"), hc::MessageIcon::None);
        return;
    }
    m_test.start();
    showScore();
    m_mainPanel->setFocus();
    m_startBtn->setEnabled(false);
    m_okBtn->setEnabled(false);
    ShowNextWord();
}

void TWordTest::ShowNextWord() {
    const std::string& word = m_test.takeNext();
    m_theWord->setText(QString::fromStdString(word));
    m_flashCardPlayer->setTimeFormat(TimeFormat::Frames);
    m_cardPhase = 0;
    m_flashCardPlayer->playRange(0, kCardLanded, Notify::Yes);
}

void TWordTest::FlashCardPlayerNotify(NotifyResult /*result*/) {
    if (m_cardPhase == 0) {
        // The card has landed: the word lies on it until the card has gone again.
        m_theWord->show();
        m_wordTimer->start();
        traceStep("word-shown", m_test.index());
    } else {
        m_theWord->hide();
        m_answerEdit->setEnabled(true);
        m_okBtn->setEnabled(true);
        m_answerEdit->setFocus();
        traceStep("asked", m_test.index());
    }
}

void TWordTest::WordTimerTimer() {
    m_wordTimer->stop();
    m_flashCardPlayer->setTimeFormat(TimeFormat::Frames);
    m_cardPhase = 1;
    m_flashCardPlayer->playRange(kCardLanded, kCardGone, Notify::Yes);
}

void TWordTest::OkBtnClick() {
    if (!m_okBtn->isEnabled()) {
        return;
    }
    AnsweringScope answering(m_answering);
    // The focus goes to the panel, not on to the next button that can act.
    m_mainPanel->setFocus();
    m_answerEdit->setEnabled(false);
    m_okBtn->setEnabled(false);

    if (m_test.judge(m_answerEdit->text().toStdString())) {
        PlayRightAnimation();
    } else {
        PlayWrongAnimation();
    }
    m_answerEdit->clear();
    showScore();
    traceStep("answered", m_test.index());

    // The feedback (and any speech begun meanwhile) to its end, then a second's pause; the
    // rest of the screen stays alive meanwhile.
    hc::waitUntil([this] { return !m_narrator->reacting(); });
    m_secondTimer->start();
    hc::waitUntil([this] { return !m_secondTimer->isActive(); });

    if (m_test.hasNext()) {
        ShowNextWord();
    } else {
        recordResult();
    }
    if (m_closeRequested) {
        closeScreen();
    }
}

void TWordTest::showScore() {
    m_totalBox->setTarget(m_test.total());
    m_correctBox->setTarget(m_test.correct());
    m_percentBox->setTarget(static_cast<std::uint32_t>(m_test.percent()));
    for (TDigitBox* box : {m_totalBox, m_correctBox, m_percentBox}) {
        box->setValue(box->target());
    }
}

void TWordTest::PlayRightAnimation() {
    m_narrator->playReaction(*m_beeJumpPlayer);
}

void TWordTest::PlayWrongAnimation() {
    m_narrator->playReaction(*m_beeNoPlayer);
}

void TWordTest::SecondTimerTimer() {
    m_secondTimer->stop();
}

void TWordTest::recordResult() {
    const int percent = m_test.percent();
    float previousAverage = 0;
    const UserFileResult result =
        hc::recordResult(m_program.currentUserFile(), m_program.currentUserName(),
                         hc::Activity::Spelling, percent, &previousAverage);
    if (result != UserFileOk) {
        // The result could not be kept: say so rather than lose it unnoticed.
        m_program.app().showError(QString::fromUtf8(UserFileMessage(result)));
    } else if (const std::string unwritten = hc::recordTestHistory(
                   m_program.currentUserFile(), m_program.currentUserName(), m_test.answered());
               !unwritten.empty()) {
        // Only a result the user file kept has a history line; the message says it is kept.
        m_program.app().showError(QString::fromStdString(unwritten));
    }

    traceStep("recorded", m_test.index());
    if (earnsGreatJob(Settings, percent, previousAverage) && !m_closeRequested) {
        m_okBtn->setEnabled(false);
        m_doneTimer->start();
    } else {
        m_startBtn->setEnabled(true);
        m_startBtn->setFocus();
    }
}

void TWordTest::DoneTimerTimer() {
    m_doneTimer->stop();
    LeaveScreen();
    {
        TGreatJob greatJob(m_program, this);
        // A reward movie that cannot be found or played closes the reward at once.
        if (m_program.app().guard([&] { greatJob.FormCreate(); })) {
            greatJob.exec();
        }
    }
    EnterScreen();
    m_okBtn->setEnabled(false);
    m_startBtn->setEnabled(true);
    m_startBtn->setFocus();
    traceStep("rewarded", m_test.index());
}

void TWordTest::CancelBtnClick() {
    if (m_narrator->busy()) {
        return;
    }
    if (m_answering) {
        m_closeRequested = true;
        return;
    }
    closeScreen();
}

void TWordTest::escapeOrCloseBox() {
    // Escape and the window's close are Exit, refused as Exit is.
    CancelBtnClick();
}

} // namespace hc::student
