#pragma once

#include "options/pages/options_page.h"
#include "options/progress_view.h"

#include <QDialog>
#include <QString>

#include <functional>

class QPushButton;
class QTabWidget;

namespace hc {

class Application;
class DirectoriesPage;
class PhonogramPuzzlePage;
class SecurityPage;
class SpellingTestPage;
class TUserPrintForm;
class TWordPrintForm;
class UsersPage;
class WordListPage;

// Shows an open dialog and returns the chosen file's absolute path, or an empty text for
// Cancel. The form uses the real dialog; tests put their own answer in its place.
using FileDialog = std::function<QString(QWidget* parent, const FileDialogRequest& request)>;

// The options form: the teacher's pages for the password, the places of the user files and
// the word list, the users, the word list itself, and the values of the two activities. Each
// page is a class of its own (options/pages); the form is the tab control around them, the
// guard before a page is left, and Exit.
//
// It edits the process-wide Settings. "Exit" checks every page, writes the word list and
// OPTIONS.DAT and asks the program to end (endProgram()); "Cancel", Escape and the window's
// close box end it without writing the settings. Deleting a user and saving the word list when
// leaving its page take effect at once.
class TOptForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = kOptionsFormCaption;

    TOptForm(Application& application, TUserPrintForm& userPrint, TWordPrintForm& wordPrint,
             QWidget* parent = nullptr);
    ~TOptForm() override;

    // Loads the settings into the pages, the word list into the memo and the user list.
    // Raises the settings file's message when the load fails: the fields then show what a
    // damaged file held (its defaults for what it lacked or held out of range), or stay empty
    // when not even its password could be read. Raises a user file's message when the list
    // cannot be read.
    void FormCreate();

    // Checks every page, then writes the word list and OPTIONS.DAT and ends the program.
    void OkBtnClick();
    void CancelBtnClick();

    // Replaces the real file dialogs (browse buttons, import); nullptr restores them.
    void setFileDialog(FileDialog dialog);
    // Replaces the dialogs of the class's practice list; nullptr restores the real ones.
    void setPracticeListDialogs(PeriodDialog period, SaveListDialog file);

signals:
    // The teacher left the form with Exit (after everything was saved) or Cancel.
    void endProgram();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape is Cancel.
    void reject() override;

private:
    // The tab control's change: the page left may refuse it, the page entered is filled.
    void pageChanged(int index);
    // After a page was entered.
    void PageControlChange();
    // Shows `problem`, if any, as the form's error; true when there was one.
    bool refused(const std::optional<std::string>& problem);

    Application& m_application;
    FileDialog m_fileDialog;
    int m_currentPage = 0;
    bool m_ending = false;

    QTabWidget* m_pageControl = nullptr;
    SecurityPage* m_security = nullptr;
    DirectoriesPage* m_directories = nullptr;
    UsersPage* m_users = nullptr;
    WordListPage* m_wordList = nullptr;
    SpellingTestPage* m_spellingTest = nullptr;
    PhonogramPuzzlePage* m_phonogramPuzzle = nullptr;
};

} // namespace hc
