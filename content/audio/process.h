#pragma once

// Running the Debian media tools (flite, espeak-ng, sox) from the content generators.

#include <stdexcept>
#include <string>
#include <vector>

namespace hc::audio {

// A tool that ran and did not exit with 0. what() names the program and its command line (for
// the developer); reason() is the last line the tool printed, which says what went wrong in
// the tool's words.
class ProgramFailed : public std::runtime_error {
public:
    ProgramFailed(const std::string& message, std::string reason)
        : std::runtime_error(message), m_reason(std::move(reason)) {}
    const std::string& reason() const { return m_reason; }

private:
    std::string m_reason;
};

// Runs argv[0] with the given arguments, without a shell, and waits for it. Its standard
// output goes to ours. Its standard error is held back: after a success it is passed on to
// ours (warnings reach the build log), after a failure it becomes the ProgramFailed's reason,
// so the caller decides how much of it a reader needs. Throws std::runtime_error when the
// program cannot be started.
void runProgram(const std::vector<std::string>& argv);

} // namespace hc::audio
