// A fault at every I/O call of the operations that write sound files: the
// export of all entries, saving one entry, the conversions between .wav and
// .cau one by one and by folder, and the conversion of a foreign file. A
// failed run names a file and leaves every output whole: as it was, or (for
// the outputs made in bulk) as a complete run makes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "archive/archive_builder.h"
#include "archive/folder/export_all.h"
#include "archive/format/tpa_loader.h"
#include "audio/audio_fixtures.h"
#include "audio/cau/cau_export.h"
#include "audio/convert/cau_to_pcm_wav.h"
#include "audio/convert/cau_to_wav.h"
#include "audio/convert/dir_to_caus.h"
#include "audio/convert/game_ready_ima.h"
#include "audio/convert/wav_to_cau.h"
#include "import/playable_wav.h"
#include "robustness/fault_walk.h"

using namespace sonkrate;
using robustness::Attempt;
using robustness::walkFaults;
using testkit::Bytes;

namespace {

Attempt fromOutcome(const io::Outcome& outcome) { return {outcome.ok, outcome.reason}; }

// A canonical 44-byte-header PCM .wav, 16-bit mono.
Bytes pcmWav(std::uint32_t rate, std::uint32_t frames) {
    Bytes b(44 + 2 * frames);
    const std::uint32_t data = 2 * frames;
    std::copy_n("RIFF", 4, b.begin());
    testkit::put32(b, 4, 36 + data);
    std::copy_n("WAVEfmt ", 8, b.begin() + 8);
    testkit::put32(b, 16, 16);
    testkit::put16(b, 20, 1);
    testkit::put16(b, 22, 1);
    testkit::put32(b, 24, rate);
    testkit::put32(b, 28, rate * 2);
    testkit::put16(b, 32, 2);
    testkit::put16(b, 34, 16);
    std::copy_n("data", 4, b.begin() + 36);
    testkit::put32(b, 40, data);
    for (std::uint32_t i = 0; i < frames; ++i) testkit::put16(b, 44 + 2 * i, static_cast<std::uint16_t>(i * 97));
    return b;
}

// An AU file: big-endian header, 16-bit linear PCM, stereo.
Bytes auFile(std::uint32_t rate, std::uint32_t frames) {
    Bytes b(24 + 4 * frames);
    auto be32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    };
    be32(0, 0x2E736E64);  // ".snd"
    be32(4, 24);
    be32(8, 4 * frames);
    be32(12, 3);
    be32(16, rate);
    be32(20, 2);
    for (std::uint32_t i = 0; i < 4 * frames; ++i) b[24 + i] = static_cast<std::uint8_t>(i * 13);
    return b;
}

Bytes imaImage() { return audiotest::imaCau(audiotest::tone(3000, 1), 1, 1028); }

}  // namespace

TEST(SoundWrites, ExportOfAllEntriesAsCauAndAsWav) {
    testkit::ScratchDir dir;
    std::vector<archive_test::Image> images = {{0x11, archive_test::pcmImage(22050, 1, 1500)},
                                               {0x22, imaImage()},
                                               {0x33, archive_test::pcmImage(11025, 2, 800, true)}};
    testkit::writeFile(dir.file("level.tpa"), archive_test::retailArchive(images));
    std::filesystem::create_directories(dir.file("out"));
    testkit::writeText(dir.file("out/level_1.wav"), "a file an export replaces");
    archive::TpaLoad load = archive::loadTpaArchive(dir.file("level.tpa"), "");
    ASSERT_TRUE(load.outcome) << load.outcome.reason;
    for (archive::ExportMode mode : {archive::ExportMode::Cau, archive::ExportMode::Wav}) {
        auto report = walkFaults(dir.path(), [&] {
            archive::ExportAllResult r = archive::exportAllEntries(load.archive, mode, dir.file("out"), "");
            if (!r.outcome && r.filesWritten + r.filesFailed == 3 && r.failures.empty())
                ADD_FAILURE() << "a failed file is not told: " << r.outcome.reason;
            return Attempt{r.outcome.ok, r.failures.empty() ? r.outcome.reason : r.failures.front()};
        }, {{"level.tpa"}, {}});
        EXPECT_GT(report.failures, 6u);
    }
}

TEST(SoundWrites, SavingOneEntryAsCauAndAsWav) {
    testkit::ScratchDir dir;
    const Bytes image = imaImage();
    testkit::writeFile(dir.file("level.tpa"), archive_test::retailArchive({{0x11, image}}));
    testkit::writeText(dir.file("saved.cau"), "old .cau");
    testkit::writeText(dir.file("saved.wav"), "old .wav");
    walkFaults(dir.path(), [&] {
        return fromOutcome(audio::exportEntryAsCau(dir.file("level.tpa"), 80, image.size(), dir.file("saved.cau")));
    }, {{"saved.cau", "level.tpa"}, {}});
    walkFaults(dir.path(), [&] {
        return fromOutcome(audio::cauToPcmWav(dir.file("level.tpa"), 80, image.size(), dir.file("saved.wav"),
                                              io::Durability::Durable).outcome);
    }, {{"saved.wav", "level.tpa"}, {}});
}

