// Adding sounds: the three rewrites byte for byte, the logs and the backup,
// and every refusal leaving the archive and its folder as they were.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/add_sound.h"
#include "archive/default_sound.h"
#include "archive/tpa_loader.h"
#include "archive_builder.h"
#include "archive_check.h"
#include "ids/sound_id.h"
#include "testkit/testkit.h"

using namespace sonkrate::archive;
using archive_test::Bytes;
using archive_test::Expected;
using archive_test::retailInvariants;
using testkit::u32;

namespace {

std::vector<std::string> folderContent(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

AddSoundRequest request(const std::string& archive, const std::string& sound, const std::string& name) {
    AddSoundRequest r;
    r.archivePath = archive;
    r.soundPath = sound;
    r.soundName = name;
    return r;
}

// An archive of three small images, the first two counted as sounds, then a
// trailer of 100 bytes flagged in the header, as the effects archive has.
Bytes effectsLikeArchive() {
    Bytes b = archive_test::retailArchive({{0x11111111, archive_test::pcmImage(11025, 1, 100)},
                                           {0x22222222, archive_test::pcmImage(22050, 2, 64, true)},
                                           {0x33333333, archive_test::pcmImage(8000, 1, 10)}});
    testkit::put32(b, 4, 2);  // soundCount below entryCount
    testkit::put32(b, 12, 1);
    for (int i = 0; i < 100; ++i) b.push_back(static_cast<std::uint8_t>(0xA0 + i % 7));
    return b;
}

}  // namespace

TEST(AddSound, GeneralAddToNewArchiveLogsBacksUpAndRewritesExactly) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("Sounds.tpa"), cau = dir.file("Door_Slam.cau");
    ASSERT_TRUE(writeNewArchive(tpa));
    const Bytes original = testkit::readFile(tpa);
    const Bytes sound = archive_test::pcmImage(11025, 1, 1362);
    ASSERT_EQ(sound.size(), 1398u);
    testkit::writeFile(cau, sound);

    AddSoundRequest r = request(tpa, cau, "ignored");
    r.useFileNames = true;
    r.updateSndIds = true;
    r.dbPath = dir.file("SndIds.dat");
    r.logPath = dir.file("tpa_logs.log");
    r.backupPath = dir.file("Sounds.tpa.backup");
    AddSoundResult added = addSoundGeneral(r);
    ASSERT_EQ(added.addResult, kAddDone) << added.outcome.reason;
    EXPECT_TRUE(added.backupWritten);
    EXPECT_EQ(added.name, "Door_Slam");
    const std::uint32_t id = sonkrate::ids::computeSoundId("door_slam");
    EXPECT_EQ(added.soundId, id);

    Bytes b = testkit::readFile(tpa);
    ASSERT_EQ(b.size(), 89770u);
    EXPECT_TRUE(retailInvariants(b, {2}));
    EXPECT_EQ(u32(b, 4), 2u);
    EXPECT_EQ(u32(b, 12), 0u);
    EXPECT_EQ(u32(b, 16), 89770u);
    EXPECT_EQ(u32(b, 20), 2u);
    EXPECT_EQ(u32(b, 28), 136u);
    EXPECT_EQ(u32(b, 24 + 56), id);
    EXPECT_EQ(u32(b, 28 + 56), 88372u);
    EXPECT_EQ(u32(b, 32 + 56), 1398u);
    EXPECT_EQ(u32(b, 36 + 56), 0u);
    EXPECT_TRUE(std::equal(original.begin() + 80, original.end(), b.begin() + 136));
    EXPECT_TRUE(std::equal(sound.begin(), sound.end(), b.begin() + 88372));
    EXPECT_EQ(added.entryCount, 2u);
    EXPECT_EQ(added.fileSize, 89770u);

