#include "process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace hc::audio {

namespace {

// The last non-empty line of `text`.
std::string lastLine(const std::string& text) {
    std::size_t end = text.find_last_not_of("\r\n \t");
    if (end == std::string::npos) {
        return {};
    }
    const std::size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1,
                       end + 1 - (start == std::string::npos ? 0 : start + 1));
}

class Pipe {
public:
    Pipe() {
        if (pipe(m_ends) != 0) {
            throw std::runtime_error(std::string("cannot make a pipe: ") + std::strerror(errno));
        }
    }
    ~Pipe() {
        closeEnd(0);
        closeEnd(1);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int readEnd() const { return m_ends[0]; }
    int writeEnd() const { return m_ends[1]; }
    void closeEnd(int end) {
        if (m_ends[end] >= 0) {
            close(m_ends[end]);
            m_ends[end] = -1;
        }
    }

private:
    int m_ends[2] = {-1, -1};
};

} // namespace

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

    Pipe errors;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errors.writeEnd(), STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, errors.readEnd());
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(spawned));
    }
    errors.closeEnd(1);
    std::string errorText;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(errors.readEnd(), buffer, sizeof buffer);
        if (got > 0) {
            errorText.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("lost track of " + argv[0] + ": " + std::strerror(errno));
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        std::fputs(errorText.c_str(), stderr);
        return;
    }
    std::string command;
    for (const std::string& arg : argv) {
        command += (command.empty() ? "" : " ") + arg;
    }
    const std::string said = errorText.empty() ? "" : "\n" + errorText;
    if (WIFSIGNALED(status)) {
        throw ProgramFailed(argv[0] + " was killed by signal " + std::to_string(WTERMSIG(status)) +
                                ": " + command + said,
                            lastLine(errorText));
    }
    throw ProgramFailed(argv[0] + " failed with exit status " +
                            std::to_string(WEXITSTATUS(status)) + ": " + command + said,
                        lastLine(errorText));
}

} // namespace hc::audio
