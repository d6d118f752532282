// wav2cau --to-game: .wav files from modern editors made into sounds the game plays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "testkit/testkit.h"

using testkit::Bytes;
using testkit::quote;
using testkit::run;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

// The 16-bit samples of the "data" chunk of a PCM .wav.
std::vector<std::int16_t> samplesOf(const Bytes& wav) {
    std::size_t at = 12;
    while (at + 8 <= wav.size() && testkit::text(wav, at, 4) != "data") at += 8 + testkit::u32(wav, at + 4);
    std::vector<std::int16_t> samples;
    if (at + 8 > wav.size()) return samples;
    for (std::size_t i = at + 8; i + 1 < wav.size(); i += 2)
        samples.push_back(static_cast<std::int16_t>(testkit::u16(wav, i)));
    return samples;
}

// Largest difference between two sample lists of one length.
int largestDifference(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b) {
    int most = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) most = std::max(most, std::abs(a[i] - b[i]));
    return most;
}

}  // namespace

TEST(CliToGame, EditorWavFilesBecomeSixteenBitPcmCloseToWhatSoxMakes) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "needs sox";
    testkit::ScratchDir dir;
    auto path = [&](const char* name) { return quote(dir.file(name)); };
    struct Case {
        const char* name;
        const char* make;     // sox options of the source
        const char* reference;  // sox effects making the 16-bit reference
        const char* said;
    };
    const Case cases[] = {
        {"int24.wav", "-r 48000 -c 2 -b 24 -e signed-integer", "", "24-bit integer, 48000 Hz, stereo -> 16-bit PCM, 48000 Hz, stereo"},
        {"float32.wav", "-r 44100 -c 1 -b 32 -e floating-point", "", "32-bit float, 44100 Hz, mono -> 16-bit PCM, 44100 Hz, mono"},
        {"float64.wav", "-r 22050 -c 2 -b 64 -e floating-point", "", "64-bit float, 22050 Hz, stereo -> 16-bit PCM, 22050 Hz, stereo"},
        {"six.wav", "-r 48000 -c 6 -b 32 -e floating-point",
         "remix 1v0.333333,3v0.333333,5v0.333333 2v0.333333,4v0.333333,6v0.333333",
         "32-bit float, 48000 Hz, 6 channels -> 16-bit PCM, 48000 Hz, stereo"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(run("sox -n " + std::string(c.make) + " " + path(c.name) +
                      " synth 0.25 sine 300 sine 500 sine 700 sine 900 sine 1100 sine 1300 vol 0.5").exitCode, 0);
        // Without --to-game the file stays refused.
        EXPECT_EQ(run(cli("wav2cau " + path(c.name) + " " + path("refused.cau"))).exitCode, 1) << c.name;
        EXPECT_FALSE(testkit::fileExists(dir.file("refused.cau")));

        auto made = run(cli("wav2cau --to-game " + path(c.name) + " " + path("game.cau")));
        ASSERT_EQ(made.exitCode, 0) << c.name << ": " << made.err;
        EXPECT_NE(made.out.find(c.said), std::string::npos) << made.out;
        ASSERT_EQ(run(cli("cau2wav " + path("game.cau") + " " + path("back.wav"))).exitCode, 0);
        ASSERT_EQ(run("sox " + path(c.name) + " -b 16 -e signed-integer -D " + path("sox.wav") + " " + c.reference)
                      .exitCode, 0);
        std::vector<std::int16_t> ours = samplesOf(testkit::readFile(dir.file("back.wav")));
        std::vector<std::int16_t> theirs = samplesOf(testkit::readFile(dir.file("sox.wav")));
        ASSERT_EQ(ours.size(), theirs.size()) << c.name;
        EXPECT_LE(largestDifference(ours, theirs), 2) << c.name;
    }

    // A .wav the game plays as it is goes through unchanged.
    ASSERT_EQ(run("sox -n -r 11025 -c 1 -b 16 " + path("plain.wav") + " synth 0.1 sine 440").exitCode, 0);
    ASSERT_EQ(run(cli("wav2cau " + path("plain.wav") + " " + path("a.cau"))).exitCode, 0);
    auto same = run(cli("wav2cau --to-game " + path("plain.wav") + " " + path("b.cau")));
    ASSERT_EQ(same.exitCode, 0) << same.err;
    EXPECT_EQ(same.out.find("->"), std::string::npos) << same.out;
    EXPECT_EQ(testkit::readFile(dir.file("a.cau")), testkit::readFile(dir.file("b.cau")));
}

