// Every input that once made a fuzz harness fail is kept under
// tests/regressions/<harness>/ and replayed here through the same harness, in
// the normal, the sanitizer and the Windows builds. A harness stops the
// program when a reader crashes or breaks one of its checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "fuzz/fuzz_support.h"
#include "fuzz/sample_files.h"

namespace fs = std::filesystem;

namespace {

const fs::path kRegressions = SONKRATE_REGRESSIONS_DIR;

std::set<std::string> keptHarnessFolders() {
    std::set<std::string> folders;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(kRegressions, ec))
        if (e.is_directory()) folders.insert(e.path().filename().string());
    return folders;
}

}  // namespace

TEST(FuzzRegressions, EveryKeptInputRunsCleanThroughItsHarness) {
    const auto& harnesses = sonkrate::fuzz::registeredHarnesses();
    std::size_t replayed = 0;
    for (const std::string& folder : keptHarnessFolders()) {
        auto harness = harnesses.find(folder);
        ASSERT_NE(harness, harnesses.end()) << "tests/regressions/" << folder << " names no harness";
        for (const fs::directory_entry& e : fs::directory_iterator(kRegressions / folder)) {
            if (!e.is_regular_file()) continue;
            SCOPED_TRACE(folder + "/" + e.path().filename().string());
            sonkrate::fuzz::Bytes input = sonkrate::fuzz::readWhole(e.path().string());
            harness->second(input.data(), input.size());
            ++replayed;
        }
    }
    if (replayed == 0) GTEST_SKIP() << "no input is kept under tests/regressions yet";
}

// The seeds made by the project's writers are sound files: each harness's
// checks (a saved copy of the right length, a built archive that loads, an
// add that leaves a loadable archive ...) must hold on them.
TEST(FuzzRegressions, WellFormedSeedsPassEveryCheckOfTheirHarness) {
    const auto& harnesses = sonkrate::fuzz::registeredHarnesses();
    std::set<std::string> covered;
    for (const sonkrate::fuzz::SeedInput& seed : sonkrate::fuzz::projectSeeds()) {
        auto harness = harnesses.find(seed.harness);
        ASSERT_NE(harness, harnesses.end()) << seed.harness;
        SCOPED_TRACE(seed.harness + "/" + seed.name);
        harness->second(seed.bytes.data(), seed.bytes.size());
        covered.insert(seed.harness);
    }
    EXPECT_EQ(covered.size(), 17u);
}

TEST(FuzzRegressions, PartsOfAnInputSplitAtTheMarkerAndJoinBack) {
    using sonkrate::fuzz::Bytes;
    const Bytes archive{'W', 'B', 'O', 'R', 0, '-'}, db{'"', 'x', '"'};
    Bytes joined = sonkrate::fuzz::joinParts({archive, db});
    std::vector<Bytes> parts = sonkrate::fuzz::splitParts(joined.data(), joined.size(), 2);
    EXPECT_EQ(parts[0], archive);
    EXPECT_EQ(parts[1], db);
    // Missing parts are empty; a marker beyond the last part stays in it.
    parts = sonkrate::fuzz::splitParts(archive.data(), archive.size(), 3);
    EXPECT_EQ(parts[0], archive);
    EXPECT_TRUE(parts[1].empty() && parts[2].empty());
    parts = sonkrate::fuzz::splitParts(joined.data(), joined.size(), 1);
    EXPECT_EQ(parts[0], joined);
}
