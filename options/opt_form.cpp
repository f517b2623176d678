#include "options/opt_form.h"

#include "options/form_rules.h"
#include "options/form_support.h"
#include "options/pages/word_list_page.h"
#include "options/user_print_form.h"
#include "options/word_print_form.h"

#include "archive/error.h"
#include "content/pictures.h"
#include "datafiles/settings.h"
#include "datafiles/text_codec.h"
#include "datafiles/user_file.h"
#include "platform/desktop/application.h"
#include "platform/desktop/list_look.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCollator>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
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

// The layout, in logical pixels.
constexpr QSize kClientSize(406, 296);
constexpr QRect kPageControl(4, 4, 398, 252);
constexpr QRect kCancelBtn(238, 264, 78, 25);
constexpr QRect kOkBtn(322, 264, 78, 25);
// Security page; the fields are inside the group.
constexpr QRect kPasswordGroup(8, 8, 374, 164);
constexpr int kPasswordLabelLeft = 14, kPasswordLabelWidth = 130;
constexpr int kPasswordFieldLeft = 150, kPasswordFieldWidth = 206;
constexpr int kPasswordRows[3] = {30, 62, 94};
constexpr QRect kPwdBtn(150, 128, 120, 25);
// Directories page: a label above each field, the browse button at the field's right.
constexpr int kFileRows[3] = {10, 66, 122};
constexpr int kFileLeft = 8, kFileWidth = 340, kBrowseWidth = 26, kLabelHeight = 16;
// Spelling Test and Phonogram Puzzle pages.
constexpr QRect kWordDelayLabel(8, 12, 190, 22);
constexpr QRect kWordDelay(200, 12, 60, 22);
constexpr QRect kGreatJobLabel(8, 50, 370, 16);
constexpr QRect kGetPercentBtn(16, 72, 220, 22);
constexpr QRect kGetPercentBox(240, 72, 44, 22);
constexpr QRect kGetPercentSign(288, 72, 20, 22);
constexpr QRect kImprovePercentBtn(16, 100, 220, 22);
constexpr QRect kImprovePercentBox(240, 100, 44, 22);
constexpr QRect kImprovePercentSign(288, 100, 20, 22);
constexpr QRect kSpellWeightLabel(8, 144, 190, 22);
constexpr QRect kSpellWeight(200, 144, 60, 22);
constexpr QRect kPhonoWeightLabel(8, 12, 190, 22);
constexpr QRect kPhonoWeight(200, 12, 60, 22);

constexpr int kFieldHeight = 22;

// The columns of the user list: caption and width.
struct Column {
    const char* caption;
    int width;
};
constexpr Column kUserColumns[] = {{"Name", 80},
                                   {"Score", 40},
                                   {"Program Runs", 79},
                                   {"Spelling Test", 73},
                                   {"Phonogram Puzzle", 116}};

// The file-name fields: the label that names each in messages, and the path it edits.
constexpr const char* kHDfileLabel = "User file on hard disk or network";
constexpr const char* kFloppyFileLabel = "User file on floppy disk";
constexpr const char* kWordFileLabel = "Word List file";

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

// The user's name for the removable-media folders.
QString userName() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) {
        user = QDir::home().dirName();
    }
    return user;
}

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

QString twoDecimals(float value) {
    return QString::asprintf("%.2f", static_cast<double>(value));
}

float readDecimal(const QLineEdit& field) {
    const std::string text = field.text().toStdString();
    const std::optional<float> value = parseDecimalField(text);
    if (!value) {
        throw Error(invalidFloatMessage(text));
    }
    return *value;
}

int readWhole(const QLineEdit& field) {
    const std::string text = field.text().toStdString();
    const std::optional<int> value = parseWholeField(text);
    if (!value) {
        throw Error(invalidIntegerMessage(text));
    }
    return *value;
}

