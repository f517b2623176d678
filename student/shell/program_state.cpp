#include "student/shell/program_state.h"

#include "datafiles/text_codec.h"
#include "student/shell/key_rules.h"
#include "student/shell/loading_message.h"

namespace hc::student {

ProgramState::ProgramState(hc::Application& app, hc::media::MediaSystem& media)
    : m_app(app), m_media(media) {
    // Every screen of the program answers Enter and held keys alike.
    KeyRules::install();
}

ProgramState::~ProgramState() = default;

QString ProgramState::userDisplayName() const {
    return QString::fromStdString(hc::cp1252ToUtf8(m_userName));
}

void ProgramState::setCurrentUser(const std::string& name, const std::string& file, bool onDisk) {
    m_userName = name;
    m_userFile = file;
    m_userOnDisk = onDisk;
    emit currentUserChanged();
}

void ProgramState::showLoadingMessage() {
    if (m_loading != nullptr) {
        m_loading->show();
        m_loading->raise();
        m_loading->repaint();
    }
}

void ProgramState::hideLoadingMessage() {
    if (m_loading != nullptr) {
        m_loading->hide();
    }
}

bool ProgramState::loadingMessageVisible() const {
    return m_loading != nullptr && m_loading->isVisible();
}

} // namespace hc::student
