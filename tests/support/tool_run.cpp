#include "tool_run.h"

#include <cstdlib>
#include <sys/wait.h>

#include "temp_dir.h"

namespace hc::test {

std::string toolPath(const std::string& tool) {
    const char* tools = std::getenv("HC_TOOL_DIR");
    return std::string(tools != nullptr ? tools : ".") + "/" + tool;
}

std::string shellQuoted(const std::string& arg) {
    std::string out = "'";
    for (char c : arg) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

ToolRun runShell(const std::string& commandLine) {
    const std::string command = "{ " + commandLine + "; } >out.txt 2>err.txt";
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile("out.txt");
    run.err = readFile("err.txt");
    return run;
}

} // namespace hc::test