QString shown(std::string_view stored) {
    return QString::fromStdString(cp1252ToUtf8(stored));
}

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                 QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setBuddy(buddy);
    return label;
}

QLineEdit* addField(QWidget* parent, const char* name, const QRect& geometry) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setGeometry(geometry);
    return field;
}

} // namespace

TOptForm::TOptForm(Application& application, TUserPrintForm& userPrint, TWordPrintForm& wordPrint,
                   QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_application(application), m_userPrint(userPrint), m_wordPrint(wordPrint),
      m_fileDialog(realFileDialog) {
    setObjectName("OptForm");
    setFont(formFont());
    pictures::registerPictures();
    setWindowTitle(kCaption);
    setFixedSize(kClientSize);
    setModal(false);

    m_pageControl = new QTabWidget(this);
    m_pageControl->setObjectName("PageControl");
    m_pageControl->setGeometry(kPageControl);
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(m_pageControl);
    m_pageControl->tabBar()->setStyle(tabStyle);
    buildSecurityPage();
    buildDirectoriesPage();
    buildUsersPage();
    buildWordListPage();
    buildSpellingTestPage();
    buildPhonogramPuzzlePage();
    m_pageControl->setCurrentIndex(SecurityTab);
    connect(m_pageControl, &QTabWidget::currentChanged, this,
            [this](int index) { pageChanged(index); });

    m_cancelBtn = new QPushButton("Cancel", this);
    m_cancelBtn->setObjectName("CancelBtn");
    m_cancelBtn->setGeometry(kCancelBtn);
    m_okBtn = new QPushButton("Exit", this);
    m_okBtn->setObjectName("OkBtn");
    m_okBtn->setGeometry(kOkBtn);
    m_okBtn->setDefault(true);
    connect(m_cancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
    connect(m_okBtn, &QPushButton::clicked, this,
            [this] { m_application.guard([this] { OkBtnClick(); }); });
}

TOptForm::~TOptForm() = default;

// --- Layout -----------------------------------------------------------------------------

void TOptForm::buildSecurityPage() {
    auto* page = new QWidget;
    page->setObjectName("Security");
    m_pageControl->addTab(page, "Security");

    auto* group = new QGroupBox("Change Password", page);
    group->setObjectName("PasswordGroup");
    group->setGeometry(kPasswordGroup);
    const struct {
        const char* name;
        const char* label;
        QLineEdit** field;
    } rows[] = {{"OldPwd", "Old Password:", &m_oldPwd},
                {"NewPwd", "New Password:", &m_newPwd},
                {"NewPwd2", "New Password Again:", &m_newPwd2}};
    for (int i = 0; i < 3; ++i) {
        QLineEdit* field = addField(
            group, rows[i].name,
            QRect(kPasswordFieldLeft, kPasswordRows[i], kPasswordFieldWidth, kFieldHeight));
        field->setEchoMode(QLineEdit::Password);
        field->setMaxLength(static_cast<int>(kPasswordMaxLength));
        addLabel(group, (std::string(rows[i].name) + "Label").c_str(), rows[i].label,
                 QRect(kPasswordLabelLeft, kPasswordRows[i], kPasswordLabelWidth, kFieldHeight),
                 field);
        *rows[i].field = field;
    }
    m_pwdBtn = new QPushButton("Change Password", group);
    m_pwdBtn->setObjectName("PwdBtn");
    m_pwdBtn->setGeometry(kPwdBtn);
    // Enter on the focused button changes the password; in a field it is still Exit.
    m_pwdBtn->setAutoDefault(true);
    connect(m_pwdBtn, &QPushButton::clicked, this,
            [this] { m_application.guard([this] { PwdBtnClick(); }); });
}

QLineEdit* TOptForm::addFileField(QWidget* page, int top, const char* name, const QString& label,
                                  const QString& browseTip, const std::function<void()>& browse) {
    QLineEdit* field =
        addField(page, name, QRect(kFileLeft, top + kLabelHeight + 2, kFileWidth, kFieldHeight));
    addLabel(page, (std::string(name) + "Label").c_str(), label,
             QRect(kFileLeft, top, kFileWidth, kLabelHeight), field);
    auto* button = new QToolButton(page);
    button->setObjectName(QString(name) + "Browse");
    button->setText("...");
    button->setToolTip(browseTip);
    button->setAccessibleName(browseTip);
    button->setGeometry(kFileLeft + kFileWidth + 2, top + kLabelHeight + 2, kBrowseWidth,
                        kFieldHeight);
    pressOnEnter(*button);
    connect(button, &QToolButton::clicked, this, [this, browse] { m_application.guard(browse); });
    return field;
}

void TOptForm::buildDirectoriesPage() {
    auto* page = new QWidget;
    page->setObjectName("Directories");
    m_pageControl->addTab(page, "Directories");
    m_hdFile =
        addFileField(page, kFileRows[0], "HDfile", "User file on hard disk or network:",
                     "Choose the user file on hard disk or network", [this] { browseHDfile(); });
    m_floppyFile = addFileField(page, kFileRows[1], "FloppyFile",
                                "User file on floppy disk:", "Choose the user file on floppy disk",
                                [this] { browseFloppyFile(); });
    m_wordFile =
        addFileField(page, kFileRows[2], "WordFile", "Word List file:", "Choose the word list file",
                     [this] { browseWordFile(); });
}

void TOptForm::buildUsersPage() {
    auto* page = new QWidget;
    page->setObjectName("Users");
    m_pageControl->addTab(page, "Users");
    QToolBar* bar = addPageToolBar(*page, "UserToolBar");
    m_diskBtn = addToolButton(*bar, m_application, "DiskBtn", "Load from disk", pictures::kToolDisk,
                              [this] { DiskBtnClick(); });
    m_diskBtn->setCheckable(true);
    m_printBtn = addToolButton(*bar, m_application, "PrintBtn", "Print", pictures::kPrint,
                               [this] { PrintBtnClick(); });
    m_deleteBtn = addToolButton(*bar, m_application, "DeleteBtn", "Delete user",
                                pictures::kToolDeleteUser, [this] { DeleteBtnClick(); });
    m_progressBtn = addToolButton(*bar, m_application, "ProgressBtn", "Progress", "",
                                  [this] { ProgressBtnClick(); });
    m_progressBtn->setIcon(progressIcon());
    m_makeListBtn = addToolButton(*bar, m_application, "MakeListBtn", "Make word list…", "",
                                  [this] { MakeListBtnClick(); });
    m_makeListBtn->setIcon(wordListIcon());

    m_userList = new QTreeWidget(page);
    m_userList->setObjectName("UserList");
    m_userList->setAccessibleName("Users");
    m_userList->setRootIsDecorated(false);
    m_userList->setUniformRowHeights(true);
    m_userList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_userList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_userList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_userList->setAllColumnsShowFocus(true);
    m_userList->header()->setSectionsClickable(false);
    m_userList->header()->setSectionsMovable(false);
    m_userList->header()->setStretchLastSection(false);
    QStringList captions;
    for (const Column& column : kUserColumns) {
        captions << column.caption;
    }
    m_userList->setHeaderLabels(captions);
    for (int c = 0; c < static_cast<int>(std::size(kUserColumns)); ++c) {
        m_userList->setColumnWidth(c, kUserColumns[c].width);
    }
    keepSelectionVisible(*m_userList);
    connect(m_userList, &QTreeWidget::itemDoubleClicked, this,
            [this] { m_application.guard([this] { ProgressBtnClick(); }); });

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_userList);
}

void TOptForm::buildWordListPage() {
    m_wordListPage = new WordListPage(m_application, m_wordPrint, [this] {
        return m_fileDialog(
            this, {"Import Word List", "Text files (*.TXT *.txt)", "TXT", folderOf(*m_wordFile)});
    });
    m_pageControl->addTab(m_wordListPage, "Word List");
}

void TOptForm::buildSpellingTestPage() {
    auto* page = new QWidget;
    page->setObjectName("SpellingTest");
    m_pageControl->addTab(page, "Spelling Test");
    m_wordDelay = addField(page, "WordDelay", kWordDelay);
    addLabel(page, "WordDelayLabel", "Number of seconds word visible:", kWordDelayLabel,
             m_wordDelay);
    auto* greatJob = new QLabel("Show a \"Great Job\" animation when...", page);
    greatJob->setObjectName("GreatJobLabel");
    greatJob->setGeometry(kGreatJobLabel);

    m_getPercentBtn = new QRadioButton("the student scores at least", page);
    m_getPercentBtn->setObjectName("GetPercentBtn");
    m_getPercentBtn->setGeometry(kGetPercentBtn);
    m_getPercentBox = addField(page, "GetPercentBox", kGetPercentBox);
    m_getPercentBox->setAccessibleName("the student scores at least, percent");
    addLabel(page, "GetPercentSign", "%", kGetPercentSign, nullptr);

    m_improvePercentBtn = new QRadioButton("the student reduces their  errors by", page);
    m_improvePercentBtn->setObjectName("ImprovePercentBtn");
    m_improvePercentBtn->setGeometry(kImprovePercentBtn);
    m_improvePercentBox = addField(page, "ImprovePercentBox", kImprovePercentBox);
    m_improvePercentBox->setAccessibleName("the student reduces their errors by, percent");
    addLabel(page, "ImprovePercentSign", "%", kImprovePercentSign, nullptr);
    auto* rule = new QButtonGroup(page);
    rule->addButton(m_getPercentBtn);
    rule->addButton(m_improvePercentBtn);
    pressOnEnter(*m_getPercentBtn);
    pressOnEnter(*m_improvePercentBtn);
    m_getPercentBtn->setChecked(true);

    m_spellWeight = addField(page, "SpellWeight", kSpellWeight);
    addLabel(page, "SpellWeightLabel", "Weight:", kSpellWeightLabel, m_spellWeight);
    setTabOrder(m_wordDelay, m_getPercentBtn);
    setTabOrder(m_getPercentBtn, m_getPercentBox);
    setTabOrder(m_getPercentBox, m_improvePercentBtn);
    setTabOrder(m_improvePercentBtn, m_improvePercentBox);
    setTabOrder(m_improvePercentBox, m_spellWeight);
}

void TOptForm::buildPhonogramPuzzlePage() {
    auto* page = new QWidget;
    page->setObjectName("PhonogramPuzzle");
    m_pageControl->addTab(page, "Phonogram Puzzle");
    m_phonoWeight = addField(page, "PhonoWeight", kPhonoWeight);
    addLabel(page, "PhonoWeightLabel", "Weight:", kPhonoWeightLabel, m_phonoWeight);
}

// --- Start --------------------------------------------------------------------------------

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
    m_hdFile->setText(shown(textOf(Settings.HDfile)));
    m_floppyFile->setText(shown(textOf(Settings.FloppyFile)));
    m_wordFile->setText(shown(textOf(Settings.WordFile)));
    m_wordListPage->fill(Settings);
    m_wordDelay->setText(twoDecimals(Settings.WordDelay));
    m_spellWeight->setText(twoDecimals(Settings.SpellWeight));
    m_phonoWeight->setText(twoDecimals(Settings.PhonoWeight));
    m_getPercentBox->setText(QString::number(Settings.GetPercent));
    m_improvePercentBox->setText(QString::number(Settings.ImprovePercent));
    (Settings.ImproveMode != 0 ? m_improvePercentBtn : m_getPercentBtn)->setChecked(true);
    if (load.result != OptionsFileOk) {
        // The user list then comes when its page is entered.
        throw Error(OptionsFileMessage(load.result));
    }
    loadUserList();
}

