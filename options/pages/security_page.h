#pragma once

#include "options/pages/options_page.h"

class QLineEdit;
class QPushButton;

namespace hc {

// The Security page: the password gate's password, changed at once by "Change Password".
class SecurityPage : public OptionsPage {
public:
    explicit SecurityPage(Application& application);

    // The fields stay empty: the password is never shown.
    void fill(const SettingsRecord& settings) override;

    // Sets the new password when the old one is right and the new one was typed twice alike
    // and can be stored; the fields are then emptied.
    void PwdBtnClick();

private:
    QLineEdit* m_oldPwd = nullptr;
    QLineEdit* m_newPwd = nullptr;
    QLineEdit* m_newPwd2 = nullptr;
};

} // namespace hc
