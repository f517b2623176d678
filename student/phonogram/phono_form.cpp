#include "student/phonogram/phono_form.h"

#include "archive/error.h"
#include "content/entry_names.h"
#include "content/pictures.h"
#include "controls/digit_box.h"
#include "datafiles/history.h"
#include "datafiles/text_codec.h"
#include "platform/desktop/application.h"
#include "platform/desktop/event_wait.h"
#include "platform/media/clock_timer.h"
#include "platform/media/media_player.h"
#include "student/phonogram/phono_parts.h"
#include "student/phonogram/picture_box.h"
#include "student/shell/narrator.h"
#include "student/shell/program_state.h"
#include "student/shell/screen_kit.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace hc::student {

using namespace std::chrono_literals;
using hc::media::Mode;
using hc::media::Notify;
using hc::media::NotifyResult;
using hc::media::TimeFormat;
using namespace hc::student::phono;

namespace {

constexpr QSize kClientSize(497, 404);
constexpr QSize kCardSize(35, 33);
constexpr QRect kCardInside(1, 1, 33, 31);
// A parked card waits this far above its board place, out of sight.
constexpr int kParkedRise = 170;
// A flying card moves this far each tick of CardTimer.
constexpr int kCardStep = 16;

constexpr QRect kPhonoPic(8, 168, 316, 158);
constexpr QRect kGoArea(176, 254, 64, 26);
constexpr QRect kRepeatArea(176, 285, 64, 26);
// The movie panels, out of sight until their movie plays.
constexpr QPoint kPhonoVidShown(8, 168);
constexpr QPoint kPhonoVidAway(1000, 168);
constexpr QPoint kPuzzleVidShown(21, 181);
constexpr QPoint kPuzzleVidAway(1021, 181);

// The screen movie's two halves, in frames.
constexpr int kOpeningFrom = 0;
constexpr int kOpeningTo = 90;
constexpr int kClosingFrom = 90;
constexpr int kClosingTo = 180;

const QString kUnavailable = QStringLiteral("Not available now");

NarratorSetup phonoNarrator() {
    NarratorSetup setup;
    setup.greetingClip = QStringLiteral("phono");
    setup.greetingInterval = 1000ms;
    setup.greetingOnEnter = true;
    setup.help = NarratorSetup::Help::Push;
    // No button of this screen is a default one: Enter never presses Help by surprise.
    setup.helpAutoDefault = false;
    setup.helpClip = QStringLiteral("phonhelp");
    return setup;
}

} // namespace

QPoint TPhonoForm::boardPlace(int card) {
    return {8 + 40 * (card % 8), 8 + 40 * (card / 8)};
}

QPoint TPhonoForm::framePlace(int piece) {
    return {21 + 35 * (piece % 4), 181 + 33 * (piece / 4)};
}

