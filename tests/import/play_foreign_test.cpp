// Deciding what a picked file becomes: the refusal of the working files, the
// extension table, the .wav files played as they are or decoded first, and
// the playable .wav the command line writes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "audio/wav/wav_headers.h"
#include "import/play_foreign.h"
#include "import/playable_wav.h"
#include "import_testing.h"

using namespace sonkrate;
using namespace sonkrate::import;
using testkit::Bytes;

namespace {

ForeignWorkPaths workPaths(const testkit::ScratchDir& dir) {
    return {dir.file("temp_wav.wav"), dir.file("conversion.wav"), dir.file("decoded.wav")};
}

// A 16-bit mono AIFF at 22050 Hz with frames of sound.
Bytes aiff16(std::size_t frames) {
    Bytes b(54 + 2 * frames, 0);
    std::memcpy(b.data(), "FORM\0\0\0\0AIFFCOMM\0\0\0\x12", 20);
    b[21] = 1;                          // 1 channel
    b[27] = 16;                         // 16 bits
    b[28] = 0x40, b[29] = 0x0D, b[30] = 0xAC, b[31] = 0x44;  // 22050 Hz
    for (std::size_t i = 54; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i);
    return b;
}

// A canonical .wav header with the given fields and some data after it.
Bytes wavHeader(std::uint32_t riff, std::uint32_t fmtSize, std::uint16_t tag, std::uint16_t channels,
                std::uint32_t rate, std::uint16_t blockAlign, std::uint16_t bits) {
    Bytes b(200, 0);
    std::memcpy(b.data(), "RIFF", 4);
    testkit::put32(b, 4, riff);
    std::memcpy(b.data() + 8, "WAVEfmt ", 8);
    testkit::put32(b, 16, fmtSize);
    testkit::put16(b, 20, tag);
    testkit::put16(b, 22, channels);
    testkit::put32(b, 24, rate);
    testkit::put16(b, 32, blockAlign);
    testkit::put16(b, 34, bits);
    return b;
}

// An IMA ADPCM .wav of two blocks with the given block alignment.
Bytes imaWav(std::uint16_t blockAlign) {
    auto header = audio::imaWavHeader(1, 22050, blockAlign, 4096, 2u * blockAlign);
    Bytes b(header.begin(), header.end());
    for (int block = 0; block < 2; ++block) {
        std::size_t at = b.size();
        b.resize(at + blockAlign, 0x35);
        b[at] = 0x10, b[at + 1] = 0x00, b[at + 2] = 20, b[at + 3] = 0;  // predictor 16, step index 20
    }
    return b;
}

}  // namespace

TEST(PlayForeign, ExtensionsMatchInLowerOrUpperCaseOnly) {
    testkit::ScratchDir dir;
    struct Case {
        std::string path;
        ForeignRoute route;
        const char* format;  // the reader row, for Reader
    };
    const Case cases[] = {
        {"a/sound.snd", ForeignRoute::Reader, "AU"},    {"a/sound.SPH", ForeignRoute::Reader, "SPHERE"},
        {"a/sound.AIF", ForeignRoute::Reader, "AIFF"},  {"a/sound.WAV", ForeignRoute::DirectWav, nullptr},
        {"a/sound.Aiff", ForeignRoute::NoMatch, nullptr}, {"a/sound.Wav", ForeignRoute::NoMatch, nullptr},
        {"a/sound.aifc", ForeignRoute::NoMatch, nullptr}, {"dir.old/noext", ForeignRoute::NoMatch, nullptr},
        {"a/sound.tar.wav", ForeignRoute::DirectWav, nullptr}, {"a/sound.", ForeignRoute::NoMatch, nullptr},
    };
    for (const Case& c : cases) {
        ForeignPlayPlan plan = planForeignPlay(c.path, workPaths(dir));
        EXPECT_EQ(plan.route, c.route) << c.path;
        if (c.format) {
            ASSERT_NE(plan.row, nullptr) << c.path;
            EXPECT_STREQ(plan.row->formatName, c.format) << c.path;
        }
    }
    EXPECT_EQ(extensionOf("dir.old/noext"), "old/noext");
    EXPECT_EQ(extensionOf("noext"), "noext");

    // A file that matches no row: no text, no sound, nothing changed.
    testkit::writeFile(dir.file("sound.Aiff"), aiff16(100));
    ForeignPlayOutcome none = playForeignFile(dir.file("sound.Aiff"), workPaths(dir));
    EXPECT_EQ(none.route, ForeignRoute::NoMatch);
    EXPECT_EQ(none.result, ForeignPlayResult::Nothing);
    EXPECT_TRUE(none.playPath.empty());
    EXPECT_FALSE(none.readFailed || none.playTimeSet);
    EXPECT_FALSE(testkit::fileExists(dir.file("conversion.wav")));
    // The same bytes as sound.AIF are converted and conversion.wav is played.
    testkit::writeFile(dir.file("sound.AIF"), aiff16(22050));
    ForeignPlayOutcome played = playForeignFile(dir.file("sound.AIF"), workPaths(dir));
    EXPECT_EQ(played.result, ForeignPlayResult::Converted);
    ASSERT_NE(played.row, nullptr);
    EXPECT_EQ(played.row->format, ForeignFormat::Aiff);
    EXPECT_EQ(played.playPath, dir.file("conversion.wav"));
    EXPECT_EQ(played.route, ForeignRoute::Reader);
    EXPECT_FALSE(played.readFailed);
    EXPECT_DOUBLE_EQ(played.playTimeSeconds, (54.0 + 44100) / 44100);
    EXPECT_EQ(played.playTimeCount, 1000);
    EXPECT_EQ(importtest::fieldsOf(testkit::readFile(dir.file("conversion.wav"))).dataSize, 44100u + 54 - 58);
}

