// Unpacking an archive into a folder and packing it back: an effects-style
// archive with a gap after the table, shared images, a table header copy that
// differs from its image, captions, IMA ADPCM, a collision table and an image
// after it comes back byte for byte in both forms; each edit of the folder
// changes just what it names; what is wrong is refused with nothing written.
#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <map>
#include <set>

#include "archive/edit/default_sound.h"
#include "archive/folder/manifest_json.h"
#include "archive/folder/pack_archive.h"
#include "archive/format/tpa_format.h"
#include "archive/folder/unpack_archive.h"
#include "archive/folder/image_captions.h"
#include "audio/cau/cau_recaption.h"
#include "audio/convert/game_ready_ima.h"
#include "audio/convert/game_ready_wav.h"
#include "audio/convert/wav_to_cau.h"
#include "archive_builder.h"
#include "io/fault_hook.h"
#include "audio/audio_fixtures.h"
#include "ids/sound_id.h"
#include "testkit/game_reader.h"

using namespace sonkrate::archive;
using archive_test::pcmImage;
using testkit::Bytes;
using testkit::u32;
namespace io = sonkrate::io;

namespace {

constexpr std::size_t kRecords = 6;
constexpr std::size_t kTableEnd = 24 + 56 * kRecords;
constexpr std::size_t kGapAfterTable = 8;

struct Fixture {
    Bytes bytes;
    Bytes trailer;
    std::vector<Bytes> images;        // missing, A, B (captioned), C (IMA ADPCM), D
    std::vector<std::size_t> offset;  // of each image
};

// Records: 0 missing, 1 A, 2 and 3 sharing B (3 with a header copy whose
// reserved byte differs), 4 C, then two collision records, then 5 on D, whose
// image does not start with "WBOR".
Fixture effectsArchive() {
    Fixture f;
    f.images = {pcmImage(22050, 2, 400), pcmImage(22050, 2, 600), pcmImage(11025, 1, 300, true),
                audiotest::imaCau(audiotest::tone(3000, 2), 2, 2056), pcmImage(22050, 1, 100)};
    f.images[4][0] = 'X';
    testkit::put32(f.images[3], 20, 3000 * 4);  // the bytes of decoded 16-bit stereo
    const int imageOf[kRecords] = {0, 1, 2, 2, 3, 4};
    f.bytes.assign(kTableEnd, 0);
    f.bytes.insert(f.bytes.end(), kGapAfterTable, 0xAB);
    auto append = [&](const Bytes& x) { f.bytes.insert(f.bytes.end(), x.begin(), x.end()); };
    for (int k = 0; k < 4; ++k) {
        f.offset.push_back(f.bytes.size());
        append(f.images[k]);
        if (k == 1) f.bytes.insert(f.bytes.end(), 3, 0xCD);  // a gap between images
    }
    const auto dataEnd = static_cast<std::uint32_t>(f.bytes.size());
    for (int k = 0; k < 2 * 152; ++k) f.trailer.push_back(static_cast<std::uint8_t>(k * 7 + 1));
    append(f.trailer);
    f.offset.push_back(f.bytes.size());
    append(f.images[4]);
    for (std::uint32_t i = 0; i < kRecords; ++i) {
        const std::size_t r = 24 + 56 * i;
        const Bytes& image = f.images[imageOf[i]];
        testkit::put32(f.bytes, r, i == 0 ? kDefaultSoundId : 0x1000 + i);
        testkit::put32(f.bytes, r + 4, static_cast<std::uint32_t>(f.offset[imageOf[i]]));
        testkit::put32(f.bytes, r + 8, static_cast<std::uint32_t>(image.size()));
        testkit::put32(f.bytes, r + 12, std::bit_cast<std::uint32_t>(0.5f + i));
        testkit::put32(f.bytes, r + 16, std::bit_cast<std::uint32_t>(-1.0f * i));
        std::copy(image.begin(), image.begin() + 36, f.bytes.begin() + static_cast<long>(r + 20));
        f.bytes[r + 20] = 'W';  // the copy reads "WBOR" even where the image does not
    }
    f.bytes[24 + 56 * 3 + 20 + 31] = 1;
    testkit::put32(f.bytes, 0, 0x150);
    testkit::put32(f.bytes, 4, 5);
    testkit::put32(f.bytes, 8, 24);
    testkit::put32(f.bytes, 12, 2);
    testkit::put32(f.bytes, 16, dataEnd);
    testkit::put32(f.bytes, 20, kRecords);
    return f;
}

struct Unpacked {
    testkit::ScratchDir scratch;
    Fixture fixture = effectsArchive();
    std::string archive = scratch.file("effects.tpa");
    std::string dir = scratch.file("sounds");
    std::string out = scratch.file("out.tpa");

