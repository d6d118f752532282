// The tests' second opinion on archives: it passes what the game plays and
// catches each kind of damage the game refuses or plays wrong.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <algorithm>
#include <functional>

#include "archive/edit/create_archive.h"
#include "archive_builder.h"
#include "testkit/game_reader.h"

namespace archive_test {
namespace {

using testkit::put32;

// Stereo IMA ADPCM of three full 2056-byte blocks: 2049 frames each.
Bytes adpcmImage(std::uint32_t decodedSize) {
    Bytes b = pcmImage(22050, 2, 3 * 2056);
    put32(b, 12, 2056);
    put32(b, 20, decodedSize);
    b[30] = 1;
    return b;
}

bool mentions(const std::vector<std::string>& problems, const std::string& words) {
    for (const std::string& p : problems)
        if (p.find(words) != std::string::npos) return true;
    return false;
}

TEST(GameReader, PassesWhatTheGamePlays) {
    testkit::ScratchDir dir;
    const std::string path = dir.file("new.tpa");
    ASSERT_TRUE(sonkrate::archive::createDefaultArchive(path).outcome);
    testkit::expectGameReads(path);

    // Shared images, a caption, 8-bit PCM played as 8-bit, and ADPCM whose
    // decodedSize is the byte length of its 16-bit PCM.
    Bytes eight = pcmImage(11025, 1, 100);
    eight[28] = 8;
    Bytes b = retailArchive({{1, pcmImage(22050, 1, 64, true)}, {2, eight}, {3, adpcmImage(3 * 2049 * 4)}});
    Bytes shared(b.begin() + 24 + 56, b.begin() + 24 + 112);
    put32(shared, 0, 4);
    b.insert(b.begin() + 24 + 168, shared.begin(), shared.end());
    put32(b, 20, 4);
    for (int i = 0; i < 4; ++i) put32(b, 24 + 56 * i + 4, testkit::u32(b, 24 + 56 * i + 4) + 56);
    put32(b, 16, static_cast<std::uint32_t>(b.size()));
    EXPECT_EQ(testkit::gameArchiveProblems(b), std::vector<std::string>{});
}

TEST(GameReader, CatchesEachKindOfDamage) {
    const Bytes good = retailArchive({{1, pcmImage(22050, 1, 64, true)}, {2, adpcmImage(3 * 2049 * 4)}});
    ASSERT_TRUE(testkit::gameArchiveProblems(good).empty());
    const std::size_t r0 = 24, r1 = 80;  // the two records; the copy starts 20 bytes in
    // The caption block of entry 0: length, line count, then "ab" and "c" with their display times.
    auto caption = [&](const Bytes& b) -> std::size_t { return testkit::u32(b, r0 + 4) + 36; };
    struct Case {
        const char* words;
        std::function<void(Bytes&)> damage;
    };
    const Case cases[] = {
        {"layoutTag", [](Bytes& b) { put32(b, 0, 0x140); }},
        {"table of 3 records", [](Bytes& b) { put32(b, 20, 3), put32(b, 8, static_cast<std::uint32_t>(b.size()) - 100); }},
        {"collision table", [](Bytes& b) { put32(b, 12, 1); }},
        {"imageOffset", [&](Bytes& b) { put32(b, r1 + 4, static_cast<std::uint32_t>(b.size())); }},
        {"attenuation", [&](Bytes& b) { put32(b, r0 + 12, std::bit_cast<std::uint32_t>(-0.5f)); }},
        {"attenuation", [&](Bytes& b) { put32(b, r0 + 12, std::bit_cast<std::uint32_t>(NAN)); }},
        {"master volume", [&](Bytes& b) { put32(b, r1 + 16, std::bit_cast<std::uint32_t>(0.25f)); }},
        {"magic", [&](Bytes& b) { b[r1 + 20] = 'X'; }},
        {"bitsPerSample 24", [&](Bytes& b) { b[r0 + 20 + 28] = 24; }},
        {"channels 3", [&](Bytes& b) { b[r0 + 20 + 29] = 3; }},
        {"compression 2", [&](Bytes& b) { b[r0 + 20 + 30] = 2; }},
        {"IMA ADPCM of 8 bits", [&](Bytes& b) { b[r1 + 20 + 28] = 8; }},
        {"blockAlign 8", [&](Bytes& b) { put32(b, r1 + 20 + 12, 8); }},
        {"formatTag 111", [&](Bytes& b) { put32(b, r1 + 20 + 4, 111); }},
        {"sound data past", [&](Bytes& b) { put32(b, r1 + 20 + 16, 3 * 2056 + 1); }},
        // The frame count where the byte length belongs: half the sound is cut.
        {"decodedSize 6147", [&](Bytes& b) { put32(b, r1 + 20 + 20, 3 * 2049); }},
        {"decodedSize 63", [&](Bytes& b) { put32(b, r0 + 20 + 20, 63); }},
        // 8-bit PCM counted as if it played from a 16-bit buffer: twice its length.
        {"decodedSize 128 plays past", [&](Bytes& b) { b[r0 + 20 + 28] = 8, put32(b, r0 + 20 + 20, 128); }},
        {"decodedSize 65 plays past", [&](Bytes& b) { put32(b, r0 + 20 + 20, 65); }},
        {"decodedSize 49176 plays past", [&](Bytes& b) { put32(b, r1 + 20 + 20, 2 * 3 * 2049 * 4); }},
        {"caption section 1 has no terminating zero",
         [&](Bytes& b) { std::fill_n(b.begin() + caption(b) + 19, 6, 'x'); }},
        {"caption section 2 has no display time", [&](Bytes& b) { put32(b, caption(b), 18), put32(b, caption(b) + 4, 3); }},
        {"caption block length", [&](Bytes& b) { put32(b, caption(b), 0xFFFFFF00u); }},
        {"already used by entry 0", [&](Bytes& b) { put32(b, r1, 1); }},
    };
    for (const Case& c : cases) {
        Bytes b = good;
        c.damage(b);
        const std::vector<std::string> problems = testkit::gameArchiveProblems(b);
        EXPECT_TRUE(mentions(problems, c.words)) << c.words << ": " << ::testing::PrintToString(problems);
    }
    EXPECT_FALSE(testkit::gameArchiveProblems(Bytes(good.begin(), good.begin() + 23)).empty());
}

TEST(GameReader, ReadsALoneCauAsItsOwnCopy) {
    EXPECT_TRUE(testkit::gameCauProblems(adpcmImage(3 * 2049 * 4)).empty());
    EXPECT_TRUE(mentions(testkit::gameCauProblems(adpcmImage(3 * 2049)), "cuts the sound short"));
    Bytes bad = pcmImage(22050, 1, 10);
    bad[0] = 'R';
    EXPECT_TRUE(mentions(testkit::gameCauProblems(bad), "magic"));
    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("a.cau"), pcmImage(8000, 2, 40, true));
    EXPECT_TRUE(testkit::gameReadsCau(dir.file("a.cau")));
    EXPECT_FALSE(testkit::gameReads(dir.file("none.tpa")));
}

}  // namespace
}  // namespace archive_test
