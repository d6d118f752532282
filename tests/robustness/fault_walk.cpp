#include "robustness/fault_walk.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "io/fault_hook.h"
#include "io/replacement.h"

namespace fs = std::filesystem;
using namespace sonkrate;

namespace robustness {

namespace {

constexpr unsigned kMostCalls = 20000;

std::string describe(const Snapshot& files) {
    std::string text;
    for (const auto& [name, bytes] : files) text += " " + name + "(" + std::to_string(bytes.size()) + ")";
    return text;
}

// Each file as before or as after a complete run; targets as before.
void expectOldOrNew(const Snapshot& now, const Snapshot& before, const Snapshot& after, const WalkOptions& options,
                    Targets targets, unsigned n) {
    if (targets == Targets::CheckedByCaller) return;
    const bool targetsWritten = targets == Targets::AsAfter;
    for (const auto& [name, bytes] : now) {
        auto old = before.find(name);
        auto made = after.find(name);
        bool asBefore = old != before.end() && old->second == bytes;
        bool asAfter = made != after.end() && made->second == bytes;
        if (options.targets.count(name)) {
            EXPECT_TRUE(targetsWritten ? asAfter : asBefore) << name << " wrong after a failed run, fault at call " << n;
        } else if (!targetsWritten) {
            EXPECT_TRUE(asBefore || asAfter) << name << " is half written, fault at call " << n;
        }
    }
    const Snapshot& expected = targetsWritten ? after : before;
    for (const std::string& target : options.targets)
        EXPECT_EQ(expected.count(target), now.count(target)) << target << ", fault at call " << n;
}

}  // namespace

Snapshot snapshot(const std::string& folder) {
    Snapshot files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        files[fs::relative(entry.path(), folder).generic_string()] = testkit::readFile(entry.path().string());
    }
    return files;
}

void restore(const std::string& folder, const Snapshot& files) {
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove_all(entry.path());
    for (const auto& [name, bytes] : files) {
        fs::path path = fs::path(folder) / fs::path(name);
        fs::create_directories(path.parent_path());
        testkit::writeFile(path.string(), bytes);
    }
}

WalkReport walkFaults(const std::string& folder, const std::function<Attempt()>& op, const WalkOptions& options) {
    WalkReport report;
    const Snapshot before = snapshot(folder);
    Attempt clean = op();
    EXPECT_TRUE(clean.ok) << "without a fault: " << clean.reason;
    const Snapshot after = snapshot(folder);
    const std::string names = options.reasonNames.empty() ? folder : options.reasonNames;

    for (unsigned n = 1; n < kMostCalls; ++n) {
        restore(folder, before);
        io::fault::arm(n);
        Attempt run = op();
        io::fault::disarm();
        const Snapshot now = snapshot(folder);
        if (!io::fault::fired()) {
            EXPECT_TRUE(run.ok) << "no fault at call " << n << ", yet: " << run.reason;
            EXPECT_EQ(now, after) << "a complete run left" << describe(now);
            return report;
        }
        ++report.faults;
        const io::IoCall call = io::fault::firedAt();
        if (run.ok) {
            // A fault that may go by (a folder's sync after the rename, a check
            // whether a file can be read) must leave what a complete run leaves;
            // only a scratch file whose removal failed may be left over.
            for (const auto& [name, bytes] : after) {
                EXPECT_TRUE(now.count(name) && now.at(name) == bytes) << name << " after a fault at call " << n;
            }
            for (const auto& [name, bytes] : now) {
                if (!after.count(name)) {
                    EXPECT_EQ(call, io::IoCall::Remove) << name << " left, fault at call " << n;
                }
            }
            continue;
        }
        ++report.failures;
        EXPECT_NE(run.reason.find(names), std::string::npos)
            << "fault at call " << n << " (" << io::fault::callName(call) << "): " << run.reason;
        expectOldOrNew(now, before, after, options, run.targets, n);
        for (const auto& [name, bytes] : now) {
            EXPECT_TRUE(before.count(name) || after.count(name)) << name << " left, fault at call " << n;
        }
    }
    ADD_FAILURE() << "the operation never ran through without a fault";
    return report;
}

}  // namespace robustness