    EXPECT_EQ(testkit::readText(r.logPath), " Ingame_ID (string sample): Door_Slam\r\n");
    EXPECT_EQ(testkit::readText(r.dbPath), "\"" + sonkrate::ids::formatSoundId(id) + "\" \"door_slam\"\r\n");
    EXPECT_EQ(testkit::readFile(r.backupPath), original);

    // Record 0's auxValue is written as 0, later ones are kept; reserved becomes 0.
    testkit::put32(b, 36, 0x12345678);
    testkit::put32(b, 36 + 56, 0xABCDEF01);
    testkit::put32(b, 40 + 56, 7);
    testkit::writeFile(tpa, b);
    AddSoundRequest second = request(tpa, cau, "second");
    second.backupPath = r.backupPath;
    added = addSoundGeneral(second);
    ASSERT_EQ(added.addResult, kAddDone) << added.outcome.reason;
    EXPECT_FALSE(added.backupWritten);
    b = testkit::readFile(tpa);
    EXPECT_TRUE(retailInvariants(b, {3}));
    EXPECT_EQ(u32(b, 36), 0u);
    EXPECT_EQ(u32(b, 36 + 56), 0xABCDEF01u);
    EXPECT_EQ(u32(b, 40 + 56), 0u);
    EXPECT_EQ(u32(b, 24 + 112), sonkrate::ids::computeSoundId("second"));
    EXPECT_EQ(testkit::readFile(r.backupPath), original);  // the first backup stays
    EXPECT_EQ(folderContent(dir.path()),
              (std::vector<std::string>{"Door_Slam.cau", "SndIds.dat", "Sounds.tpa", "Sounds.tpa.backup",
                                        "tpa_logs.log"}));
}

TEST(AddSound, EffectsArchiveKeepsItsTrailerAndCountsApart) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("Effects.tpa"), cau = dir.file("boom.cau");
    const Bytes original = effectsLikeArchive();
    const std::uint32_t dataEnd = u32(original, 16);
    testkit::writeFile(tpa, original);
    const Bytes sound = archive_test::pcmImage(22050, 2, 400, true);
    testkit::writeFile(cau, sound);

    // The general add refuses the effects archive and writes nothing at all.
    AddSoundRequest r = request(tpa, cau, "boom");
    r.logPath = dir.file("tpa_logs.log");
    r.backupPath = dir.file("Effects.tpa.backup");
    AddSoundResult refused = addSoundGeneral(r);
    EXPECT_EQ(refused.addResult, kAddRefused);
    EXPECT_EQ(testkit::readFile(tpa), original);
    EXPECT_FALSE(testkit::fileExists(r.logPath));
    EXPECT_FALSE(testkit::fileExists(r.backupPath));

    AddSoundResult added = addSoundEffects(r);
    ASSERT_EQ(added.addResult, kAddDone) << added.outcome.reason;
    Bytes b = testkit::readFile(tpa);
    ASSERT_EQ(b.size(), original.size() + 56 + sound.size());
    EXPECT_TRUE(retailInvariants(b, {4, 100}));
    EXPECT_EQ(u32(b, 4), 3u);
    EXPECT_EQ(u32(b, 12), 1u);
    EXPECT_EQ(u32(b, 16), dataEnd + 56);
    EXPECT_EQ(u32(b, 20), 4u);
    const std::size_t fresh = 24 + 3 * 56;
    EXPECT_EQ(Bytes(b.begin() + fresh + 12, b.begin() + fresh + 16), (Bytes{0x00, 0x00, 0xC0, 0x3F}));
    EXPECT_EQ(u32(b, fresh + 4), original.size() + 56);
    // Trailer moved by one record, unchanged; the new image after it.
    EXPECT_TRUE(std::equal(original.begin() + dataEnd, original.end(), b.begin() + dataEnd + 56));
    EXPECT_TRUE(std::equal(sound.begin(), sound.end(), b.end() - static_cast<long>(sound.size())));
    EXPECT_FALSE(testkit::fileExists(r.backupPath));  // effects adds keep no backup

    ASSERT_EQ(addSoundEffects(request(tpa, cau, "boom2")).addResult, kAddDone);
    b = testkit::readFile(tpa);
    EXPECT_TRUE(retailInvariants(b, {5, 100}));
    EXPECT_EQ(u32(b, 4), 4u);
    EXPECT_EQ(u32(b, 20), 5u);
    EXPECT_EQ(u32(b, 16), dataEnd + 112);

    EXPECT_TRUE(usesEffectsAdd("effects", false));
    EXPECT_TRUE(usesEffectsAdd("ambient", true));
    EXPECT_TRUE(usesEffectsAdd("alteffects", true));
    EXPECT_FALSE(usesEffectsAdd("alteffects", false));
    EXPECT_FALSE(usesEffectsAdd("stream", true));
}

