#include "options/options_program.h"

#include "options/form_support.h"
#include "options/opt_form.h"
#include "options/password_form.h"
#include "options/user_print_form.h"
#include "options/word_print_form.h"

#include "platform/desktop/application.h"

namespace hc {

OptionsProgram::OptionsProgram(Application& application) {
    m_passwordForm = std::make_unique<TPasswordForm>(application);
    application.guard([this] { m_passwordForm->FormCreate(); });
    // The print forms come after the options form in the program's order, but the options form
    // prints through them, so they are made first; neither loads anything when it is made.
    m_userPrintForm = std::make_unique<TUserPrintForm>();
    m_wordPrintForm = std::make_unique<TWordPrintForm>();
    m_optForm = std::make_unique<TOptForm>(application, *m_userPrintForm, *m_wordPrintForm);
    // Settings whose password could not be read are never loaded into the form: the program
    // ends at start, after the box's one message.
    if (!m_passwordForm->settingsUnreadable()) {
        application.guard([this] { m_optForm->FormCreate(); });
    }

    connect(m_passwordForm.get(), &TPasswordForm::showOptions, this, [this] { showOptions(); });
    connect(m_passwordForm.get(), &TPasswordForm::closed, this, [this] { end(); });
    connect(m_optForm.get(), &TOptForm::endProgram, this, [this] { m_passwordForm->close(); });
}

OptionsProgram::~OptionsProgram() = default;

void OptionsProgram::start() {
    if (m_passwordForm->settingsUnreadable()) {
        end();
        return;
    }
    if (m_passwordForm->showsAtStart()) {
        centreOnScreen(*m_passwordForm);
        m_passwordForm->show();
        m_passwordForm->activateWindow();
        // A box shown over an unreadable OPTIONS.DAT may find no password in what was read.
        m_passwordForm->FormActivate();
    } else {
        showOptions();
    }
}

void OptionsProgram::showOptions() {
    if (m_ended || m_optForm->isVisible()) {
        return;
    }
    centreOnScreen(*m_optForm);
    m_optForm->show();
    m_optForm->activateWindow();
}

void OptionsProgram::end() {
    if (m_ended) {
        return;
    }
    m_ended = true;
    m_optForm->hide();
    emit ended();
}

} // namespace hc