TEST(SoundWrites, WavToCauCauToWavAndTheFolderConversion) {
    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("tone.wav"), pcmWav(22050, 2000));
    testkit::writeFile(dir.file("ima.cau"), imaImage());
    testkit::writeText(dir.file("tone.cau"), "old .cau");
    testkit::writeText(dir.file("ima.wav"), "old .wav");
    walkFaults(dir.path(), [&] { return fromOutcome(audio::wavToCau(dir.file("tone.wav"), dir.file("tone.cau"), "caption").outcome); },
               {{"tone.cau", "tone.wav"}, {}});
    walkFaults(dir.path(), [&] { return fromOutcome(audio::cauToWav(dir.file("ima.cau"), dir.file("ima.wav")).outcome); },
               {{"ima.wav", "ima.cau"}, {}});
    walkFaults(dir.path(), [&] {
        return fromOutcome(audio::cauToPcmWav(dir.file("ima.cau"), dir.file("ima.wav"), io::Durability::Durable).outcome);
    }, {{"ima.wav", "ima.cau"}, {}});

    testkit::ScratchDir folder;
    for (int i = 0; i < 3; ++i) testkit::writeFile(folder.file("w" + std::to_string(i) + ".wav"), pcmWav(11025, 500 + 300 * i));
    testkit::writeText(folder.file("w1.cau"), "old .cau");
    auto report = walkFaults(folder.path(), [&] {
        audio::DirToCausResult r = audio::dirToCaus(folder.path());
        for (const audio::DirToCausItem& item : r.items)
            if (item.status != audio::WavToCauStatus::Written) return Attempt{false, item.reason};
        return fromOutcome(r.outcome);
    });
    EXPECT_GT(report.failures, 6u);
}

// A 24-bit stereo .wav made IMA ADPCM: the working 16-bit file, the encoding
// and the check each meet a fault, and nothing is left of a failed run.
TEST(SoundWrites, ImaEncodingOfA24BitWav) {
    testkit::ScratchDir dir;
    const std::uint32_t frames = 2049 + 1000;
    Bytes wav = pcmWav(48000, frames * 3);  // the same data length, read as 24-bit stereo frames of 6 bytes
    wav.resize(44 + 6 * frames);
    testkit::put32(wav, 4, 36 + 6 * frames);
    testkit::put16(wav, 22, 2);
    testkit::put32(wav, 28, 48000 * 6);
    testkit::put16(wav, 32, 6);
    testkit::put16(wav, 34, 24);
    testkit::put32(wav, 40, 6 * frames);
    testkit::writeFile(dir.file("editor.wav"), wav);
    testkit::writeText(dir.file("game.wav"), "old .wav");
    auto report = walkFaults(dir.path(), [&] {
        audio::GameReadyResult r = audio::makeGameReadyImaWav(dir.file("editor.wav"), dir.file("game.wav"));
        if (r.outcome && !r.converted) return Attempt{false, "nothing converted"};
        return fromOutcome(r.outcome);
    }, {{"game.wav", "editor.wav"}, {}});
    EXPECT_GT(report.failures, 6u);
}

TEST(SoundWrites, ForeignConversion) {
    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("voice.au"), auFile(8000, 1500));
    testkit::writeText(dir.file("voice.wav"), "old .wav");
    testkit::writeFile(dir.file("ima.wav"), Bytes{});
    ASSERT_TRUE(audio::cauToWav([&] {
        testkit::writeFile(dir.file("ima.cau"), imaImage());
        return dir.file("ima.cau");
    }(), dir.file("ima.wav")).ok());
    std::filesystem::remove(dir.file("ima.cau"));
    testkit::writeText(dir.file("decoded.wav"), "old decoded");
    walkFaults(dir.path(), [&] {
        return fromOutcome(import::writePlayableWav(dir.file("voice.au"), dir.file("voice.wav")).outcome);
    }, {{"voice.wav", "voice.au"}, {}});
    // An IMA ADPCM .wav is decoded; a PCM .wav is copied as it is.
    walkFaults(dir.path(), [&] {
        return fromOutcome(import::writePlayableWav(dir.file("ima.wav"), dir.file("decoded.wav")).outcome);
    }, {{"decoded.wav", "ima.wav"}, {}});
    walkFaults(dir.path(), [&] {
        return fromOutcome(import::writePlayableWav(dir.file("decoded.wav"), dir.file("copy.wav")).outcome);
    }, {{"decoded.wav"}, {}});
}
