#pragma once

#include "student/shell/extracted_file.h"
#include "student/shell/screen_kit.h"

#include <functional>
#include <memory>

class QDialog;
class QFrame;
class QLabel;
class QPushButton;
class QToolButton;

namespace hc::media {
class MediaPlayer;
}

namespace hc::student {

class Narrator;
class ProgramState;
class TLoadingMsgForm;
class TTitleForm;
class TWallpaper;

// The student program's hub and main window. Creating it (FormCreate) runs the opening
// sequence: settings, wallpaper, loading message, the shared bee animations, logo, title with
// music and login. It then offers the activities, each a screen of its own that it creates,
// shows modally and destroys; the spelling test, the phonogram puzzle, a new login and the
// good-bye screen take its place between LeaveScreen and EnterScreen, the word list and the
// report card open over it. It closes only through the good-bye screen (closeMenu()).
class TMainMenuForm : public ClosingOnPurposeWindow {
    Q_OBJECT

public:
    explicit TMainMenuForm(ProgramState& program);
    // FormDestroy: leaves the screen, deletes the shared animations and the speech file,
    // destroys the loading message and the wallpaper.
    ~TMainMenuForm() override;

    // The opening sequence. Raises hc::Error when a step of its own fails (the settings, the
    // shared animations, the music); the steps after it are not carried out. Errors of the
    // logo and title screens' creation are shown and those screens end at once or wait for
    // the start area, and the sequence goes on.
    void FormCreate();

    // The screen operations other screens use.
    void EnterScreen();
    void LeaveScreen();
    // Closes the main menu, which ends the program.
    void closeMenu();
    // True once the program has been told to end (a cancelled first login, or Yes on the
    // good-bye screen).
    bool endRequested() const { return m_endRequested; }

    Narrator& narrator() const { return *m_narrator; }
    hc::media::MediaPlayer& musicPlayer() const { return *m_music; }
    TWallpaper* wallpaper() const { return m_wallpaper.get(); }
    TLoadingMsgForm* loadingMessage() const { return m_loading.get(); }

    // The button handlers (public for tests and for keyboard equivalents).
    void NewUserBtnClick();
    void WordListBtnClick();
    void ReportCardBtnClick();
    void WordTestBtnClick();
    void PhonoBtnClick();
    void CancelBtnClick();
    void BeeHelpClick(bool down);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void MusicPlayerNotify();
    void showUser();
    // In help mode: speaks the button's clip, releases Help and restores the cursors. True
    // when the button must not act.
    bool helpInstead(const char* clip);
    // Runs a screen that takes the menu's place: LeaveScreen, construct (a failure there brings
    // the menu back at once), FormCreate under the error guard, hidden, shown modally unless
    // its creation failed and `showAfterFailedCreation` is false, FormDestroy, EnterScreen.
    template <class Screen> void replaceWith(bool showAfterFailedCreation);
    // Runs a screen over the visible menu.
    template <class Screen> void openOver();
    // The login at start; false when it was cancelled.
    bool firstLogin();

    ProgramState& m_program;
    Narrator* m_narrator = nullptr;
    QFrame* m_mainPanel = nullptr;
    QToolButton* m_wordTestBtn = nullptr;
    QToolButton* m_phonoBtn = nullptr;
    QToolButton* m_newUserBtn = nullptr;
    QToolButton* m_reportCardBtn = nullptr;
    QToolButton* m_wordListBtn = nullptr;
    std::unique_ptr<UserBar> m_userBar;
    QPushButton* m_cancelBtn = nullptr;
    QWidget* m_diskImage = nullptr;
    QLabel* m_namePanel = nullptr;
    hc::media::MediaPlayer* m_music = nullptr;
    ExtractedFile m_musicFile;
    std::unique_ptr<TWallpaper> m_wallpaper;
    std::unique_ptr<TLoadingMsgForm> m_loading;
    TTitleForm* m_title = nullptr; // the title screen while it is up
    bool m_endRequested = false;
};

} // namespace hc::student
