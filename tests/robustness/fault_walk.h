// Walking an operation through every I/O call it makes: run once without a
// fault to learn what it writes, then again with the 1st, 2nd, 3rd ... call
// failing, each time from the same files, until a run meets no fault.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>

#include "testkit/testkit.h"

namespace robustness {

// Every file under a folder (relative path -> bytes).
using Snapshot = std::map<std::string, testkit::Bytes>;
Snapshot snapshot(const std::string& folder);
// Makes the folder hold exactly the snapshot again.
void restore(const std::string& folder, const Snapshot& files);

// What a failed run left of its targets.
enum class Targets {
    AsBefore,  // untouched: the usual case
    // Failed after the targets were written (a log or a record beside them
    // could not be): as a complete run leaves them, and the files beside
    // them may tell of what was missed.
    AsAfter,
    // Replaced by complete files that differ from a clean run's (a sound that
    // could not be read was replaced and reported); the caller checked them.
    CheckedByCaller,
};

struct Attempt {
    bool ok = false;
    std::string reason;  // why it failed
    Targets targets = Targets::AsBefore;
};

struct WalkOptions {
    // Files (relative paths) that a failed run must leave exactly as they were
    // before it; every other file may be as before or as a complete run leaves
    // it, nothing in between, and no file may appear that neither state has.
    std::set<std::string> targets;
    // Text every failure reason must hold (default: the folder's path).
    std::string reasonNames;
};

struct WalkReport {
    unsigned faults = 0;        // runs in which the fault struck
    unsigned failures = 0;      // of those, runs that reported a failure
};

// Checks every run with gtest expectations and returns what happened.
WalkReport walkFaults(const std::string& folder, const std::function<Attempt()>& op, const WalkOptions& options = {});

}  // namespace robustness