TPhonoForm::TPhonoForm(ProgramState& program, QWidget* parent)
    : ClosingOnPurposeDialog(parent), m_program(program),
      m_puzzle(
          m_random, [&program] { return program.calendarTime(); }, program.puzzleNumber) {
    setObjectName(QStringLiteral("PhonoForm"));
    setUpWindow(*this, QStringLiteral("Phonogram Puzzle"), kClientSize,
                WindowKind::FixedMinimiseOnly);
    setModal(true);
    setFont(systemFont());

    m_narrator = new Narrator(program, *this, *this, phonoNarrator());
    m_narrator->panel().setGeometry(0, 0, 162, kClientSize.height());
    m_narrator->setGreeting([this] { greet(); });

    auto* mainPanel = place(new QFrame(this), "MainPanel", QRect(162, 0, 335, 404));
    mainPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);

    // The puzzle area. Its children are stacked in the order they are made: the backdrop, the
    // Go and Repeat areas with their looks, the two movie panels over them, the cards on top.
    m_puzPanel =
        place(new QWidget(mainPanel), "PuzPanel", QRect(2, 2, 331, 362), QStringLiteral("Puzzle"));
    m_puzPanel->setAutoFillBackground(true);
    QPalette silver = m_puzPanel->palette();
    silver.setColor(QPalette::Window, kSilver);
    m_puzPanel->setPalette(silver);

    picture(m_puzPanel, "PhonoPic", kPhonoPic, hc::pictures::kPhonoBackdrop,
            QStringLiteral("Picture frame"));

    m_goButton = place(new AreaButton(QStringLiteral("Go"), m_puzPanel), "GoButton", kGoArea,
                       QStringLiteral("Go"));
    m_goImage = picture(m_puzPanel, "GoImage", kGoArea, hc::pictures::kGoPressed,
                        QStringLiteral("Go pressed"));
    m_goImage->hide();
    m_goDark = picture(m_puzPanel, "GoDark", kGoArea, hc::pictures::kGoDark,
                       QStringLiteral("Go unavailable"));
    m_goDark->setTakesClicks(true);
    m_repeatBtn = place(new AreaButton(QStringLiteral("Repeat"), m_puzPanel), "RepeatBtn",
                        kRepeatArea, QStringLiteral("Repeat"));
    m_repeatImg = picture(m_puzPanel, "RepeatImg", kRepeatArea, hc::pictures::kRepeatPressed,
                          QStringLiteral("Repeat pressed"));
    m_repeatImg->hide();
    m_repeatDark = picture(m_puzPanel, "RepeatDark", kRepeatArea, hc::pictures::kRepeatDark,
                           QStringLiteral("Repeat unavailable"));
    m_repeatDark->setTakesClicks(true);
    setGoAvailable(true);
    setRepeatAvailable(false);

    m_puzzleVidPanel =
        place(new QWidget(m_puzPanel), "PuzzleVidPanel", QRect(kPuzzleVidAway, QSize(141, 133)),
              QStringLiteral("Finished picture"));
    m_phonoVid = place(new QWidget(m_puzPanel), "PhonoVid", QRect(kPhonoVidAway, kPhonoPic.size()),
                       QStringLiteral("Puzzle movie"));
    m_phonoVid->setAutoFillBackground(true);

    // The 32 cards, each parked out of sight above its board place.
    for (int n = 0; n < kCards; ++n) {
        PhonoCard& card = m_cards[static_cast<std::size_t>(n)];
        const QByteArray panelName = "PhonoPnl" + QByteArray::number(n + 1);
        const QByteArray imageName = "PhonoImg" + QByteArray::number(n + 1);
        card.panel =
            place(new CardButton(m_puzPanel), panelName.constData(), QRect(QPoint(), kCardSize));
        card.image = place(new PictureBox(card.panel), imageName.constData(), kCardInside,
                           QStringLiteral("Piece of the picture"));
        card.image->hide();
        card.parked = boardPlace(n) - QPoint(0, kParkedRise);
        card.target = card.parked;
        card.panel->move(card.parked);
        card.panel->hide();
        connect(card.panel, &QAbstractButton::clicked, this, [this, n] { PhonoClick(n); });
    }

    // The score board along the bottom of the puzzle area.
    auto* scoreBoard = place(new QWidget(m_puzPanel), "ScoreBoard", QRect(0, 332, 331, 30),
                             QStringLiteral("Score board"));
    scoreBoard->setAutoFillBackground(true);
    QPalette black = scoreBoard->palette();
    black.setColor(QPalette::Window, Qt::black);
    scoreBoard->setPalette(black);
    scoreLabel(scoreBoard, "TotalLbl", QStringLiteral("Total:"), QRect(8, 2, 48, 25));
    m_totalBox = scoreCounter(scoreBoard, "TotalBox", 2, QPoint(60, 2), QStringLiteral("Total"));
    scoreLabel(scoreBoard, "CorrectLbl", QStringLiteral("Correct:"), QRect(100, 2, 64, 25));
    m_correctBox =
        scoreCounter(scoreBoard, "CorrectBox", 2, QPoint(168, 2), QStringLiteral("Correct"));
    m_percentBox =
        scoreCounter(scoreBoard, "PercentBox", 3, QPoint(232, 2), QStringLiteral("Percent"));
    auto* percentLbl =
        scoreLabel(scoreBoard, "PercentLbl", QStringLiteral("%"), QRect(276, 2, 20, 25));
    percentLbl->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // The bottom bar: the floppy disk, the user's name and Exit.
    UserBar bar(*mainPanel, QRect(2, 364, 331, 38), 197);
    bar.showUser(program);
    m_diskImage = bar.diskImage;
    m_namePanel = bar.namePanel;
    m_cancelBtn = bar.cancelBtn;

    makeNoisy(*m_cancelBtn, program.media());
    makeNoisy(*m_goButton, program.media());
    makeNoisy(*m_repeatBtn, program.media());
    connect(m_cancelBtn, &QAbstractButton::clicked, this, &TPhonoForm::CancelBtnClick);
    connect(m_goButton, &QAbstractButton::clicked, this, &TPhonoForm::GoButtonClick);
    connect(m_repeatBtn, &QAbstractButton::clicked, this, &TPhonoForm::RepeatBtnClick);
    connect(m_goButton, &QAbstractButton::pressed, m_goImage, &QWidget::show);
    connect(m_goButton, &QAbstractButton::released, m_goImage, &QWidget::hide);
    connect(m_repeatBtn, &QAbstractButton::pressed, m_repeatImg, &QWidget::show);
    connect(m_repeatBtn, &QAbstractButton::released, m_repeatImg, &QWidget::hide);

    // The players, invisible; their files are set when the screen is created.
    auto makePlayer = [&](const char* name, hc::media::DeviceType type, QWidget* display) {
        auto* player = new hc::media::MediaPlayer(program.media(), this);
        player->setObjectName(QString::fromLatin1(name));
        player->setDeviceType(type);
        player->setDisplay(display);
        return player;
    };
    m_phonoVidPlayer = makePlayer("PhonoVidPlayer", hc::media::DeviceType::AviVideo, m_phonoVid);
    m_phonoSnd = makePlayer("PhonoSnd", hc::media::DeviceType::WaveAudio, nullptr);
    m_puzzleVidPlayer =
        makePlayer("PuzzleVidPlayer", hc::media::DeviceType::AviVideo, m_puzzleVidPanel);
    connect(m_phonoVidPlayer, &hc::media::MediaPlayer::notified, this,
            &TPhonoForm::PhonoVidPlayerNotify);

    m_cardTimer = new hc::media::ClockTimer(program.media(), this);
    m_cardTimer->setObjectName(QStringLiteral("CardTimer"));
    m_cardTimer->setInterval(std::chrono::milliseconds(kCardStepMs));
    connect(m_cardTimer, &hc::media::ClockTimer::timeout, this, &TPhonoForm::CardTimerTimer);
    m_flashTimer = new hc::media::ClockTimer(program.media(), this);
    m_flashTimer->setObjectName(QStringLiteral("FlashTimer"));
    m_flashTimer->setInterval(std::chrono::milliseconds(kFlashStepMs));
    connect(m_flashTimer, &hc::media::ClockTimer::timeout, this, &TPhonoForm::FlashTimerTimer);
}

