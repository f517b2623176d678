#include "student/shell/main_menu.h"

#include "archive/error.h"
#include "archive/temp_files.h"
#include "content/entry_names.h"
#include "content/pictures.h"
#include "datafiles/settings.h"
#include "datafiles/usable_settings.h"
#include "platform/desktop/application.h"
#include "platform/media/clock_timer.h"
#include "platform/media/media_player.h"
#include "platform/media/media_system.h"
#include "student/login/login_form.h"
#include "student/phonogram/phono_form.h"
#include "student/progress/report_card.h"
#include "student/progress/word_form.h"
#include "student/shell/goodbye_form.h"
#include "student/shell/loading_message.h"
#include "student/shell/logo_form.h"
#include "student/shell/narrator.h"
#include "student/shell/program_state.h"
#include "student/shell/screen_kit.h"
#include "student/shell/title_form.h"
#include "student/shell/wallpaper.h"
#include "student/spelltest/word_test.h"

#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace hc::student {

using namespace std::chrono_literals;
using hc::media::Mode;
using hc::media::Notify;

namespace {

NarratorSetup mainMenuNarrator() {
    NarratorSetup setup;
    setup.greetingClip = QStringLiteral("mainmenu");
    setup.greetingInterval = 1000ms;
    setup.greetingOnEnter = true;
    setup.greetingOffOnLeave = true;
    setup.help = NarratorSetup::Help::Toggle;
    return setup;
}

QToolButton* activityButton(QWidget* parent, const QString& caption, const char* picture,
                            int iconSize) {
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setIcon(QIcon(QString::fromLatin1(picture)));
    button->setIconSize(QSize(iconSize, iconSize));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

// Runs the handler's part that may fail under the application's guard: an error is shown in
// the standard error box; true when it ran through.
bool guarded(ProgramState& program, const std::function<void()>& action) {
    return program.app().guard(action);
}

} // namespace

TMainMenuForm::TMainMenuForm(ProgramState& program) : m_program(program) {
    setObjectName(QStringLiteral("MainMenuForm"));
    setUpWindow(*this, QStringLiteral("Honeycombwordsmiths Main Menu"), QSize(493, 328),
                WindowKind::FixedMinimiseOnly);
    setFont(systemFont(11));

    m_narrator = new Narrator(program, *this, *this, mainMenuNarrator());
    m_narrator->panel().setGeometry(0, 0, 162, 328);
    m_narrator->setGreeting([this] {
        // Only a visible menu with its bee in place greets (a screen may have taken its place
        // within the second).
        if (isVisible() && m_narrator->inPlace()) {
            m_narrator->speak(QStringLiteral("mainmenu"));
        }
    });
    connect(m_narrator, &Narrator::helpToggled, this, &TMainMenuForm::BeeHelpClick);

    m_mainPanel = place(new QFrame(this), "MainPanel", QRect(162, 0, 331, 328));
    m_mainPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    place(new Picture(QString::fromLatin1(hc::pictures::kMainMenu), m_mainPanel), "Image1",
          QRect(2, 2, 327, 198), QStringLiteral("Main menu picture"));
    auto* bevel = place(new QFrame(m_mainPanel), "Bevel1", QRect(2, 200, 327, 88));
    bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);

    m_wordTestBtn = place(activityButton(m_mainPanel, QStringLiteral("Spelling Test"),
                                         hc::pictures::kSpellingTestButton, 64),
                          "WordTestBtn", QRect(48, 48, 105, 105));
    m_phonoBtn = place(activityButton(m_mainPanel, QStringLiteral("Phonogram Puzzle"),
                                      hc::pictures::kPhonogramButton, 64),
                       "PhonoBtn", QRect(176, 48, 105, 105));
    m_newUserBtn = place(activityButton(m_mainPanel, QStringLiteral("New User"),
                                        hc::pictures::kNewUserButton, 32),
                         "NewUserBtn", QRect(16, 216, 89, 57));
    m_reportCardBtn = place(activityButton(m_mainPanel, QStringLiteral("Report Card"),
                                           hc::pictures::kReportCardButton, 32),
                            "ReportCardBtn", QRect(120, 216, 89, 57));
    m_wordListBtn = place(activityButton(m_mainPanel, QStringLiteral("Word List"),
                                         hc::pictures::kWordListButton, 32),
                          "WordListBtn", QRect(224, 216, 89, 57));

    m_userBar = std::make_unique<UserBar>(*m_mainPanel, QRect(2, 288, 327, 38), 197);
    m_diskImage = m_userBar->diskImage;
    m_namePanel = m_userBar->namePanel;
    m_cancelBtn = m_userBar->cancelBtn;

