// Staged edits of an archive: each kind of edit staged, refused, undone,
// redone and saved as one new archive that the game reads, records not
// edited keeping their bytes.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "archive/check/verify.h"
#include "archive/edit/save_edits.h"
#include "archive/edit/staged_edits.h"
#include "archive/folder/image_captions.h"
#include "archive_builder.h"
#include "archive_check.h"
#include "audio/audio_fixtures.h"
#include "audio/wav/wav_headers.h"
#include "ids/sound_id.h"
#include "io/file.h"
#include "testkit/game_reader.h"

using namespace sonkrate::archive;
using archive_test::Bytes;
using archive_test::pcmImage;
using testkit::u32;

namespace {

constexpr std::uint32_t kMissing = 0xF0A07BD9u;

Bytes record(const Bytes& b, std::uint32_t i) { return Bytes(b.begin() + 24 + 56 * i, b.begin() + 80 + 56 * i); }
Bytes imageOf(const Bytes& b, std::uint32_t i) {
    return Bytes(b.begin() + u32(b, 28 + 56 * i), b.begin() + u32(b, 28 + 56 * i) + u32(b, 32 + 56 * i));
}

// Records: 0 "missing", 1 and 2 sharing a captioned image, 3 IMA ADPCM under
// the identifier of "taken", 4 PCM; each with its own levels.
Bytes fixture() {
    Bytes ima = audiotest::imaCau(audiotest::tone(4000, 2), 2, 2056);
    // decodedSize: the bytes of 16-bit PCM the blocks decode to.
    const std::uint32_t data = u32(ima, 16), rest = data % 2056;
    testkit::put32(ima, 20, 4 * ((data / 2056) * 2049 + (rest > 8 ? 1 + (rest - 8) / 2 : 0)));
    const std::vector<Bytes> images{pcmImage(22050, 2, 400), pcmImage(11025, 1, 300, true), ima,
                                    pcmImage(8000, 1, 200)};
    const int imageOf[5] = {0, 1, 1, 2, 3};
    const std::uint32_t ids[5] = {kMissing, 2, 3, sonkrate::ids::computeSoundId("taken"), 5};
    Bytes b(24 + 5 * 56, 0);
    std::vector<std::uint32_t> at;
    for (const Bytes& image : images) {
        at.push_back(static_cast<std::uint32_t>(b.size()));
        b.insert(b.end(), image.begin(), image.end());
    }
    for (std::uint32_t i = 0; i < 5; ++i) {
        const std::size_t r = 24 + 56 * i;
        const Bytes& image = images[imageOf[i]];
        testkit::put32(b, r, ids[i]);
        testkit::put32(b, r + 4, at[imageOf[i]]);
        testkit::put32(b, r + 8, static_cast<std::uint32_t>(image.size()));
        testkit::put32(b, r + 12, 0x3F800000u + i * 0x100000u);
        testkit::put32(b, r + 16, 0xC0000000u + i);
        std::copy(image.begin(), image.begin() + 36, b.begin() + static_cast<long>(r + 20));
    }
    archive_test::putHeader(b, 0x150, 4, static_cast<std::uint32_t>(b.size()));
    testkit::put32(b, 20, 5);
    return b;
}

void writeWav(const std::string& path, std::size_t frames, unsigned channels, std::uint32_t rate) {
    const std::vector<std::int16_t> samples = audiotest::tone(frames, channels);
    const auto header = sonkrate::audio::pcmWavHeader(static_cast<std::uint16_t>(channels), rate, 16,
                                                      static_cast<std::uint32_t>(samples.size() * 2));
    Bytes wav(header.begin(), header.end());
    for (std::int16_t s : samples) {
        wav.push_back(static_cast<std::uint8_t>(s & 0xFF));
        wav.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
    }
    testkit::writeFile(path, wav);
}

::testing::AssertionResult readsAndVerifies(const std::string& path) {
    const std::vector<std::string> problems = testkit::gameArchiveProblems(path);
    if (!problems.empty()) return ::testing::AssertionFailure() << problems.front();
    const VerifyReport report = verifyArchive(path);
    if (report.count(Severity::Error) != 0) return ::testing::AssertionFailure() << "verify finds an error";
    return ::testing::AssertionSuccess();
}

std::vector<ManifestSection> sectionsAt(const std::string& path, const Bytes& b, std::uint32_t i) {
    sonkrate::io::File in;
    if (!in.open(path, sonkrate::io::FileMode::Read).ok) return {};
    return readImageSections(in, u32(b, 28 + 56 * i), u32(b, 32 + 56 * i)).value_or(std::vector<ManifestSection>{});
}

float levelOf(const Bytes& b, std::uint32_t i, std::size_t field) { return std::bit_cast<float>(u32(b, 24 + 56 * i + field)); }

}  // namespace

