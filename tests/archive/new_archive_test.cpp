#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <regex>

#include "archive/edit/default_sound.h"
#include "ids/sound_id.h"
#include "testkit/testkit.h"
#include "testkit/game_reader.h"

using namespace sonkrate::archive;
using testkit::Bytes;
using testkit::u32;

namespace {

std::int16_t sampleAt(const Bytes& b, std::size_t at) {
    return static_cast<std::int16_t>(testkit::u16(b, at));
}

}  // namespace

TEST(NewArchive, HeaderRecordAndDefaultSoundHeaderAreExact) {
    testkit::ScratchDir dir;
    const std::string path = dir.file("new.tpa");
    testkit::writeFile(path, Bytes(200000, 0x55));  // an older, longer file is replaced
    ASSERT_TRUE(writeNewArchive(path));
    testkit::expectGameReads(path);
    Bytes b = testkit::readFile(path);
    ASSERT_EQ(b.size(), 88316u);

    EXPECT_EQ(u32(b, 0), 0x150u);
    EXPECT_EQ(u32(b, 4), 1u);
    EXPECT_EQ(u32(b, 8), 24u);
    EXPECT_EQ(u32(b, 12), 0u);
    EXPECT_EQ(u32(b, 16), 88316u);
    EXPECT_EQ(u32(b, 20), 1u);
    EXPECT_EQ(Bytes(b.begin() + 24, b.begin() + 28), (Bytes{0xD9, 0x7B, 0xA0, 0xF0}));
    EXPECT_EQ(u32(b, 24), sonkrate::ids::computeSoundId("missing"));
    EXPECT_EQ(u32(b, 28), 80u);
    EXPECT_EQ(u32(b, 32), 88236u);
    EXPECT_EQ(u32(b, 36), 0u);
    EXPECT_EQ(u32(b, 40), 0u);
    // The record's header copy is the image's first 36 bytes.
    EXPECT_TRUE(std::equal(b.begin() + 44, b.begin() + 80, b.begin() + 80));

    EXPECT_EQ(testkit::text(b, 80, 4), "WBOR");
    EXPECT_EQ(u32(b, 84), 110u);
    EXPECT_EQ(u32(b, 88), 36u);
    EXPECT_EQ(u32(b, 92), 0u);
    EXPECT_EQ(u32(b, 96), 88200u);
    EXPECT_EQ(u32(b, 100), 88200u);
    EXPECT_EQ(u32(b, 104), 22050u);
    EXPECT_EQ(Bytes(b.begin() + 108, b.begin() + 112), (Bytes{16, 2, 0, 0}));
    EXPECT_EQ(u32(b, 112), 0u);

    // The same bytes every time, in memory and on disk.
    EXPECT_EQ(newArchiveImage(), b);
    Bytes image = defaultSoundImage();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), b.begin() + 80));

    // No folder, no file, no temporary left behind.
    EXPECT_FALSE(writeNewArchive(dir.file("missing-folder/new.tpa")));
}

TEST(NewArchive, DefaultSoundIsAStereoSineOfPeriod22AndPeak16423) {
    Bytes image = defaultSoundImage();
    ASSERT_EQ(image.size(), 88236u);
    const std::size_t frames = 22050;
    int peak = 0, trough = 0, rising = 0;
    for (std::size_t f = 0; f < frames; ++f) {
        std::int16_t left = sampleAt(image, 36 + 4 * f);
        std::int16_t right = sampleAt(image, 36 + 4 * f + 2);
        ASSERT_EQ(left, right) << "frame " << f;
        peak = std::max<int>(peak, left);
        trough = std::min<int>(trough, left);
        if (f >= 22) {
            ASSERT_EQ(left, sampleAt(image, 36 + 4 * (f - 22))) << "frame " << f;
        }
        if (f > 0 && sampleAt(image, 36 + 4 * (f - 1)) < 0 && left >= 0) ++rising;
    }
    EXPECT_EQ(peak, 16423);
    EXPECT_EQ(trough, -16423);
    // One rising zero crossing per period: 22050 / 22 periods.
    EXPECT_EQ(rising, 1002);
    // A single period is a sine, not a square or a saw.
    for (int n = 0; n < 22; ++n)
        EXPECT_NEAR(sampleAt(image, 36 + 4 * n), 16423 * std::sin(2 * std::numbers::pi * (n + 0.5) / 22), 1.0) << n;
}

TEST(NewArchive, SoxHearsATone) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "sox is not installed";
    testkit::ScratchDir dir;
    Bytes image = defaultSoundImage();
    testkit::writeFile(dir.file("tone.raw"), Bytes(image.begin() + 36, image.end()));
    auto r = testkit::run("sox -t raw -r 22050 -e signed-integer -b 16 -c 2 " + testkit::quote(dir.file("tone.raw")) +
                          " -n remix 1 stat 2>&1");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex(R"(Length \(seconds\):\s+([0-9.]+))"))) << r.out;
    EXPECT_NEAR(std::stod(m[1]), 1.0, 1e-6);
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex(R"(Maximum amplitude:\s+([0-9.]+))"))) << r.out;
    EXPECT_NEAR(std::stod(m[1]), 16423.0 / 32768.0, 1e-4);
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex(R"(Rough\s+frequency:\s+([0-9]+))"))) << r.out;
    EXPECT_NEAR(std::stod(m[1]), 22050.0 / 22.0, 10.0);
}
