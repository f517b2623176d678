#include "student/login/login_form.h"

#include "archive/error.h"
#include "platform/desktop/application.h"
#include "platform/desktop/list_look.h"
#include "datafiles/settings.h"
#include "datafiles/text_codec.h"
#include "datafiles/user_file.h"
#include "student/login/name_validator.h"
#include "student/shell/narrator.h"
#include "student/shell/program_state.h"
#include "student/shell/screen_kit.h"

#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <cmath>

namespace hc::student {

using namespace std::chrono_literals;

namespace {

constexpr int kNameColumn = 0;
constexpr int kScoreColumn = 1;
// The user's name exactly as the file stores it (8-bit), beside the text shown.
constexpr int kStoredNameRole = Qt::UserRole;

NarratorSetup loginNarrator() {
    NarratorSetup setup;
    setup.playerPrefix = QStringLiteral("Login");
    setup.greetingClip = QStringLiteral("welcome");
    setup.greetingInterval = 2000ms;
    setup.greetingOnAtCreation = true;
    setup.help = NarratorSetup::Help::Push;
    setup.helpClip = QStringLiteral("login");
    setup.helpWidth = 53;
    return setup;
}

// Rows sorted by name as people read them: letter case ignored, the user's locale's order.
class UserRow final : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int order = QString::localeAwareCompare(text(kNameColumn).toCaseFolded(),
                                                      other.text(kNameColumn).toCaseFolded());
        return order != 0 ? order < 0 : text(kNameColumn) < other.text(kNameColumn);
    }
};

} // namespace

TLoginForm::TLoginForm(ProgramState& program, QWidget* parent)
    : QDialog(parent), m_program(program) {
    setObjectName(QStringLiteral("LoginForm"));
    setUpWindow(*this, QStringLiteral("Welcome"), QSize(461, 338), WindowKind::FixedMinimiseOnly);
    setModal(true);
    setFont(systemFont());

    m_narrator = new Narrator(program, *this, *this, loginNarrator());
    m_narrator->panel().setGeometry(0, 0, 162, 338);

    m_pages = place(new QTabWidget(this), "PageControl", QRect(168, 6, 287, 284));
    m_loadUserTab = new QWidget;
    m_loadUserTab->setObjectName(QStringLiteral("LoadUserTab"));
    m_newUserTab = new QWidget;
    m_newUserTab->setObjectName(QStringLiteral("NewUserTab"));
    m_pages->addTab(m_loadUserTab, QStringLiteral("Load User"));
    m_pages->addTab(m_newUserTab, QStringLiteral("New User"));

    // "Load User": where the list comes from, and the list.
    m_loadDisk = place(new QCheckBox(QStringLiteral("From Disk"), m_loadUserTab), "LoadDisk",
                       QRect(8, 6, 120, 20));
    m_userList = place(new QTreeWidget(m_loadUserTab), "UserList", QRect(4, 30, 275, 222),
                       QStringLiteral("Users"));
    m_userList->setColumnCount(2);
    m_userList->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Score")});
    m_userList->setColumnWidth(kNameColumn, 180);
    m_userList->setColumnWidth(kScoreColumn, 60);
    m_userList->header()->setSectionsMovable(false);
    m_userList->setRootIsDecorated(false);
    m_userList->setItemsExpandable(false);
    m_userList->setUniformRowHeights(true);
    m_userList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_userList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_userList->setFont(arialFont(13, true));
    m_userList->header()->setFont(systemFont());
    m_userList->setSortingEnabled(true);
    m_userList->sortByColumn(kNameColumn, Qt::AscendingOrder);
    // Sorting turns the headers into sort buttons with an arrow; the list keeps its one order.
    m_userList->header()->setSectionsClickable(false);
    m_userList->header()->setSortIndicatorShown(false);
    hc::keepSelectionVisible(*m_userList);

    // "New User": where the user is made, and the name.
    m_newDisk = place(new QCheckBox(QStringLiteral("On Disk"), m_newUserTab), "NewDisk",
                      QRect(8, 6, 120, 20));
    auto* nameLabel = place(new QLabel(QStringLiteral("Type your name here:"), m_newUserTab),
                            "NameLabel", QRect(8, 60, 260, 20));
    nameLabel->setFont(arialFont(15, true));
    m_nameEdit = place(new QLineEdit(m_newUserTab), "NameEdit", QRect(8, 84, 265, 32),
                       QStringLiteral("Type your name here:"));
    m_nameEdit->setFont(arialFont(19, true));
    m_nameEdit->setValidator(new UserNameValidator(m_nameEdit));
    nameLabel->setBuddy(m_nameEdit);

    // The bottom bar.
    auto* bar = place(new QFrame(this), "ButtonPanel", QRect(162, 296, 299, 42));
    bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* namePanel = place(new QFrame(bar), "NamePanel", QRect(6, 6, 120, 30));
    namePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_cancelBtn = place(new QPushButton(QStringLiteral("Cancel"), bar), "CancelBtn",
                        QRect(134, 9, 75, 25));
    m_okBtn = place(new QPushButton(QStringLiteral("Ok"), bar), "OKbtn", QRect(217, 9, 75, 25));
    m_okBtn->setDefault(true);
    m_okBtn->setAutoDefault(true);
    m_cancelBtn->setAutoDefault(false);
    makeNoisy(*m_okBtn, program.media());
    makeNoisy(*m_cancelBtn, program.media());

    setTabOrder(m_pages, m_loadDisk);
    setTabOrder(m_loadDisk, m_userList);
    setTabOrder(m_userList, m_newDisk);
    setTabOrder(m_newDisk, m_nameEdit);
    setTabOrder(m_nameEdit, m_okBtn);
    setTabOrder(m_okBtn, m_cancelBtn);

    connect(m_loadDisk, &QCheckBox::clicked, this, &TLoginForm::LoadDiskClick);
    connect(m_userList, &QTreeWidget::itemDoubleClicked, this, &TLoginForm::UserListDblClick);
    connect(m_okBtn, &QPushButton::clicked, this, &TLoginForm::OKbtnClick);
    connect(m_cancelBtn, &QPushButton::clicked, this, &TLoginForm::CancelBtnClick);
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int) {
        if (m_pages->currentWidget() == m_newUserTab) {
            m_nameEdit->setFocus();
        }
    });
}