    // The bottom bar's own controls keep the normal cursor in help mode.
    for (QWidget* keep : {static_cast<QWidget*>(m_diskImage), static_cast<QWidget*>(m_namePanel),
                          static_cast<QWidget*>(m_cancelBtn)}) {
        keep->setCursor(Qt::ArrowCursor);
    }

    setTabOrder(m_wordTestBtn, m_phonoBtn);
    setTabOrder(m_phonoBtn, m_newUserBtn);
    setTabOrder(m_newUserBtn, m_reportCardBtn);
    setTabOrder(m_reportCardBtn, m_wordListBtn);
    setTabOrder(m_wordListBtn, m_cancelBtn);

    for (QWidget* button : {static_cast<QWidget*>(m_cancelBtn),
                            static_cast<QWidget*>(m_newUserBtn), static_cast<QWidget*>(m_wordListBtn),
                            static_cast<QWidget*>(m_reportCardBtn),
                            static_cast<QWidget*>(m_wordTestBtn), static_cast<QWidget*>(m_phonoBtn)}) {
        makeNoisy(*button, program.media());
    }
    connect(m_newUserBtn, &QToolButton::clicked, this, &TMainMenuForm::NewUserBtnClick);
    connect(m_wordListBtn, &QToolButton::clicked, this, &TMainMenuForm::WordListBtnClick);
    connect(m_reportCardBtn, &QToolButton::clicked, this, &TMainMenuForm::ReportCardBtnClick);
    connect(m_wordTestBtn, &QToolButton::clicked, this, &TMainMenuForm::WordTestBtnClick);
    connect(m_phonoBtn, &QToolButton::clicked, this, &TMainMenuForm::PhonoBtnClick);
    connect(m_cancelBtn, &QPushButton::clicked, this, &TMainMenuForm::CancelBtnClick);

    m_music = new hc::media::MediaPlayer(program.media(), this);
    m_music->setObjectName(QStringLiteral("MusicPlayer"));
    m_music->setDeviceType(hc::media::DeviceType::Sequencer);
    connect(m_music, &hc::media::MediaPlayer::notified, this, &TMainMenuForm::MusicPlayerNotify);

    connect(&program, &ProgramState::currentUserChanged, this, &TMainMenuForm::showUser);
    showUser();
}

TMainMenuForm::~TMainMenuForm() {
    // FormDestroy. Nothing here may throw: the steps that can fail (opening players) are not
    // among them.
    m_narrator->shutDown();
    m_music->close(Notify::No);
    ReleaseTempFile(m_program.idleAnimationFile);
    ReleaseTempFile(m_program.talkAnimationFile);
    m_program.setLoadingMessage(nullptr);
    m_loading.reset();
    m_wallpaper.reset();
}

