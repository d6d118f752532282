// Replacing and removing sounds: an effects-style archive with shared images,
// a collision table and an image added after it; every entry not concerned
// stays byte for byte, offsets move, the archive reads as the game reads it.
#include <gtest/gtest.h>


#include "archive/edit/remove_sounds.h"
#include "archive/edit/replace_sound.h"
#include "archive_builder.h"
#include "ids/sound_id.h"
#include "testkit/game_reader.h"

using namespace sonkrate::archive;
using archive_test::Bytes;
using archive_test::pcmImage;
using testkit::u32;

namespace {

::testing::AssertionResult gameReads(const Bytes& b) {
    const std::vector<std::string> problems = testkit::gameArchiveProblems(b);
    if (problems.empty()) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    for (const std::string& p : problems) failure << p << "\n";
    return failure;
}

struct Effects {
    Bytes bytes;
    Bytes trailer;
    std::vector<Bytes> images;  // A, B, C, D
};

// Records 1..5: 1 on A, 2 and 3 sharing B, 4 on C, the collision table of two
// records, then 5 on D (added after the table). Each record has its own
// attenuation; soundCount 4, entryCount 5.
Effects effectsArchive() {
    Effects e;
    e.images = {pcmImage(22050, 2, 400), pcmImage(11025, 1, 300, true), pcmImage(8000, 1, 200),
                pcmImage(22050, 1, 100)};
    const std::size_t tableEnd = 24 + 5 * 56;
    e.bytes.assign(tableEnd, 0);
    const int imageOf[5] = {0, 1, 1, 2, 3};
    std::vector<std::uint32_t> at(4);
    auto append = [&](const Bytes& x) { e.bytes.insert(e.bytes.end(), x.begin(), x.end()); };
    for (int k = 0; k < 3; ++k) {
        at[k] = static_cast<std::uint32_t>(e.bytes.size());
        append(e.images[k]);
    }
    const auto dataEnd = static_cast<std::uint32_t>(e.bytes.size());
    for (int k = 0; k < 304; ++k) e.trailer.push_back(static_cast<std::uint8_t>(k * 7));
    append(e.trailer);
    at[3] = static_cast<std::uint32_t>(e.bytes.size());
    append(e.images[3]);
    for (std::uint32_t i = 0; i < 5; ++i) {
        const std::size_t r = 24 + 56 * i;
        const Bytes& image = e.images[imageOf[i]];
        testkit::put32(e.bytes, r, i + 1);
        testkit::put32(e.bytes, r + 4, at[imageOf[i]]);
        testkit::put32(e.bytes, r + 8, static_cast<std::uint32_t>(image.size()));
        testkit::put32(e.bytes, r + 12, 0x3F800000u + i * 0x100000u);  // 1.0, 1.125, ... dB per metre
        testkit::put32(e.bytes, r + 16, 0xC0000000u + i);               // about -2 dB
        std::copy(image.begin(), image.begin() + 36, e.bytes.begin() + static_cast<long>(r + 20));
    }
    archive_test::putHeader(e.bytes, 0x150, 4, dataEnd);
    testkit::put32(e.bytes, 12, 2);
    testkit::put32(e.bytes, 20, 5);
    return e;
}

Bytes record(const Bytes& b, std::uint32_t i) { return Bytes(b.begin() + 24 + 56 * i, b.begin() + 80 + 56 * i); }
Bytes imageOf(const Bytes& b, std::uint32_t i) {
    return Bytes(b.begin() + u32(b, 28 + 56 * i), b.begin() + u32(b, 28 + 56 * i) + u32(b, 32 + 56 * i));
}

}  // namespace

