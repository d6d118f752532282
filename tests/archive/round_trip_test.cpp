// The whole road of a sound: .wav files written by SoX and libsndfile (PCM)
// and IMA ADPCM blocks of the game's alignments, wrapped by wavToCau with and
// without captions, added to a general, an effects (with a trailer and fewer
// sounds than entries) and an ambient archive, and exported again: every
// exported .cau is the file that was added, and the archive keeps its layout
// after every step.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/edit/add_sound.h"
#include "archive/edit/create_archive.h"
#include "archive/folder/export_all.h"
#include "archive/format/tpa_loader.h"
#include "archive_builder.h"
#include "archive_check.h"
#include "audio/codec/ima_adpcm_encoder.h"
#include "audio/wav/wav_headers.h"
#include "audio/wav/wav_reader.h"
#include "audio/convert/wav_to_cau.h"
#include "testkit/game_reader.h"

using namespace sonkrate::archive;
namespace audio = sonkrate::audio;
using archive_test::Bytes;
using testkit::quote;

namespace {

Bytes dataChunkOf(const std::string& wav) {
    audio::WavLayout layout;
    EXPECT_TRUE(audio::readWavLayout(wav, layout));
    Bytes all = testkit::readFile(wav);
    return Bytes(all.begin() + static_cast<long>(layout.dataOffset),
                 all.begin() + static_cast<long>(layout.dataOffset + layout.dataLength));
}

// An IMA ADPCM .wav of the game's block alignment, encoded from a PCM .wav.
void adpcmFromPcm(const std::string& pcmWav, unsigned channels, const std::string& out) {
    Bytes data = dataChunkOf(pcmWav);
    std::vector<std::int16_t> samples(data.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>(testkit::u16(data, 2 * i));
    const std::uint32_t blockAlign = channels == 1 ? 1028 : 2056;
    std::vector<std::uint8_t> blocks = audio::encodeImaBlocks(samples, channels, blockAlign);
    auto header = audio::imaWavHeader(static_cast<std::uint16_t>(channels), 22050, blockAlign,
                                      static_cast<std::uint32_t>(samples.size() / channels),
                                      static_cast<std::uint32_t>(blocks.size()));
    Bytes wav(header.size() + blocks.size());
    std::copy(header.begin(), header.end(), wav.begin());
    std::copy(blocks.begin(), blocks.end(), wav.begin() + static_cast<long>(header.size()));
    testkit::put16(wav, 38, 2049);  // what the blocks really hold, so that SoX reads the file too
    testkit::writeFile(out, wav);
}

}  // namespace

TEST(RoundTrip, WavsFromRealToolsThroughThreeArchivesAndBack) {
    if (!testkit::haveTool("sox") || !testkit::haveTool("sndfile-convert")) GTEST_SKIP() << "needs sox and sndfile-convert";
    testkit::ScratchDir dir;
    for (const std::string& command :
         {"sox -n -r 11025 -c 1 -b 16 " + quote(dir.file("mono.wav")) + " synth 0.4 sine 440",
          "sox -n -r 22050 -c 2 -b 16 " + quote(dir.file("st.aiff")) + " synth 0.5 sine 300 sine 500",
          "sndfile-convert -pcm16 " + quote(dir.file("st.aiff")) + " " + quote(dir.file("stereo.wav"))})
        ASSERT_EQ(testkit::run(command).exitCode, 0) << command;
    adpcmFromPcm(dir.file("mono.wav"), 1, dir.file("ima_mono.wav"));
    adpcmFromPcm(dir.file("stereo.wav"), 2, dir.file("ima_stereo.wav"));
    const std::vector<std::pair<std::string, std::string>> sources = {
        {"mono", ""}, {"stereo", "Two voices\r\nand a second line"}, {"ima_mono", "Whispers"}, {"ima_stereo", ""}};
    for (const auto& [name, caption] : sources) {
        audio::WavToCauResult made = audio::wavToCau(dir.file(name + ".wav"), dir.file(name + ".cau"), caption);
        ASSERT_TRUE(made.written()) << name << ": " << made.outcome.reason;
        EXPECT_EQ(made.header.isAdpcm(), name.rfind("ima", 0) == 0) << name;
    }

    ASSERT_TRUE(createDefaultArchive(dir.file("sounds.tpa")).created);
    ASSERT_TRUE(createDefaultArchive(dir.file("ambient.tpa")).created);
    Bytes effects = archive_test::retailArchive({{0xE0, archive_test::pcmImage(11025, 1, 300)},
                                                 {0xE1, archive_test::pcmImage(22050, 2, 128, true)},
                                                 {0xE2, archive_test::pcmImage(8000, 1, 60)}});
    testkit::put32(effects, 4, 2);  // two sounds, three entries, a 64-byte trailer
    testkit::put32(effects, 12, 1);
    effects.insert(effects.end(), 64, 0x7E);
    testkit::writeFile(dir.file("effects.tpa"), effects);

    const std::string db = dir.file("SndIds.dat");
    struct Target { std::string name; std::uint32_t table; std::uint64_t trailer; };
    for (Target t : {Target{"sounds", 1, 0}, Target{"effects", 3, 64}, Target{"ambient", 1, 0}}) {
        SCOPED_TRACE(t.name);
        const std::string tpa = dir.file(t.name + ".tpa"), out = dir.file(t.name + "-cau");
        for (const auto& source : sources) {
            AddSoundRequest r;
            r.archivePath = tpa;
            r.soundPath = dir.file(source.first + ".cau");
            r.soundName = t.name + "-" + source.first;
            r.updateSndIds = true;
            r.dbPath = db;
            TpaLoad load = loadTpaArchive(tpa, dir.path());
            ASSERT_TRUE(acceptsAdds(load.archive));
            const bool asEffects = usesEffectsAdd(load.archive.archiveName, load.archive.standardLayout);
            ASSERT_EQ((asEffects ? addSoundEffects(r) : addSoundGeneral(r)).addResult, AddOutcome::Done);
            ASSERT_TRUE(archive_test::retailInvariants(tpa, {++t.table, t.trailer}));
            testkit::expectGameReads(tpa);
        }
        std::filesystem::create_directory(out);
        ASSERT_TRUE(exportAllEntries(loadTpaArchive(tpa, "").archive, ExportMode::Cau, out, db).outcome);
        for (const auto& source : sources)
            EXPECT_EQ(testkit::readFile(out + "/" + t.name + "-" + source.first + ".cau"),
                      testkit::readFile(dir.file(source.first + ".cau")))
                << source.first;
    }

    // As .wav: PCM sounds come out with the very samples of the source, IMA
    // ADPCM ones with the samples SoX decodes from the source, every code of
    // every block (and a few codes of padding at the end of the last).
    const std::string wavs = dir.file("wavs");
    std::filesystem::create_directory(wavs);
    ASSERT_TRUE(exportAllEntries(loadTpaArchive(dir.file("sounds.tpa"), "").archive, ExportMode::Wav, wavs, db).outcome);
    auto frames = [](const std::string& path) {
        testkit::RunResult r = testkit::run("sox --i -s " + quote(path));
        EXPECT_EQ(r.exitCode, 0) << path << ": " << r.err;
        return r.exitCode == 0 ? std::stol(r.out) : -1000000L;
    };
    for (const auto& source : sources) {
        const std::string wav = wavs + "/sounds-" + source.first + ".wav", original = dir.file(source.first + ".wav");
        if (source.first.rfind("ima", 0) != 0) {
            EXPECT_EQ(dataChunkOf(wav), dataChunkOf(original)) << source.first;
        } else {
            EXPECT_EQ(testkit::run("sox --i -e " + quote(wav)).out, "Signed Integer PCM\n");
            const long extra = frames(wav) - frames(original);
            EXPECT_TRUE(extra >= 0 && extra <= 8) << source.first << ": " << extra << " frames more than the source";
            const std::string soxPcm = dir.file("sox-" + source.first + ".wav");
            ASSERT_EQ(testkit::run("sox " + quote(original) + " -e signed -b 16 " + quote(soxPcm)).exitCode, 0);
            Bytes theirs = dataChunkOf(soxPcm), ours = dataChunkOf(wav);
            ASSERT_GE(ours.size(), theirs.size()) << source.first;
            ours.resize(theirs.size());
            EXPECT_TRUE(ours == theirs) << source.first << ": our decoding differs from SoX's";
        }
    }
}
