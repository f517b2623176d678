#pragma once

#include "student/shell/extracted_file.h"

#include <QWidget>

class QLabel;

namespace hc::media {
class MediaPlayer;
class MediaSystem;
} // namespace hc::media

namespace hc::student {

class TWallpaper;

// The small borderless window that shows while one screen gives way to another: a caption bar
// and a looping animation. It stays on top, centred, and makes the wallpaper repaint whenever
// it is shown or hidden.
class TLoadingMsgForm : public QWidget {
    Q_OBJECT

public:
    TLoadingMsgForm(hc::media::MediaSystem& media, TWallpaper* wallpaper,
                    QWidget* parent = nullptr);
    ~TLoadingMsgForm() override;

    // Extracts "movies\loading.avi" and starts it looping. Raises hc::Error when the entry or
    // the player fails; the still picture then stays.
    void FormCreate();

    hc::media::MediaPlayer& animPlayer() const { return *m_animPlayer; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void AnimPlayerNotify();
    void ShowHide();

    TWallpaper* m_wallpaper;
    hc::media::MediaPlayer* m_animPlayer = nullptr;
    ExtractedFile m_animFile;
};

} // namespace hc::student