TEST(StagedEdits, RefusedEditsStageNothing) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("general.tpa");
    testkit::writeFile(tpa, fixture());
    testkit::writeFile(dir.file("junk.wav"), Bytes(100, 7));
    StagedEdits edits;
    ASSERT_TRUE(edits.open(tpa, dir.file("scratch")).ok);
    const std::vector<StagedRecord> before = edits.records();

    const EditResult taken = edits.rename(1, "TAKEN");  // the identifier ignores case
    EXPECT_EQ(taken.refusal, EditRefusal::IdentifierTaken);
    EXPECT_EQ(taken.other, 3u);
    EXPECT_EQ(edits.rename(1, "").refusal, EditRefusal::EmptyName);
    EXPECT_EQ(edits.rename(0, "other").refusal, EditRefusal::MissingStays);
    EXPECT_EQ(edits.setAttenuation(1, -0.5).refusal, EditRefusal::AttenuationBelowZero);
    EXPECT_EQ(edits.setAttenuation(1, std::nan("")).refusal, EditRefusal::NotANumber);
    EXPECT_EQ(edits.setAttenuation(1, 1e39).refusal, EditRefusal::BeyondFloat);
    EXPECT_EQ(edits.setVolume(1, 0.25).refusal, EditRefusal::VolumeAboveZero);
    EXPECT_EQ(edits.setVolume(1, -std::numeric_limits<double>::infinity()).refusal, EditRefusal::NotANumber);
    const EditResult missing = edits.remove({2, 0});
    EXPECT_EQ(missing.refusal, EditRefusal::MissingStays);
    EXPECT_EQ(missing.other, 0u);
    const EditResult junk = edits.replace(4, dir.file("junk.wav"), true);
    EXPECT_EQ(junk.refusal, EditRefusal::FileRefused);
    EXPECT_NE(junk.reason.find("junk.wav"), std::string::npos) << junk.reason;
    EXPECT_EQ(edits.add(dir.file("absent.cau"), "fresh").refusal, EditRefusal::FileRefused);
    EXPECT_EQ(edits.add(dir.file("junk.wav"), "missing").refusal, EditRefusal::IdentifierTaken);
    std::vector<sonkrate::audio::CaptionSection> many(1001, sonkrate::audio::CaptionSection{1, "x"});
    EXPECT_EQ(edits.setSections(1, many).refusal, EditRefusal::TooManyCaptions);

    EXPECT_EQ(edits.records(), before);
    EXPECT_EQ(edits.changes(), 0);
    EXPECT_FALSE(edits.canUndo());
    // A value the record already holds is no step either.
    EXPECT_TRUE(edits.setAttenuation(0, 1.0).ok());
    EXPECT_FALSE(edits.canUndo());
}