TEST(AddSound, AmbientDropsTheTrailerFlagAndListItemsAddPlainly) {
    testkit::ScratchDir dir;
    const std::string ambient = dir.file("ambient.tpa"), cau = dir.file("wind.cau");
    Bytes original = archive_test::retailArchive({{1, archive_test::pcmImage(11025, 1, 50)},
                                                  {2, archive_test::pcmImage(11025, 1, 70)}});
    testkit::put32(original, 12, 5);  // a stray flag without a trailer
    testkit::writeFile(ambient, original);
    const Bytes sound = archive_test::pcmImage(11025, 2, 88);
    testkit::writeFile(cau, sound);
    AddSoundResult added = addSoundEffects(request(ambient, cau, "wind"));
    ASSERT_EQ(added.addResult, kAddDone) << added.outcome.reason;
    Bytes b = testkit::readFile(ambient);
    EXPECT_TRUE(retailInvariants(b, {3}));
    EXPECT_EQ(u32(b, 12), 0u);
    EXPECT_EQ(u32(b, 16), b.size());
    EXPECT_EQ(u32(b, 24 + 112 + 12), 0x3FC00000u);

    // A list item goes into any archive, even one named effects, as a general add.
    const std::string effects = dir.file("effects.tpa"), log = dir.file("effectsIDs_.txt");
    ASSERT_TRUE(writeNewArchive(effects));
    added = addSoundFromList(effects, "Wind_Loop", cau, log);
    ASSERT_EQ(added.addResult, kAddDone) << added.outcome.reason;
    b = testkit::readFile(effects);
    EXPECT_TRUE(retailInvariants(b, {2}));
    EXPECT_EQ(u32(b, 24 + 56), sonkrate::ids::computeSoundId("wind_loop"));
    EXPECT_EQ(u32(b, 24 + 56 + 12), 0u);
    EXPECT_EQ(testkit::readText(log), " Ingame_ID (string sample): Wind_Loop\r\n");

    // A table longer than one block of records.
    std::vector<archive_test::Image> many;
    for (std::uint32_t i = 0; i < 1500; ++i) many.push_back({i, archive_test::pcmImage(8000, 1, i % 13)});
    const std::string big = dir.file("big.tpa");
    testkit::writeFile(big, archive_test::retailArchive(many));
    ASSERT_EQ(addSoundGeneral(request(big, cau, "last")).addResult, kAddDone);
    b = testkit::readFile(big);
    EXPECT_TRUE(retailInvariants(b, {1501}));
    for (std::uint32_t i = 0; i < 1500; ++i) ASSERT_EQ(u32(b, 24 + 56 * i), i);
}

