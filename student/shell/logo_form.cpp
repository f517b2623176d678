#include "student/shell/logo_form.h"

#include "content/entry_names.h"
#include "platform/media/media_player.h"
#include "student/shell/program_state.h"
#include "student/shell/screen_kit.h"

#include <QFrame>

namespace hc::student {

using hc::media::Notify;

TQRVlogoForm::TQRVlogoForm(ProgramState& program, QWidget* parent)
    : ClosingOnPurposeDialog(parent), m_program(program) {
    setObjectName(QStringLiteral("QRVlogoForm"));
    setUpWindow(*this, QStringLiteral("Brightquill"), QSize(320, 200), WindowKind::Frameless);
    setModal(true);

    // QRVpanel: a raised bevel around QRVpanel2, which has both bevels lowered; the movie
    // shows in QRVpanel2 from its top-left corner.
    auto* outer = place(new QFrame(this), "QRVpanel", QRect(0, 0, 320, 200));
    outer->setFrameStyle(QFrame::Panel | QFrame::Raised);
    outer->setLineWidth(1);
    m_moviePanel = place(new QFrame(outer), "QRVpanel2", QRect(1, 1, 318, 198),
                         QStringLiteral("Logo movie"));
    static_cast<QFrame*>(m_moviePanel)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_moviePanel->setAutoFillBackground(true);
    QPalette black = m_moviePanel->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_moviePanel->setPalette(black);

    m_player = new hc::media::MediaPlayer(program.media(), this);
    m_player->setObjectName(QStringLiteral("QRVlogoPlayer"));
    m_player->setDeviceType(hc::media::DeviceType::AviVideo);
    m_player->setDisplay(m_moviePanel);
    connect(m_player, &hc::media::MediaPlayer::notified, this,
            &TQRVlogoForm::QRVlogoPlayerNotify);
}

TQRVlogoForm::~TQRVlogoForm() {
    m_player->close(Notify::No);
}

void TQRVlogoForm::FormCreate() {
    m_movieFile.extract(hc::entries::kLogoMovie);
    m_player->setFileName(QString::fromStdString(m_movieFile.name()));
    m_player->open(Notify::No);
    m_player->play(Notify::Yes);
    m_program.hideLoadingMessage();
}

void TQRVlogoForm::FormDestroy() {
    m_program.showLoadingMessage();
    m_player->close(Notify::No);
    m_movieFile.release();
}

void TQRVlogoForm::QRVlogoPlayerNotify() {
    closeScreen();
}

} // namespace hc::student