TEST(CliToGame, AddAndReplaceTakeEditorWavFilesIntoAnArchive) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "needs sox";
    testkit::ScratchDir dir;
    auto path = [&](const char* name) { return quote(dir.file(name)); };
    const std::string tpa = path("mine.tpa");
    ASSERT_EQ(run(cli("new " + tpa)).exitCode, 0);
    ASSERT_EQ(run("sox -n -r 48000 -c 2 -b 24 " + path("door.wav") + " synth 0.2 sine 300 sine 500 vol 0.5").exitCode, 0);
    ASSERT_EQ(run("sox -n -r 44100 -c 1 -b 32 -e floating-point " + path("slam.wav") + " synth 0.3 sine 800 vol 0.5")
                  .exitCode, 0);

    const Bytes before = testkit::readFile(dir.file("mine.tpa"));
    EXPECT_EQ(run(cli("add " + tpa + " " + path("door.wav"))).exitCode, 1);
    EXPECT_EQ(testkit::readFile(dir.file("mine.tpa")), before);

    auto added = run(cli("add --to-game " + tpa + " " + path("door.wav")));
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_NE(added.out.find("24-bit integer, 48000 Hz, stereo -> 16-bit PCM, 48000 Hz, stereo"), std::string::npos)
        << added.out;
    auto replaced = run(cli("replace " + tpa + " door " + path("slam.wav") + " --to-game"));
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_NE(replaced.out.find("32-bit float, 44100 Hz, mono -> 16-bit PCM, 44100 Hz, mono"), std::string::npos)
        << replaced.out;

    // Entry 1 plays what SoX makes of the float file.
    ASSERT_EQ(run(cli("extract " + tpa + " 1 " + path("back.wav"))).exitCode, 0);
    ASSERT_EQ(run("sox " + path("slam.wav") + " -b 16 -e signed-integer -D " + path("sox.wav")).exitCode, 0);
    std::vector<std::int16_t> ours = samplesOf(testkit::readFile(dir.file("back.wav")));
    std::vector<std::int16_t> theirs = samplesOf(testkit::readFile(dir.file("sox.wav")));
    ASSERT_EQ(ours.size(), theirs.size());
    EXPECT_LE(largestDifference(ours, theirs), 2);
    EXPECT_EQ(run(cli("verify " + tpa)).exitCode, 0);
    // No converted file is left beside the archive.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

// A name held by two records on two images: both images become the one
// converted sound, the bytes a .cau made by wav2cau --to-game would give
// (the dither starts again for the second image).
TEST(CliToGame, ReplaceOfANameOnTwoImagesPutsTheSameSoundInBoth) {
    if (!testkit::haveTool("sox")) GTEST_SKIP() << "needs sox";
    testkit::ScratchDir dir;
    auto path = [&](const char* name) { return quote(dir.file(name)); };
    ASSERT_EQ(run(cli("new " + path("a.tpa"))).exitCode, 0);
    ASSERT_EQ(run("sox -n -r 22050 -c 1 -b 16 " + path("door.wav") + " synth 0.1 sine 300").exitCode, 0);
    ASSERT_EQ(run("sox -n -r 48000 -c 2 -b 24 " + path("slam.wav") + " synth 0.2 sine 300 sine 500 vol 0.5").exitCode,
              0);
    for (int i = 0; i < 2; ++i) ASSERT_EQ(run(cli("add " + path("a.tpa") + " " + path("door.wav"))).exitCode, 0);
    std::filesystem::copy_file(dir.file("a.tpa"), dir.file("b.tpa"));

    for (const char* how : {"--to-game", "--ima"}) {
        auto made = run(cli("wav2cau " + std::string(how) + " " + path("slam.wav") + " " + path("slam.cau")));
        ASSERT_EQ(made.exitCode, 0) << made.err;
        auto direct = run(cli("replace " + path("a.tpa") + " door " + path("slam.wav") + " " + how));
        ASSERT_EQ(direct.exitCode, 0) << direct.err;
        EXPECT_NE(direct.out.find("in 2 entries (1, 2)"), std::string::npos) << direct.out;
        auto viaCau = run(cli("replace " + path("b.tpa") + " door " + path("slam.cau")));
        ASSERT_EQ(viaCau.exitCode, 0) << viaCau.err;
        EXPECT_EQ(testkit::readFile(dir.file("a.tpa")), testkit::readFile(dir.file("b.tpa"))) << how;
    }
    EXPECT_EQ(run(cli("verify " + path("a.tpa"))).exitCode, 0);
}