// --- Security -----------------------------------------------------------------------------

void TOptForm::PwdBtnClick() {
    if (m_oldPwd->text() != QString::fromLatin1(GetPassword())) {
        tell("Invalid Old Password!", MessageIcon::Error);
        return;
    }
    if (m_newPwd->text() != m_newPwd2->text()) {
        tell("New Passwords Don't Match!", MessageIcon::Error);
        return;
    }
    const std::string password = m_newPwd->text().toStdString();
    if (!isStorablePassword(password)) {
        tell("The new password can only use the letters A to Z without accents, digits, spaces "
             "and the signs of an English keyboard.",
             MessageIcon::Error);
        return;
    }
    SetPassword(password);
    tell("New Password set.", MessageIcon::None);
    m_oldPwd->clear();
    m_newPwd->clear();
    m_newPwd2->clear();
}

// --- Directories ----------------------------------------------------------------------------

QString TOptForm::floppyStartFolder(const QStringList& mediaRoots, const QString& user,
                                    const QString& home) {
    for (const QString& root : mediaRoots) {
        const QString folder = QDir(root).filePath(user);
        if (!user.isEmpty() && QFileInfo(folder).isDir()) {
            return folder;
        }
    }
    return home;
}

QString TOptForm::folderOf(const QLineEdit& field) const {
    // A stored path may separate its folders with backslashes, and is relative to the start
    // directory.
    QString path = field.text();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString start = QString::fromStdString(startDirectory());
    const QString folder = QFileInfo(QDir(start).absoluteFilePath(path)).absolutePath();
    return QFileInfo(folder).isDir() ? folder : start;
}

