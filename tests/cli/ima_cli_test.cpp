// wav2cau, add and replace with --ima: .wav files from editors made into IMA
// ADPCM sounds in the game's blocks, read back by the game's rules, by our
// decoder and by SoX.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "testkit/game_reader.h"
#include "testkit/testkit.h"

using testkit::Bytes;
using testkit::quote;
using testkit::run;
using testkit::u16;
using testkit::u32;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

constexpr std::size_t kFramesPerBlock = 2049;  // what the game decodes from a block of 1028 or 2056 bytes

// The 16-bit samples of the "data" chunk of a PCM .wav.
std::vector<std::int16_t> samplesOf(const Bytes& wav) {
    std::size_t at = 12;
    while (at + 8 <= wav.size() && testkit::text(wav, at, 4) != "data") at += 8 + u32(wav, at + 4);
    std::vector<std::int16_t> samples;
    for (std::size_t i = at + 8; i + 1 < wav.size(); i += 2) samples.push_back(static_cast<std::int16_t>(u16(wav, i)));
    return samples;
}

// Signal-to-error ratio in dB of ours against a reference, frame i of ours
// standing for frame map(i) of the reference.
template <typename Map>
double snrDb(const std::vector<std::int16_t>& ours, const std::vector<std::int16_t>& ref, unsigned channels, Map map) {
    double signal = 0, error = 0;
    for (std::size_t f = 0; f < ours.size() / channels; ++f) {
        for (unsigned c = 0; c < channels; ++c) {
            const double x = ref.at(map(f) * channels + c), e = x - ours[f * channels + c];
            signal += x * x;
            error += e * e;
        }
    }
    return 10 * std::log10(signal / std::max(error, 1.0));
}

// Checks the .cau made of a sound of frames frames: the game's fields, the
// game's reading, and the sound our decoder and SoX decode from its blocks.
void expectGameSound(const testkit::ScratchDir& dir, const std::string& cau, const std::string& ref,
                     std::size_t frames, unsigned channels, std::uint32_t rate) {
    const Bytes image = testkit::readFile(cau);
    ASSERT_GE(image.size(), 36u);
    EXPECT_EQ(u32(image, 12), channels == 1 ? 1028u : 2056u);  // blockAlign
    EXPECT_EQ(u32(image, 20), frames * 2 * channels);           // decodedSize: the decoded 16-bit bytes
    EXPECT_EQ(u32(image, 24), rate);
    EXPECT_EQ(image[28], 16);
    EXPECT_EQ(image[29], channels);
    EXPECT_EQ(image[30], 1);  // IMA ADPCM
    const std::size_t blocks = (frames + kFramesPerBlock - 1) / kFramesPerBlock;
    EXPECT_LE(u32(image, 16), blocks * (channels == 1 ? 1028u : 2056u));
    EXPECT_GT(u32(image, 16), (blocks - 1) * (channels == 1 ? 1028u : 2056u));
    EXPECT_TRUE(testkit::gameReadsCau(cau));
    const std::vector<std::int16_t> reference = samplesOf(testkit::readFile(ref));
    ASSERT_EQ(reference.size(), frames * channels);

    // Our decoder gives every frame of every block, as the game does; the
    // last block may end in a few codes of padding.
    auto back = run(cli("cau2wav " + quote(cau) + " " + quote(dir.file("back.wav"))));
    ASSERT_EQ(back.exitCode, 0) << back.err;
    std::vector<std::int16_t> ours = samplesOf(testkit::readFile(dir.file("back.wav")));
    // The length it reports is that of the decoded frames.
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, ": %.3f s,", static_cast<double>(ours.size() / channels) / rate);
    EXPECT_NE((back.out + back.err).find(seconds), std::string::npos) << back.out << back.err;
    ASSERT_GE(ours.size() / channels, frames);
    EXPECT_LE(ours.size() / channels, frames + 8);
    ours.resize(frames * channels);
    EXPECT_GT(snrDb(ours, reference, channels, [](std::size_t f) { return f; }), 30.0);

    // SoX decodes the blocks as the game does too.
    if (!testkit::haveTool("sox")) return;
    Bytes wav(60);
    std::memcpy(wav.data(), "RIFF\0\0\0\0WAVEfmt \x14\0\0\0", 20);
    testkit::put16(wav, 20, 0x11);
    testkit::put16(wav, 22, static_cast<std::uint16_t>(channels));
    testkit::put32(wav, 24, rate);
    testkit::put32(wav, 28, rate * channels / 2);
    testkit::put16(wav, 32, static_cast<std::uint16_t>(u32(image, 12)));
    testkit::put16(wav, 34, 4);
    testkit::put16(wav, 36, 2);
    testkit::put16(wav, 38, kFramesPerBlock);
    std::memcpy(&wav[40], "fact\4\0\0\0", 8);
    testkit::put32(wav, 48, static_cast<std::uint32_t>(frames));
    std::memcpy(&wav[52], "data", 4);
    testkit::put32(wav, 56, u32(image, 16));
    wav.insert(wav.end(), image.begin() + u32(image, 8), image.end());
    testkit::put32(wav, 4, static_cast<std::uint32_t>(wav.size() - 8));
    testkit::writeFile(dir.file("std.wav"), wav);
    auto sox = run("sox " + quote(dir.file("std.wav")) + " -b 16 -e signed-integer " + quote(dir.file("soxima.wav")));
    ASSERT_EQ(sox.exitCode, 0) << sox.err;
    std::vector<std::int16_t> theirs = samplesOf(testkit::readFile(dir.file("soxima.wav")));
    ASSERT_GE(theirs.size(), frames * channels);
    theirs.resize(frames * channels);
    // The same rules, the same samples: SoX's decoding and ours agree to the last frame.
    EXPECT_TRUE(theirs == ours) << "our decoding differs from SoX's";
}

}  // namespace

