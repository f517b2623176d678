#pragma once

// Running the Debian media tools (flite, espeak-ng, sox) from the content generators.

#include <string>
#include <vector>

namespace hc::audio {

// Runs argv[0] with the given arguments, without a shell, and waits for it. Its standard
// output and error go to ours, so the tool's own messages reach the build log. Throws
// std::runtime_error naming the program when it cannot be started or does not exit with 0.
void runProgram(const std::vector<std::string>& argv);

} // namespace hc::audio
