#pragma once

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace hc {

class Application;

// The password box: the options program's main form, the gate before the options form.
//
// Three marks count the wrong passwords given so far; the fourth wrong one closes the box. The
// box asks its owner to show the options form (showOptions()) when the right password is given,
// or when it becomes active with no password set. Closing the box, by Cancel, Escape, a fourth
// wrong password or the window system, emits closed(): the program ends with it.
class TPasswordForm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Password Box";

    explicit TPasswordForm(Application& application, QWidget* parent = nullptr);

    // Loads the settings. Raises the settings file's message when the load fails; the box then
    // shows whatever the password (the comparison uses what the failed load left), unless the
    // load could not read the password at all (settingsUnreadable()).
    void FormCreate();
    // Whether the box is to be shown at start: not when FormCreate found no password.
    bool showsAtStart() const { return m_showsAtStart; }
    // OPTIONS.DAT is there but its password could not be read (the file cannot be read, or is
    // too short to hold it): the gate cannot know the password, so the program must end
    // without opening anything.
    bool settingsUnreadable() const { return m_settingsUnreadable; }
    // The box became the active window: with no password set, the options form comes up.
    void FormActivate();

    void OkBtnClick();
    void CancelBtnClick();

    // How many marks are ticked (0 to 3).
    int wrongPasswords() const;

signals:
    void showOptions();
    void closed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape closes the box as Cancel does.
    void reject() override;

private:
    void updateMarksName();

    Application& m_application;
    bool m_showsAtStart = true;
    bool m_settingsUnreadable = false;
    bool m_closed = false;
    QFrame* m_panel = nullptr;
    QLabel* m_heading = nullptr;
    QLineEdit* m_pwdEdit = nullptr;
    QFrame* m_marks = nullptr;
    QCheckBox* m_checkBoxes[3] = {};
    QPushButton* m_cancelBtn = nullptr;
    QPushButton* m_okBtn = nullptr;
};

} // namespace hc
