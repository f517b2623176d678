#pragma once

#include "student/phonogram/phono_puzzle.h"
#include "student/shell/extracted_file.h"
#include "student/shell/screen_kit.h"

#include <QDialog>
#include <QPoint>

#include <array>

class QAbstractButton;
class QLabel;

namespace hc::media {
class ClockTimer;
class MediaPlayer;
enum class NotifyResult;
} // namespace hc::media

namespace hc::controls {
class TDigitBox;
}

namespace hc::student {

class Narrator;
class PictureBox;
class ProgramState;

// The phonogram puzzle. After the opening movie and the bee's greeting, Go deals 32 phonogram
// cards onto the board and hides the 16 pieces of a picture behind 16 of them; the screen then
// says one of those phonograms. A click on its card turns the card into its piece, which flies
// into the 4 x 4 frame; a wrong click makes the right card flash. When the picture is whole its
// movie plays and the result goes into the child's record. Exit plays the closing movie and
// then ends the screen; an unfinished puzzle stores nothing.
//
// The rules are PhonoPuzzle's; this class shows them. Cards fly and flash on timers of the
// media clock, and the steps that wait for a card to land, for the flashing to end or for the
// puzzle movie to stop handle events meanwhile, so Repeat, Exit and the bee stay alive. Once
// Exit has been accepted no question is asked or sounded any more.
class TPhonoForm : public ClosingOnPurposeDialog {
    Q_OBJECT

public:
    static constexpr int kCards = PhonoPuzzle::kCards;
    // Milliseconds between two steps of a flying card (16 pixels a step) and between two
    // colour changes of a flashing card.
    static constexpr int kCardStepMs = 25;
    static constexpr int kFlashStepMs = 170;
    static constexpr int kFlashTicks = 10;

    explicit TPhonoForm(ProgramState& program, QWidget* parent = nullptr);
    ~TPhonoForm() override;

    // Loads the phonogram table (its failure keeps the screen from opening), counts the
    // puzzles, opens the screen movie and the phonogram sounds, and enters the screen.
    void FormCreate();
    // Closes the players, deletes their files and leaves the screen.
    void FormDestroy();

    // The handlers (public for tests and keyboard equivalents).
    void GoButtonClick();
    void RepeatBtnClick();
    void PhonoClick(int card);
    void CancelBtnClick();

    // Where card `card` lies on the board, and where piece `piece` lies in the picture frame,
    // in PuzPanel's coordinates.
    static QPoint boardPlace(int card);
    static QPoint framePlace(int piece);

    Narrator& narrator() const { return *m_narrator; }
    const PhonoPuzzle& puzzle() const { return m_puzzle; }
    QAbstractButton& card(int n) const { return *m_cards.at(static_cast<std::size_t>(n)).panel; }
    hc::media::MediaPlayer& phonoVidPlayer() const { return *m_phonoVidPlayer; }
    hc::media::MediaPlayer& phonoSnd() const { return *m_phonoSnd; }
    hc::media::MediaPlayer& puzzleVidPlayer() const { return *m_puzzleVidPlayer; }
    hc::media::ClockTimer& cardTimer() const { return *m_cardTimer; }
    // True once Exit has been accepted (the closing movie runs).
    bool closing() const { return m_closing; }
    // Ticks of flashing left.
    int flashCount() const { return m_flashCount; }


protected:
    void escapeOrCloseBox() override; // Escape and the window's close: as Exit

private:
    struct PhonoCard {
        QAbstractButton* panel = nullptr;
        PictureBox* image = nullptr;
        QPoint target;
        QPoint parked;
    };

    void greet();
    void PhonoVidPlayerNotify(hc::media::NotifyResult result);
    void CardTimerTimer();
    void FlashTimerTimer();
    void askNextQuestion();
    void finishPuzzle();
    void playPhonogram(int index);
    void showCounts();
    void setGoAvailable(bool available);
    void setRepeatAvailable(bool available);
    void setTarget(PhonoCard& card, QPoint target);
    bool atTarget(const PhonoCard& card) const;
    bool allAtTargets() const;
    void setCardColour(int card, const QColor& colour);

    ProgramState& m_program;
    LibraryRandom m_random;
    PhonoPuzzle m_puzzle;
    Narrator* m_narrator = nullptr;

    QWidget* m_puzPanel = nullptr;
    QAbstractButton* m_goButton = nullptr;
    PictureBox* m_goImage = nullptr;
    PictureBox* m_goDark = nullptr;
    QAbstractButton* m_repeatBtn = nullptr;
    PictureBox* m_repeatImg = nullptr;
    PictureBox* m_repeatDark = nullptr;
    QWidget* m_phonoVid = nullptr;
    QWidget* m_puzzleVidPanel = nullptr;
    std::array<PhonoCard, kCards> m_cards{};
    hc::controls::TDigitBox* m_totalBox = nullptr;
    hc::controls::TDigitBox* m_correctBox = nullptr;
    hc::controls::TDigitBox* m_percentBox = nullptr;
    QWidget* m_diskImage = nullptr;
    QLabel* m_namePanel = nullptr;
    QAbstractButton* m_cancelBtn = nullptr;

    hc::media::MediaPlayer* m_phonoVidPlayer = nullptr;
    hc::media::MediaPlayer* m_phonoSnd = nullptr;
    hc::media::MediaPlayer* m_puzzleVidPlayer = nullptr;
    hc::media::ClockTimer* m_cardTimer = nullptr;
    hc::media::ClockTimer* m_flashTimer = nullptr;

    ExtractedFile m_phonoVidFile;
    ExtractedFile m_phonoSndFile;
    ExtractedFile m_puzzleVidFile;

    int m_flashCount = 0;
    bool m_closing = false;
};

} // namespace hc::student