    explicit Unpacked(bool cau = false) {
        testkit::writeFile(archive, fixture.bytes);
        UnpackOptions options;
        options.cauForm = cau;
        UnpackResult r = unpackArchive(archive, dir, options);
        EXPECT_TRUE(r.outcome) << r.outcome.reason;
    }
    Manifest manifest() const {
        Manifest m;
        io::Outcome read = readManifestFile(dir + "/manifest.json", m);
        EXPECT_TRUE(read) << read.reason;
        return m;
    }
    void save(const Manifest& m) const { testkit::writeText(dir + "/manifest.json", writeManifestJson(m)); }
    Bytes pack() const {
        PackResult r = packArchive(dir, out);
        EXPECT_TRUE(r.outcome) << r.outcome.reason;
        if (!r.outcome) return {};
        testkit::expectGameReads(out);
        return testkit::readFile(out);
    }
    std::string refusal() const {
        PackResult r = packArchive(dir, out);
        EXPECT_FALSE(r.outcome);
        EXPECT_FALSE(testkit::fileExists(out));
        return r.outcome.reason;
    }
};

Bytes slice(const Bytes& b, std::size_t at, std::size_t n) { return Bytes(b.begin() + at, b.begin() + at + n); }

// The image of record i of an archive.
Bytes imageOf(const Bytes& b, std::size_t i) { return slice(b, u32(b, 24 + 56 * i + 4), u32(b, 24 + 56 * i + 8)); }

}  // namespace

TEST(UnpackPack, UnchangedFolderGivesTheArchiveBackInBothForms) {
    for (bool cau : {false, true}) {
        Unpacked u(cau);
        ASSERT_TRUE(testkit::gameArchiveProblems(u.fixture.bytes).empty());
        EXPECT_EQ(u.pack(), u.fixture.bytes) << (cau ? "--cau" : ".wav");

        const Manifest m = u.manifest();
        ASSERT_EQ(m.sounds.size(), kRecords);
        EXPECT_EQ(m.archiveClass, "effects");
        EXPECT_EQ(m.trailerFlag, 2u);
        // Shared images are written once and named by both rows.
        EXPECT_EQ(m.sounds[3].file, m.sounds[2].file);
        EXPECT_EQ(m.sounds[3].sharesImageWith, 0x1002u);
        EXPECT_FALSE(m.sounds[2].sharesImageWith);
        EXPECT_EQ(m.sounds[4].format->compression, "ima-adpcm");
        EXPECT_EQ(m.sounds[4].format->blockAlign, 2056u);
        EXPECT_EQ(*m.sounds[5].attenuation, 5.5);
        EXPECT_EQ(*m.sounds[5].masterVolume, -5.0);
        EXPECT_FALSE(m.sounds[1].captions);
        ASSERT_TRUE(m.sounds[2].captions);
        EXPECT_EQ(m.sounds[2].captions->front().text, "ab");
        EXPECT_EQ(m.sounds[2].captions->front().fifths, 10u);

        // A file renamed, and named so in the manifest, is still the same sound.
        Manifest renamed = m;
        std::filesystem::rename(u.dir + "/" + m.sounds[1].file, u.dir + "/renamed" + (cau ? ".cau" : ".wav"));
        renamed.sounds[1].file = std::string("renamed") + (cau ? ".cau" : ".wav");
        u.save(renamed);
        EXPECT_EQ(u.pack(), u.fixture.bytes) << (cau ? "--cau" : ".wav") << " renamed";
        std::filesystem::rename(u.dir + "/" + renamed.sounds[1].file, u.dir + "/" + m.sounds[1].file);

        const std::string d = cau ? ".cau" : ".wav";
        EXPECT_TRUE(testkit::fileExists(u.dir + "/4-00001004" + d));
        // An image that does not start with "WBOR" is a valid .cau in the folder.
        const Bytes d5 = testkit::readFile(u.dir + "/" + m.sounds[5].file);
        EXPECT_EQ(testkit::text(d5, 0, 4), cau ? "WBOR" : "RIFF");
    }
}