TPhonoForm::~TPhonoForm() {
    // The players let go of their files before the files go.
    m_phonoVidPlayer->close(Notify::No);
    m_phonoSnd->close(Notify::No);
    m_puzzleVidPlayer->close(Notify::No);
}

void TPhonoForm::FormCreate() {
    loadPhonogramTable(m_puzzle.phonograms());
    m_puzzle.setPuzzleCount(countPuzzles());
    m_phonoVid->move(kPhonoVidShown);

    m_phonoVidFile.extract(hc::entries::kPhonoMovie);
    m_phonoVidPlayer->setFileName(QString::fromStdString(m_phonoVidFile.name()));
    m_phonoVidPlayer->open(Notify::No);
    m_phonoVidPlayer->setTimeFormat(TimeFormat::Frames);
    // The opening's first frame stands until the greeting starts the movie.
    m_phonoVidPlayer->playRange(kOpeningFrom, kOpeningFrom, Notify::No);

    m_phonoSndFile.extract(hc::entries::kPhonogramSounds);
    m_phonoSnd->setFileName(QString::fromStdString(m_phonoSndFile.name()));
    m_phonoSnd->open(Notify::No);

    enterScreen(*this, *m_narrator, m_program);
}

void TPhonoForm::FormDestroy() {
    m_cardTimer->stop();
    m_flashTimer->stop();
    m_phonoVidPlayer->close(Notify::No);
    m_phonoSnd->close(Notify::No);
    m_puzzleVidPlayer->close(Notify::No);
    m_phonoVidFile.release();
    m_phonoSndFile.release();
    m_puzzleVidFile.release();
    leaveScreen(*this, *m_narrator, m_program, Leaving::Hide);
    m_narrator->releaseSpeech();
}