TEST(StagedEdits, EveryKindOfEditUndoesRedoesAndSaves) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("general.tpa"), saved = dir.file("saved.tpa");
    const Bytes original = fixture();
    ASSERT_TRUE(readsAndVerifies((testkit::writeFile(tpa, original), tpa)));
    writeWav(dir.file("voice.wav"), 3000, 1, 22050);
    writeWav(dir.file("new_sound.wav"), 500, 2, 11025);
    const Bytes cau = pcmImage(44100, 2, 800);
    testkit::writeFile(dir.file("door.cau"), cau);
    StagedEdits edits;
    ASSERT_TRUE(edits.open(tpa, dir.file("scratch")).ok);
    const std::vector<StagedRecord> opened = edits.records();

    ASSERT_TRUE(edits.rename(4, "Door_Open").ok());
    ASSERT_TRUE(edits.setAttenuation(4, 2.5).ok());
    ASSERT_TRUE(edits.setVolume(4, -6).ok());
    ASSERT_TRUE(edits.replace(3, dir.file("voice.wav"), true).ok());   // IMA ADPCM stays IMA ADPCM
    ASSERT_TRUE(edits.replace(1, dir.file("door.cau"), false).ok());   // 2 keeps the old sound
    ASSERT_TRUE(edits.remove({2}).ok());
    ASSERT_TRUE(edits.add(dir.file("new_sound.wav"), "new_sound").ok());
    ASSERT_TRUE(edits.setSections(3, {{10, "Hello"}, {5, ""}, {7, "th\xE9re"}}).ok());  // the game's code page
    EXPECT_EQ(edits.state(0), RecordState::Same);
    EXPECT_EQ(edits.state(1), RecordState::Changed);
    EXPECT_EQ(edits.state(2), RecordState::Removed);
    EXPECT_EQ(edits.state(5), RecordState::Added);
    EXPECT_EQ(edits.changes(), 5);
    EXPECT_EQ(edits.imageOf(3).header[30], 1);  // compression
    EXPECT_EQ(edits.sectionsOf(3).size(), 3u);
    const std::vector<StagedRecord> edited = edits.records();

    while (edits.canUndo()) edits.undo();
    EXPECT_EQ(edits.records(), opened);
    EXPECT_EQ(edits.changes(), 0);
    while (edits.canRedo()) edits.redo();
    EXPECT_EQ(edits.records(), edited);
    EXPECT_EQ(edits.changes(), 5);

    const SaveEditsResult result = saveEdits(edits, saved);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.reason;
    EXPECT_EQ(testkit::readFile(tpa), original);
    ASSERT_TRUE(readsAndVerifies(saved));
    const Bytes b = testkit::readFile(saved);
    EXPECT_EQ(result.fileSize, b.size());
    ASSERT_EQ(u32(b, 20), 5u);  // 0, 1, 3, 4 and the added one
    EXPECT_EQ(u32(b, 4), 5u);   // the image 1 and 2 shared went with them
    // Record 0 keeps its bytes and image.
    Bytes kept = record(b, 0);
    testkit::put32(kept, 4, u32(record(original, 0), 4));
    EXPECT_EQ(kept, record(original, 0));
    EXPECT_EQ(imageOf(b, 0), imageOf(original, 0));
    // Record 1: the sound of the .cau with the captions the record had, its levels kept.
    const Bytes image1 = imageOf(b, 1);
    EXPECT_EQ(Bytes(image1.end() - 800, image1.end()), Bytes(cau.end() - 800, cau.end()));
    EXPECT_EQ(sectionsAt(saved, b, 1), sectionsAt(tpa, original, 1));
    EXPECT_EQ(sectionsAt(saved, b, 1).size(), 2u);
    EXPECT_EQ(levelOf(b, 1, 12), levelOf(original, 1, 12));
    EXPECT_EQ(u32(b, 24 + 56 + 16), u32(original, 24 + 56 + 16));
    // Record 2 of the archive opened is gone; 3 is next, IMA ADPCM with its captions.
    EXPECT_EQ(u32(b, 24 + 56 * 2), sonkrate::ids::computeSoundId("taken"));
    EXPECT_EQ(b[24 + 56 * 2 + 20 + 30], 1);
    EXPECT_EQ(sectionsAt(saved, b, 2), (std::vector<ManifestSection>{{10, "Hello"}, {5, ""}, {7, "th\xC3\xA9re"}}));
    // Record 4: the new name's identifier, its new levels.
    EXPECT_EQ(u32(b, 24 + 56 * 3), sonkrate::ids::computeSoundId("door_open"));
    EXPECT_EQ(levelOf(b, 3, 12), 2.5f);
    EXPECT_EQ(levelOf(b, 3, 16), -6.0f);
    EXPECT_EQ(imageOf(b, 3), imageOf(original, 4));
    // The added record: its name's identifier, the levels of a general add.
    EXPECT_EQ(u32(b, 24 + 56 * 4), sonkrate::ids::computeSoundId("new_sound"));
    EXPECT_EQ(u32(b, 24 + 56 * 4 + 12), 0u);
    EXPECT_EQ(u32(b, 24 + 56 * 4 + 16), 0u);
}

TEST(StagedEdits, SharedImagesFollowOrKeepAndUnusedImagesGo) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("ambient.tpa");
    const Bytes original = fixture();
    testkit::writeFile(tpa, original);
    const Bytes cau = pcmImage(44100, 1, 64, true);  // its own captions, kept as they are
    testkit::writeFile(dir.file("new.cau"), cau);

    for (bool follow : {true, false}) {
        SCOPED_TRACE(follow);
        StagedEdits edits;
        ASSERT_TRUE(edits.open(tpa, dir.file("scratch")).ok);
        EXPECT_EQ(edits.sharing(1), std::vector<std::size_t>{2});
        ASSERT_TRUE(edits.replace(2, dir.file("new.cau"), follow).ok());
        ASSERT_TRUE(edits.add(dir.file("new.cau"), "added").ok());
        const std::string out = dir.file(follow ? "follow.tpa" : "keep.tpa");
        ASSERT_TRUE(saveEdits(edits, out).outcome.ok);
        ASSERT_TRUE(readsAndVerifies(out));
        const Bytes b = testkit::readFile(out);
        EXPECT_EQ(imageOf(b, 2), cau);
        EXPECT_EQ(imageOf(b, 1), follow ? cau : imageOf(original, 1));
        // Followed, the old image is no longer used and goes; kept, the new one comes after the rest.
        EXPECT_EQ(u32(b, 4), follow ? 5u : 6u);
        EXPECT_EQ(b.size(), original.size() + 56 + (follow ? 2 * cau.size() - imageOf(original, 1).size() : 2 * cau.size()));
        // An ambient archive's add gives the attenuation 1.5.
        EXPECT_EQ(u32(b, 24 + 56 * 5 + 12), kEffectsAuxValue);
        for (std::uint32_t i : {0u, 3u, 4u}) {
            Bytes got = record(b, i);
            testkit::put32(got, 4, u32(record(original, i), 4));
            EXPECT_EQ(got, record(original, i)) << i;
            EXPECT_EQ(imageOf(b, i), imageOf(original, i)) << i;
        }
    }
}

