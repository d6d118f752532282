// Timing of work run in a child process, for the benchmarks: wall time, the
// child's CPU time and its peak memory, measured the same way for the tool
// and for the peer it is compared with.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace sonkrate::bench {

struct ChildRun {
    bool ok = false;     // exited with status 0
    double wall = 0;     // seconds
    double user = 0;     // seconds of CPU in user mode
    double sys = 0;      // seconds of CPU in system mode
    double peakMiB = 0;  // peak resident memory
};

// Keeps the fastest run and the largest peak of one measured command.
struct Best {
    double seconds = 1e30;
    double peakMiB = 0;
    bool ok = true;
    void take(const ChildRun& r) {
        seconds = std::min(seconds, r.wall);
        peakMiB = std::max(peakMiB, r.peakMiB);
        ok = ok && r.ok;
    }
};

// Runs work() in a child process whose standard output goes to /dev/null, and
// its standard error too when quietErrors is set; work's result is the exit status.
ChildRun runInChild(const std::function<int()>& work, bool quietErrors = false);

// Runs a program searched on PATH in the same way.
ChildRun runProgram(const std::vector<std::string>& argv, bool quietErrors = false);

// Writes out the dirty pages of the previous round, so that rounds start alike.
void settle();

}  // namespace sonkrate::bench
