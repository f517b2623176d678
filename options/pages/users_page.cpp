#include "options/pages/users_page.h"

#include "options/form_rules.h"
#include "options/form_support.h"
#include "options/user_print_form.h"

#include "archive/error.h"
#include "content/pictures.h"
#include "datafiles/settings.h"
#include "datafiles/text_codec.h"
#include "datafiles/user_file.h"
#include "platform/desktop/application.h"
#include "platform/desktop/list_look.h"

#include <QCollator>
#include <QHeaderView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace hc {

namespace {

// The columns of the user list: caption and width. The list fills the page below its tool bar.
struct Column {
    const char* caption;
    int width;
};
constexpr Column kUserColumns[] = {{"Name", 80},
                                   {"Score", 40},
                                   {"Program Runs", 79},
                                   {"Spelling Test", 73},
                                   {"Phonogram Puzzle", 116}};

// The child's name as stored in the user file, kept with each row.
constexpr int kStoredNameRole = Qt::UserRole;

} // namespace

UsersPage::UsersPage(Application& application, TUserPrintForm& print)
    : OptionsPage(application), m_print(print) {
    setObjectName("Users");
    QToolBar* bar = addPageToolBar(*this, "UserToolBar");
    m_diskBtn = addToolButton(*bar, application, "DiskBtn", "Load from disk", pictures::kToolDisk,
                              [this] { DiskBtnClick(); });
    m_diskBtn->setCheckable(true);
    addToolButton(*bar, application, "PrintBtn", "Print", pictures::kPrint,
                  [this] { PrintBtnClick(); });
    addToolButton(*bar, application, "DeleteBtn", "Delete user", pictures::kToolDeleteUser,
                  [this] { DeleteBtnClick(); });
    addToolButton(*bar, application, "ProgressBtn", "Progress", "", [this] {
        ProgressBtnClick();
    })->setIcon(progressIcon());
    addToolButton(*bar, application, "MakeListBtn", "Make word list…", "", [this] {
        MakeListBtnClick();
    })->setIcon(wordListIcon());

    m_userList = new QTreeWidget(this);
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
    setUpColumns(*m_userList);
    keepSelectionVisible(*m_userList);
    connect(m_userList, &QTreeWidget::itemDoubleClicked, this,
            [this] { this->application().guard([this] { ProgressBtnClick(); }); });

    fillUnderToolBar(*this, *bar, *m_userList);
}

void UsersPage::setUpColumns(QTreeWidget& list) {
    QStringList captions;
    for (const Column& column : kUserColumns) {
        captions << column.caption;
    }
    list.setHeaderLabels(captions);
    for (int c = 0; c < static_cast<int>(std::size(kUserColumns)); ++c) {
        list.setColumnWidth(c, kUserColumns[c].width);
    }
}

void UsersPage::fill(const SettingsRecord& settings) {
    loadUserList(settings);
}

std::string UsersPage::userFilePath(const SettingsRecord& settings) const {
    return m_diskBtn->isChecked() ? textOf(settings.FloppyFile) : textOf(settings.HDfile);
}

const QTreeWidgetItem* UsersPage::selectedUser() const {
    const QList<QTreeWidgetItem*> selected = m_userList->selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

void UsersPage::DiskBtnClick() {
    loadUserList(Settings);
}

void UsersPage::loadUserList(const SettingsRecord& settings) {
    m_userList->clear();
    const std::string file = userFilePath(settings);
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
        Row row{shownText(name), QByteArray::fromStdString(name), {}};
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
        item->setData(0, kStoredNameRole, row.storedName);
    }
    // A missing file is an empty list; any other failure keeps the rows read before it.
    if (result != UserFileOk && result != UserFileCantOpen) {
        throw Error(UserFileMessage(result));
    }
}

void UsersPage::DeleteBtnClick() {
    const QTreeWidgetItem* item = selectedUser();
    if (item == nullptr ||
        !askYesNo(application().messageBoxes(),
                  QString("Are you sure you want to delete user %1?").arg(item->text(0)),
                  kOptionsFormCaption)) {
        return;
    }
    const std::string storedName = item->data(0, kStoredNameRole).toByteArray().toStdString();
    const std::string file = userFilePath(Settings);
    const UserFileResult result = UserFileDelete(file, storedName);
    if (result != UserFileOk) {
        throw Error(UserFileMessage(result));
    }
    loadUserList(Settings);
    // The child's answers go with the child, after the same question.
    History history(FileOps::system(), historyPathFor(nativePath(file)));
    const HistoryStatus forgotten = history.forget(cp1252ToUtf8(storedName));
    if (forgotten != HistoryStatus::Ok) {
        throw Error(historyMessage(forgotten, history.path()));
    }
}

void UsersPage::ProgressBtnClick() {
    const QTreeWidgetItem* item = selectedUser();
    if (item == nullptr) {
        return;
    }
    // The form's windows open over the form.
    TProgressView view(application(), userFilePath(Settings),
                       item->data(0, kStoredNameRole).toByteArray().toStdString(), window());
    view.setSaveDialog(m_listDialog);
    if (application().guard([&view] { view.FormCreate(); })) {
        view.exec();
    }
}

void UsersPage::MakeListBtnClick() {
    makeClassWordList(application(), window(), userFilePath(Settings),
                      m_periodDialog ? m_periodDialog : PeriodDialog(askPeriod),
                      m_listDialog ? m_listDialog : SaveListDialog(askListFile));
}

void UsersPage::setPracticeListDialogs(PeriodDialog period, SaveListDialog file) {
    m_periodDialog = std::move(period);
    m_listDialog = std::move(file);
}

void UsersPage::PrintBtnClick() {
    m_print.print(*m_userList, window());
}

} // namespace hc