TEST(StagedEdits, SaveOverTheArchiveAndItsStamp) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("general.tpa");
    const Bytes original = fixture();
    testkit::writeFile(tpa, original);
    ArchiveStamp first, again;
    ASSERT_TRUE(stampArchive(tpa, first).ok);
    ASSERT_TRUE(stampArchive(tpa, again).ok);
    EXPECT_EQ(first, again);

    StagedEdits edits;
    ASSERT_TRUE(edits.open(tpa, dir.file("scratch")).ok);
    ASSERT_TRUE(edits.remove({4}).ok());
    edits.revert();
    EXPECT_EQ(edits.changes(), 0);
    EXPECT_FALSE(edits.canRedo());
    // Nothing edited: the same bytes.
    ASSERT_TRUE(saveEdits(edits, tpa).outcome.ok);
    EXPECT_EQ(testkit::readFile(tpa), original);

    ASSERT_TRUE(edits.open(tpa, dir.file("scratch")).ok);
    ASSERT_TRUE(edits.remove({4}).ok());
    ASSERT_TRUE(saveEdits(edits, tpa).outcome.ok);
    ASSERT_TRUE(readsAndVerifies(tpa));
    const Bytes b = testkit::readFile(tpa);
    EXPECT_EQ(b.size(), original.size() - 56 - imageOf(original, 4).size());
    ArchiveStamp after;
    ASSERT_TRUE(stampArchive(tpa, after).ok);
    EXPECT_NE(after, first);
    // An archive changed on the disk since it was opened is not saved from stale offsets.
    ASSERT_TRUE(edits.open(tpa, dir.file("scratch")).ok);
    ASSERT_TRUE(edits.remove({3}).ok());
    testkit::writeFile(tpa, original);
    const SaveEditsResult stale = saveEdits(edits, tpa);
    EXPECT_FALSE(stale.outcome.ok);
    EXPECT_EQ(testkit::readFile(tpa), original);
}

TEST(StagedEdits, TheEffectsArchiveKeepsItsCollisionRecordsAndAddsAfterThem) {
    testkit::ScratchDir dir;
    const std::string tpa = dir.file("effects.tpa"), cau = dir.file("new.cau");
    const Bytes a = pcmImage(22050, 1, 300), b = pcmImage(11025, 2, 200);
    Bytes trailer(152);
    for (std::size_t k = 0; k < trailer.size(); ++k) trailer[k] = static_cast<std::uint8_t>(k * 5 + 1);
    Bytes e = archive_test::retailArchive({{1, a}, {2, b}});
    const auto dataEnd = static_cast<std::uint32_t>(e.size());
    e.insert(e.end(), trailer.begin(), trailer.end());
    testkit::put32(e, 12, 1);
    testkit::put32(e, 16, dataEnd);
    testkit::writeFile(tpa, e);
    testkit::writeFile(cau, pcmImage(8000, 1, 64));

    StagedEdits edits;
    ASSERT_TRUE(edits.open(tpa, dir.file("scratch")).ok);
    ASSERT_TRUE(edits.remove({0}).ok());
    ASSERT_TRUE(edits.add(cau, "crash").ok());
    ASSERT_TRUE(saveEdits(edits, tpa).outcome.ok);
    ASSERT_TRUE(readsAndVerifies(tpa));
    const Bytes s = testkit::readFile(tpa);
    EXPECT_TRUE(archive_test::retailInvariants(s, {2, trailer.size()}));
    EXPECT_EQ(u32(s, 12), 1u);
    ASSERT_EQ(u32(s, 16), dataEnd - a.size());
    EXPECT_EQ(Bytes(s.begin() + u32(s, 16), s.begin() + u32(s, 16) + 152), trailer);
    EXPECT_EQ(imageOf(s, 0), b);
    EXPECT_EQ(u32(s, 28 + 56), u32(s, 16) + 152);  // the new sound follows the collision records
    EXPECT_EQ(u32(s, 24 + 56 + 12), kEffectsAuxValue);
}