void TOptForm::browseHDfile() {
    const QString chosen =
        m_fileDialog(this, {"User File on Hard Disk or Network", "ERF files (*.ERF *.erf)", "ERF",
                            folderOf(*m_hdFile)});
    if (!chosen.isEmpty()) {
        m_hdFile->setText(QDir::toNativeSeparators(chosen));
    }
}

void TOptForm::browseFloppyFile() {
    const QString start = floppyStartFolder({"/media", "/run/media"}, userName(), QDir::homePath());
    const QString chosen =
        m_fileDialog(this, {"User File on Floppy Disk", "ERF files (*.ERF *.erf)", "ERF", start});
    if (!chosen.isEmpty()) {
        m_floppyFile->setText(QDir::toNativeSeparators(chosen));
    }
}

void TOptForm::browseWordFile() {
    const QString chosen = m_fileDialog(
        this, {"Word List file", "Text files (*.TXT *.txt)", "TXT", folderOf(*m_wordFile)});
    if (!chosen.isEmpty()) {
        m_wordFile->setText(QDir::toNativeSeparators(chosen));
    }
}

void TOptForm::setFileDialog(FileDialog dialog) {
    m_fileDialog = dialog ? std::move(dialog) : FileDialog(realFileDialog);
}

bool TOptForm::takeOverPaths(const std::vector<QLineEdit*>& which) {
    struct Target {
        QLineEdit* field;
        const char* label;
        char (*setting)[256];
    };
    const Target all[] = {{m_hdFile, kHDfileLabel, &Settings.HDfile},
                          {m_floppyFile, kFloppyFileLabel, &Settings.FloppyFile},
                          {m_wordFile, kWordFileLabel, &Settings.WordFile}};
    std::vector<std::pair<const Target*, std::string>> taken;
    for (const Target& target : all) {
        if (std::find(which.begin(), which.end(), target.field) == which.end()) {
            continue;
        }
        // No floppy file is a choice: the Users page's toggle then lists nothing.
        const StoredPath path = storedPathOf(target.field->text().toStdString(), target.label,
                                             target.field == m_floppyFile);
        if (!path.ok()) {
            tell(QString::fromStdString(path.problem), MessageIcon::Error);
            return false;
        }
        taken.emplace_back(&target, path.bytes);
    }
    for (const auto& [target, bytes] : taken) {
        setText(*target->setting, bytes);
    }
    return true;
}

