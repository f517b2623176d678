#include "options/opt_form.h"

#include "options/form_rules.h"
#include "options/form_support.h"
#include "options/pages/activity_pages.h"
#include "options/pages/directories_page.h"
#include "options/pages/security_page.h"
#include "options/pages/users_page.h"
#include "options/pages/word_list_page.h"

#include "archive/error.h"
#include "content/pictures.h"
#include "datafiles/settings.h"
#include "platform/desktop/application.h"
#include "platform/desktop/ui_kit.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QProxyStyle>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

#include <initializer_list>
#include <utility>

namespace hc {

namespace {

// The pages, in tab order.
enum Page {
    SecurityTab,
    DirectoriesTab,
    UsersTab,
    WordListTab,
    SpellingTestTab,
    PhonogramPuzzleTab
};

// The layout, in logical pixels; the pages lay out their own controls.
constexpr QSize kClientSize(406, 296);
constexpr QRect kPageControl(4, 4, 398, 252);
constexpr QRect kCancelBtn(238, 264, 78, 25);
constexpr QRect kOkBtn(322, 264, 78, 25);

// Tabs as narrow as their captions allow, so that all six pages' tabs fit the form's width.
class CompactTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace) {
            return 10;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QString realFileDialog(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title, request.startFolder, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

TOptForm::TOptForm(Application& application, TUserPrintForm& userPrint, TWordPrintForm& wordPrint,
                   QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_application(application), m_fileDialog(realFileDialog) {
    setObjectName("OptForm");
    setFont(systemFont());
    pictures::registerPictures();
    setWindowTitle(kCaption);
    setFixedSize(kClientSize);
    setModal(false);

    m_pageControl = place(new QTabWidget(this), "PageControl", kPageControl);
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(m_pageControl);
    m_pageControl->tabBar()->setStyle(tabStyle);
    // The pages' open dialogs come up over the form.
    const ChooseFile chooseFile = [this](const FileDialogRequest& request) {
        return m_fileDialog(this, request);
    };
    m_security = new SecurityPage(application);
    m_directories = new DirectoriesPage(application, chooseFile);
    m_users = new UsersPage(application, userPrint);
    m_wordList = new WordListPage(application, wordPrint, [this, chooseFile] {
        return chooseFile({"Import Word List", "Text files (*.TXT *.txt)", "TXT",
                           m_directories->wordListFolder()});
    });
    m_spellingTest = new SpellingTestPage(application);
    m_phonogramPuzzle = new PhonogramPuzzlePage(application);
    m_pageControl->addTab(m_security, "Security");
    m_pageControl->addTab(m_directories, "Directories");
    m_pageControl->addTab(m_users, "Users");
    m_pageControl->addTab(m_wordList, "Word List");
    m_pageControl->addTab(m_spellingTest, "Spelling Test");
    m_pageControl->addTab(m_phonogramPuzzle, "Phonogram Puzzle");
    m_pageControl->setCurrentIndex(SecurityTab);
    connect(m_pageControl, &QTabWidget::currentChanged, this,
            [this](int index) { pageChanged(index); });

    auto* cancelBtn = place(new QPushButton("Cancel", this), "CancelBtn", kCancelBtn);
    auto* okBtn = place(new QPushButton("Exit", this), "OkBtn", kOkBtn);
    okBtn->setDefault(true);
    connect(cancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
    connect(okBtn, &QPushButton::clicked, this,
            [this] { m_application.guard([this] { OkBtnClick(); }); });
}

TOptForm::~TOptForm() = default;

void TOptForm::FormCreate() {
    const SettingsLoad load = loadSettings();
    if (load.result != OptionsFileOk) {
        if (!load.passwordRead()) {
            throw Error(OptionsFileMessage(load.result));
        }
        // A damaged file that still held its password (the gate asked for it): what it held
        // shows in the fields, so that Exit, even with nothing retyped, writes a sound file.
        Settings = repairedSettings(Settings, load);
    }
    for (OptionsPage* page : std::initializer_list<OptionsPage*>{
             m_security, m_directories, m_wordList, m_spellingTest, m_phonogramPuzzle}) {
        page->fill(Settings);
    }
    if (load.result != OptionsFileOk) {
        // The user list then comes when its page is entered.
        throw Error(OptionsFileMessage(load.result));
    }
    m_users->fill(Settings);
}

void TOptForm::setFileDialog(FileDialog dialog) {
    m_fileDialog = dialog ? std::move(dialog) : FileDialog(realFileDialog);
}

void TOptForm::setPracticeListDialogs(PeriodDialog period, SaveListDialog file) {
    m_users->setPracticeListDialogs(std::move(period), std::move(file));
}

// --- Pages ----------------------------------------------------------------------------------

void TOptForm::pageChanged(int index) {
    if (index == m_currentPage) {
        return;
    }
    const int leaving = m_currentPage;
    m_application.guard([&] {
        // Only the Word List page asks before it is left. The question is asked over it, and it
        // stays if the change is refused.
        if (leaving == WordListTab) {
            {
                const QSignalBlocker blocker(m_pageControl);
                m_pageControl->setCurrentIndex(leaving);
            }
            if (!m_wordList->mayLeave()) {
                m_wordList->setFocus();
                return;
            }
            const QSignalBlocker blocker(m_pageControl);
            m_pageControl->setCurrentIndex(index);
        }
        m_currentPage = index;
        PageControlChange();
    });
}

void TOptForm::PageControlChange() {
    // The pages that read the file-name fields take them over first.
    switch (m_pageControl->currentIndex()) {
    case WordListTab:
        m_directories->takeOver({DirectoriesPage::WordFile});
        m_wordList->fill(Settings);
        break;
    case UsersTab:
        if (m_directories->takeOver({DirectoriesPage::HDfile, DirectoriesPage::FloppyFile})) {
            m_users->fill(Settings);
        }
        break;
    default:
        break;
    }
}

// --- Exit and Cancel ------------------------------------------------------------------------

bool TOptForm::refused(const std::optional<std::string>& problem) {
    if (problem) {
        showMessage(m_application.messageBoxes(), QString::fromStdString(*problem), kCaption,
                    MessageIcon::Error);
    }
    return problem.has_value();
}

void TOptForm::OkBtnClick() {
    // Everything is checked before anything is written: a refused value, or a file that may not
    // be replaced, leaves the word list file and OPTIONS.DAT as they were.
    if (refused(m_directories->problem())) {
        return;
    }
    // The memo's words go only to the file they belong to, when the teacher changed them, or
    // to a list that does not exist yet.
    const std::string wordFile = m_directories->stored(DirectoriesPage::WordFile).bytes;
    const bool writeWords = m_wordList->writesTo(wordFile);
    if (writeWords && refused(m_wordList->problem())) {
        return;
    }
    // The two activities' values are judged together: their weights cannot both be 0.
    TestValues values;
    m_spellingTest->read(values);
    m_phonogramPuzzle->read(values);
    if (refused(testValuesProblem(values))) {
        return;
    }
    if (optionsFileLocked()) {
        throw Error(OptionsFileMessage(OptionsFileCantOpen));
    }
    if (writeWords && !m_wordList->mayReplace(wordFile)) {
        return;
    }

    m_directories->write(Settings);
    if (writeWords) {
        m_wordList->save(wordFile);
    }
    m_spellingTest->write(Settings);
    m_phonogramPuzzle->write(Settings);
    const OptionsFileResult result = OptionsFileSave();
    if (result != OptionsFileOk) {
        throw Error(OptionsFileMessage(result));
    }
    m_ending = true;
    emit endProgram();
}

void TOptForm::CancelBtnClick() {
    m_ending = true;
    emit endProgram();
}

void TOptForm::closeEvent(QCloseEvent* event) {
    // The close box is Cancel: the program never goes on without a window.
    event->accept();
    if (!m_ending) {
        CancelBtnClick();
    }
}

void TOptForm::reject() {
    CancelBtnClick();
}

} // namespace hc