TEST(UnpackPack, EditsOfLevelsAndRowsChangeJustWhatTheyName) {
    Unpacked u;
    const Bytes& was = u.fixture.bytes;
    const Manifest good = u.manifest();
    Manifest m = good;
    m.sounds[1].attenuation = 3.25;
    m.sounds[5].masterVolume = -12.0;
    u.save(m);
    Bytes now = u.pack();
    ASSERT_EQ(now.size(), was.size());
    EXPECT_EQ(u32(now, 24 + 56 + 12), std::bit_cast<std::uint32_t>(3.25f));
    EXPECT_EQ(u32(now, 24 + 56 * 5 + 16), std::bit_cast<std::uint32_t>(-12.0f));
    testkit::put32(now, 24 + 56 + 12, u32(was, 24 + 56 + 12));
    testkit::put32(now, 24 + 56 * 5 + 16, u32(was, 24 + 56 * 5 + 16));
    EXPECT_EQ(now, was);

    // One of two rows on an image goes: the image stays for the other. The
    // IMA ADPCM sound goes with its image. The rest moves, unchanged.
    m = good;
    m.sounds.erase(m.sounds.begin() + 4);
    m.sounds.erase(m.sounds.begin() + 2);
    u.save(m);
    now = u.pack();
    EXPECT_EQ(u32(now, 20), 4u);
    EXPECT_EQ(u32(now, 4), 4u);
    EXPECT_EQ(u32(now, 24 + 56 * 2), 0x1003u);
    EXPECT_EQ(imageOf(now, 2), u.fixture.images[2]);
    EXPECT_EQ(slice(now, 24 + 56 * 2 + 20, 36), slice(was, 24 + 56 * 3 + 20, 36));  // its own header copy
    EXPECT_EQ(imageOf(now, 3), imageOf(was, 5));
    EXPECT_EQ(slice(now, 24 + 56 * 4, kGapAfterTable), Bytes(kGapAfterTable, 0xAB));
    EXPECT_EQ(slice(now, u32(now, 16), u.fixture.trailer.size()), u.fixture.trailer);
    EXPECT_EQ(now.size(), was.size() - 2 * 56 - u.fixture.images[3].size());

    // An added row: a new sound at the end with the attenuation of an effects
    // add; the collision table keeps its place in soundDataEnd.
    testkit::writeFile(u.dir + "/new.cau", pcmImage(8000, 1, 50));
    m = good;
    ManifestSound added;
    added.name = "gun_fire";
    added.file = "new.cau";
    m.sounds.push_back(added);
    u.save(m);
    now = u.pack();
    ASSERT_EQ(u32(now, 20), kRecords + 1);
    const std::size_t r = 24 + 56 * kRecords;
    EXPECT_EQ(u32(now, r), sonkrate::ids::computeSoundId("gun_fire"));
    EXPECT_EQ(u32(now, r + 12), kEffectsAuxValue);
    EXPECT_EQ(u32(now, r + 16), 0u);
    EXPECT_EQ(imageOf(now, kRecords), pcmImage(8000, 1, 50));
    EXPECT_EQ(u32(now, r + 4), was.size() + 56);
    EXPECT_EQ(u32(now, 16), u32(was, 16) + 56);
    EXPECT_EQ(slice(now, 24, 56 * kRecords), [&] {
        Bytes t = slice(was, 24, 56 * kRecords);
        for (std::size_t i = 0; i < kRecords; ++i) testkit::put32(t, 56 * i + 4, u32(t, 56 * i + 4) + 56);
        return t;
    }());
}

