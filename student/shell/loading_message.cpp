#include "student/shell/loading_message.h"

#include "content/entry_names.h"
#include "content/pictures.h"
#include "platform/media/media_player.h"
#include "student/shell/screen_kit.h"
#include "student/shell/wallpaper.h"

#include <QFrame>
#include <QLabel>

namespace hc::student {
namespace {

using hc::media::Notify;
using hc::media::NotifyResult;

// The small title bar: an active window's caption colours.
const QColor kCaptionColour(0x00, 0x00, 0x80);
const QColor kCaptionTextColour(Qt::white);

} // namespace

TLoadingMsgForm::TLoadingMsgForm(hc::media::MediaSystem& media, TWallpaper* wallpaper,
                                 QWidget* parent)
    : QWidget(parent), m_wallpaper(wallpaper) {
    setObjectName(QStringLiteral("LoadingMsgForm"));
    setUpWindow(*this, QStringLiteral("Loading"), QSize(144, 63), WindowKind::Frameless);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(systemFont());

    // Panel1: a lowered bevel with a border of 3 around the two panels inside.
    auto* panel1 = place(new QFrame(this), "Panel1", QRect(0, 0, 144, 63));
    panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel1->setLineWidth(1);

    auto* panel2 = place(new QLabel(QStringLiteral("Honeycombwordsmiths"), panel1), "Panel2",
                         QRect(4, 4, 136, 20));
    panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel2->setAlignment(Qt::AlignCenter);
    panel2->setAutoFillBackground(true);
    panel2->setFont(systemFont(11));
    QPalette caption = panel2->palette();
    caption.setColor(QPalette::Window, kCaptionColour);
    caption.setColor(QPalette::WindowText, kCaptionTextColour);
    panel2->setPalette(caption);
    QFont bold = panel2->font();
    bold.setBold(true);
    panel2->setFont(bold);

    auto* panel3 = place(new QWidget(panel1), "Panel3", QRect(5, 25, 134, 33),
                         QStringLiteral("Loading animation"));
    panel3->setAutoFillBackground(true);
    QPalette black = panel3->palette();
    black.setColor(QPalette::Window, Qt::black);
    panel3->setPalette(black);
    place(new Picture(QString::fromLatin1(hc::pictures::kLoadingStill), panel3), "StillImg",
          QRect(0, 0, 134, 33));

    m_animPlayer = new hc::media::MediaPlayer(media, this);
    m_animPlayer->setObjectName(QStringLiteral("AnimPlayer"));
    m_animPlayer->setDeviceType(hc::media::DeviceType::AviVideo);
    m_animPlayer->setDisplay(panel3);
    connect(m_animPlayer, &hc::media::MediaPlayer::notified, this,
            [this](NotifyResult result) {
                // A file that fails to play would fail again at once: the still stays instead
                // of a loop of failures.
                if (result != NotifyResult::Failed) {
                    AnimPlayerNotify();
                }
            });
}

TLoadingMsgForm::~TLoadingMsgForm() {
    // FormDestroy: the player closes before its file goes (the file's member goes after).
    m_animPlayer->close(Notify::No);
}

void TLoadingMsgForm::FormCreate() {
    m_animFile.extract(hc::entries::kLoadingMovie);
    m_animPlayer->setFileName(QString::fromStdString(m_animFile.name()));
    m_animPlayer->open(Notify::No);
    m_animPlayer->play(Notify::Yes);
}

void TLoadingMsgForm::AnimPlayerNotify() {
    if (m_animPlayer->mode() != hc::media::Mode::NotOpen) {
        m_animPlayer->play(Notify::Yes);
    }
}

void TLoadingMsgForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ShowHide();
}

void TLoadingMsgForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    ShowHide();
}

void TLoadingMsgForm::ShowHide() {
    if (m_wallpaper != nullptr && m_wallpaper->isVisible()) {
        m_wallpaper->repaint();
    }
}

} // namespace hc::student
