#pragma once

#include <QObject>

#include <memory>

namespace hc {

class Application;
class TOptForm;
class TPasswordForm;
class TUserPrintForm;
class TWordPrintForm;

// The options program: its four forms, created at start in their order (the password box, the
// options form, the user and the word print forms), and its way from the gate to the end.
//
// The password box is the main form: when it closes the program ends (ended()). The options
// form's Exit and Cancel close it. An error while a form's creation handler runs is shown in
// the standard error box and start-up goes on, except when OPTIONS.DAT is there but its
// password cannot be read: after the box's message the program ends, having opened and
// written nothing.
class OptionsProgram : public QObject {
    Q_OBJECT
public:
    explicit OptionsProgram(Application& application);
    ~OptionsProgram() override;

    // Shows the password box, or the options form at once when no password is set; ends the
    // program at once when the settings could not be read.
    void start();
    bool hasEnded() const { return m_ended; }

    TPasswordForm& passwordForm() { return *m_passwordForm; }
    TOptForm& optForm() { return *m_optForm; }
    TUserPrintForm& userPrintForm() { return *m_userPrintForm; }
    TWordPrintForm& wordPrintForm() { return *m_wordPrintForm; }

signals:
    void ended();

private:
    void showOptions();
    void end();

    std::unique_ptr<TPasswordForm> m_passwordForm;
    std::unique_ptr<TOptForm> m_optForm;
    std::unique_ptr<TUserPrintForm> m_userPrintForm;
    std::unique_ptr<TWordPrintForm> m_wordPrintForm;
    bool m_ended = false;
};

} // namespace hc
