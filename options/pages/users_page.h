#pragma once

#include "options/pages/options_page.h"
#include "options/progress_view.h"

#include <string>

class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace hc {

class TUserPrintForm;

// The Users page: the children of the user file (the one on hard disk or network, or on the
// floppy disk while DiskBtn is down), with their scores; deleting a child, printing the list,
// a child's progress and a practice list of the whole class's missed words.
class UsersPage : public OptionsPage {
public:
    UsersPage(Application& application, TUserPrintForm& print);

    // Lists the users of the file the page shows. Raises the user file's message when it
    // cannot be read whole; the rows read before the fault stay.
    void fill(const SettingsRecord& settings) override;

    void DiskBtnClick();
    // Deletes the selected child, after asking, and forgets their answers in the history.
    void DeleteBtnClick();
    // The selected child's progress view (also a double click on a user).
    void ProgressBtnClick();
    // A practice word list of the whole class's missed words over a period.
    void MakeListBtnClick();
    void PrintBtnClick();

    // Replaces the dialogs of the class's practice list; nullptr restores the real ones.
    void setPracticeListDialogs(PeriodDialog period, SaveListDialog file);

    // Gives `list` the user list's columns: Name, Score, Program Runs, Spelling Test and
    // Phonogram Puzzle, at their widths.
    static void setUpColumns(QTreeWidget& list);

private:
    // Lists the users of the file the page shows with `settings`.
    void loadUserList(const SettingsRecord& settings);
    // The user file the page shows, as the settings store it (floppy when DiskBtn is down).
    std::string userFilePath(const SettingsRecord& settings) const;
    // The selected child's row; nullptr when none is selected.
    const QTreeWidgetItem* selectedUser() const;

    TUserPrintForm& m_print;
    PeriodDialog m_periodDialog;
    SaveListDialog m_listDialog;
    QToolButton* m_diskBtn = nullptr;
    QTreeWidget* m_userList = nullptr;
};

} // namespace hc