// --- Users ----------------------------------------------------------------------------------

std::string TOptForm::userFilePath() const {
    return m_diskBtn->isChecked() ? textOf(Settings.FloppyFile) : textOf(Settings.HDfile);
}

void TOptForm::DiskBtnClick() {
    loadUserList();
}

void TOptForm::loadUserList() {
    m_userList->clear();
    const std::string file = userFilePath();
    if (file.empty()) {
        return; // no floppy file was chosen
    }
    struct Row {
        QString name;
        QByteArray storedName;
        QStringList cells;
    };
    std::vector<Row> rows;
    const UserFileResult result = UserFileList(file, [&rows](const UserRecord& record) {
        const std::string name = recordName(record);
        Row row{shown(name), QByteArray::fromStdString(name), {}};
        // A damaged record's score is shown as the number the student program would use.
        row.cells << row.name << twoDecimals(shownScore(record.Score))
                  << QString::number(record.ProgramRuns)
                  << twoDecimals(shownScore(record.SpellAverage))
                  << twoDecimals(shownScore(record.PhonoAverage));
        rows.push_back(std::move(row));
    });
    // Sorted by name as the teacher reads it: letter case ignored, the user's language's order.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(rows.begin(), rows.end(), [&collator](const Row& a, const Row& b) {
        return collator.compare(a.name, b.name) < 0;
    });
    for (const Row& row : rows) {
        auto* item = new QTreeWidgetItem(m_userList, row.cells);
        item->setData(0, Qt::UserRole, row.storedName);
    }
    // A missing file is an empty list; any other failure keeps the rows read before it.
    if (result != UserFileOk && result != UserFileCantOpen) {
        throw Error(UserFileMessage(result));
    }
}

