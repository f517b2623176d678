#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace hc::student {

class Narrator;
class ProgramState;

// The login: the child picks their name from the users of the hard-disk or floppy user file,
// or types a new name, which creates a user there. OK logs the user in (the login is counted
// in their record); Cancel changes nothing. OK and Cancel (Enter and Escape) do nothing until
// the bee has greeted.
class TLoginForm : public QDialog {
    Q_OBJECT

public:
    explicit TLoginForm(ProgramState& program, QWidget* parent = nullptr);
    ~TLoginForm() override;

    // Fills the user list and brings the bee in. Raises hc::Error with the user file's
    // message when the list cannot be read (a missing file is an empty list, no error).
    void FormCreate();
    // Shows the loading message and lets the bee go.
    void FormDestroy();

    Narrator& narrator() const { return *m_narrator; }

    void LoadDiskClick();
    void UserListDblClick();
    void OKbtnClick();
    void CancelBtnClick();

    void reject() override; // Escape: as Cancel

private:
    void fillUserList();
    // The path of the user file as the settings store it.
    static std::string userFilePath(bool floppy);

    ProgramState& m_program;
    Narrator* m_narrator = nullptr;
    QTabWidget* m_pages = nullptr;
    QWidget* m_loadUserTab = nullptr;
    QWidget* m_newUserTab = nullptr;
    QCheckBox* m_loadDisk = nullptr;
    QCheckBox* m_newDisk = nullptr;
    QTreeWidget* m_userList = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QPushButton* m_okBtn = nullptr;
    QPushButton* m_cancelBtn = nullptr;
};

} // namespace hc::student