TEST(PlayForeign, WorkingFilesAreRefusedAndFailuresReported) {
    testkit::ScratchDir dir;
    const ForeignWorkPaths paths = workPaths(dir);
    for (const std::string& path : {paths.conversionWav, paths.tempWav}) {
        testkit::writeFile(path, wavHeader(236, 16, 1, 1, 22050, 2, 16));
        ForeignPlayOutcome o = playForeignFile(path, paths);
        EXPECT_EQ(o.route, ForeignRoute::Refused);
        EXPECT_EQ(o.result, ForeignPlayResult::Refused);
        EXPECT_TRUE(o.readFailed);
        EXPECT_NE(o.reason.find(path), std::string::npos) << o.reason;
        EXPECT_TRUE(o.playPath.empty());
        EXPECT_FALSE(o.playTimeSet);
    }
    // The comparison is exact: the same folder spelt with a doubled separator is a .wav like any other.
    ForeignPlayOutcome other = playForeignFile(dir.path() + "//conversion.wav", paths);
    EXPECT_EQ(other.route, ForeignRoute::DirectWav);

    // A failed CAF (12-bit) and a failed WVE are read failures of their readers.
    Bytes caf(5000, 0);
    caf[51] = 12;
    testkit::writeFile(dir.file("bad.caf"), caf);
    ForeignPlayOutcome failed = playForeignFile(dir.file("bad.caf"), paths);
    EXPECT_TRUE(failed.readFailed);
    EXPECT_EQ(failed.result, ForeignPlayResult::ReadFailed);
    ASSERT_NE(failed.row, nullptr);
    EXPECT_EQ(failed.row->format, ForeignFormat::Caf);
    EXPECT_TRUE(failed.playPath.empty());
    EXPECT_EQ(failed.route, ForeignRoute::Reader);
    EXPECT_NE(failed.reason.find("bad.caf"), std::string::npos);
    testkit::writeFile(dir.file("bad.wve"), Bytes(100, 0x41));
    ForeignPlayOutcome wve = playForeignFile(dir.file("bad.wve"), paths);
    EXPECT_TRUE(wve.readFailed);
    EXPECT_EQ(wve.result, ForeignPlayResult::ReadFailed);
    ASSERT_NE(wve.row, nullptr);
    EXPECT_EQ(wve.row->format, ForeignFormat::Wve);
    EXPECT_TRUE(wve.playPath.empty());
    // A .wav that cannot be opened is a read failure too.
    ForeignPlayOutcome missing = playForeignFile(dir.file("gone.wav"), paths);
    EXPECT_TRUE(missing.readFailed);
    EXPECT_EQ(missing.result, ForeignPlayResult::ReadFailed);
    EXPECT_EQ(missing.route, ForeignRoute::DirectWav);
    EXPECT_NE(missing.reason.find("gone.wav"), std::string::npos);
}