void TOptForm::DeleteBtnClick() {
    const QList<QTreeWidgetItem*> selected = m_userList->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const QTreeWidgetItem* item = selected.constFirst();
    if (!askYesNo(m_application.messageBoxes(),
                  QString("Are you sure you want to delete user %1?").arg(item->text(0)),
                  kCaption)) {
        return;
    }
    const std::string storedName = item->data(0, Qt::UserRole).toByteArray().toStdString();
    const UserFileResult result = UserFileDelete(userFilePath(), storedName);
    if (result != UserFileOk) {
        throw Error(UserFileMessage(result));
    }
    loadUserList();
    // The child's answers go with the child, after the same question.
    History history(FileOps::system(), historyPathFor(nativePath(userFilePath())));
    const HistoryStatus forgotten = history.forget(cp1252ToUtf8(storedName));
    if (forgotten != HistoryStatus::Ok) {
        throw Error(historyMessage(forgotten, history.path()));
    }
}

void TOptForm::ProgressBtnClick() {
    const QList<QTreeWidgetItem*> selected = m_userList->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    TProgressView view(m_application, userFilePath(),
                       selected.constFirst()->data(0, Qt::UserRole).toByteArray().toStdString(),
                       this);
    view.setSaveDialog(m_listDialog);
    if (m_application.guard([&view] { view.FormCreate(); })) {
        view.exec();
    }
}

void TOptForm::MakeListBtnClick() {
    makeClassWordList(m_application, this, userFilePath(),
                      m_periodDialog ? m_periodDialog : PeriodDialog(askPeriod),
                      m_listDialog ? m_listDialog : SaveListDialog(askListFile));
}

void TOptForm::setPracticeListDialogs(PeriodDialog period, SaveListDialog file) {
    m_periodDialog = std::move(period);
    m_listDialog = std::move(file);
}

void TOptForm::PrintBtnClick() {
    m_userPrint.print(*m_userList, this);
}

