// The harvest of many files read by several threads: what it finds, where it
// says each name was first seen, the problems and the counts must be those of
// one thread reading the files in the order of the walk. Cancelling stops it.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <atomic>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ids/crc32_fast.h"
#include "ids/search/name_harvest.h"
#include "ids/sound_id.h"
#include "testkit/testkit.h"

using namespace sonkrate::ids;
namespace fs = std::filesystem;

namespace {

// prefix and four bytes after it whose identifier is target: the state
// before four bytes is the state after them run back over four zeros, with
// the bytes mixed in. Prefixes are tried until the four bytes are plain name
// bytes (no letter, delimiter, blank, dot or control byte).
std::string nameOf(SoundId target, std::mt19937& random) {
    for (;;) {
        const std::string prefix = "clash-" + std::to_string(random() % 1000000) + "-";
        const std::uint32_t before = crcUpdateLower(kCrcStart, reinterpret_cast<const std::uint8_t*>(prefix.data()),
                                                    prefix.size());
        std::uint32_t state = target ^ kCrcStart;
        for (int k = 0; k < 4; ++k) state = crcStepBack(state, 0);
        const std::uint32_t mixed = state ^ before;
        std::string name = prefix;
        bool plain = true;
        for (int k = 0; k < 4; ++k) {
            const auto b = static_cast<unsigned char>(mixed >> (8 * k));
            plain = plain && ((b >= '0' && b <= '9') || b == '-' || b == '_' || b >= 0x80);
            name.push_back(static_cast<char>(b));
        }
        if (plain) return name;
    }
}

struct Harvest {
    std::vector<std::string> matches;  // "id name path@offset", each id's names in their order
    std::vector<std::string> problems;
    HarvestResult result;
};

Harvest harvestWith(const std::vector<std::string>& paths, const SoughtIds& sought, unsigned threads) {
    Harvest h;
    NameMatches matches;
    HarvestHooks hooks;
    hooks.threads = threads;
    hooks.onProblem = [&](const std::string& p) { h.problems.push_back(p); };
    h.result = harvestNames(paths, sought, matches, hooks);
    for (const auto& [id, list] : matches.byId())
        for (const NameMatch& m : list)
            h.matches.push_back(formatSoundId(id) + " " + m.name + " " + m.path + "@" + std::to_string(m.offset));
    return h;
}

}  // namespace

