#pragma once

#include "student/shell/extracted_file.h"

#include "student/shell/screen_kit.h"

class QLabel;

namespace hc::media {
class MediaPlayer;
}

namespace hc::student {

class ProgramState;

// The title: the product's title art with two looping animations and the credits, shown while
// the title music plays. It ends at a click on the start area or when the music ends (the main
// menu closes it then).
class TTitleForm : public ClosingOnPurposeDialog {
    Q_OBJECT

public:
    // `music` is the main menu's music player, opened and waiting to be started. On a desktop of
    // exactly 640 x 480 the screen fills it without a border.
    TTitleForm(ProgramState& program, hc::media::MediaPlayer& music, QWidget* parent = nullptr);
    ~TTitleForm() override;

    // Starts both animations, completes the version label, hides the loading message and
    // starts the music. Raises hc::Error when an animation cannot be extracted or opened.
    void FormCreate();
    // Stops the music, shows the loading message and closes both players.
    void FormDestroy();

    QWidget& startPanel() const { return *m_startPanel; }
    hc::media::MediaPlayer& beeAniPlayer() const { return *m_beeAniPlayer; }
    hc::media::MediaPlayer& startPlayer() const { return *m_startPlayer; }

    // Ends the title (the start area, or the music's end).
    void StartPanelClick();

private:
    ProgramState& m_program;
    hc::media::MediaPlayer& m_music;
    QWidget* m_startPanel = nullptr;
    QLabel* m_versionLabel = nullptr;
    hc::media::MediaPlayer* m_beeAniPlayer = nullptr;
    hc::media::MediaPlayer* m_startPlayer = nullptr;
    ExtractedFile m_beeAniFile;
    ExtractedFile m_startFile;
};

} // namespace hc::student
