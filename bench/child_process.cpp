#include "child_process.h"

#include <chrono>
#include <cstdio>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sonkrate::bench {

namespace {
double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }
}  // namespace

ChildRun runInChild(const std::function<int()>& work, bool quietErrors) {
    ChildRun run;
    std::fflush(stdout);  // nothing buffered is printed twice by the child
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout)) _exit(127);
        if (quietErrors && !freopen("/dev/null", "w", stderr)) _exit(127);
        _exit(work());
    }
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) < 0) return run;
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.user = seconds(usage.ru_utime);
    run.sys = seconds(usage.ru_stime);
    run.peakMiB = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

ChildRun runProgram(const std::vector<std::string>& argv, bool quietErrors) {
    return runInChild(
        [&argv] {
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execvp(args[0], args.data());
            return 127;
        },
        quietErrors);
}

void settle() { (void)runProgram({"sync"}); }

}  // namespace sonkrate::bench
