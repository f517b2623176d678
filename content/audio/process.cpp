#include "process.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace hc::audio {

void runProgram(const std::vector<std::string>& argv) {
    if (argv.empty()) {
        throw std::runtime_error("no program to run");
    }
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ);
    if (spawned != 0) {
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(spawned));
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("lost track of " + argv[0] + ": " + std::strerror(errno));
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return;
    }
    std::string command;
    for (const std::string& arg : argv) {
        command += (command.empty() ? "" : " ") + arg;
    }
    if (WIFSIGNALED(status)) {
        throw std::runtime_error(argv[0] + " was killed by signal " +
                                 std::to_string(WTERMSIG(status)) + ": " + command);
    }
    throw std::runtime_error(argv[0] + " failed with exit status " +
                             std::to_string(WEXITSTATUS(status)) + ": " + command);
}

} // namespace hc::audio
