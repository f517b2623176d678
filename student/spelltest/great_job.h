#pragma once

#include "student/shell/extracted_file.h"
#include "student/shell/screen_kit.h"

class QFrame;

namespace hc::media {
class MediaPlayer;
}

namespace hc::student {

class ProgramState;

// The reward movie: a borderless window that plays one of the archive's reward movies and
// closes itself when the movie ends, whatever the end. Successive rewards of a run show the
// movies in turn (the program state's rewardNumber), the first one chosen by the clock.
//
// The spelling test creates it while it has hidden itself behind the loading message, runs
// FormCreate under the error guard, shows it modally only when that succeeded, and destroys
// it afterwards.
class TGreatJob : public ClosingOnPurposeDialog {
    Q_OBJECT

public:
    explicit TGreatJob(ProgramState& program, QWidget* parent = nullptr);
    ~TGreatJob() override;

    // Counts the reward movies, chooses the next one, extracts and opens it, starts it and
    // hides the loading message. Raises hc::Error when the movie cannot be extracted or
    // opened (no movie at all asks for movie 0, which is missing); nothing then plays.
    void FormCreate();

    hc::media::MediaPlayer& player() const { return *m_player; }
    // The archive entry chosen by FormCreate.
    const std::string& movieEntry() const { return m_movieEntry; }
    int rewardCount() const { return m_rewardCount; }

    // The end of the movie, whatever its result: FormClose, then the modal showing ends.
    void MoviePlayerNotify();

private:
    // Shows the loading message (the spelling test hides it again when it comes back), closes
    // the player and deletes the movie's file.
    void FormClose();

    ProgramState& m_program;
    QFrame* m_moviePanel = nullptr;
    hc::media::MediaPlayer* m_player = nullptr;
    ExtractedFile m_movieFile;
    std::string m_movieEntry;
    int m_rewardCount = 0;
};

} // namespace hc::student
