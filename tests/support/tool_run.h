#pragma once

#include <string>

namespace hc::test {

// What a command-line tool printed and how it ended.
struct ToolRun {
    int status = -1; // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Path of a tool the build made (in HC_TOOL_DIR).
std::string toolPath(const std::string& tool);

// `arg` as one word of a shell command line, whatever characters it holds.
std::string shellQuoted(const std::string& arg);

// Runs a shell command line in the current directory, as a school's script would, and collects
// its standard output and error (through the files out.txt and err.txt in that directory).
ToolRun runShell(const std::string& commandLine);

} // namespace hc::test