void TPhonoForm::greet() {
    m_closing = false;
    m_phonoVidPlayer->setTimeFormat(TimeFormat::Frames);
    m_phonoVidPlayer->playRange(kOpeningFrom, kOpeningTo, Notify::Yes);
    m_narrator->speak(QStringLiteral("phono"));
}

void TPhonoForm::PhonoVidPlayerNotify(NotifyResult /*result*/) {
    if (m_closing) {
        closeScreen(1);
    } else {
        m_phonoVid->move(kPhonoVidAway);
    }
}

void TPhonoForm::setGoAvailable(bool available) {
    m_goDark->setVisible(!available);
    m_goButton->setEnabled(available);
    m_goButton->setAccessibleDescription(available ? QString() : kUnavailable);
}

void TPhonoForm::setRepeatAvailable(bool available) {
    m_repeatDark->setVisible(!available);
    m_repeatBtn->setEnabled(available);
    m_repeatBtn->setAccessibleDescription(available ? QString() : kUnavailable);
}

void TPhonoForm::setCardColour(int card, const QColor& colour) {
    if (card >= 0 && card < kCards) {
        static_cast<CardButton*>(m_cards[static_cast<std::size_t>(card)].panel)->setColour(colour);
    }
}

void TPhonoForm::showCounts() {
    const auto show = [](hc::controls::TDigitBox* box, int number) {
        box->setTarget(static_cast<std::uint32_t>(number));
        box->setValue(static_cast<std::uint32_t>(number));
    };
    show(m_totalBox, m_puzzle.total());
    show(m_correctBox, m_puzzle.correct());
    show(m_percentBox, m_puzzle.percent());
}

void TPhonoForm::setTarget(PhonoCard& card, QPoint target) {
    card.target = target;
    if (!atTarget(card)) {
        m_cardTimer->setActive(true);
    }
}

bool TPhonoForm::atTarget(const PhonoCard& card) const {
    return card.panel->pos() == card.target;
}

bool TPhonoForm::allAtTargets() const {
    return std::all_of(m_cards.begin(), m_cards.end(),
                       [this](const PhonoCard& card) { return atTarget(card); });
}

void TPhonoForm::CardTimerTimer() {
    // Each coordinate snaps to its target once closer than a step, else moves a step towards
    // it: a card 170 pixels away lands on the 11th tick.
    const auto stepTowards = [](int at, int target) {
        if (std::abs(at - target) < kCardStep) {
            at = target;
        }
        if (at < target) {
            at += kCardStep;
        } else if (at > target) {
            at -= kCardStep;
        }
        return at;
    };
    for (PhonoCard& card : m_cards) {
        const QPoint at = card.panel->pos();
        card.panel->move(stepTowards(at.x(), card.target.x()),
                         stepTowards(at.y(), card.target.y()));
        // A card back at its parked place is out of sight: hidden, screen readers skip it too.
        if (card.target == card.parked && atTarget(card)) {
            card.panel->hide();
        }
    }
    // Nothing left to move: the timer rests until a card gets a new target.
    if (allAtTargets()) {
        m_cardTimer->stop();
    }
}

void TPhonoForm::FlashTimerTimer() {
    if (m_flashCount <= 0) {
        m_flashTimer->stop();
        return;
    }
    const int asked = m_puzzle.askedCard();
    if (asked >= 0) {
        const QColor now =
            m_cards[static_cast<std::size_t>(asked)].panel->palette().color(QPalette::Window);
        setCardColour(asked, now == kCardWhite ? kCardYellow : kCardWhite);
    }
    if (--m_flashCount == 0) {
        setCardColour(asked, kCardWhite);
        m_flashTimer->stop();
    }
}

