// sonkrate-cli add killed with SIGKILL at random moments while it adds to an
// archive of 50 MB: afterwards the archive is always the old one or the new
// one, byte for byte, and the next add clears what the killed ones left.
// Needs fork and signals, so it is left out of the Windows build.
#if !defined(_WIN32) && defined(SONKRATE_CLI_PATH)
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "archive/archive_builder.h"
#include "io/replacement.h"

namespace fs = std::filesystem;
using testkit::Bytes;

namespace {

constexpr int kKills = 50;

// Starts `sonkrate-cli add archive sound --name crate --backup backup`.
pid_t startAdd(const std::string& archive, const std::string& sound, const std::string& backup) {
    pid_t pid = fork();
    if (pid == 0) {
        execl(SONKRATE_CLI_PATH, SONKRATE_CLI_PATH, "add", archive.c_str(), sound.c_str(), "--name", "crate",
              "--backup", backup.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

int temporariesIn(const std::string& folder) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder)) n += sonkrate::io::isReplacementTemporary(e.path().filename().string());
    return n;
}

}  // namespace

TEST(KilledAdd, TheArchiveIsAlwaysTheOldOrTheNewOne) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "comparing 50 MB archives 50 times takes minutes under AddressSanitizer";
#endif
    testkit::ScratchDir dir, spare;
    std::vector<archive_test::Image> images;
    for (std::uint32_t i = 0; i < 101; ++i) images.push_back({0x5000 + i, archive_test::pcmImage(22050, 2, 530000 + i)});
    const std::string tpa = dir.file("big.tpa"), cau = dir.file("crate.cau"), backup = dir.file("big.tpa.backup");
    testkit::writeFile(tpa, archive_test::retailArchive(images));
    testkit::writeFile(cau, archive_test::pcmImage(11025, 1, 200000));
    ASSERT_GE(testkit::fileSize(tpa), 50u << 20);

    // How long one add takes here, to spread the kills over it.
    Bytes old = testkit::readFile(tpa);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(waitFor(startAdd(tpa, cau, backup)), 0);
    const auto addTime = std::chrono::steady_clock::now() - start;
    Bytes current = testkit::readFile(tpa);
    ASSERT_NE(current, old);

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(addTime).count();
    std::uniform_int_distribution<long long> moment(0, span + span / 5);
    int landed = 0;
    testkit::writeText(spare.file("b"), "");  // a backup there already: the reference add makes none
    for (int k = 0; k < kKills; ++k) {
        pid_t pid = startAdd(tpa, cau, backup);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        kill(pid, SIGKILL);
        waitFor(pid);
        Bytes now = testkit::readFile(tpa);
        if (now == current) continue;
        // The add went through before the kill: the archive must be what an
        // add without a kill makes of the old one.
        ++landed;
        testkit::writeFile(spare.file("big.tpa"), current);
        ASSERT_EQ(waitFor(startAdd(spare.file("big.tpa"), cau, spare.file("b"))), 0);
        ASSERT_EQ(now, testkit::readFile(spare.file("big.tpa"))) << "seed " << seed << ", kill " << k;
        current = std::move(now);
    }
    RecordProperty("addsCompletedBeforeTheKill", landed);

    // The add that follows works and leaves no temporary of the killed ones.
    ASSERT_EQ(waitFor(startAdd(tpa, cau, backup)), 0);
    EXPECT_EQ(testkit::fileSize(tpa), current.size() + 56 + 200036);
    EXPECT_EQ(temporariesIn(dir.path()), 0);
}

#endif
