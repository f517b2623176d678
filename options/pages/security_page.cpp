#include "options/pages/security_page.h"

#include "options/form_rules.h"

#include "datafiles/settings.h"
#include "platform/desktop/application.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include <iterator>

namespace hc {

namespace {

// The fields and their labels are inside the group.
constexpr QRect kPasswordGroup(8, 8, 374, 164);
constexpr int kLabelLeft = 14, kLabelWidth = 130;
constexpr int kFieldLeft = 150, kFieldWidth = 206, kFieldHeight = 22;
constexpr int kRows[3] = {30, 62, 94};
constexpr QRect kPwdBtn(150, 128, 120, 25);

} // namespace

SecurityPage::SecurityPage(Application& application) : OptionsPage(application) {
    setObjectName("Security");
    auto* group = new QGroupBox("Change Password", this);
    group->setObjectName("PasswordGroup");
    group->setGeometry(kPasswordGroup);
    const struct {
        const char* name;
        const char* label;
        QLineEdit** field;
    } rows[] = {{"OldPwd", "Old Password:", &m_oldPwd},
                {"NewPwd", "New Password:", &m_newPwd},
                {"NewPwd2", "New Password Again:", &m_newPwd2}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        QLineEdit* field =
            addField(group, rows[i].name, QRect(kFieldLeft, kRows[i], kFieldWidth, kFieldHeight));
        field->setEchoMode(QLineEdit::Password);
        field->setMaxLength(static_cast<int>(kPasswordMaxLength));
        addLabel(group, (std::string(rows[i].name) + "Label").c_str(), rows[i].label,
                 QRect(kLabelLeft, kRows[i], kLabelWidth, kFieldHeight), field);
        *rows[i].field = field;
    }
    auto* pwdBtn = new QPushButton("Change Password", group);
    pwdBtn->setObjectName("PwdBtn");
    pwdBtn->setGeometry(kPwdBtn);
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
