// A stand-in for a program start, used by single_instance_test: claims the one running copy
// of NAME in DIR ("-" for the default directory) and prints "first" or "another".
//   hold   : if first, keeps the claim until its standard input closes (or it is killed)
//   spawn  : if first, starts a long-lived child ("sleep 60"), prints "child PID", and ends
#include "platform/desktop/single_instance.h"

#include <cstdio>
#include <optional>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s DIR NAME hold|spawn\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const std::string mode = argv[3];
    std::optional<hc::SingleInstance> instance;
    if (dir == "-") {
        instance.emplace(argv[2]);
    } else {
        instance.emplace(argv[2], dir);
    }
    const bool first = !instance->anotherCopyRunning();
    std::printf("%s\n", first ? "first" : "another");
    std::fflush(stdout);
    if (!first) {
        return 0;
    }
    if (mode == "spawn") {
        pid_t child = 0;
        char sleepName[] = "sleep";
        char seconds[] = "60";
        char* childArgs[] = {sleepName, seconds, nullptr};
        // The child gets none of the probe's pipes, so only the claim could tie it to us.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
            posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
        }
        const int spawned = posix_spawnp(&child, "sleep", &actions, nullptr, childArgs, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            std::perror("posix_spawnp");
            return 1;
        }
        std::printf("child %d\n", static_cast<int>(child));
        std::fflush(stdout);
        return 0;
    }
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    return 0;
}