TEST(UnpackPack, NameChangeAndCaptionsFollowTheImage) {
    Unpacked u(true);
    Manifest m = u.manifest();
    m.sounds[1].name = "door_slam";
    m.sounds[1].soundId.reset();
    m.sounds[2].captions = std::vector<ManifestSection>{{35, "Oh God."}, {5, ""}, {17, "It's here."}};
    u.save(m);
    const Bytes now = u.pack();
    EXPECT_EQ(u32(now, 24 + 56), sonkrate::ids::computeSoundId("door_slam"));
    // Both rows of the shared image are on the one new image, with its header.
    EXPECT_EQ(u32(now, 24 + 56 * 2 + 4), u32(now, 24 + 56 * 3 + 4));
    const Bytes image = imageOf(now, 2);
    EXPECT_EQ(slice(now, 24 + 56 * 3 + 20, 36), slice(image, 0, 36));
    EXPECT_EQ(u32(image, 32), 36u);
    EXPECT_EQ(u32(image, 40), 3u);  // sections
    EXPECT_EQ(u32(image, 44), 35u);
    EXPECT_EQ(testkit::text(image, 48, 8), std::string("Oh God.\0", 8));
    EXPECT_EQ(u32(image, 56), 5u);
    // The sound data is the old image's.
    const Bytes& old = u.fixture.images[2];
    EXPECT_EQ(slice(image, u32(image, 8), 300), slice(old, u32(old, 8), 300));

    Unpacked again(true);
    ASSERT_TRUE(unpackArchive(u.out, again.scratch.file("again"), {}).outcome);
    Manifest back;
    ASSERT_TRUE(readManifestFile(again.scratch.file("again") + "/manifest.json", back));
    EXPECT_EQ(back.sounds[3].captions, m.sounds[2].captions);
    EXPECT_EQ(back.sounds[1].soundId, sonkrate::ids::computeSoundId("door_slam"));

    // A changed .cau goes through the checks of an add.
    std::filesystem::remove(u.out);
    const std::string cauFile = u.dir + "/" + m.sounds[1].file;
    Bytes cut = testkit::readFile(cauFile);
    cut.pop_back();
    testkit::writeFile(cauFile, cut);
    EXPECT_NE(u.refusal().find(m.sounds[1].file), std::string::npos);
}

TEST(UnpackPack, ChangedWavOverImaEntryStaysImaInTheGamesBlocks) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "sox is not installed";
    Unpacked u;
    const Manifest m = u.manifest();
    const std::string wav = u.dir + "/" + m.sounds[4].file;
    ASSERT_EQ(testkit::run("sox -n -r 48000 -c 2 -b 24 " + testkit::quote(wav) + " synth 0.5 sine 300").exitCode, 0);
    const Bytes now = u.pack();
    const std::size_t r = 24 + 56 * 4 + 20;
    EXPECT_EQ(now[r + 30], 1);  // IMA ADPCM
    EXPECT_EQ(u32(now, r + 12), 2056u);
    EXPECT_EQ(u32(now, r + 24), 48000u);
    EXPECT_EQ(now[r + 28], 16);
    EXPECT_EQ(now[r + 29], 2);
    // The decoded length of 24000 frames of 16-bit stereo.
    EXPECT_GE(u32(now, r + 20), 24000u * 4);
    EXPECT_LE(u32(now, r + 20), 24001u * 4);
    for (std::size_t i : {0u, 1u, 2u, 5u}) EXPECT_EQ(imageOf(now, i), imageOf(u.fixture.bytes, i)) << i;
    EXPECT_EQ(slice(now, u32(now, 16), u.fixture.trailer.size()), u.fixture.trailer);
}