TEST(PlayForeign, WavFilesArePlayedAsTheyAreDecodedOrLeftAlone) {
    testkit::ScratchDir dir;
    const ForeignWorkPaths paths = workPaths(dir);
    struct Case {
        std::uint32_t fmtSize;
        std::uint16_t blockAlign;
        DirectWavHandling handling;
    };
    const Case cases[] = {
        {16, 4, DirectWavHandling::PlayAsIs},     {18, 1, DirectWavHandling::PlayAsIs},
        {30, 1, DirectWavHandling::PlayAsIs},     {50, 1, DirectWavHandling::PlayAsIs},
        {40, 4, DirectWavHandling::PlayAsIs},     {20, 512, DirectWavHandling::PlayAsIs},
        {20, 1024, DirectWavHandling::PlayAsIs},  {20, 2048, DirectWavHandling::PlayAsIs},
        {20, 1028, DirectWavHandling::DecodeFirst}, {20, 2056, DirectWavHandling::DecodeFirst},
        {20, 1000, DirectWavHandling::NotPlayed}, {44, 4, DirectWavHandling::NotPlayed},
        {0, 0, DirectWavHandling::NotPlayed},
    };
    for (const Case& c : cases) {
        DirectWavHeader h;
        h.fmtSize = c.fmtSize;
        h.blockAlign = c.blockAlign;
        EXPECT_EQ(directWavHandling(h), c.handling) << c.fmtSize << "/" << c.blockAlign;
    }

    // PCM with a 16-byte fmt: played from its own path, whole seconds not x1000.
    testkit::writeFile(dir.file("pcm.wav"), wavHeader(176436, 16, 1, 2, 44100, 4, 16));
    ForeignPlayOutcome pcm = playForeignFile(dir.file("pcm.wav"), paths);
    EXPECT_EQ(pcm.playPath, dir.file("pcm.wav"));
    EXPECT_EQ(pcm.result, ForeignPlayResult::PlayAsIs);
    EXPECT_EQ(pcm.row, nullptr);
    EXPECT_EQ(pcm.route, ForeignRoute::DirectWav);
    EXPECT_EQ(pcm.playTimeSeconds, 1.0);
    EXPECT_EQ(pcm.playTimeCount, 1);
    EXPECT_FALSE(testkit::fileExists(paths.conversionWav));

    // IMA ADPCM of block alignment 1028 is decoded first; 512 is played as it is.
    testkit::writeFile(dir.file("ima1028.wav"), imaWav(1028));
    ForeignPlayOutcome decoded = playForeignFile(dir.file("ima1028.wav"), paths);
    ASSERT_FALSE(decoded.readFailed) << decoded.reason;
    EXPECT_EQ(decoded.playPath, paths.decodedWav);
    EXPECT_EQ(decoded.result, ForeignPlayResult::Decoded);
    importtest::WavFields f = importtest::fieldsOf(testkit::readFile(paths.decodedWav));
    EXPECT_EQ(f.formatTag, 1u);
    EXPECT_EQ(f.bitsPerSample, 16u);
    testkit::writeFile(dir.file("ima512.wav"), imaWav(512));
    EXPECT_EQ(playForeignFile(dir.file("ima512.wav"), paths).playPath, dir.file("ima512.wav"));

    // Anything else: no text and no sound, though the .wav was taken.
    testkit::writeFile(dir.file("odd.wav"), wavHeader(1000, 20, 17, 1, 22050, 1000, 4));
    ForeignPlayOutcome odd = playForeignFile(dir.file("odd.wav"), paths);
    EXPECT_TRUE(odd.playPath.empty());
    EXPECT_EQ(odd.result, ForeignPlayResult::NotPlayed);
    EXPECT_FALSE(odd.readFailed);
    EXPECT_EQ(odd.route, ForeignRoute::DirectWav);
}

TEST(PlayForeign, DirectWavPlayingTimeFollowsTheHeader) {
    struct Case {
        std::uint32_t riff, fmtSize;
        std::uint16_t tag;
        std::int16_t channels;
        std::uint32_t rate;
        std::uint16_t bits;
        double seconds;
    };
    const Case cases[] = {
        {176436, 16, 1, 2, 44100, 16, 1.0},
        {176399, 16, 1, 2, 44100, 16, 0.0},           // whole seconds only
        {352836, 16, 1, 2, 44100, 32, 1.0},           // 32 bits halve the seconds
        {529236, 16, 1, 2, 44100, 32, 1.5},
        {16050, 18, 6, 1, 8000, 8, 8.0},              // G.711: (4 x size x 2) / (channels x 2 x rate)
        {22100, 20, 17, 1, 22050, 4, 1.0},            // compressed: rate doubled, size x 4
        {640000, 40, 0xFFFE, 2, 48000, 16, 10.0},     // a negative tag is not "above 1"; 40: rate / 3
        {176436, 16, 1, 0, 44100, 16, 0.0},           // no channels: no divisor
        {176436, 18, 1, 2, 0, 16, 0.0},               // no rate
    };
    for (const Case& c : cases) {
        DirectWavHeader h;
        h.riffSize = c.riff;
        h.fmtSize = c.fmtSize;
        h.formatTag = static_cast<std::int16_t>(c.tag);
        h.channels = c.channels;
        h.sampleRate = c.rate;
        h.bitsPerSample = c.bits;
        EXPECT_EQ(directWavPlayTime(h), c.seconds) << c.riff << "/" << c.fmtSize;
    }
}

