#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "io/fault_hook.h"
#include "io/file.h"
#include "io/file_system.h"
#include "io/replacement.h"
#include "testkit/testkit.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

using namespace sonkrate::io;

namespace {

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Replaces target with text through ReplacementFile.
Outcome replaceWith(const std::string& target, const std::string& text) {
    ReplacementFile r;
    Outcome done = r.begin(target);
    if (done) done = r.file().writeText(text);
    if (done) done = r.commit();
    return done;
}

}  // namespace

TEST(FaultHook, TheNthCallFailsOnceAndEveryKindNamesItsFile) {
    testkit::ScratchDir dir;
    const std::string path = dir.file("f.bin");
    fault::arm(2);
    File f;
    ASSERT_TRUE(f.open(path, FileMode::Write));  // call 1
    Outcome put = f.write("ab", 2);              // call 2
    EXPECT_TRUE(fault::fired());
    EXPECT_EQ(fault::firedAt(), IoCall::Write);
    ASSERT_FALSE(put);
    EXPECT_NE(put.reason.find(path), std::string::npos) << put.reason;
    EXPECT_TRUE(f.write("cd", 2));  // one fault only
    // The failed write is not forgotten when the file is closed.
    EXPECT_FALSE(f.close());

    // A failed read is a read error, not the end of the file.
    testkit::writeText(path, "0123456789");
    fault::arm(2);
    File in;
    ASSERT_TRUE(in.open(path, FileMode::Read));
    char buffer[4];
    Outcome got = in.readExact(buffer, 4);
    ASSERT_FALSE(got);
    EXPECT_TRUE(in.failed());
    EXPECT_NE(got.reason.find("Cannot read"), std::string::npos) << got.reason;
    (void)in.close();  // Windows renames nothing over an open file

    fault::arm(1);
    Outcome removed = removeFile(path);
    EXPECT_FALSE(removed);
    EXPECT_NE(removed.reason.find(path), std::string::npos);
    EXPECT_TRUE(testkit::fileExists(path));
    fault::arm(1);
    EXPECT_FALSE(renameFile(path, dir.file("g.bin")));
    EXPECT_TRUE(testkit::fileExists(path));
    fault::arm(1);
    EXPECT_FALSE(createFolders(dir.file("sub")));
    EXPECT_FALSE(isFolder(dir.file("sub")));

    // Disarmed, nothing fails.
    fault::arm(3);
    fault::disarm();
    EXPECT_TRUE(replaceWith(path, "x"));
    EXPECT_FALSE(fault::fired());
}

TEST(FaultHook, EveryFailingCallOfAReplacementLeavesTheTargetAndNoTemporary) {
    testkit::ScratchDir dir;
    const std::string target = dir.file("a.tpa");
    testkit::writeText(target, "old");
    std::vector<IoCall> struck;
    std::uint64_t n = 1;
    for (;; ++n) {
        fault::arm(n);
        Outcome done = replaceWith(target, "new content");
        fault::disarm();
        if (!fault::fired()) {
            ASSERT_TRUE(done) << done.reason;
            break;
        }
        struck.push_back(fault::firedAt());
        if (done) {
            // Only the sync of the folder after the rename may fail without
            // failing the replacement: the new file is in place by then.
            EXPECT_EQ(fault::firedAt(), IoCall::Sync);
            EXPECT_EQ(testkit::readText(target), "new content");
            testkit::writeText(target, "old");
            continue;
        }
        EXPECT_NE(done.reason.find(dir.path()), std::string::npos) << done.reason;
        EXPECT_EQ(testkit::readText(target), "old") << n;
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"a.tpa"}) << n;
    }
    EXPECT_EQ(testkit::readText(target), "new content");
    // create, write, flush, sync, close, rename (and the folder's sync off Windows).
    for (IoCall call : {IoCall::Create, IoCall::Write, IoCall::Flush, IoCall::Sync, IoCall::Rename})
        EXPECT_NE(std::find(struck.begin(), struck.end(), call), struck.end()) << fault::callName(call);
    // A scratch commit skips the syncs: create, write, flush at the close, rename.
    fault::arm(5);
    ReplacementFile r;
    ASSERT_TRUE(r.begin(target));
    ASSERT_TRUE(r.file().writeText("scratch"));
    ASSERT_TRUE(r.commit(Durability::Scratch));
    EXPECT_FALSE(fault::fired());
    fault::disarm();
}

TEST(ReplacementFile, TemporariesOfProcessesThatAreGoneAreRemovedByTheNextWrite) {
    long pid = 0;
    EXPECT_TRUE(isReplacementTemporary(".a.tpa.part-1234-5", &pid));
    EXPECT_EQ(pid, 1234);
    EXPECT_TRUE(isReplacementTemporary("..a.wav.part-7-0.part-7-1", &pid));
    EXPECT_EQ(pid, 7);
    for (const char* name : {"a.tpa.part-1-1", ".a.tpa.part-1-", ".a.tpa.part--1", ".a.tpa.part-x-1",
                             ".a.tpa.part-1-2.bak", ".part-1-1", ".a.tpa"})
        EXPECT_FALSE(isReplacementTemporary(name)) << name;

    testkit::ScratchDir dir;
    const long gone = 2147483000L;  // above every system's largest process id
    const std::string dead = dir.file(".a.tpa.part-" + std::to_string(gone) + "-3");
    const std::string mine = dir.file(".a.tpa.part-" + std::to_string(currentProcessId()) + "-999");
    const std::string foreign = dir.file("a.tpa.part-" + std::to_string(gone) + "-3");
    for (const std::string& p : {dead, mine, foreign}) testkit::writeText(p, "left");
#if !defined(_WIN32)
    const std::string running = dir.file(".b.cau.part-" + std::to_string(getppid()) + "-1");
    testkit::writeText(running, "left");
#endif
    EXPECT_FALSE(processRunning(gone));
    EXPECT_TRUE(processRunning(currentProcessId()));

    ASSERT_TRUE(replaceWith(dir.file("other.eel"), "list"));
    EXPECT_FALSE(testkit::fileExists(dead));
    EXPECT_TRUE(testkit::fileExists(mine));
    EXPECT_TRUE(testkit::fileExists(foreign));
#if !defined(_WIN32)
    EXPECT_TRUE(testkit::fileExists(running));
#endif
    EXPECT_EQ(testkit::readText(dir.file("other.eel")), "list");
}
