#include "student/shell/narrator.h"

#include "content/entry_names.h"
#include "datafiles/text_codec.h"
#include "datafiles/word_list.h"
#include "platform/media/clock_timer.h"
#include "student/shell/program_state.h"
#include "student/shell/screen_kit.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace hc::student {
namespace {

using hc::media::DeviceType;
using hc::media::Mode;
using hc::media::Notify;
using hc::media::NotifyResult;

constexpr int kPanelWidth = 162;
constexpr int kAviWidth = 160;
constexpr int kAviHeight = 120;
constexpr int kBarHeight = 25;
constexpr int kLastClipMax = 49;

// The panel lays out its parts for whatever height the screen gives it: the animation at the
// top, the button bar at the bottom, the memo between them.
class BeePanelFrame final : public QFrame {
public:
    explicit BeePanelFrame(QWidget* parent) : QFrame(parent) {}

    QWidget* avi = nullptr;
    QWidget* memo = nullptr;
    QWidget* bar = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QFrame::resizeEvent(event);
        const int height = event->size().height();
        avi->setGeometry(1, 1, kAviWidth, kAviHeight);
        bar->setGeometry(0, height - kBarHeight, kPanelWidth, kBarHeight);
        memo->setGeometry(0, kAviHeight + 1, kPanelWidth, height - kBarHeight - kAviHeight - 1);
    }
};

