#pragma once

#include <QObject>
#include <QString>

#include <ctime>
#include <functional>
#include <string>

namespace hc::media {
class MediaSystem;
}

namespace hc {
class Application;
}

namespace hc::student {

class TLoadingMsgForm;

// Everything of the student program that lives for the whole run and that more than one screen
// needs: the media system (its clock drives every player and screen timer), the current user,
// the two bee animations shared by every narrator screen, the reward and puzzle numbers, and
// the loading message. The program's settings are the library's `Settings` and the open
// archive the library's reader; both are loaded once before any screen uses them.
//
// The main menu owns the one instance and passes it to every screen it creates; nothing
// reaches it through a global.
class ProgramState : public QObject {
    Q_OBJECT

public:
    // `media` and `app` must outlive the state.
    ProgramState(hc::Application& app, hc::media::MediaSystem& media);
    ~ProgramState() override;

    hc::Application& app() const { return m_app; }
    hc::media::MediaSystem& media() const { return m_media; }

    // The current user: the name exactly as chosen (8-bit, as the user file stores it), the
    // user file that holds the record, and whether that file is the floppy copy. Set by the
    // login screen; the record itself is the library's `CurrentUser`.
    const std::string& currentUserName() const { return m_userName; }
    const std::string& currentUserFile() const { return m_userFile; }
    bool userOnDisk() const { return m_userOnDisk; }
    // The name as the screens show it.
    QString userDisplayName() const;
    void setCurrentUser(const std::string& name, const std::string& file, bool onDisk);

    // The temporary files holding "bee\bee.avi" and "bee\beetalk.avi", extracted once by the
    // main menu and deleted by it; every narrator screen only opens them.
    std::string idleAnimationFile;
    std::string talkAnimationFile;

    // The reward movie and the puzzle shown last in this run, -1 before the first.
    int rewardNumber = -1;
    int puzzleNumber = -1;

    // The calendar time in seconds that first choices are taken from (time() in a real run;
    // tests fix it).
    std::function<std::time_t()> calendarTime = [] { return std::time(nullptr); };

    // The loading message, while the main menu has one (it creates and destroys it).
    void setLoadingMessage(TLoadingMsgForm* message) { m_loading = message; }
    // Shows the loading message and paints it at once, so it is seen during the work that
    // follows before the event loop runs again.
    void showLoadingMessage();
    void hideLoadingMessage();
    bool loadingMessageVisible() const;

signals:
    void currentUserChanged();

private:
    hc::Application& m_app;
    hc::media::MediaSystem& m_media;
    std::string m_userName;
    std::string m_userFile;
    bool m_userOnDisk = false;
    TLoadingMsgForm* m_loading = nullptr;
};

} // namespace hc::student