// A changed .wav goes into the archive as the chain of files made it: the
// game-ready .wav, wrapped as a .cau, given the captions of its row.
TEST(UnpackPack, ChangedWavsAreTheImagesTheConversionsMake) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "sox is not installed";
    Unpacked u;
    Manifest m = u.manifest();
    const std::vector<ManifestSection> said{{12, "Close it."}, {4, ""}};
    m.sounds[4].captions = said;
    u.save(m);
    const std::string pcm = u.dir + "/" + m.sounds[2].file, ima = u.dir + "/" + m.sounds[4].file;
    ASSERT_EQ(testkit::run("sox -n -r 48000 -c 2 -b 24 " + testkit::quote(pcm) + " synth 0.3 sine 300 vol 0.5").exitCode, 0);
    ASSERT_EQ(testkit::run("sox -n -r 44100 -c 1 -b 32 -e floating-point " + testkit::quote(ima) +
                           " synth 0.4 sine 500 vol 0.5").exitCode, 0);
    const Bytes now = u.pack();

    auto expected = [&](const std::string& wav, bool toIma, const std::vector<ManifestSection>& sections) {
        const std::string ready = u.scratch.file("ready.wav"), cau = u.scratch.file("plain.cau"),
                          captioned = u.scratch.file("captioned.cau");
        const auto made = toIma ? sonkrate::audio::makeGameReadyImaWav(wav, ready)
                                : sonkrate::audio::makeGameReadyWav(wav, ready);
        EXPECT_TRUE(made.outcome && made.converted) << made.outcome.reason;
        EXPECT_TRUE(sonkrate::audio::wavToCau(ready, cau, "").written());
        const std::vector<std::uint8_t> block = sectionsBlock(sections);
        EXPECT_TRUE(sonkrate::audio::recaptionCau(cau, captioned, std::string(block.begin(), block.end())));
        return testkit::readFile(captioned);
    };
    ASSERT_TRUE(m.sounds[2].captions.has_value());
    EXPECT_EQ(imageOf(now, 2), expected(pcm, false, *m.sounds[2].captions));
    EXPECT_EQ(imageOf(now, 3), imageOf(now, 2));
    EXPECT_EQ(imageOf(now, 4), expected(ima, true, said));
    for (std::size_t i : {0u, 1u, 5u}) EXPECT_EQ(imageOf(now, i), imageOf(u.fixture.bytes, i)) << i;
    // Nothing but the archive is left beside it.
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(u.scratch.path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 5u) << "effects.tpa, out.tpa and the three files made here";
}

TEST(UnpackPack, RefusalsNameTheManifestOrFileAndWriteNothing) {
    Unpacked u;
    const Manifest good = u.manifest();
    auto refusedWith = [&](Manifest m) {
        u.save(m);
        return u.refusal();
    };
    Manifest m = good;
    m.sounds[1].attenuation = -1.0;
    std::string why = refusedWith(m);
    EXPECT_NE(why.find("manifest.json, row 2"), std::string::npos) << why;
    EXPECT_NE(why.find("gives the attenuation -1, but"), std::string::npos) << why;
    m = good;
    m.sounds[2].masterVolume = 0.5;
    why = refusedWith(m);
    EXPECT_NE(why.find("row 3"), std::string::npos) << why;
    EXPECT_NE(why.find("gives the master volume 0.5, but"), std::string::npos) << why;
    m = good;
    m.sounds.erase(m.sounds.begin());
    EXPECT_NE(refusedWith(m).find("\"missing\""), std::string::npos);
    m = good;
    m.sounds[1].file = "../effects.tpa";
    EXPECT_NE(refusedWith(m).find("not a plain file name"), std::string::npos);
    m = good;
    m.sounds.push_back(good.sounds[1]);
    EXPECT_NE(refusedWith(m).find("as an earlier row does"), std::string::npos);
    m = good;
    m.sounds[5].soundId = 0x1001;
    EXPECT_NE(refusedWith(m).find("00001001"), std::string::npos);
    m = good;
    m.sounds[2].captions = std::vector<ManifestSection>{{5, "x"}};
    m.sounds[3].captions = std::vector<ManifestSection>{{5, "y"}};
    EXPECT_NE(refusedWith(m).find("other captions"), std::string::npos);

    testkit::writeText(u.dir + "/manifest.json", "{\n  \"version\": 1,\n  \"sounds\": [ oops ]\n}\n");
    why = u.refusal();
    EXPECT_NE(why.find("manifest.json is not valid JSON at line 3, column 15"), std::string::npos) << why;
    testkit::writeText(u.dir + "/manifest.json", "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[");
    EXPECT_NE(u.refusal().find("nested"), std::string::npos);

    // A sound file that cannot go into an archive.
    u.save(good);
    testkit::writeFile(u.dir + "/" + good.sounds[1].file, Bytes{'R', 'I', 'F', 'F', 0, 0});
    EXPECT_NE(u.refusal().find(good.sounds[1].file), std::string::npos);
    std::filesystem::remove_all(u.dir + "/.original");
    EXPECT_NE(u.refusal().find(".original"), std::string::npos);
}

