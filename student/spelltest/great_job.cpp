#include "student/spelltest/great_job.h"

#include "archive/erf_reader.h"
#include "content/entry_names.h"
#include "platform/media/media_player.h"
#include "student/shell/program_state.h"
#include "student/shell/screen_kit.h"
#include "student/spelltest/test_rules.h"

#include <QCloseEvent>
#include <QFrame>

namespace hc::student {

using hc::media::Notify;

TGreatJob::TGreatJob(ProgramState& program, QWidget* parent)
    : ClosingOnPurposeDialog(parent), m_program(program) {
    setObjectName(QStringLiteral("GreatJob"));
    setUpWindow(*this, QStringLiteral("GreatJob"), QSize(322, 242), WindowKind::Frameless);
    setModal(true);

    // Panel1: a raised bevel 2 wide around Panel2, whose lowered bevel the movie covers.
    auto* outer = place(new QFrame(this), "Panel1", QRect(0, 0, 322, 242),
                        QStringLiteral("Great job"));
    outer->setFrameStyle(QFrame::Panel | QFrame::Raised);
    outer->setLineWidth(2);
    m_moviePanel = place(new QFrame(outer), "Panel2", QRect(2, 2, 318, 238),
                         QStringLiteral("Reward movie"));
    m_moviePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_moviePanel->setLineWidth(2);
    m_moviePanel->setAutoFillBackground(true);
    QPalette black = m_moviePanel->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_moviePanel->setPalette(black);

    m_player = new hc::media::MediaPlayer(program.media(), this);
    m_player->setObjectName(QStringLiteral("MoviePlayer"));
    m_player->setDeviceType(hc::media::DeviceType::AviVideo);
    m_player->setDisplay(m_moviePanel);
    connect(m_player, &hc::media::MediaPlayer::notified, this, &TGreatJob::MoviePlayerNotify);
}

TGreatJob::~TGreatJob() {
    m_player->close(Notify::No);
}

void TGreatJob::FormCreate() {
    m_rewardCount = 0;
    ErfForEachEntry(
        [](const char* name, void* count) {
            if (RewardChoice::isRewardMovie(name)) {
                ++*static_cast<int*>(count);
            }
            return 1;
        },
        &m_rewardCount);
    const int number =
        RewardChoice::next(m_program.rewardNumber, m_rewardCount, m_program.calendarTime());
    m_movieEntry = hc::entries::rewardMovie(number);

    m_movieFile.extract(m_movieEntry);
    m_player->setFileName(QString::fromStdString(m_movieFile.name()));
    m_player->open(Notify::No);
    m_player->play(Notify::Yes);
    m_program.hideLoadingMessage();
}

void TGreatJob::MoviePlayerNotify() {
    FormClose();
    // Only the end of the movie closes the reward: Escape and the window manager's close are
    // refused.
    closeScreen(QDialog::Accepted);
}

void TGreatJob::FormClose() {
    m_program.showLoadingMessage();
    m_player->close(Notify::No);
    m_movieFile.release();
}

} // namespace hc::student
