#pragma once

#include "platform/media/media_player.h"
#include "student/shell/extracted_file.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <vector>

class QFrame;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace hc::media {
class ClockTimer;
}

namespace hc::student {

class ProgramState;

// What differs between the narrator screens; everything else about the bee is the same on
// every screen.
struct NarratorSetup {
    // Prefix of the three players' object names: "" gives BeeGuide, BeeGuideTalk and BeeSound,
    // "Login" gives LoginBeeGuide, LoginBeeGuideTalk and LoginBeeSound.
    QString playerPrefix;
    // The clip spoken when the greeting timer fires (unless the screen installs its own
    // greeting with setGreeting()).
    QString greetingClip;
    std::chrono::milliseconds greetingInterval{1000};
    // Whether the greeting timer is switched on while the screen is created, and whether
    // enter() switches it on.
    bool greetingOnAtCreation = false;
    bool greetingOnEnter = false;
    // Whether leave() switches the greeting timer off (the main menu, whose greeting must not
    // come while another screen has taken its place).
    bool greetingOffOnLeave = false;

    // Help: a toggle (the main menu's help mode; the screen handles helpToggled()), a push
    // button speaking helpClip, or no Help button at all (the good-bye screen).
    enum class Help { Toggle, Push, None };
    Help help = Help::Push;
    QString helpClip;
    // Whether Enter may press the Help button when it is a dialog's focused or default
    // candidate (the puzzle's Help is never pressed by Enter by surprise).
    bool helpAutoDefault = true;

    // Widths of the bar's buttons; the panel itself is always 162 wide.
    int stopWidth = 48;
    int repeatWidth = 59;
    int helpWidth = 57;
};

// The narrator bee on the left of a screen: its panel (BeePanel with BeeAVIpanel, the memo
// BeeText and the bar BeeButtons with BeeStop, BeeRepeat and BeeHelp), its three players (the
// idle and talking animations, both shown in BeeAVIpanel, and the speech), the greeting timer
// BeeStartTimer, and the bee's state: Talking, LastClip and SpeechFile.
//
// The bee is Silent (idle animation looping while the screen shows) or Talking (speech
// playing, talking animation looping). speak() makes it talk, replacing any speech; a speech
// that ends successfully while the screen is visible makes it silent with the text kept; Stop
// makes it silent and clears the text. Notifications other than successful change nothing, so
// stopping or replacing a clip never starts an animation by itself.
//
// Errors (a missing clip, an unwritable temporary file, a player that cannot open) are raised
// as hc::Error from the operation that meets them; the steps after it are not carried out.
class Narrator : public QObject {
    Q_OBJECT

public:
    // Builds the panel as a child of `panelParent` (the screen places it: left edge, full
    // height, 162 wide). `screen` is the window whose visibility the handlers check. Nothing
    // is opened yet.
    Narrator(ProgramState& program, QWidget& screen, QWidget& panelParent,
             const NarratorSetup& setup);
    // Closes every player and deletes SpeechFile; never the shared animation files.
    ~Narrator() override;

    QFrame& panel() const { return *m_panel; }
    // BeeAVIpanel, where further animations of a screen may show too.
    QWidget& aviPanel() const { return *m_aviPanel; }
    QPlainTextEdit& memo() const { return *m_memo; }
    QPushButton& stopButton() const { return *m_stop; }
    QPushButton& repeatButton() const { return *m_repeat; }
    // Null on a screen without Help.
    QPushButton* helpButton() const { return m_help; }

    bool talking() const { return m_talking; }
    const QString& lastClip() const { return m_lastClip; }
    const std::string& speechFile() const { return m_speechFile.name(); }
    // True while both animations are open in this screen's players (from enter() to leave()).
    bool inPlace() const;
    // True while the greeting is pending or the bee talks: a screen's closing buttons refuse
    // clicks then.
    bool busy() const;

    // Speaks clip `clip`: its sound "bee\CLIP.wav" and its text "bee\CLIP.txt" in the memo,
    // with the talking animation.
    void speak(const QString& clip);

    // The screen's part of becoming active: opens the two shared animations in this screen's
    // players, starts the idle animation unless the bee talks, and switches the greeting timer
    // on where the setup says so. Showing the screen and hiding the loading message are the
    // screen's.
    void enter();
    // The narrator's part of a screen going away: switches the greeting timer off where the
    // setup says so, stops the speech (its player stays open) and closes both animations.
    // `Talking` keeps its value.
    void leave();
    // Closes the speech player and deletes SpeechFile (a screen's destruction).
    void releaseSpeech();
    // The end of the screen that owns the bee (the main menu's destruction): the greeting is
    // switched off, the speech stops, both animations close, and the speech is released.
    void shutDown();

    // Switches the greeting timer on (restarting its interval) or off, for a screen whose
    // greeting waits for its own start.
    void startGreeting();
    void stopGreeting();

    // A reaction of the bee: `reaction` is a movie shown in the bee's animation panel (the
    // spelling test's jump and head shake), opened by its screen. Any speech stops and its text
    // goes, the idle animation stops, the reaction plays; whenever it notifies, the idle
    // animation resumes.
    void playReaction(hc::media::MediaPlayer& reaction);
    // True while a reaction plays or the talking animation does (a speech begun meanwhile).
    bool reacting() const;

    // Replaces the greeting: run when the greeting timer fires, after the timer has been
    // switched off (by default: speak the setup's greeting clip).
    void setGreeting(std::function<void()> greeting) { m_greeting = std::move(greeting); }

signals:
    // A speech ended successfully and the bee has become silent (the good-bye screen starts
    // its exit timer from here).
    void speechFinished();
    // The Help toggle changed (Help::Toggle only); `down` is its new state.
    void helpToggled(bool down);

private:
    // The handlers of the narrator's buttons, players and greeting timer.
    void BeeStopClick();
    void BeeRepeatClick();
    void BeeGuideNotify(hc::media::NotifyResult result);
    void BeeGuideTalkNotify(hc::media::NotifyResult result);
    void BeeSoundNotify(hc::media::NotifyResult result);
    void OnBeeStartTimer();

    // Plays the idle animation, asking for its notification (the loop goes on from there).
    void playIdle();
    bool screenVisible() const;

    ProgramState& m_program;
    QWidget& m_screen;
    NarratorSetup m_setup;
    QFrame* m_panel = nullptr;
    QWidget* m_aviPanel = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_repeat = nullptr;
    QPushButton* m_help = nullptr;
    hc::media::MediaPlayer* m_idle = nullptr;
    hc::media::MediaPlayer* m_talk = nullptr;
    hc::media::MediaPlayer* m_sound = nullptr;
    hc::media::ClockTimer* m_startTimer = nullptr;
    std::function<void()> m_greeting;
    std::vector<hc::media::MediaPlayer*> m_reactions;

    bool m_talking = false;
    QString m_lastClip;
    ExtractedFile m_speechFile;
};

} // namespace hc::student