TEST(PlayableWav, WritesWhatWouldBePlayedOrNothing) {
    testkit::ScratchDir dir;
    // A converted file.
    testkit::writeFile(dir.file("in.aiff"), aiff16(22050));
    PlayableWavResult converted = writePlayableWav(dir.file("in.aiff"), dir.file("out.wav"));
    ASSERT_TRUE(converted.ok()) << converted.outcome.reason;
    EXPECT_EQ(converted.route, ForeignRoute::Reader);
    EXPECT_EQ(converted.layout, "AIFF 16-bit");
    EXPECT_EQ(converted.playTimeCount, 1000);
    Bytes out = testkit::readFile(dir.file("out.wav"));
    Bytes in = testkit::readFile(dir.file("in.aiff"));
    ASSERT_EQ(out.size(), 44 + in.size() - 58);
    EXPECT_EQ(out[44], in[59]);
    EXPECT_EQ(out[45], in[58]);

    // A read failure: the reason names the file; the output stays.
    testkit::writeText(dir.file("keep.wav"), "kept");
    Bytes bad(5000, 0);
    bad[51] = 12;
    testkit::writeFile(dir.file("bad.caf"), bad);
    PlayableWavResult failed = writePlayableWav(dir.file("bad.caf"), dir.file("keep.wav"));
    EXPECT_FALSE(failed.ok());
    EXPECT_TRUE(failed.readFailed);
    EXPECT_NE(failed.outcome.reason.find("bad.caf"), std::string::npos);
    EXPECT_EQ(testkit::readText(dir.file("keep.wav")), "kept");
    // A VOC that its reader writes but reports failed leaves nothing behind either.
    Bytes voc(2000, 0x80);
    voc[30] = 0x2C, voc[31] = 0x01;  // time constant 300
    testkit::writeFile(dir.file("odd.voc"), voc);
    EXPECT_TRUE(writePlayableWav(dir.file("odd.voc"), dir.file("voc.wav")).readFailed);
    EXPECT_FALSE(testkit::fileExists(dir.file("voc.wav")));
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 5u);  // in.aiff, out.wav, keep.wav, bad.caf, odd.voc

    // A .wav played as it is: copied byte for byte; onto itself it stays whole.
    Bytes pcm = wavHeader(176436, 16, 1, 2, 44100, 4, 16);
    testkit::writeFile(dir.file("pcm.wav"), pcm);
    PlayableWavResult copied = writePlayableWav(dir.file("pcm.wav"), dir.file("copy.wav"));
    ASSERT_TRUE(copied.ok()) << copied.outcome.reason;
    EXPECT_EQ(copied.playTimeSeconds, 1.0);
    EXPECT_EQ(copied.playTimeCount, 1);
    EXPECT_EQ(testkit::readFile(dir.file("copy.wav")), pcm);
    ASSERT_TRUE(writePlayableWav(dir.file("pcm.wav"), dir.file("pcm.wav")).ok());
    EXPECT_EQ(testkit::readFile(dir.file("pcm.wav")), pcm);

    // IMA ADPCM of block alignment 2056 is decoded.
    testkit::writeFile(dir.file("ima.wav"), imaWav(2056));
    PlayableWavResult decoded = writePlayableWav(dir.file("ima.wav"), dir.file("pcm16.wav"));
    ASSERT_TRUE(decoded.ok()) << decoded.outcome.reason;
    EXPECT_EQ(importtest::fieldsOf(testkit::readFile(dir.file("pcm16.wav"))).formatTag, 1u);

    // What would not be played at all is a failure without output.
    for (const char* name : {"x.Aiff", "odd.wav"}) {
        testkit::writeFile(dir.file(name), wavHeader(1000, 20, 17, 1, 22050, 1000, 4));
        PlayableWavResult nothing = writePlayableWav(dir.file(name), dir.file("nothing.wav"));
        EXPECT_FALSE(nothing.ok()) << name;
        EXPECT_NE(nothing.outcome.reason.find(name), std::string::npos) << nothing.outcome.reason;
        EXPECT_FALSE(testkit::fileExists(dir.file("nothing.wav")));
    }
}
