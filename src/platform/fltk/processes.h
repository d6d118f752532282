// Starting, waiting for and ending child programs (the kill switch and the
// desktop's opener), without a shell in between.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace sonkrate::platform::desktop {

// Starts program (looked up on PATH when it has no "/") with the given
// arguments; argv[0] is the program. Returns the child's pid, or -1 when it
// could not be started.
pid_t spawnProgram(const std::string& program, const std::vector<std::string>& arguments);

// Waits up to timeoutMs for the child to end. Returns its exit code (128 +
// the signal when a signal ended it), or nothing when it still runs.
std::optional<int> waitForExit(pid_t pid, int timeoutMs);

// Asks the child to end (SIGTERM), waits up to graceMs, then kills it.
void endProgram(pid_t pid, int graceMs);

}  // namespace sonkrate::platform::desktop
