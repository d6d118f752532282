// Adding sounds: the three rewrites byte for byte, the logs and the backup,
// and every refusal leaving the archive and its folder as they were.
#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <map>

#include "archive/edit/add_sound.h"
#include "archive/edit/default_sound.h"
#include "archive/format/tpa_loader.h"
#include "archive_builder.h"
#include "archive_check.h"
#include "ids/sound_id.h"
#include "testkit/game_reader.h"

using namespace sonkrate::archive;
using archive_test::Bytes;
using archive_test::pcmImage;
using archive_test::retailInvariants;
using testkit::u32;

namespace {

AddSoundRequest request(const std::string& archive, const std::string& sound, const std::string& name) {
    AddSoundRequest r;
    r.archivePath = archive;
    r.soundPath = sound;
    r.soundName = name;
    return r;
}

}  // namespace

TEST(AddSound, GeneralAddToNewArchiveLogsBacksUpAndRewritesExactly) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("Sounds.tpa"), cau = dir.file("Door_Slam.cau");
    ASSERT_TRUE(writeNewArchive(tpa));
    const Bytes original = testkit::readFile(tpa), sound = pcmImage(11025, 1, 1362);  // 1398 bytes
    testkit::writeFile(cau, sound);
    AddSoundRequest r = request(tpa, cau, "ignored");
    r.useFileNames = r.updateSndIds = true;
    r.dbPath = dir.file("SndIds.dat");
    r.logPath = dir.file("tpa_logs.log");
    r.backupPath = dir.file("Sounds.tpa.backup");
    AddSoundResult added = addSoundGeneral(r);
    ASSERT_EQ(added.addResult, AddOutcome::Done) << added.outcome.reason;
    const std::uint32_t id = sonkrate::ids::computeSoundId("door_slam");

    Bytes b = testkit::readFile(tpa);
    ASSERT_EQ(b.size(), 89770u);
    EXPECT_TRUE(retailInvariants(b, {2}));
    testkit::expectGameReads(tpa);
    EXPECT_EQ(u32(b, 4), 2u);
    EXPECT_EQ(u32(b, 20), 2u);
    EXPECT_EQ(u32(b, 28), 136u);
    EXPECT_EQ(u32(b, 80), id);
    EXPECT_EQ(u32(b, 84), 88372u);
    EXPECT_EQ(u32(b, 88), 1398u);
    EXPECT_EQ(testkit::readText(r.logPath), " Ingame_ID (string sample): Door_Slam\r\n");
    EXPECT_EQ(testkit::readText(r.dbPath), "\"" + sonkrate::ids::formatSoundId(id) + "\" \"door_slam\"\r\n");
    EXPECT_EQ(testkit::readFile(r.backupPath), original);

    // Every old record keeps its auxValue and reserved, bytes as they were;
    // the backup of the first add stays as it was.
    testkit::put32(b, 36, 0x12345678);
    testkit::put32(b, 92, 0xABCDEF01);
    testkit::put32(b, 96, 7);
    testkit::writeFile(tpa, b);
    AddSoundRequest second = request(tpa, cau, "second");
    second.backupPath = r.backupPath;
    ASSERT_EQ(addSoundGeneral(second).addResult, AddOutcome::Done);
    b = testkit::readFile(tpa);
    EXPECT_TRUE(retailInvariants(b, {3}));
    EXPECT_EQ(u32(b, 36), 0x12345678u);
    EXPECT_EQ(u32(b, 92), 0xABCDEF01u);
    EXPECT_EQ(u32(b, 96), 7u);
    EXPECT_EQ(u32(b, 136 + 12), 0u);
    EXPECT_EQ(u32(b, 136 + 16), 0u);
    EXPECT_EQ(testkit::readFile(r.backupPath), original);
}

