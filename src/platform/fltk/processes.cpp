#include "platform/fltk/processes.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace sonkrate::platform::desktop {

pid_t spawnProgram(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> args;
    args.push_back(program);
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    // The child starts with the default signal mask and dispositions, not
    // with whatever the window's libraries have set.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    bool onPath = program.find('/') == std::string::npos;
    int rc = onPath ? posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv.data(), environ)
                    : posix_spawn(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    return rc == 0 ? pid : -1;
}

std::optional<int> waitForExit(pid_t pid, int timeoutMs) {
    if (pid <= 0) return -1;
    for (int waited = 0;; waited += 10) {
        int status = 0;
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            if (WIFEXITED(status)) return WEXITSTATUS(status);
            if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
            return -1;
        }
        if (r < 0 && errno != EINTR) return -1;  // not our child (any more)
        if (waited >= timeoutMs) return std::nullopt;
        timespec ts{0, 10 * 1000 * 1000};
        nanosleep(&ts, nullptr);
    }
}

void endProgram(pid_t pid, int graceMs) {
    if (pid <= 0) return;
    if (waitForExit(pid, 0)) return;
    kill(pid, SIGTERM);
    if (waitForExit(pid, graceMs)) return;
    kill(pid, SIGKILL);
    waitForExit(pid, 1000);
}

}  // namespace sonkrate::platform::desktop