void TPhonoForm::GoButtonClick() {
    if (m_closing || !m_goDark->isHidden()) {
        return;
    }
    // 1. A new deal: counts to 0, no question, Go unavailable until the puzzle is over.
    setGoAvailable(false);
    m_puzzle.deal();
    showCounts();

    // 2. to 4. The cards get their phonograms and fly down onto the board.
    for (int n = 0; n < kCards; ++n) {
        PhonoCard& card = m_cards[static_cast<std::size_t>(n)];
        const QString text = QString::fromStdString(hc::cp1252ToUtf8(
            m_puzzle.phonograms()[static_cast<std::size_t>(m_puzzle.card(n).phonogram)].Text));
        card.image->hide();
        card.panel->setText(text);
        card.panel->setAccessibleName(text);
        setCardColour(n, kCardWhite);
        card.panel->show();
        setTarget(card, boardPlace(n));
    }

    // 6. The pieces of the picture behind their cards. A missing piece stops the deal here:
    // Go stays unavailable and only Exit remains.
    for (int piece = 0; piece < PhonoPuzzle::kPieces; ++piece) {
        const std::string entry = hc::entries::puzzlePiece(m_puzzle.puzzle(), piece);
        ExtractedFile file;
        file.extract(entry);
        // Read as an image, not through QPixmap::load: the pixmap cache goes by file name and
        // time, and the temporary files of the 16 pieces may all carry the same name.
        QImage picture;
        if (!picture.load(QString::fromStdString(file.name()), "BMP")) {
            throw hc::Error("Can't read puzzle picture: " + entry);
        }
        m_cards[static_cast<std::size_t>(m_puzzle.cardWithPiece(piece))].image->setPicture(
            QPixmap::fromImage(picture));
    }

    // 7. to 9. Repeat is ready; the first question comes once every card has landed.
    setRepeatAvailable(true);
    hc::waitUntil([this] { return m_closing || allAtTargets(); });
    askNextQuestion();
}

void TPhonoForm::askNextQuestion() {
    // Once Exit has been accepted, a step that was waiting ends here without a question.
    if (m_closing) {
        return;
    }
    if (!m_puzzle.ask()) {
        finishPuzzle();
        return;
    }
    playPhonogram(m_puzzle.currentQuestion());
    // The measuring aid of HC_TRACE: what was said, for the end-to-end run that cannot hear.
    if (traceRequested()) {
        std::fprintf(stderr, "trace question %s card %d\n",
                     m_puzzle.phonograms()[static_cast<std::size_t>(m_puzzle.currentQuestion())]
                         .Text.c_str(),
                     m_puzzle.askedCard() + 1);
        std::fflush(stderr);
    }
}

void TPhonoForm::playPhonogram(int index) {
    const Phonogram& phonogram = m_puzzle.phonograms()[static_cast<std::size_t>(index)];
    m_phonoSnd->setTimeFormat(TimeFormat::Samples);
    // A damaged line whose end lies before its start plays nothing rather than failing.
    m_phonoSnd->playRange(phonogram.StartSample,
                          std::max(phonogram.StartSample, phonogram.EndSample), Notify::No);
}

void TPhonoForm::RepeatBtnClick() {
    if (!m_closing && m_puzzle.currentQuestion() >= 0) {
        playPhonogram(m_puzzle.currentQuestion());
    }
}

void TPhonoForm::PhonoClick(int n) {
    // While the right card flashes after a wrong answer, further clicks wait for the next
    // question: the flashing is the answer's feedback, and one answer is taken per question.
    if (m_closing || m_flashCount > 0) {
        return;
    }
    const PhonoPuzzle::Click click = m_puzzle.answer(n);
    switch (click.answer) {
    case PhonoPuzzle::Answer::Ignored:
        return;
    case PhonoPuzzle::Answer::Right: {
        PhonoCard& card = m_cards[static_cast<std::size_t>(n)];
        card.image->show();
        card.panel->raise();
        setTarget(card, framePlace(click.piece));
        hc::waitUntil([this, &card] { return m_closing || atTarget(card); });
        break;
    }
    case PhonoPuzzle::Answer::Wrong:
        m_flashCount = kFlashTicks;
        m_flashTimer->start();
        hc::waitUntil([this] { return m_closing || m_flashCount == 0; });
        break;
    }
    askNextQuestion();
    if (!m_closing) {
        showCounts();
    }
}