TEST(ReplaceSound, SharedImagesFollowAndEverythingElseMovesUnchanged) {
    testkit::ScratchDir dir;
    const Effects e = effectsArchive();
    ASSERT_TRUE(gameReads(e.bytes));
    const std::string tpa = dir.file("effects.tpa"), cau = dir.file("new.cau"), backup = dir.file("backup");
    testkit::writeFile(tpa, e.bytes);
    const Bytes fresh = pcmImage(44100, 2, 1000, true);
    testkit::writeFile(cau, fresh);

    ReplaceSoundResult r = replaceSound(tpa, 2, cau, backup);
    ASSERT_TRUE(r.outcome.ok) << r.outcome.reason;
    EXPECT_EQ(r.entries, (std::vector<std::uint32_t>{1, 2}));
    EXPECT_TRUE(r.backupWritten);
    EXPECT_EQ(testkit::readFile(backup), e.bytes);
    const Bytes b = testkit::readFile(tpa);
    const std::int64_t delta = static_cast<std::int64_t>(fresh.size()) - static_cast<std::int64_t>(e.images[1].size());
    ASSERT_EQ(static_cast<std::int64_t>(b.size()), static_cast<std::int64_t>(e.bytes.size()) + delta);
    EXPECT_EQ(r.fileSize, b.size());
    EXPECT_TRUE(gameReads(b));
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 16), Bytes(e.bytes.begin(), e.bytes.begin() + 16));
    EXPECT_EQ(u32(b, 16), u32(e.bytes, 16) + delta);
    EXPECT_EQ(u32(b, 20), 5u);
    for (std::uint32_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        Bytes want = record(e.bytes, i), got = record(b, i);
        if (i == 1 || i == 2) {
            EXPECT_EQ(imageOf(b, i), fresh);
            EXPECT_EQ(u32(got, 8), fresh.size());
            EXPECT_EQ(Bytes(got.begin() + 20, got.end()), Bytes(fresh.begin(), fresh.begin() + 36));
            // Identifier, attenuation and volume are kept.
            EXPECT_EQ(Bytes(got.begin(), got.begin() + 4), Bytes(want.begin(), want.begin() + 4));
            EXPECT_EQ(Bytes(got.begin() + 12, got.begin() + 20), Bytes(want.begin() + 12, want.begin() + 20));
        } else {
            EXPECT_EQ(imageOf(b, i), imageOf(e.bytes, i));
            EXPECT_EQ(u32(got, 4), u32(want, 4) + (i == 0 ? 0 : delta));
            testkit::put32(got, 4, u32(want, 4));
            EXPECT_EQ(got, want);
        }
    }
    EXPECT_EQ(Bytes(b.begin() + u32(b, 16), b.begin() + u32(b, 16) + 304), e.trailer);
    EXPECT_EQ(u32(b, 28 + 56 * 1), u32(b, 28 + 56 * 2));

    // The old sound put back gives the old archive; the backup of the first
    // change stays.
    testkit::writeFile(cau, e.images[1]);
    ASSERT_TRUE(replaceSound(tpa, 2, cau, backup).outcome.ok);
    EXPECT_EQ(testkit::readFile(tpa), e.bytes);
    EXPECT_EQ(testkit::readFile(backup), e.bytes);

    // Refusals change nothing: an identifier not held, a .cau whose header
    // does not describe it, a beta archive.
    EXPECT_FALSE(replaceSound(tpa, 99, cau, "").outcome.ok);
    Bytes cut = fresh;
    cut.pop_back();
    testkit::writeFile(dir.file("cut.cau"), cut);
    ReplaceSoundResult bad = replaceSound(tpa, 2, dir.file("cut.cau"), "");
    EXPECT_NE(bad.outcome.reason.find("cut.cau"), std::string::npos) << bad.outcome.reason;
    EXPECT_EQ(testkit::readFile(tpa), e.bytes);
    const Bytes beta = archive_test::betaArchive(0x140, 24, {{2, e.images[0]}});
    testkit::writeFile(dir.file("beta.tpa"), beta);
    ReplaceSoundResult refused = replaceSound(dir.file("beta.tpa"), 2, cau, "");
    EXPECT_NE(refused.outcome.reason.find("beta layout"), std::string::npos) << refused.outcome.reason;
    EXPECT_EQ(testkit::readFile(dir.file("beta.tpa")), beta);
}

TEST(RemoveSounds, DropsRecordsAndTheImagesNoOtherRecordUses) {
    testkit::ScratchDir dir;
    const Effects e = effectsArchive();
    const std::string tpa = dir.file("effects.tpa");
    testkit::writeFile(tpa, e.bytes);

    // 3 shares its image with 2, which stays; 4's image goes with it.
    RemoveSoundsResult r = removeSounds(tpa, {3, 4}, "");
    ASSERT_TRUE(r.outcome.ok) << r.outcome.reason;
    EXPECT_EQ(r.recordsRemoved, 2u);
    EXPECT_EQ(r.imagesRemoved, 1u);
    const Bytes b = testkit::readFile(tpa);
    EXPECT_TRUE(gameReads(b));
    const std::int64_t tableDelta = -112, imageDelta = -static_cast<std::int64_t>(e.images[2].size());
    ASSERT_EQ(static_cast<std::int64_t>(b.size()), static_cast<std::int64_t>(e.bytes.size()) + tableDelta + imageDelta);
    EXPECT_EQ(r.fileSize, b.size());
    EXPECT_EQ(u32(b, 4), 3u);
    EXPECT_EQ(u32(b, 12), 2u);
    EXPECT_EQ(u32(b, 16), u32(e.bytes, 16) + tableDelta + imageDelta);
    EXPECT_EQ(u32(b, 20), 3u);
    EXPECT_EQ(Bytes(b.begin() + u32(b, 16), b.begin() + u32(b, 16) + 304), e.trailer);
    const std::uint32_t kept[3] = {0, 1, 4};
    for (std::uint32_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        Bytes got = record(b, k), want = record(e.bytes, kept[k]);
        EXPECT_EQ(imageOf(b, k), imageOf(e.bytes, kept[k]));
        testkit::put32(got, 4, u32(want, 4));
        EXPECT_EQ(got, want);
    }

    // "missing" stays, and a name not held fails; nothing changes.
    for (const std::vector<std::uint32_t>& ids : {std::vector<std::uint32_t>{1, 0xF0A07BD9u},
                                                   std::vector<std::uint32_t>{1, 42}}) {
        RemoveSoundsResult refused = removeSounds(tpa, ids, "");
        EXPECT_FALSE(refused.outcome.ok);
        EXPECT_EQ(testkit::readFile(tpa), b);
    }
    EXPECT_NE(removeSounds(tpa, {0xF0A07BD9u}, "").outcome.reason.find("\"missing\""), std::string::npos);

    // Images that overlap without being one image cannot be rewritten safely.
    Bytes overlapping = e.bytes;
    testkit::put32(overlapping, 24 + 56 * 3 + 4, u32(overlapping, 24 + 56 * 3 + 4) - 10);
    testkit::writeFile(tpa, overlapping);
    RemoveSoundsResult overlap = removeSounds(tpa, {5}, "");
    EXPECT_NE(overlap.outcome.reason.find("overlaps"), std::string::npos) << overlap.outcome.reason;
    EXPECT_EQ(testkit::readFile(tpa), overlapping);
}