TEST(NameHarvestThreads, FindWhatOneThreadFindsInTheOrderOfTheWalk) {
    testkit::ScratchDir dir;
    std::mt19937 random(3);
    // 40 names of one identifier, more than are kept for it: which ones are
    // kept depends on the order the files are taken in.
    const SoundId clash = computeSoundId("clash-target");
    std::vector<std::string> clashing;
    for (int i = 0; i < 40; ++i) clashing.push_back(nameOf(clash, random));
    for (const std::string& n : clashing) ASSERT_EQ(computeSoundId(n), clash) << n;
    std::vector<SoundId> ids = {clash};
    for (int i = 0; i < 30; ++i) ids.push_back(computeSoundId("amb-wind-" + std::to_string(i)));
    const SoughtIds sought(ids);
    for (int f = 0; f < 48; ++f) {
        std::string bytes;
        for (int k = 0; k < 2000; ++k) bytes.push_back(static_cast<char>(random()));
        for (int k = 0; k < 6; ++k) {
            const std::string name = random() % 3 ? "amb-wind-" + std::to_string(random() % 30) : clashing[random() % 40];
            bytes += std::string(1, '\0') + name + '\0';
            for (int j = 0; j < 300; ++j) bytes.push_back(static_cast<char>(random()));
        }
        const std::string folder = dir.file("game/d" + std::to_string(f % 5) + (f % 2 ? "/deep" : ""));
        fs::create_directories(folder);
        // Sizes far apart, so that the threads finish out of order.
        if (f % 7 == 0) bytes += std::string(300000, 'x');
        testkit::writeText(folder + "/f" + std::to_string(f) + ".bin", bytes);
    }
    std::error_code ec;
    fs::create_symlink(dir.file("gone.bin"), dir.file("game/d1/dangling.bin"), ec);
#if !defined(_WIN32)
    // FIFOs are never opened (a read would wait for a writer): inside a folder
    // they are left out, given themselves they are a problem. On Windows the
    // path is missing, a problem too.
    ASSERT_EQ(mkfifo(dir.file("game/d3/pipe.bin").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
#endif
    const std::vector<std::string> paths = {dir.file("game"), dir.file("absent"), dir.file("pipe"), dir.file("game/d2")};

    const Harvest one = harvestWith(paths, sought, 1);
    EXPECT_EQ(one.matches.size(), 30u + NameMatches::kMaxNamesPerId);
    ASSERT_GE(one.problems.size(), 2u);
    EXPECT_NE(one.problems[0].find("absent"), std::string::npos) << one.problems[0];
    EXPECT_NE(one.problems[1].find("pipe"), std::string::npos) << one.problems[1];
    for (unsigned threads : {2u, 3u, 8u}) {
        const Harvest many = harvestWith(paths, sought, threads);
        EXPECT_EQ(many.matches, one.matches) << threads << " threads";
        EXPECT_EQ(many.problems, one.problems) << threads << " threads";
        EXPECT_EQ(many.result.problems, many.problems);  // kept as they were heard
        EXPECT_EQ(many.result.problemCount, many.problems.size());
        EXPECT_EQ(many.result.filesRead, one.result.filesRead);
        EXPECT_EQ(many.result.bytesRead, one.result.bytesRead);
        EXPECT_EQ(many.result.candidates, one.result.candidates);
        EXPECT_EQ(many.result.namesFound, one.result.namesFound);
        EXPECT_FALSE(many.result.cancelled);
    }
    // The folder given again (its 10 files read twice) leaves every name at its first place.
    EXPECT_EQ(one.result.filesRead, 58u);
}

TEST(NameHarvestThreads, ACancelStopsTheHarvestWithWhatWasTakenSoFar) {
    testkit::ScratchDir dir;
    fs::create_directories(dir.file("t"));
    for (int f = 0; f < 20; ++f)
        testkit::writeText(dir.file("t/f" + std::to_string(f) + ".txt"),
                           "rain-0" + std::to_string(f % 10) + "\n" + std::string(100000, '.'));
    const SoughtIds sought({computeSoundId("rain-01")});

    std::atomic<bool> cancel{true};
    NameMatches none;
    HarvestHooks before;
    before.cancel = &cancel;
    const HarvestResult r = harvestNames({dir.file("t")}, sought, none, before);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.filesRead, 0u);

    cancel = false;
    NameMatches some;
    HarvestHooks during;
    during.cancel = &cancel;
    during.threads = 2;
    std::uint64_t progressCalls = 0, lastDone = 0, total = 0;
    during.progress = [&](const HarvestProgress& p) {
        ++progressCalls;
        EXPECT_GE(p.bytesDone, lastDone);
        lastDone = p.bytesDone, total = p.bytesTotal;
        if (p.filesDone == 3) cancel = true;
    };
    const HarvestResult stopped = harvestNames({dir.file("t")}, sought, some, during);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(stopped.filesRead, 3u);
    EXPECT_GE(progressCalls, 3u);
    EXPECT_EQ(total, 20u * 100008u);

    NameMatches all;
    HarvestHooks plain;
    plain.progress = [&](const HarvestProgress& p) { lastDone = p.bytesDone; };
    const HarvestResult whole = harvestNames({dir.file("t")}, sought, all, plain);
    EXPECT_FALSE(whole.cancelled);
    EXPECT_EQ(whole.filesRead, 20u);
    EXPECT_EQ(lastDone, 20u * 100008u);
    EXPECT_EQ(all.count(), 1u);
}