void TPhonoForm::finishPuzzle() {
    // 1. and 2. The counts as they stand, and the result in the child's record.
    showCounts();
    const UserFileResult stored =
        m_puzzle.storeResult(m_program.currentUserFile(), m_program.currentUserName());
    // Only a result the user file kept has a history line; the message says it is kept.
    const std::string unwritten =
        stored != UserFileOk
            ? std::string()
            : hc::recordPuzzleHistory(m_program.currentUserFile(), m_program.currentUserName(),
                                      m_puzzle.puzzle(), m_puzzle.correct(),
                                      m_puzzle.total() - m_puzzle.correct(), m_puzzle.percent());
    const auto reportStore = [&] {
        // Losing a child's result silently would let the report card tell a wrong story.
        if (stored != UserFileOk) {
            m_program.app().showError(QString::fromLatin1(UserFileMessage(stored)));
        } else if (!unwritten.empty()) {
            m_program.app().showError(QString::fromStdString(unwritten));
        }
    };

    try {
        // 3. No more questions.
        m_puzzle.clearQuestion();
        setRepeatAvailable(false);

        // 4. The finished picture's movie in place of the pieces.
        m_puzzleVidFile.extract(hc::entries::puzzleMovie(m_puzzle.puzzle()));
        m_puzzleVidPlayer->setFileName(QString::fromStdString(m_puzzleVidFile.name()));
        m_puzzleVidPlayer->open(Notify::No);
        m_puzzleVidPanel->move(kPuzzleVidShown);
        for (int n = 0; n < kCards; ++n) {
            if (m_puzzle.card(n).piece == PhonoPuzzle::kInPicture) {
                m_cards[static_cast<std::size_t>(n)].panel->hide();
            }
        }
        m_puzzleVidPlayer->play(Notify::No);
        hc::waitUntil([this] { return m_puzzleVidPlayer->mode() != Mode::Playing; });

        // 5. The movie goes.
        m_puzzleVidPanel->move(kPuzzleVidAway);
        m_puzzleVidPlayer->close(Notify::No);
        m_puzzleVidFile.release();

        // 6. The cards still on the board fly up out of sight; Go is ready for the next deal.
        for (PhonoCard& card : m_cards) {
            card.image->hide();
            setTarget(card, card.parked);
        }
        if (!m_closing) {
            setGoAvailable(true);
        }
    } catch (...) {
        reportStore();
        throw;
    }
    reportStore();
}

void TPhonoForm::CancelBtnClick() {
    if (m_closing || m_narrator->busy() || m_phonoVidPlayer->mode() == Mode::Playing) {
        return;
    }
    // From here on no question is asked or sounded, and nothing is stored.
    m_closing = true;
    m_puzzle.clearQuestion();
    if (m_phonoSnd->mode() != Mode::NotOpen) {
        m_phonoSnd->stop(Notify::No);
    }
    if (m_flashCount > 0) {
        setCardColour(m_puzzle.askedCard(), kCardWhite);
        m_flashCount = 0;
        m_flashTimer->stop();
    }
    if (m_puzzleVidPlayer->mode() == Mode::Playing) {
        m_puzzleVidPlayer->stop(Notify::No);
    }
    setGoAvailable(false);
    setRepeatAvailable(false);

    for (PhonoCard& card : m_cards) {
        card.image->hide();
        setTarget(card, card.parked);
    }
    m_phonoVid->move(kPhonoVidShown);
    try {
        m_phonoVidPlayer->setTimeFormat(TimeFormat::Frames);
        m_phonoVidPlayer->playRange(kClosingFrom, kClosingTo, Notify::Yes);
    } catch (...) {
        // Without its closing movie the screen still ends.
        closeScreen(1);
        throw;
    }
}

void TPhonoForm::escapeOrCloseBox() {
    // The window closes only once the closing movie is over; Escape or closing it is Exit.
    CancelBtnClick();
}

} // namespace hc::student
