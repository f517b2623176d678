#include "options/password_form.h"

#include "options/form_support.h"

#include "archive/error.h"
#include "datafiles/settings.h"
#include "platform/desktop/application.h"
#include "platform/desktop/ui_kit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <string>

namespace hc {

namespace {

// The layout, in logical pixels.
constexpr QSize kClientSize(224, 94);
constexpr QRect kPanel(0, 0, 224, 94);
constexpr QRect kHeading(3, 3, 218, 20);
constexpr QRect kPwdEdit(8, 27, 208, 28);
constexpr QRect kMarks(8, 62, 58, 24);
constexpr QRect kCheckBoxes[3] = {{3, 4, 16, 16}, {20, 4, 16, 16}, {37, 4, 16, 16}};
constexpr QRect kCancelBtn(74, 61, 68, 26);
constexpr QRect kOkBtn(148, 61, 68, 26);

const QColor kPanelColour(167, 169, 250);
const QColor kHeadingColour(Qt::red);

} // namespace

TPasswordForm::TPasswordForm(Application& application, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint), m_application(application) {
    setObjectName("PasswordForm");
    setFont(systemFont());
    // Frameless, but still named for the task switcher, window tools and screen readers.
    setWindowTitle(kCaption);
    setFixedSize(kClientSize);
    setModal(false);

    m_panel = place(new QFrame(this), "Panel1", kPanel);
    m_panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_panel->setLineWidth(1);
    m_panel->setAutoFillBackground(true);
    QPalette panelPalette = m_panel->palette();
    panelPalette.setColor(QPalette::Window, kPanelColour);
    m_panel->setPalette(panelPalette);

    m_heading = place(new QLabel("Enter teacher password:", m_panel), "Label1", kHeading);
    m_heading->setAlignment(Qt::AlignCenter);
    m_heading->setAutoFillBackground(true);
    QFont headingFont = m_heading->font();
    headingFont.setBold(true);
    m_heading->setFont(headingFont);
    QPalette headingPalette = m_heading->palette();
    headingPalette.setColor(QPalette::Window, kHeadingColour);
    headingPalette.setColor(QPalette::WindowText, Qt::white);
    m_heading->setPalette(headingPalette);

    m_pwdEdit = place(new QLineEdit(m_panel), "PwdEdit", kPwdEdit);
    m_pwdEdit->setEchoMode(QLineEdit::Password);
    QFont large = m_pwdEdit->font();
    large.setPixelSize(18);
    m_pwdEdit->setFont(large);
    m_heading->setBuddy(m_pwdEdit);

    // The marks: shown, never clicked.
    m_marks = place(new QFrame(m_panel), "MarksPanel", kMarks);
    m_marks->setEnabled(false);
    for (int i = 0; i < 3; ++i) {
        auto* box = place(new QCheckBox(m_marks), ("CheckBox" + std::to_string(i + 1)).c_str(),
                          kCheckBoxes[i], QString("Wrong password %1").arg(i + 1));
        box->setFocusPolicy(Qt::NoFocus);
        m_checkBoxes[i] = box;
    }
    updateMarksName();

    m_cancelBtn = place(new QPushButton("Cancel", m_panel), "CancelBtn", kCancelBtn);
    // Enter on the focused Cancel is Cancel; in the field it is OK.
    m_cancelBtn->setAutoDefault(true);
    m_okBtn = place(new QPushButton("OK", m_panel), "OkBtn", kOkBtn);
    m_okBtn->setDefault(true);

    connect(m_okBtn, &QPushButton::clicked, this, [this] { OkBtnClick(); });
    connect(m_cancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });

    setTabOrder(m_pwdEdit, m_cancelBtn);
    setTabOrder(m_cancelBtn, m_okBtn);
    m_pwdEdit->setFocus();
}

void TPasswordForm::FormCreate() {
    const SettingsLoad load = loadSettings();
    m_settingsUnreadable = !load.passwordRead();
    if (load.result != OptionsFileOk) {
        throw Error(OptionsFileMessage(load.result));
    }
    if (GetPassword().empty()) {
        // Never seen: the options form comes up in its place.
        m_showsAtStart = false;
    }
}

void TPasswordForm::FormActivate() {
    if (GetPassword().empty()) {
        emit showOptions();
    }
}

void TPasswordForm::OkBtnClick() {
    // Letter case counts. The stored password holds 7-bit characters only, so an entry with
    // any other character never matches.
    if (m_pwdEdit->text() == QString::fromLatin1(GetPassword())) {
        hide();
        emit showOptions();
        return;
    }
    m_pwdEdit->clear();
    if (m_checkBoxes[2]->isChecked()) {
        close();
        return;
    }
    if (m_checkBoxes[1]->isChecked()) {
        m_checkBoxes[2]->setChecked(true);
    } else if (m_checkBoxes[0]->isChecked()) {
        m_checkBoxes[1]->setChecked(true);
    } else {
        m_checkBoxes[0]->setChecked(true);
    }
    updateMarksName();
    m_pwdEdit->setFocus();
}

void TPasswordForm::CancelBtnClick() {
    close();
}

int TPasswordForm::wrongPasswords() const {
    int ticked = 0;
    for (const QCheckBox* box : m_checkBoxes) {
        ticked += box->isChecked() ? 1 : 0;
    }
    return ticked;
}

void TPasswordForm::updateMarksName() {
    m_marks->setAccessibleName(QString("Wrong passwords: %1").arg(wrongPasswords()));
}

void TPasswordForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormActivate();
    }
}

void TPasswordForm::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!m_closed) {
        m_closed = true;
        emit closed();
    }
}

void TPasswordForm::reject() {
    CancelBtnClick();
}

} // namespace hc
