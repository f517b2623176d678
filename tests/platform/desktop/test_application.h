#pragma once

#include "platform/desktop/application.h"
#include "platform/desktop/message_box.h"

#include <vector>

namespace hc::test {

// The one application of the desktop test binary, made before the first test and destroyed
// after the last. Its title is "Honeycombwordsmiths".
hc::Application& application();

// A message-box presenter that records every request and answers at once with `answer`.
class RecordingPresenter final : public hc::MessageBoxPresenter {
public:
    explicit RecordingPresenter(std::vector<hc::MessageRequest>& log,
                                hc::MessageAnswer answer = hc::MessageAnswer::Ok)
        : m_log(log), m_answer(answer) {}
    hc::MessageAnswer present(const hc::MessageRequest& request) override {
        m_log.push_back(request);
        return m_answer;
    }

private:
    std::vector<hc::MessageRequest>& m_log;
    hc::MessageAnswer m_answer;
};

} // namespace hc::test