TEST(AddSound, RefusalsLeaveArchiveAndFolderAsTheyWere) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("game.tpa");
    ASSERT_TRUE(writeNewArchive(tpa));
    const Bytes original = testkit::readFile(tpa);

    Bytes good = archive_test::pcmImage(11025, 1, 200);
    Bytes truncated(good.begin(), good.end() - 1);
    Bytes longer = good;
    longer.push_back(0);
    Bytes tiny(good.begin(), good.begin() + 20);
    Bytes lowOffset = good;
    testkit::put32(lowOffset, 8, 20);
    testkit::put32(lowOffset, 16, static_cast<std::uint32_t>(good.size() - 20));
    Bytes hugeSize = good;
    testkit::put32(hugeSize, 16, 0xFFFFFFF0u);  // offset + size wraps in 32 bits
    int n = 0;
    for (const Bytes& bad : {truncated, longer, tiny, lowOffset, hugeSize}) {
        const std::string cau = dir.file("bad" + std::to_string(n++) + ".cau");
        testkit::writeFile(cau, bad);
        AddSoundRequest r = request(tpa, cau, "bad");
        r.logPath = dir.file("log.log");
        r.updateSndIds = true;
        r.dbPath = dir.file("SndIds.dat");
        r.backupPath = dir.file("game.tpa.backup");
        AddSoundResult result = addSoundGeneral(r);
        EXPECT_EQ(result.addResult, kAddNothingDone) << cau;
        EXPECT_FALSE(result.overwriteFailed);
        EXPECT_NE(result.outcome.reason.find(cau), std::string::npos) << result.outcome.reason;
        EXPECT_EQ(testkit::readFile(tpa), original);
    }
    EXPECT_FALSE(testkit::fileExists(dir.file("log.log")));
    EXPECT_FALSE(testkit::fileExists(dir.file("SndIds.dat")));
    EXPECT_FALSE(testkit::fileExists(dir.file("game.tpa.backup")));

    const std::string cau = dir.file("good.cau");
    testkit::writeFile(cau, good);
    EXPECT_EQ(addSoundGeneral(request(tpa, dir.file("absent.cau"), "x")).addResult, kAddNothingDone);
    EXPECT_EQ(addSoundGeneral(request(tpa, cau, "")).addResult, kAddNothingDone);
    EXPECT_EQ(addSoundGeneral(request(dir.file("absent.tpa"), cau, "x")).addResult, kAddNothingDone);

    // Archives the rewrite cannot take: beta, a gap after the table, a table
    // past the end, and one above the size limit.
    std::vector<std::pair<std::string, Bytes>> archives;
    Bytes beta = archive_test::betaArchive(0x140, 24, {{1, good}});
    archives.push_back({"beta.tpa", beta});
    Bytes gap = original;
    gap.insert(gap.begin() + 80, 80, 0);
    testkit::put32(gap, 28, 160);
    testkit::put32(gap, 16, static_cast<std::uint32_t>(gap.size()));
    archives.push_back({"gap.tpa", gap});
    Bytes longTable = original;
    testkit::put32(longTable, 4, 5000);
    testkit::put32(longTable, 20, 5000);
    archives.push_back({"table.tpa", longTable});
    archives.push_back({"short.tpa", Bytes(original.begin(), original.begin() + 10)});
    for (const auto& [name, bytes] : archives) {
        testkit::writeFile(dir.file(name), bytes);
        EXPECT_EQ(addSoundGeneral(request(dir.file(name), cau, "x")).addResult, kAddNothingDone) << name;
        EXPECT_EQ(addSoundEffects(request(dir.file(name), cau, "x")).addResult, kAddNothingDone) << name;
        EXPECT_EQ(testkit::readFile(dir.file(name)), bytes) << name;
    }
    std::filesystem::copy_file(tpa, dir.file("huge.tpa"));
    std::filesystem::resize_file(dir.file("huge.tpa"), kAddSizeLimit + 1);  // sparse
    AddSoundResult huge = addSoundGeneral(request(dir.file("huge.tpa"), cau, "x"));
    EXPECT_EQ(huge.addResult, kAddNothingDone);
    EXPECT_EQ(testkit::fileSize(dir.file("huge.tpa")), kAddSizeLimit + 1);

    // Nothing but the inputs is left in the folder.
    for (const std::string& name : folderContent(dir.path()))
        EXPECT_EQ(name.find(".part"), std::string::npos) << name;
}