void TMainMenuForm::FormCreate() {
    // 1. The settings.
    const OptionsFileResult settings = OptionsFileLoad();
    if (settings != 0) {
        throw hc::Error(OptionsFileMessage(settings));
    }
    // A hand-made or foreign file may hold values the teacher's form never stores.
    hc::limitToUsableRanges(Settings);
    // 2. and 3. The wallpaper and the loading message show themselves at once.
    m_wallpaper = std::make_unique<TWallpaper>();
    m_wallpaper->show();
    m_wallpaper->repaint();
    m_loading = std::make_unique<TLoadingMsgForm>(m_program.media(), m_wallpaper.get());
    m_program.setLoadingMessage(m_loading.get());
    m_loading->show();
    m_loading->repaint();
    guarded(m_program, [this] { m_loading->FormCreate(); });

    // 4. The two bee animations for every narrator screen of the run.
    ExtractToTempFile(std::string(hc::entries::kBeeIdle), m_program.idleAnimationFile);
    ExtractToTempFile(std::string(hc::entries::kBeeTalk), m_program.talkAnimationFile);

    // 5. The logo. Without its movie it would wait for ever: it is then not shown.
    {
        TQRVlogoForm logo(m_program);
        if (guarded(m_program, [&] { logo.FormCreate(); })) {
            logo.exec();
        }
        guarded(m_program, [&] { logo.FormDestroy(); });
    }

    // 6. The title music, opened; the title screen starts it and asks for its end.
    m_musicFile.extract(hc::entries::kTitleMusic);
    m_music->setFileName(QString::fromStdString(m_musicFile.name()));
    m_music->open(Notify::No);
    m_music->requestNotify();

    // 7. The title, until the start area is clicked or the music ends.
    {
        TTitleForm title(m_program, *m_music);
        m_title = &title;
        guarded(m_program, [&] { title.FormCreate(); });
        title.exec();
        m_title = nullptr;
        guarded(m_program, [&] { title.FormDestroy(); });
    }

    // 8. The music is done with.
    m_music->close(Notify::No);
    m_musicFile.release();

    // 9. to 11. The login; cancelled, the program says good-bye without the menu being seen.
    if (!firstLogin()) {
        m_endRequested = true;
        move(-1000, -1000);
        m_program.media().playProgramSound(QStringLiteral("IDWAV_BYE"));
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
    EnterScreen();
}

bool TMainMenuForm::firstLogin() {
    TLoginForm login(m_program);
    guarded(m_program, [&] { login.FormCreate(); });
    const bool ok = login.exec() == QDialog::Accepted;
    guarded(m_program, [&] { login.FormDestroy(); });
    return ok;
}

void TMainMenuForm::EnterScreen() {
    // When the end is requested the program ends as soon as the event loop runs: the menu is
    // never seen.
    enterScreen(*this, *m_narrator, m_program, !m_endRequested);
}

void TMainMenuForm::LeaveScreen() {
    leaveScreen(*this, *m_narrator, m_program, Leaving::Hide);
}

void TMainMenuForm::closeMenu() {
    m_endRequested = true;
    closeScreen();
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TMainMenuForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        CancelBtnClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TMainMenuForm::showUser() {
    m_userBar->showUser(m_program);
}

void TMainMenuForm::MusicPlayerNotify() {
    if (m_music->mode() != Mode::NotOpen && m_title != nullptr) {
        m_title->closeScreen();
    }
}

void TMainMenuForm::BeeHelpClick(bool down) {
    if (down) {
        m_narrator->speak(QStringLiteral("cntxthlp"));
    }
    // The panel and the controls directly in it; the bottom bar's own controls keep theirs.
    const QCursor cursor = down ? QCursor(Qt::WhatsThisCursor) : QCursor(Qt::ArrowCursor);
    m_mainPanel->setCursor(cursor);
    for (QObject* child : m_mainPanel->children()) {
        if (auto* widget = qobject_cast<QWidget*>(child)) {
            widget->setCursor(cursor);
        }
    }
}

bool TMainMenuForm::helpInstead(const char* clip) {
    QPushButton* help = m_narrator->helpButton();
    if (help == nullptr || !help->isChecked()) {
        return false;
    }
    m_narrator->speak(QString::fromLatin1(clip));
    help->setChecked(false);
    BeeHelpClick(false);
    return true;
}

template <class Screen> void TMainMenuForm::replaceWith(bool showAfterFailedCreation) {
    LeaveScreen();
    std::unique_ptr<Screen> screen;
    if (!guarded(m_program, [&] { screen = std::make_unique<Screen>(m_program); })) {
        EnterScreen();
        return;
    }
    // Modal from the start: the window FormCreate shows is the one exec() runs, never unmapped
    // and mapped again at once, which a window manager can lose (the screen then stays
    // invisible with the menu gone).
    screen->setModal(true);
    const bool created = guarded(m_program, [&] { screen->FormCreate(); });
    if (created || showAfterFailedCreation) {
        screen->exec();
    }
    guarded(m_program, [&] { screen->FormDestroy(); });
    screen.reset();
    EnterScreen();
}

template <class Screen> void TMainMenuForm::openOver() {
    std::unique_ptr<Screen> screen;
    if (!guarded(m_program, [&] { screen = std::make_unique<Screen>(m_program, this); })) {
        return;
    }
    guarded(m_program, [&] { screen->FormCreate(); });
    screen->exec();
}

void TMainMenuForm::NewUserBtnClick() {
    if (helpInstead("hlpusr")) {
        return;
    }
    // A login whose list could not be filled still shows, so the child can make a new user.
    replaceWith<TLoginForm>(true);
}

void TMainMenuForm::WordListBtnClick() {
    if (helpInstead("hlplist")) {
        return;
    }
    openOver<TWordForm>();
}

void TMainMenuForm::ReportCardBtnClick() {
    if (helpInstead("hlpreprt")) {
        return;
    }
    openOver<TReportCard>();
}

void TMainMenuForm::WordTestBtnClick() {
    if (helpInstead("spelmhlp")) {
        return;
    }
    replaceWith<TWordTest>(false);
}

void TMainMenuForm::PhonoBtnClick() {
    if (helpInstead("phonmhlp")) {
        return;
    }
    replaceWith<TPhonoForm>(false);
}

void TMainMenuForm::CancelBtnClick() {
    if (m_narrator->busy()) {
        return;
    }
    TGoodByeForm goodBye(m_program, *this);
    guarded(m_program, [&] { goodBye.FormCreate(); });
    goodBye.exec();
    guarded(m_program, [&] { goodBye.FormDestroy(); });
}

} // namespace hc::student