TEST(AddSound, EffectsKeepTrailerAndCountsApartListItemsDoNot) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("Effects.tpa"), cau = dir.file("boom.cau");
    // Three images of which two count as sounds, then a flagged trailer.
    Bytes original = archive_test::retailArchive(
        {{1, pcmImage(11025, 1, 100)}, {2, pcmImage(22050, 2, 64, true)}, {3, pcmImage(8000, 1, 10)}});
    testkit::put32(original, 4, 2);
    testkit::put32(original, 12, 1);
    original.insert(original.end(), 100, 0xA5);
    const std::uint32_t dataEnd = u32(original, 16);
    testkit::writeFile(tpa, original);
    const Bytes sound = pcmImage(22050, 2, 400, true);
    testkit::writeFile(cau, sound);

    AddSoundRequest r = request(tpa, cau, "boom");
    r.logPath = dir.file("tpa_logs.log");
    EXPECT_EQ(addSoundGeneral(r).addResult, AddOutcome::Refused);
    EXPECT_EQ(testkit::readFile(tpa), original);
    EXPECT_FALSE(testkit::fileExists(r.logPath));

    ASSERT_EQ(addSoundEffects(r).addResult, AddOutcome::Done);
    testkit::expectGameReads(tpa);
    ASSERT_EQ(addSoundEffects(r).addResult, AddOutcome::Done);
    Bytes b = testkit::readFile(tpa);
    EXPECT_TRUE(retailInvariants(b, {5, 100}));
    EXPECT_EQ(u32(b, 4), 4u);
    EXPECT_EQ(u32(b, 12), 1u);
    EXPECT_EQ(u32(b, 16), dataEnd + 112);
    EXPECT_EQ(u32(b, 20), 5u);
    EXPECT_EQ(Bytes(b.begin() + 24 + 3 * 56 + 12, b.begin() + 24 + 3 * 56 + 16), (Bytes{0x00, 0x00, 0xC0, 0x3F}));
    EXPECT_TRUE(std::equal(original.begin() + dataEnd, original.end(), b.begin() + dataEnd + 112));

    // A list item goes into any archive, even one named effects, as a general add.
    const std::string list = dir.file("effects.tpa"), log = dir.file("effectsIDs_.txt");
    ASSERT_TRUE(writeNewArchive(list));
    ASSERT_EQ(addSoundFromList(list, "Wind_Loop", cau, log).addResult, AddOutcome::Done);
    b = testkit::readFile(list);
    EXPECT_TRUE(retailInvariants(b, {2}));
    testkit::expectGameReads(list);
    EXPECT_EQ(u32(b, 80), sonkrate::ids::computeSoundId("wind_loop"));
    EXPECT_EQ(u32(b, 80 + 12), 0u);
    EXPECT_EQ(testkit::readText(log), " Ingame_ID (string sample): Wind_Loop\r\n");

    // A table longer than the records copied in one block.
    std::vector<archive_test::Image> many;
    for (std::uint32_t i = 0; i < 1500; ++i) many.push_back({i, pcmImage(8000, 1, i % 13)});
    testkit::writeFile(dir.file("big.tpa"), archive_test::retailArchive(many));
    ASSERT_EQ(addSoundGeneral(request(dir.file("big.tpa"), cau, "last")).addResult, AddOutcome::Done);
    EXPECT_TRUE(retailInvariants(dir.file("big.tpa"), {1501}));
    testkit::expectGameReads(dir.file("big.tpa"));
}

TEST(AddSound, RefusalsLeaveArchiveAndFolderAsTheyWere) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("game.tpa");
    ASSERT_TRUE(writeNewArchive(tpa));
    const Bytes original = testkit::readFile(tpa), good = pcmImage(11025, 1, 200);
    // Sound images whose header does not describe the file.
    std::vector<Bytes> bad(4, good);
    bad[0].pop_back();
    bad[1].push_back(0);
    bad[2].resize(20);
    testkit::put32(bad[3], 16, 0xFFFFFFF0u);  // dataOffset + dataSize wraps in 32 bits
    for (std::size_t i = 0; i < bad.size(); ++i) {
        const std::string cau = dir.file("bad" + std::to_string(i) + ".cau");
        testkit::writeFile(cau, bad[i]);
        AddSoundRequest r = request(tpa, cau, "bad");
        r.logPath = dir.file("log.log");
        r.backupPath = dir.file("game.tpa.backup");
        AddSoundResult result = addSoundGeneral(r);
        EXPECT_EQ(result.addResult, AddOutcome::NothingDone) << cau;
        EXPECT_NE(result.outcome.reason.find(cau), std::string::npos) << result.outcome.reason;
    }
    EXPECT_EQ(testkit::readFile(tpa), original);
    EXPECT_FALSE(testkit::fileExists(dir.file("log.log")));
    EXPECT_FALSE(testkit::fileExists(dir.file("game.tpa.backup")));

    // Archives the rewrite cannot take: beta, a gap after the table, a table
    // past the end, a cut header, and one above the size limit.
    const std::string cau = dir.file("good.cau");
    testkit::writeFile(cau, good);
    EXPECT_EQ(addSoundGeneral(request(tpa, cau, "")).addResult, AddOutcome::NothingDone);
    Bytes gap = original, longTable = original;
    gap.insert(gap.begin() + 80, 80, 0);
    testkit::put32(gap, 28, 160);
    testkit::put32(longTable, 20, 5000);
    testkit::put32(longTable, 4, 5000);
    for (const Bytes& bytes : {archive_test::betaArchive(0x140, 24, {{1, good}}), gap, longTable,
                               Bytes(original.begin(), original.begin() + 10)}) {
        testkit::writeFile(dir.file("x.tpa"), bytes);
        EXPECT_EQ(addSoundEffects(request(dir.file("x.tpa"), cau, "x")).addResult, AddOutcome::NothingDone);
        EXPECT_EQ(testkit::readFile(dir.file("x.tpa")), bytes);
    }
    std::filesystem::resize_file(tpa, kAddSizeLimit + 1);  // sparse
    EXPECT_EQ(addSoundGeneral(request(tpa, cau, "x")).addResult, AddOutcome::NothingDone);
    EXPECT_EQ(testkit::fileSize(tpa), kAddSizeLimit + 1);
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().filename().string().find(".part"), std::string::npos);
}