// --- Pages ----------------------------------------------------------------------------------

void TOptForm::pageChanged(int index) {
    if (index == m_currentPage) {
        return;
    }
    const int leaving = m_currentPage;
    m_application.guard([&] {
        if (leaving == WordListTab) {
            // The question is asked over the page being left, which stays if the change is
            // refused.
            {
                const QSignalBlocker blocker(m_pageControl);
                m_pageControl->setCurrentIndex(leaving);
            }
            if (!PageControlChanging(leaving)) {
                m_wordListPage->setFocus();
                return;
            }
            const QSignalBlocker blocker(m_pageControl);
            m_pageControl->setCurrentIndex(index);
        }
        m_currentPage = index;
        PageControlChange();
    });
}

bool TOptForm::PageControlChanging(int leaving) {
    return leaving != WordListTab || m_wordListPage->mayLeave();
}

void TOptForm::PageControlChange() {
    switch (m_pageControl->currentIndex()) {
    case WordListTab:
        takeOverPaths({m_wordFile});
        m_wordListPage->fill(Settings);
        break;
    case UsersTab:
        if (takeOverPaths({m_hdFile, m_floppyFile})) {
            loadUserList();
        }
        break;
    default:
        break;
    }
}

// --- Exit and Cancel ------------------------------------------------------------------------

void TOptForm::OkBtnClick() {
    // Everything is checked before anything is written: a refused value, or a file that may not
    // be replaced, leaves the word list file and OPTIONS.DAT as they were.
    const struct {
        QLineEdit* field;
        const char* label;
    } files[] = {
        {m_hdFile, kHDfileLabel}, {m_floppyFile, kFloppyFileLabel}, {m_wordFile, kWordFileLabel}};
    std::string wordFile;
    for (const auto& file : files) {
        const StoredPath path =
            storedPathOf(file.field->text().toStdString(), file.label, file.field == m_floppyFile);
        if (!path.ok()) {
            tell(QString::fromStdString(path.problem), MessageIcon::Error);
            return;
        }
        if (file.field == m_wordFile) {
            wordFile = path.bytes;
        }
    }
    // The memo's words go only to the file they belong to, when the teacher changed them, or
    // to a list that does not exist yet.
    const bool writeWords = m_wordListPage->writesTo(wordFile);
    if (writeWords) {
        if (const std::optional<std::string> problem = m_wordListPage->problem()) {
            tell(QString::fromStdString(*problem), MessageIcon::Error);
            return;
        }
    }
    TestValues values;
    values.wordDelay = readDecimal(*m_wordDelay);
    values.getPercent = readWhole(*m_getPercentBox);
    values.improvePercent = readWhole(*m_improvePercentBox);
    values.spellWeight = readDecimal(*m_spellWeight);
    values.phonoWeight = readDecimal(*m_phonoWeight);
    if (const std::optional<std::string> problem = testValuesProblem(values)) {
        tell(QString::fromStdString(*problem), MessageIcon::Error);
        return;
    }
    if (optionsFileLocked()) {
        throw Error(OptionsFileMessage(OptionsFileCantOpen));
    }
    if (writeWords && !m_wordListPage->mayReplace(wordFile)) {
        return;
    }

    takeOverPaths({m_hdFile, m_floppyFile, m_wordFile});
    if (writeWords) {
        m_wordListPage->save(wordFile);
    }
    Settings.WordDelay = values.wordDelay;
    Settings.GetPercent = values.getPercent;
    Settings.ImprovePercent = values.improvePercent;
    Settings.ImproveMode = m_improvePercentBtn->isChecked() ? 1 : 0;
    Settings.SpellWeight = values.spellWeight;
    Settings.PhonoWeight = values.phonoWeight;
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

void TOptForm::tell(const QString& text, MessageIcon icon) {
    showMessage(m_application.messageBoxes(), text, kCaption, icon);
}

} // namespace hc
