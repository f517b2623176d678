#pragma once

#include "student/shell/extracted_file.h"

#include "student/shell/screen_kit.h"

namespace hc::media {
class MediaPlayer;
}

namespace hc::student {

class ProgramState;

// The maker's logo movie, played once at start in a borderless window. It ends when the movie
// ends; no click or key ends it earlier.
class TQRVlogoForm : public ClosingOnPurposeDialog {
    Q_OBJECT

public:
    explicit TQRVlogoForm(ProgramState& program, QWidget* parent = nullptr);
    ~TQRVlogoForm() override;

    // Extracts and starts the movie, then hides the loading message. Raises hc::Error when the
    // movie cannot be extracted or opened; the screen then has nothing to wait for and its
    // opener does not show it.
    void FormCreate();
    // Shows the loading message and closes the player; the file goes with the screen.
    void FormDestroy();

    hc::media::MediaPlayer& player() const { return *m_player; }

private:
    void QRVlogoPlayerNotify();

    ProgramState& m_program;
    QWidget* m_moviePanel = nullptr;
    hc::media::MediaPlayer* m_player = nullptr;
    ExtractedFile m_movieFile;
};

} // namespace hc::student
