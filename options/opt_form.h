#pragma once

#include "options/progress_view.h"
#include "platform/desktop/message_box.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;

namespace hc {

class Application;
class TUserPrintForm;
class TWordPrintForm;
class WordListPage;

// What a file-open dialog of the form asks for. The dialog hides the read-only box and only
// returns a file that exists.
struct FileDialogRequest {
    QString title;
    QString filter;        // "ERF files (*.ERF *.erf)"
    QString defaultSuffix; // "ERF"
    QString startFolder;   // absolute
};

// Shows an open dialog and returns the chosen file's absolute path, or an empty text for
// Cancel. The form uses the real dialog; tests put their own answer in its place.
using FileDialog = std::function<QString(QWidget* parent, const FileDialogRequest& request)>;

// The options form: the teacher's pages for the password, the places of the user files and
// the word list, the users, the word list itself, and the values of the two activities.
//
// It edits the process-wide Settings. "Exit" checks every field, writes the word list and
// OPTIONS.DAT and asks the program to end (endProgram()); "Cancel", Escape and the window's
// close box end it without writing the settings. Deleting a user and saving the word list when
// leaving its page take effect at once.
class TOptForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Honeycombwordsmiths Options";

    TOptForm(Application& application, TUserPrintForm& userPrint, TWordPrintForm& wordPrint,
             QWidget* parent = nullptr);
    ~TOptForm() override;

    // Loads the settings into the fields, the word list into the memo and the user list.
    // Raises the settings file's message when the load fails: the fields then show what a
    // damaged file held (its defaults for what it lacked or held out of range), or stay empty
    // when not even its password could be read. Raises a user file's message when the list
    // cannot be read.
    void FormCreate();

    void PwdBtnClick();
    void DiskBtnClick();
    void DeleteBtnClick();
    // The selected child's progress view (also a double click on a user).
    void ProgressBtnClick();
    // A practice word list of the whole class's missed words over a period.
    void MakeListBtnClick();
    void PrintBtnClick();
    void OkBtnClick();
    void CancelBtnClick();

    // Replaces the real file dialogs (browse buttons, import); nullptr restores them.
    void setFileDialog(FileDialog dialog);
    // Replaces the dialogs of the class's practice list; nullptr restores the real ones.
    void setPracticeListDialogs(PeriodDialog period, SaveListDialog file);

    // The folder the floppy file's dialog opens in: the first of `mediaRoots` + "/" + `user`
    // that is a folder (the removable media of that user), else `home`.
    static QString floppyStartFolder(const QStringList& mediaRoots, const QString& user,
                                     const QString& home);

signals:
    // The teacher left the form with Exit (after everything was saved) or Cancel.
    void endProgram();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape is Cancel.
    void reject() override;

private:
    void buildSecurityPage();
    void buildDirectoriesPage();
    void buildUsersPage();
    void buildWordListPage();
    void buildSpellingTestPage();
    void buildPhonogramPuzzlePage();
    QLineEdit* addFileField(QWidget* page, int top, const char* name, const QString& label,
                            const QString& browseTip, const std::function<void()>& browse);

    // Before a page is left: false refuses the change.
    bool PageControlChanging(int leaving);
    // After a page was entered.
    void PageControlChange();
    void pageChanged(int index);

    void browseHDfile();
    void browseFloppyFile();
    void browseWordFile();

    // The user list of the file the Users page shows (floppy when DiskBtn is down).
    void loadUserList();
    std::string userFilePath() const;
    // The folder a file-name field's file lies in, where its dialog opens; the start directory
    // when that folder does not exist.
    QString folderOf(const QLineEdit& field) const;
    // Takes the file-name fields over into Settings (all three, or `which` only); false after a
    // message, with Settings unchanged, when one cannot be stored.
    bool takeOverPaths(const std::vector<QLineEdit*>& which);

    // A message box of this form: OK and the given icon.
    void tell(const QString& text, MessageIcon icon);

    Application& m_application;
    TUserPrintForm& m_userPrint;
    TWordPrintForm& m_wordPrint;
    FileDialog m_fileDialog;
    PeriodDialog m_periodDialog;
    SaveListDialog m_listDialog;
    int m_currentPage = 0;
    bool m_ending = false;

    QTabWidget* m_pageControl = nullptr;
    QPushButton* m_cancelBtn = nullptr;
    QPushButton* m_okBtn = nullptr;
    // Security
    QLineEdit* m_oldPwd = nullptr;
    QLineEdit* m_newPwd = nullptr;
    QLineEdit* m_newPwd2 = nullptr;
    QPushButton* m_pwdBtn = nullptr;
    // Directories
    QLineEdit* m_hdFile = nullptr;
    QLineEdit* m_floppyFile = nullptr;
    QLineEdit* m_wordFile = nullptr;
    // Users
    QToolButton* m_diskBtn = nullptr;
    QToolButton* m_printBtn = nullptr;
    QToolButton* m_deleteBtn = nullptr;
    QToolButton* m_progressBtn = nullptr;
    QToolButton* m_makeListBtn = nullptr;
    QTreeWidget* m_userList = nullptr;
    WordListPage* m_wordListPage = nullptr;
    // Spelling Test, Phonogram Puzzle
    QLineEdit* m_wordDelay = nullptr;
    QRadioButton* m_getPercentBtn = nullptr;
    QRadioButton* m_improvePercentBtn = nullptr;
    QLineEdit* m_getPercentBox = nullptr;
    QLineEdit* m_improvePercentBox = nullptr;
    QLineEdit* m_spellWeight = nullptr;
    QLineEdit* m_phonoWeight = nullptr;
};

} // namespace hc
