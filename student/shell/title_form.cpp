#include "student/shell/title_form.h"

#include "content/entry_names.h"
#include "content/pictures.h"
#include "platform/desktop/display.h"
#include "platform/media/media_player.h"
#include "student/shell/program_state.h"
#include "student/shell/screen_kit.h"

#include <QKeyEvent>
#include <QLabel>

#include <array>

namespace hc::student {
namespace {

using hc::media::Notify;
using hc::media::NotifyResult;

constexpr char kVersion[] = HC_VERSION;
const QColor kCreditColour(0xFF, 0xF4, 0xB0);

// The start area: a click (or, for keyboard users, Enter or Space) starts the program.
class StartArea final : public QWidget {
public:
    explicit StartArea(QWidget* parent, std::function<void()> onClick)
        : QWidget(parent), m_onClick(std::move(onClick)) {
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (rect().contains(event->position().toPoint())) {
            m_onClick();
        }
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
            event->key() == Qt::Key_Space) {
            m_onClick();
            return;
        }
        QWidget::keyPressEvent(event);
    }

private:
    std::function<void()> m_onClick;
};

// The credits, one label each below the version.
constexpr std::array<const char*, 10> kCredits = {
    "A spelling tutor for young",   "learners, with a bee to",
    "guide the way.",               "",
    "Words, pictures, movies",      "and music by the",
    "Honeycombwordsmiths team.",    "",
    "Click the start button",       "to begin!",
};

} // namespace

TTitleForm::TTitleForm(ProgramState& program, hc::media::MediaPlayer& music, QWidget* parent)
    : ClosingOnPurposeDialog(parent), m_program(program), m_music(music) {
    setObjectName(QStringLiteral("TitleForm"));
    setUpWindow(*this, QStringLiteral("Honeycombwordsmiths"), QSize(632, 453),
                WindowKind::FixedMinimiseOnly);
    setModal(true);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    if (hc::desktopRect().size() == QSize(640, 480)) {
        // A desktop of exactly 640 x 480 is filled by the title, without a border.
        setWindowFlag(Qt::FramelessWindowHint);
        setFixedSize(640, 480);
        move(0, 0);
    }

    place(new Picture(QString::fromLatin1(hc::pictures::kTitleArt), this), "Logo",
          QRect(0, 0, 632, 185), QStringLiteral("Honeycombwordsmiths"));
    place(new Picture(QString::fromLatin1(hc::pictures::kCheckerFloor), this), "CheckerFloor",
          QRect(0, 200, 632, 253), QStringLiteral("Checker floor"));

    auto* beePanel = place(new QWidget(this), "BeeAniPanel", QRect(17, 105, 237, 308),
                           QStringLiteral("Bee animation"));
    m_startPanel = place(new StartArea(this, [this] { StartPanelClick(); }), "StartPanel",
                         QRect(262, 309, 114, 126), QStringLiteral("Start"));
    makeNoisy(*m_startPanel, program.media());

    m_versionLabel = place(new QLabel(QStringLiteral("Version "), this), "VersionLabel",
                           QRect(432, 225, 153, 13));
    m_versionLabel->setFont(arialFont(11, true));
    m_versionLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette credit = m_versionLabel->palette();
    credit.setColor(QPalette::WindowText, kCreditColour);
    m_versionLabel->setPalette(credit);
    for (std::size_t i = 0; i < kCredits.size(); ++i) {
        const QByteArray name = "Label" + QByteArray::number(static_cast<int>(i) + 1);
        auto* label = place(new QLabel(QString::fromLatin1(kCredits[i]), this), name.constData(),
                            QRect(432, 249 + static_cast<int>(i) * 120 / 9, 153, 11));
        label->setFont(arialFont(9));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setPalette(credit);
    }

    auto makePlayer = [&](const char* name, QWidget* display) {
        auto* player = new hc::media::MediaPlayer(program.media(), this);
        player->setObjectName(QString::fromLatin1(name));
        player->setDeviceType(hc::media::DeviceType::AviVideo);
        player->setDisplay(display);
        // Both animations loop: play again whatever the result (not after a failure, which
        // would only fail again at once).
        connect(player, &hc::media::MediaPlayer::notified, this,
                [player](NotifyResult result) {
                    if (result != NotifyResult::Failed &&
                        player->mode() != hc::media::Mode::NotOpen) {
                        player->play(Notify::Yes);
                    }
                });
        return player;
    };
    m_beeAniPlayer = makePlayer("BeeAniPlayer", beePanel);
    m_startPlayer = makePlayer("StartPlayer", m_startPanel);
}

TTitleForm::~TTitleForm() {
    m_beeAniPlayer->close(Notify::No);
    m_startPlayer->close(Notify::No);
}

void TTitleForm::FormCreate() {
    m_beeAniFile.extract(hc::entries::kTitleBeeMovie);
    m_beeAniPlayer->setFileName(QString::fromStdString(m_beeAniFile.name()));
    m_beeAniPlayer->open(Notify::No);
    m_beeAniPlayer->play(Notify::Yes);

    m_startFile.extract(hc::entries::kStartMovie);
    m_startPlayer->setFileName(QString::fromStdString(m_startFile.name()));
    m_startPlayer->open(Notify::No);
    m_startPlayer->play(Notify::Yes);

    m_versionLabel->setText(m_versionLabel->text() + QLatin1String(kVersion));
    m_program.hideLoadingMessage();
    if (m_music.mode() != hc::media::Mode::NotOpen) {
        m_music.play(); // notifies as the main menu asked when it opened the music
    }
}

void TTitleForm::FormDestroy() {
    if (m_music.mode() != hc::media::Mode::NotOpen) {
        m_music.stop(Notify::No);
    }
    m_program.showLoadingMessage();
    m_beeAniPlayer->close(Notify::No);
    m_startPlayer->close(Notify::No);
    m_beeAniFile.release();
    m_startFile.release();
}

void TTitleForm::StartPanelClick() {
    closeScreen();
}

} // namespace hc::student