// Records may share an image, so an archive can hold more records than
// images. The general add keeps every record and counts one more of each.
TEST(AddSound, GeneralAddKeepsRecordsThatShareImages) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("shared.tpa"), cau = dir.file("new.cau");
    Bytes original = archive_test::retailArchive({{1, pcmImage(11025, 1, 100)}, {2, pcmImage(22050, 1, 60)}});
    // A third record, identifier 3, on the image of identifier 2.
    Bytes third(original.begin() + 24 + 56, original.begin() + 24 + 2 * 56);
    testkit::put32(third, 0, 3);
    original.insert(original.begin() + 24 + 2 * 56, third.begin(), third.end());
    for (std::size_t r = 0; r < 3; ++r) testkit::put32(original, 24 + 56 * r + 4, u32(original, 24 + 56 * r + 4) + 56);
    testkit::put32(original, 4, 2);
    testkit::put32(original, 20, 3);
    testkit::put32(original, 16, static_cast<std::uint32_t>(original.size()));
    testkit::writeFile(tpa, original);
    testkit::writeFile(cau, pcmImage(8000, 1, 30));

    AddSoundResult added = addSoundGeneral(request(tpa, cau, "new"));
    ASSERT_EQ(added.addResult, AddOutcome::Done) << added.outcome.reason;
    const Bytes b = testkit::readFile(tpa);
    ASSERT_EQ(b.size(), original.size() + 56 + 66);
    EXPECT_EQ(u32(b, 4), 3u);
    EXPECT_EQ(u32(b, 20), 4u);
    EXPECT_EQ(u32(b, 16), b.size());
    for (std::size_t r = 0; r < 3; ++r) {
        EXPECT_EQ(u32(b, 24 + 56 * r), r + 1);
        EXPECT_EQ(u32(b, 24 + 56 * r + 4), u32(original, 24 + 56 * r + 4) + 56);
    }
    EXPECT_EQ(u32(b, 24 + 56 * 1 + 4), u32(b, 24 + 56 * 2 + 4));
    EXPECT_EQ(u32(b, 24 + 56 * 3), sonkrate::ids::computeSoundId("new"));
    EXPECT_EQ(u32(b, 24 + 56 * 3 + 4), original.size() + 56);
    testkit::expectGameReads(tpa);
}

// The game mixes each sound by its record's attenuation and master volume:
// every add, in each of its three variants, keeps those of the sounds already
// there, and only the new sound gets its class's values.
TEST(AddSound, EveryVariantKeepsTheLevelsOfTheOldSounds) {
    testkit::ScratchDir dir;
    const std::string cau = dir.file("new.cau");
    testkit::writeFile(cau, pcmImage(11025, 1, 80));
    Bytes original = archive_test::retailArchive(
        {{1, pcmImage(11025, 1, 100)}, {2, pcmImage(22050, 1, 60)}, {3, pcmImage(8000, 1, 30)}});
    const std::map<std::uint32_t, testkit::GameLevels> levels = {
        {1, {2.0f, -18.0f}}, {2, {0.5f, -3.25f}}, {3, {1.5f, 0.0f}}};
    for (const auto& [id, level] : levels) {
        testkit::put32(original, 24 + 56 * (id - 1) + 12, std::bit_cast<std::uint32_t>(level.attenuation));
        testkit::put32(original, 24 + 56 * (id - 1) + 16, std::bit_cast<std::uint32_t>(level.volume));
    }
    using Add = AddSoundResult (*)(const std::string&, const std::string&, const std::string&);
    struct Case {
        const char* archive;
        Add add;
        float newAttenuation;
    };
    const Case cases[] = {
        {"menu.tpa", [](const std::string& a, const std::string& c, const std::string& n) {
             return addSoundGeneral(request(a, c, n)); }, 0.0f},
        {"ambient.tpa", [](const std::string& a, const std::string& c, const std::string& n) {
             return addSoundEffects(request(a, c, n)); }, 1.5f},
        {"list.tpa", [](const std::string& a, const std::string& c, const std::string& n) {
             return addSoundFromList(a, n, c, ""); }, 0.0f},
    };
    for (const Case& c : cases) {
        const std::string tpa = dir.file(c.archive);
        testkit::writeFile(tpa, original);
        // The second add keeps the levels the first one gave.
        for (const char* name : {"first", "second"}) {
            AddSoundResult added = c.add(tpa, cau, name);
            ASSERT_EQ(added.addResult, AddOutcome::Done) << c.archive << ": " << added.outcome.reason;
        }
        testkit::expectGameReads(tpa);
        const auto read = testkit::gameSoundLevels(testkit::readFile(tpa));
        ASSERT_EQ(read.size(), 5u) << c.archive;
        for (const auto& [id, level] : levels) {
            EXPECT_EQ(read.at(id).attenuation, level.attenuation) << c.archive << " sound " << id;
            EXPECT_EQ(read.at(id).volume, level.volume) << c.archive << " sound " << id;
        }
        for (const char* name : {"first", "second"}) {
            const testkit::GameLevels added = read.at(sonkrate::ids::computeSoundId(name));
            EXPECT_EQ(added.attenuation, c.newAttenuation) << c.archive << " " << name;
            EXPECT_EQ(added.volume, 0.0f) << c.archive << " " << name;
        }
    }
}