TLoginForm::~TLoginForm() = default;

std::string TLoginForm::userFilePath(bool floppy) {
    return floppy ? hc::textOf(Settings.FloppyFile) : hc::textOf(Settings.HDfile);
}

void TLoginForm::FormCreate() {
    // A list that cannot be read is reported, and the child can still make a new user: the
    // bee comes in and the loading message goes either way.
    const bool filled = m_program.app().guard([this] { fillUserList(); });
    enterScreen(*this, *m_narrator, m_program, false); // exec() shows the screen
    if (!filled) {
        m_pages->setCurrentWidget(m_newUserTab);
    } else {
        m_userList->setFocus();
    }
}

void TLoginForm::FormDestroy() {
    leaveScreen(*this, *m_narrator, m_program, Leaving::AlreadyGone);
    m_narrator->releaseSpeech();
}

void TLoginForm::LoadDiskClick() {
    fillUserList();
}

void TLoginForm::fillUserList() {
    m_userList->clear();
    const std::string path = userFilePath(m_loadDisk->isChecked());
    const UserFileResult result = UserFileList(path, [this](const UserRecord& record) {
        const std::string name = hc::recordName(record);
        auto* row = new UserRow;
        row->setText(kNameColumn, QString::fromStdString(hc::cp1252ToUtf8(name)));
        row->setData(kNameColumn, kStoredNameRole, QByteArray::fromStdString(name));
        row->setText(kScoreColumn,
                     QString::number(hc::wholeScore(record.Score)));
        m_userList->addTopLevelItem(row);
    });
    if (result == UserFileCantOpen) {
        return; // no user file yet: an empty list
    }
    if (result != UserFileOk) {
        throw hc::Error(UserFileMessage(result));
    }
}

void TLoginForm::UserListDblClick() {
    if (m_userList->currentItem() != nullptr && m_userList->currentItem()->isSelected()) {
        OKbtnClick();
    }
}

void TLoginForm::OKbtnClick() {
    if (m_narrator->busy()) {
        return;
    }
    std::string name;
    bool floppy = false;
    if (m_pages->currentWidget() == m_newUserTab) {
        floppy = m_newDisk->isChecked();
        const QString typed = m_nameEdit->text();
        if (typed.isEmpty()) {
            m_narrator->speak(QStringLiteral("typename"));
            return;
        }
        name = hc::utf8ToCp1252(typed.toStdString()).bytes;
        // The name is looked for first, reading only: a name that exists is answered with
        // "usrexist" even where the file may not be written or its checksum is wrong. Only a
        // new name goes on to the locked, checked add (which looks again, in case another
        // machine added it meanwhile). The look leaves the logged-in user's record as it was.
        const UserRecord loggedIn = CurrentUser;
        const UserFileResult found = UserFileFind(userFilePath(floppy), name);
        CurrentUser = loggedIn;
        if (found == UserFileOk) {
            m_narrator->speak(QStringLiteral("usrexist"));
            return;
        }
        bool added = false;
        const UserFileResult result = hc::addUserIfAbsent(userFilePath(floppy), name, added);
        if (result != UserFileOk) {
            throw hc::Error(UserFileMessage(result));
        }
        if (!added) {
            m_narrator->speak(QStringLiteral("usrexist"));
            return;
        }
    } else {
        const QList<QTreeWidgetItem*> selected = m_userList->selectedItems();
        if (selected.isEmpty()) {
            m_narrator->speak(QStringLiteral("selname"));
            return;
        }
        name = selected.front()->data(kNameColumn, kStoredNameRole).toByteArray().toStdString();
        floppy = m_loadDisk->isChecked();
    }

    // The login counts only once the record has been read and written back: a file that went
    // away meanwhile (a floppy taken out) leaves nobody logged in.
    const std::string path = userFilePath(floppy);
    const UserFileResult counted = hc::countLogin(path, name);
    if (counted != UserFileOk) {
        throw hc::Error(UserFileMessage(counted));
    }
    m_program.setCurrentUser(name, path, floppy);
    done(QDialog::Accepted);
}

void TLoginForm::CancelBtnClick() {
    if (m_narrator->busy()) {
        return;
    }
    done(QDialog::Rejected);
}

void TLoginForm::reject() {
    CancelBtnClick();
}

} // namespace hc::student