TEST(UnpackPack, FileNamesAreSafeAndUniqueAndTheFolderMustBeEmpty) {
    EXPECT_EQ(safeFileStem("MUSIC - MAYAN FACE/JEEP"), "MUSIC - MAYAN FACE_JEEP");
    EXPECT_EQ(safeFileStem("a<b>c:d\"e|f?g*h\\i\x01j"), "a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(safeFileStem("con"), "_con");
    EXPECT_EQ(safeFileStem("COM1.x"), "_COM1.x");
    EXPECT_EQ(safeFileStem("COM10"), "COM10");
    EXPECT_EQ(safeFileStem("end. . "), "end");
    EXPECT_EQ(safeFileStem(".hidden"), "_hidden");
    EXPECT_EQ(safeFileStem("..."), "");
    EXPECT_EQ(safeFileStem(std::string(200, 'x')).size(), 120u);
    EXPECT_EQ(safeFileStem(std::string(119, 'x') + "\xC3\xA9"), std::string(119, 'x'));

    testkit::ScratchDir scratch;
    const std::string tpa = scratch.file("general.tpa"), db = scratch.file("SndIds.dat");
    testkit::writeFile(tpa, archive_test::retailArchive(
                                {{0x11, pcmImage(8000, 1, 10)},
                                 {0x22, pcmImage(8000, 1, 20)},
                                 {0x33, pcmImage(8000, 1, 30)}}));
    testkit::writeText(db, "\"00000011\" \"Door\"\r\n\"00000022\" \"DOOR\"\r\n\"00000033\" \"nul\"\r\n");
    const std::string dir = scratch.file("out");
    UnpackOptions options;
    options.cauForm = true;
    options.dbPath = db;
    UnpackResult r = unpackArchive(tpa, dir, options);
    ASSERT_TRUE(r.outcome) << r.outcome.reason;
    Manifest m;
    ASSERT_TRUE(readManifestFile(dir + "/manifest.json", m));
    ASSERT_EQ(m.sounds.size(), 3u);
    EXPECT_EQ(m.sounds[0].file, "Door.cau");
    EXPECT_EQ(m.sounds[1].file, "DOOR~2.cau");
    EXPECT_EQ(m.sounds[2].file, "_nul.cau");
    EXPECT_EQ(m.sounds[1].name, "DOOR");
    PackResult packed = packArchive(dir, scratch.file("back.tpa"));
    ASSERT_TRUE(packed.outcome) << packed.outcome.reason;
    EXPECT_EQ(testkit::readFile(scratch.file("back.tpa")), testkit::readFile(tpa));

    UnpackResult again = unpackArchive(tpa, dir, options);
    EXPECT_FALSE(again.outcome);
    EXPECT_NE(again.outcome.reason.find("not empty"), std::string::npos);

    // A beta archive is refused before anything is written.
    testkit::writeFile(tpa, archive_test::betaArchive(0x140, 24, {{0x11, pcmImage(8000, 1, 10)}}));
    UnpackResult beta = unpackArchive(tpa, scratch.file("beta"), options);
    EXPECT_NE(beta.outcome.reason.find("beta-to-retail"), std::string::npos) << beta.outcome.reason;
    EXPECT_FALSE(std::filesystem::exists(scratch.file("beta")));
}

// Every file-system call of an unpack and of a pack made to fail in turn: a
// failed unpack leaves no folder, a failed pack no archive and no working
// file, and the run past the last call succeeds.
TEST(UnpackPack, AFailureAtAnyCallLeavesNothingBehind) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "sox is not installed";
    testkit::ScratchDir scratch;
    const std::string tpa = scratch.file("general.tpa");
    testkit::writeFile(tpa, archive_test::retailArchive({{0x11, pcmImage(8000, 1, 10)},
                                                         {0x22, pcmImage(8000, 2, 20, true)}}));
    namespace fault = sonkrate::io::fault;
    const std::string dir = scratch.file("u");
    for (std::uint64_t n = 1;; ++n) {
        fault::arm(n);
        UnpackResult r = unpackArchive(tpa, dir, {});
        const bool fired = fault::fired();
        fault::disarm();
        if (!fired) {
            ASSERT_TRUE(r.outcome) << r.outcome.reason;
            break;
        }
        if (!r.outcome) {
            ASSERT_FALSE(std::filesystem::exists(dir)) << "call " << n;
        }
        std::filesystem::remove_all(dir);
        ASSERT_LT(n, 500u);
    }
    // A changed sound, so that pack converts and makes working files too.
    ASSERT_EQ(testkit::run("sox -n -r 8000 -c 1 -b 16 " + testkit::quote(dir + "/0-00000011.wav") +
                           " synth 0.05 sine 300").exitCode, 0);
    const std::string out = scratch.file("out") + "/packed.tpa";
    std::filesystem::create_directory(scratch.file("out"));
    for (std::uint64_t n = 1;; ++n) {
        fault::arm(n);
        PackResult r = packArchive(dir, out);
        const bool fired = fault::fired();
        fault::disarm();
        if (!fired) {
            ASSERT_TRUE(r.outcome) << r.outcome.reason;
            break;
        }
        if (!r.outcome) {
            ASSERT_TRUE(std::filesystem::is_empty(scratch.file("out"))) << "call " << n;
        } else {
            std::filesystem::remove(out);
        }
        ASSERT_LT(n, 500u);
    }
    testkit::expectGameReads(out);
}