// 24-bit and float 48 kHz stereo files as SoX and libsndfile write them.
TEST(CliIma, EditorWavFilesBecomeImaSoundsTheGamePlays) {
    if (!testkit::haveTool("sox") || !testkit::haveTool("sndfile-convert"))
        GTEST_SKIP() << "needs sox and sndfile-convert";
    testkit::ScratchDir dir;
    auto path = [&](const std::string& name) { return quote(dir.file(name)); };
    const std::string tones = " synth 0.25 sine 300 sine 500 vol 0.5";  // 12000 frames: ends mid-block
    ASSERT_EQ(run("sox -n -r 48000 -c 2 -b 24 " + path("sox24.wav") + tones).exitCode, 0);
    ASSERT_EQ(run("sox -n -r 48000 -c 2 -b 32 -e floating-point " + path("soxfloat.wav") + tones).exitCode, 0);
    ASSERT_EQ(run("sox -n -r 48000 -c 2 -b 16 " + path("plain.wav") + tones).exitCode, 0);
    ASSERT_EQ(run("sndfile-convert -pcm24 " + path("plain.wav") + " " + path("sf24.wav")).exitCode, 0);
    ASSERT_EQ(run("sndfile-convert -float32 " + path("plain.wav") + " " + path("sffloat.wav")).exitCode, 0);
    struct Case {
        const char* name;
        const char* options;
        const char* said;
    };
    const Case cases[] = {
        {"sox24.wav", "--to-game --ima", "24-bit integer, 48000 Hz, stereo -> IMA ADPCM, 48000 Hz, stereo"},
        {"soxfloat.wav", "--ima", "32-bit float, 48000 Hz, stereo -> IMA ADPCM, 48000 Hz, stereo"},
        {"sf24.wav", "--ima --to-game", "24-bit integer, 48000 Hz, stereo -> IMA ADPCM, 48000 Hz, stereo"},
        {"sffloat.wav", "--ima", "32-bit float, 48000 Hz, stereo -> IMA ADPCM, 48000 Hz, stereo"},
        {"plain.wav", "--ima", "16-bit PCM, 48000 Hz, stereo -> IMA ADPCM, 48000 Hz, stereo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto made = run(cli("wav2cau " + std::string(c.options) + " " + path(c.name) + " " + path("game.cau")));
        ASSERT_EQ(made.exitCode, 0) << made.err;
        EXPECT_NE(made.out.find(c.said), std::string::npos) << made.out;
        ASSERT_EQ(run("sox " + path(c.name) + " -b 16 -e signed-integer -D " + path("ref.wav")).exitCode, 0);
        expectGameSound(dir, dir.file("game.cau"), dir.file("ref.wav"), 12000, 2, 48000);
        std::filesystem::remove(dir.file("game.cau"));
    }
    // From standard input to standard output, with a caption.
    auto piped = run(cli("wav2cau --ima --caption Hello - - < " + path("sox24.wav") + " > " + path("piped.cau")));
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_NE(piped.err.find("standard input: 24-bit integer"), std::string::npos) << piped.err;
    const Bytes image = testkit::readFile(dir.file("piped.cau"));
    ASSERT_GT(image.size(), 36u);
    EXPECT_EQ(u32(image, 32), 36u);
    EXPECT_EQ(u32(image, 20), 12000u * 4);
    EXPECT_TRUE(testkit::gameReadsCau(dir.file("piped.cau")));
}

// Mono and stereo, a sound shorter than one block and one ending mid-block,
// added to a new archive and replaced in it.
TEST(CliIma, AddAndReplaceGiveArchivesTheGameReads) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "needs sox";
    testkit::ScratchDir dir;
    auto path = [&](const std::string& name) { return quote(dir.file(name)); };
    const std::string tpa = path("mine.tpa");
    ASSERT_EQ(run(cli("new " + tpa)).exitCode, 0);
    ASSERT_EQ(run("sox -n -r 22050 -c 1 -b 16 " + path("tick.wav") + " synth 0.02 sine 700 vol 0.5").exitCode, 0);
    ASSERT_EQ(run("sox -n -r 44100 -c 6 -b 32 -e floating-point " + path("door.wav") +
                  " synth 0.1 sine 300 sine 500 sine 700 sine 900 sine 1100 sine 1300 vol 0.5").exitCode, 0);
    ASSERT_EQ(run("sox -n -r 32000 -c 1 -b 8 " + path("slam.wav") + " synth 0.125 sine 440 vol 0.5").exitCode, 0);

    auto tick = run(cli("add --to-game --ima " + tpa + " " + path("tick.wav")));
    ASSERT_EQ(tick.exitCode, 0) << tick.err;
    EXPECT_NE(tick.out.find("16-bit PCM, 22050 Hz, mono -> IMA ADPCM, 22050 Hz, mono"), std::string::npos) << tick.out;
    auto door = run(cli("add --ima " + tpa + " " + path("door.wav")));
    ASSERT_EQ(door.exitCode, 0) << door.err;
    EXPECT_NE(door.out.find("32-bit float, 44100 Hz, 6 channels -> IMA ADPCM, 44100 Hz, stereo"), std::string::npos)
        << door.out;
    EXPECT_EQ(run(cli("verify " + tpa)).exitCode, 0);
    testkit::expectGameReads(dir.file("mine.tpa"));

    ASSERT_EQ(run(cli("extract " + tpa + " 1 " + path("tick.cau"))).exitCode, 0);
    ASSERT_EQ(run("sox " + path("tick.wav") + " " + path("tickref.wav")).exitCode, 0);
    expectGameSound(dir, dir.file("tick.cau"), dir.file("tickref.wav"), 441, 1, 22050);
    ASSERT_EQ(run(cli("extract " + tpa + " 2 " + path("door.cau"))).exitCode, 0);
    ASSERT_EQ(run("sox " + path("door.wav") + " -b 16 -e signed-integer -D " + path("doorref.wav") +
                  " remix 1v0.333333,3v0.333333,5v0.333333 2v0.333333,4v0.333333,6v0.333333").exitCode, 0);
    expectGameSound(dir, dir.file("door.cau"), dir.file("doorref.wav"), 4410, 2, 44100);

    auto replaced = run(cli("replace --ima " + tpa + " door " + path("slam.wav")));
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_NE(replaced.out.find("8-bit PCM, 32000 Hz, mono -> IMA ADPCM, 32000 Hz, mono"), std::string::npos)
        << replaced.out;
    EXPECT_EQ(run(cli("verify " + tpa)).exitCode, 0);
    testkit::expectGameReads(dir.file("mine.tpa"));
    ASSERT_EQ(run(cli("extract " + tpa + " 2 " + path("slam.cau"))).exitCode, 0);
    ASSERT_EQ(run("sox " + path("slam.wav") + " -b 16 " + path("slamref.wav")).exitCode, 0);
    expectGameSound(dir, dir.file("slam.cau"), dir.file("slamref.wav"), 4000, 1, 32000);
    // No working file is left beside the archive.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

// --ima needs a .wav to encode: a .cau is a usage error and nothing changes.
TEST(CliIma, ImaWithoutAWavIsAUsageError) {
    testkit::ScratchDir dir;
    auto path = [&](const std::string& name) { return quote(dir.file(name)); };
    ASSERT_EQ(run(cli("new " + path("mine.tpa"))).exitCode, 0);
    ASSERT_EQ(run(cli("extract " + path("mine.tpa") + " 0 " + path("sound.cau"))).exitCode, 0);
    const Bytes before = testkit::readFile(dir.file("mine.tpa"));
    for (const std::string& args : {"wav2cau --ima " + path("sound.cau") + " " + path("out.cau"),
                                    "add --ima " + path("mine.tpa") + " " + path("sound.cau"),
                                    "replace --to-game --ima " + path("mine.tpa") + " sound " + path("sound.cau")}) {
        auto r = run(cli(args));
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_NE(r.err.find("--ima"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(testkit::fileExists(dir.file("out.cau")));
    EXPECT_EQ(testkit::readFile(dir.file("mine.tpa")), before);

    // A .wav that holds no sound to encode fails with a sentence, nothing written.
    testkit::writeText(dir.file("text.wav"), "RIFF, but not a wave file");
    auto bad = run(cli("wav2cau --ima " + path("text.wav") + " " + path("out.cau")));
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("text.wav"), std::string::npos) << bad.err;
    EXPECT_FALSE(testkit::fileExists(dir.file("out.cau")));
    EXPECT_EQ(run(cli("add --ima " + path("mine.tpa") + " " + path("text.wav"))).exitCode, 1);
    EXPECT_EQ(testkit::readFile(dir.file("mine.tpa")), before);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}