// The text of a clip as the memo shows it: the file's lines, in Windows-1252.
QString readClipText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    QStringList lines;
    for (const std::string& line : hc::parseWordList(bytes)) {
        lines << QString::fromStdString(hc::cp1252ToUtf8(line));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

Narrator::Narrator(ProgramState& program, QWidget& screen, QWidget& panelParent,
                   const NarratorSetup& setup)
    : QObject(&screen), m_program(program), m_screen(screen), m_setup(setup) {
    auto* panel = new BeePanelFrame(&panelParent);
    m_panel = panel;
    m_panel->setObjectName(QStringLiteral("BeePanel"));
    m_panel->setAccessibleName(QStringLiteral("Bee"));
    m_panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_panel->setLineWidth(1);
    m_panel->setAutoFillBackground(true);
    QPalette silver = m_panel->palette();
    silver.setColor(QPalette::Window, kSilver);
    silver.setColor(QPalette::Base, kSilver);
    silver.setColor(QPalette::Button, kSilver);
    m_panel->setPalette(silver);

    m_aviPanel = new QWidget(m_panel);
    m_aviPanel->setObjectName(QStringLiteral("BeeAVIpanel"));
    m_aviPanel->setAccessibleName(QStringLiteral("Bee animation"));
    m_aviPanel->setAutoFillBackground(true);
    panel->avi = m_aviPanel;

    m_memo = new QPlainTextEdit(m_panel);
    m_memo->setObjectName(QStringLiteral("BeeText"));
    m_memo->setAccessibleName(QStringLiteral("What the bee says"));
    m_memo->setReadOnly(true);
    m_memo->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A clip's paragraph is one line of its text: the memo flows it at its own width.
    m_memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_memo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_memo->setFocusPolicy(Qt::ClickFocus);
    m_memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    panel->memo = m_memo;

    auto* bar = new QWidget(m_panel);
    bar->setObjectName(QStringLiteral("BeeButtons"));
    panel->bar = bar;
    m_stop = place(new QPushButton(QStringLiteral("Stop"), bar), "BeeStop",
                   QRect(0, 0, setup.stopWidth, kBarHeight));
    m_stop->setFocusPolicy(Qt::NoFocus);
    m_repeat = place(new QPushButton(QStringLiteral("Repeat"), bar), "BeeRepeat",
                     QRect(setup.stopWidth, 0, setup.repeatWidth, kBarHeight));
    m_repeat->setFocusPolicy(Qt::NoFocus);
    connect(m_stop, &QPushButton::clicked, this, &Narrator::BeeStopClick);
    connect(m_repeat, &QPushButton::clicked, this, &Narrator::BeeRepeatClick);
    if (setup.help != NarratorSetup::Help::None) {
        m_help = place(new QPushButton(QStringLiteral("Help"), bar), "BeeHelp",
                       QRect(kPanelWidth - setup.helpWidth, 0, setup.helpWidth, kBarHeight));
        if (!setup.helpAutoDefault) {
            m_help->setAutoDefault(false);
        }
        if (setup.help == NarratorSetup::Help::Toggle) {
            // A tool-bar style toggle: it stays down when clicked and never takes the focus.
            m_help->setCheckable(true);
            m_help->setFocusPolicy(Qt::NoFocus);
            connect(m_help, &QPushButton::clicked, this, &Narrator::helpToggled);
        } else {
            connect(m_help, &QPushButton::clicked, this, [this] { speak(m_setup.helpClip); });
        }
    }

    const QString prefix = setup.playerPrefix;
    auto makePlayer = [&](const QString& name, DeviceType type,
                          void (Narrator::*handler)(NotifyResult)) {
        auto* player = new hc::media::MediaPlayer(program.media(), this);
        player->setObjectName(prefix + name);
        player->setDeviceType(type);
        if (type == DeviceType::AviVideo) {
            player->setDisplay(m_aviPanel);
        }
        connect(player, &hc::media::MediaPlayer::notified, this, handler);
        return player;
    };
    m_idle =
        makePlayer(QStringLiteral("BeeGuide"), DeviceType::AviVideo, &Narrator::BeeGuideNotify);
    m_talk = makePlayer(QStringLiteral("BeeGuideTalk"), DeviceType::AviVideo,
                        &Narrator::BeeGuideTalkNotify);
    m_sound =
        makePlayer(QStringLiteral("BeeSound"), DeviceType::WaveAudio, &Narrator::BeeSoundNotify);

    m_startTimer = new hc::media::ClockTimer(program.media(), this);
    m_startTimer->setObjectName(QStringLiteral("BeeStartTimer"));
    m_startTimer->setInterval(setup.greetingInterval);
    connect(m_startTimer, &hc::media::ClockTimer::timeout, this, &Narrator::OnBeeStartTimer);
    if (setup.greetingOnAtCreation) {
        m_startTimer->start();
    }
}

Narrator::~Narrator() {
    // Players first, then the files they played (the speech file goes with its member).
    m_idle->close(Notify::No);
    m_talk->close(Notify::No);
    m_sound->close(Notify::No);
}

bool Narrator::busy() const {
    return m_startTimer->isActive() || m_talking;
}

bool Narrator::inPlace() const {
    return m_idle->mode() != Mode::NotOpen && m_talk->mode() != Mode::NotOpen;
}

bool Narrator::screenVisible() const {
    return m_screen.isVisible();
}

void Narrator::speak(const QString& clip) {
    m_lastClip = clip.left(kLastClipMax);
    if (!m_speechFile.empty()) {
        m_sound->close(Notify::No);
        m_speechFile.release();
    }
    const std::string name = m_lastClip.toStdString();
    m_speechFile.extract(hc::entries::clipSound(name));
    m_sound->setFileName(QString::fromStdString(m_speechFile.name()));
    m_sound->open(Notify::No);
    m_sound->play(Notify::Yes);

    {
        ExtractedFile text;
        text.extract(hc::entries::clipText(name));
        m_memo->setPlainText(readClipText(text.name()));
    }

    if (m_idle->mode() != Mode::NotOpen) {
        m_idle->stop(Notify::No);
    }
    m_talking = true;
    if (m_talk->mode() != Mode::NotOpen) {
        m_talk->play(Notify::Yes);
    }
}

void Narrator::BeeRepeatClick() {
    if (!m_lastClip.isEmpty()) {
        speak(m_lastClip);
    }
}

void Narrator::BeeStopClick() {
    if (!m_talking && m_memo->toPlainText().isEmpty()) {
        return;
    }
    m_sound->stop(Notify::No);
    m_sound->close(Notify::No);
    m_memo->clear();
    m_talking = false;
    playIdle();
    if (m_talk->mode() != Mode::NotOpen) {
        m_talk->stop(Notify::No);
    }
}

void Narrator::playIdle() {
    if (m_idle->mode() != Mode::NotOpen) {
        m_idle->play(Notify::Yes);
    }
}

void Narrator::BeeGuideNotify(NotifyResult result) {
    if (result == NotifyResult::Successful && screenVisible() && !m_talking) {
        playIdle();
    }
}

void Narrator::BeeGuideTalkNotify(NotifyResult result) {
    if (result == NotifyResult::Successful && screenVisible() && m_talking &&
        m_talk->mode() != Mode::NotOpen) {
        m_talk->play(Notify::Yes);
    }
}

void Narrator::BeeSoundNotify(NotifyResult result) {
    if (result != NotifyResult::Successful || !screenVisible()) {
        return;
    }
    m_talking = false;
    playIdle();
    if (m_talk->mode() != Mode::NotOpen) {
        m_talk->stop(Notify::No);
    }
    emit speechFinished();
}

void Narrator::OnBeeStartTimer() {
    m_startTimer->stop();
    if (m_greeting) {
        m_greeting();
    } else {
        speak(m_setup.greetingClip);
    }
}

void Narrator::enter() {
    m_idle->setFileName(QString::fromStdString(m_program.idleAnimationFile));
    m_talk->setFileName(QString::fromStdString(m_program.talkAnimationFile));
    m_idle->open(Notify::No);
    m_talk->open(Notify::No);
    if (!m_talking) {
        playIdle();
    }
    if (m_setup.greetingOnEnter) {
        m_startTimer->setActive(true);
    }
}

void Narrator::leave() {
    if (m_setup.greetingOffOnLeave) {
        m_startTimer->stop();
    }
    if (m_sound->mode() != Mode::NotOpen) {
        m_sound->stop(Notify::No);
    }
    m_idle->close(Notify::No);
    m_talk->close(Notify::No);
}

void Narrator::shutDown() {
    m_startTimer->stop();
    if (m_sound->mode() != Mode::NotOpen) {
        m_sound->stop(Notify::No);
    }
    m_idle->close(Notify::No);
    m_talk->close(Notify::No);
    releaseSpeech();
}

void Narrator::startGreeting() {
    m_startTimer->start();
}

void Narrator::stopGreeting() {
    m_startTimer->stop();
}

void Narrator::playReaction(hc::media::MediaPlayer& reaction) {
    if (std::find(m_reactions.begin(), m_reactions.end(), &reaction) == m_reactions.end()) {
        m_reactions.push_back(&reaction);
        connect(&reaction, &hc::media::MediaPlayer::notified, this, [this] { playIdle(); });
    }
    BeeStopClick();
    if (m_idle->mode() != Mode::NotOpen) {
        m_idle->stop(Notify::No);
    }
    reaction.play(Notify::Yes);
}

bool Narrator::reacting() const {
    return m_talk->mode() == Mode::Playing ||
           std::any_of(m_reactions.begin(), m_reactions.end(),
                       [](const auto* reaction) { return reaction->mode() == Mode::Playing; });
}

void Narrator::releaseSpeech() {
    if (!m_speechFile.empty()) {
        m_sound->close(Notify::No);
        m_speechFile.release();
    }
}

} // namespace hc::student