namespace {

// Every file and folder under root, with the bytes of each file.
std::map<std::string, Bytes> everything(const std::string& root) {
    std::map<std::string, Bytes> found;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        found[std::filesystem::relative(e.path(), root).generic_string()] =
            e.is_regular_file() ? testkit::readFile(e.path().string()) : Bytes{};
    return found;
}

}  // namespace

// The folder is checked as the path resolves, however it is written; a
// failure at any call of an unpack into a folder that existed, or into new
// folders below one holding the user's files, removes exactly what the run
// made: the folders and files that were there stay, byte for byte.
TEST(UnpackPack, AFailedUnpackRemovesOnlyWhatItMade) {
    testkit::ScratchDir scratch;
    const std::string tpa = scratch.file("general.tpa"), base = scratch.file("base");
    testkit::writeFile(tpa, archive_test::retailArchive({{0x11, pcmImage(8000, 1, 10)},
                                                         {0x22, pcmImage(8000, 2, 20, true)},
                                                         {0x33, audiotest::imaCau(audiotest::tone(600, 1), 1, 1028)}}));
    std::filesystem::create_directories(base + "/victim/inner");
    std::filesystem::create_directories(base + "/empty");
    testkit::writeText(base + "/victim/notes.txt", "the user's\n");
    testkit::writeText(base + "/victim/inner/more.txt", "the user's too\n");
    testkit::writeText(base + "/beside.txt", "beside\n");
    const auto before = everything(base);

    for (const std::string& dir : {base + "/nx/../victim", base + "/victim/../victim/.", std::string()}) {
        UnpackResult r = unpackArchive(tpa, dir, {});
        EXPECT_FALSE(r.outcome) << dir;
        EXPECT_NE(r.outcome.reason.find(dir.empty() ? "No folder" : "is not empty"), std::string::npos)
            << r.outcome.reason;
    }
    EXPECT_EQ(everything(base), before);

    namespace fault = sonkrate::io::fault;
    for (const std::string& dir : {base + "/empty", base + "/new/deeper"}) {
        unsigned failures = 0;
        for (std::uint64_t n = 1;; ++n) {
            fault::arm(n);
            UnpackResult r = unpackArchive(tpa, dir, {});
            const bool fired = fault::fired();
            fault::disarm();
            if (!fired) {
                ASSERT_TRUE(r.outcome) << r.outcome.reason;
                EXPECT_EQ(r.kept, 0u);  // every sound, the IMA ADPCM one too, written as .wav
                break;
            }
            if (!r.outcome) {
                ++failures;
                ASSERT_EQ(everything(base), before) << dir << ", call " << n << ": " << r.outcome.reason;
            }
            std::filesystem::remove_all(base + "/new");
            for (const auto& e : std::filesystem::directory_iterator(base + "/empty")) std::filesystem::remove_all(e);
            ASSERT_LT(n, 1000u);
        }
        EXPECT_GT(failures, 20u) << dir;
        std::filesystem::remove_all(base + "/new");
        for (const auto& e : std::filesystem::directory_iterator(base + "/empty")) std::filesystem::remove_all(e);
    }
    EXPECT_EQ(everything(base), before);
}
