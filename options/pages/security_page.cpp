#include "options/pages/security_page.h"

#include "options/form_rules.h"

#include "datafiles/settings.h"
#include "platform/desktop/application.h"
#include "platform/desktop/ui_kit.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace hc {

namespace {

constexpr QRect kPasswordGroup(8, 8, 374, 164);
// Inside the group.
constexpr QRect kOldPwdLabel(14, 30, 130, 22);
constexpr QRect kOldPwd(150, 30, 206, 22);
constexpr QRect kNewPwdLabel(14, 62, 130, 22);
constexpr QRect kNewPwd(150, 62, 206, 22);
constexpr QRect kNewPwd2Label(14, 94, 130, 22);
constexpr QRect kNewPwd2(150, 94, 206, 22);
constexpr QRect kPwdBtn(150, 128, 120, 25);

// A password field: its characters hidden, as long as the settings can hold.
QLineEdit* passwordField(QWidget* group, const char* name, QRect geometry) {
    QLineEdit* field = place(new QLineEdit(group), name, geometry);
    field->setEchoMode(QLineEdit::Password);
    field->setMaxLength(static_cast<int>(kPasswordMaxLength));
    return field;
}

} // namespace

SecurityPage::SecurityPage(Application& application) : OptionsPage(application) {
    setObjectName("Security");
    auto* group = place(new QGroupBox("Change Password", this), "PasswordGroup", kPasswordGroup);
    m_oldPwd = passwordField(group, "OldPwd", kOldPwd);
    addLabel(group, "OldPwdLabel", "Old Password:", kOldPwdLabel, m_oldPwd);
    m_newPwd = passwordField(group, "NewPwd", kNewPwd);
    addLabel(group, "NewPwdLabel", "New Password:", kNewPwdLabel, m_newPwd);
    m_newPwd2 = passwordField(group, "NewPwd2", kNewPwd2);
    addLabel(group, "NewPwd2Label", "New Password Again:", kNewPwd2Label, m_newPwd2);
    auto* pwdBtn = place(new QPushButton("Change Password", group), "PwdBtn", kPwdBtn);
    // Enter on the focused button changes the password; in a field it is still Exit.
    pwdBtn->setAutoDefault(true);
    connect(pwdBtn, &QPushButton::clicked, this,
            [this] { this->application().guard([this] { PwdBtnClick(); }); });
}

void SecurityPage::fill(const SettingsRecord& /*settings*/) {}

void SecurityPage::PwdBtnClick() {
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

} // namespace hc
