// wav2cau, dir-to-caus, make-eel and build-eel driven as a user would:
// files made by SoX and libsndfile, archives checked by taking them apart.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/edit/default_sound.h"
#include "audio/codec/ima_adpcm_encoder.h"
#include "audio/cau/missing_sound.h"
#include "audio/wav/wav_headers.h"
#include "testkit/game_reader.h"
#include "testkit/testkit.h"

using testkit::Bytes;
using testkit::quote;
using testkit::run;

namespace {

std::string cli(const std::string& args) { return quote(SONKRATE_CLI_PATH) + " " + args; }

bool haveTools() { return testkit::haveTool("sox") && testkit::haveTool("sndfile-convert"); }

void tool(const std::string& line) {
    auto r = run(line);
    ASSERT_EQ(r.exitCode, 0) << line << "\n" << r.err;
}

// A stereo IMA ADPCM .wav at 2056 bytes a block, encoded here: the tools
// write other block sizes only.
Bytes stereoImaWav(std::size_t frames) {
    std::vector<std::int16_t> samples(frames * 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(((i * 97) % 4000) * 4 - 8000);
    Bytes data = sonkrate::audio::encodeImaBlocks(samples, 2, 2056);
    auto head = sonkrate::audio::imaWavHeader(2, 22050, 2056, static_cast<std::uint32_t>(frames),
                                              static_cast<std::uint32_t>(data.size()));
    Bytes wav(head.size() + data.size());
    std::copy(data.begin(), data.end(), std::copy(head.begin(), head.end(), wav.begin()));
    return wav;
}

std::string crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace

TEST(ListsCli, Wav2CauAndDirToCaus) {
    if (!haveTools()) GTEST_SKIP() << "sox and sndfile-convert are needed";
    testkit::ScratchDir dir;
    std::string wav = dir.file("a.b.wav");
    tool("sox -n -r 22050 -c 1 -b 16 " + quote(wav) + " synth 0.1 sine 440");

    auto made = run(cli("wav2cau " + quote(wav)));
    ASSERT_EQ(made.exitCode, 0) << made.err;
    Bytes cau = testkit::readFile(dir.file("aav.cau"));
    ASSERT_EQ(cau.size(), 36u + 4410u);
    EXPECT_TRUE(testkit::gameReadsCau(dir.file("aav.cau")));
    EXPECT_NE(made.out.find("aav.cau"), std::string::npos) << made.out;

    tool("sndfile-convert -alaw " + quote(wav) + " " + quote(dir.file("alaw.wav")));
    auto alaw = run(cli("wav2cau " + quote(dir.file("alaw.wav"))));
    EXPECT_EQ(alaw.exitCode, 1);
    EXPECT_NE(alaw.err.find("alaw.wav"), std::string::npos) << alaw.err;
    EXPECT_FALSE(testkit::fileExists(dir.file("alaw.cau")));

    EXPECT_EQ(run(cli("wav2cau")).exitCode, 2);
    EXPECT_EQ(run(cli("wav2cau a.wav b.cau c")).exitCode, 2);
    EXPECT_EQ(run(cli("wav2cau a.wav --caption")).exitCode, 2);
    EXPECT_EQ(run(cli("wav2cau " + quote(wav) + " " + quote(wav))).exitCode, 1);
    EXPECT_EQ(run(cli("wav2cau " + quote(dir.file("absent.wav")))).exitCode, 1);

    // The folder: the PCM source and an IMA ADPCM one convert, A-law is named.
    testkit::writeFile(dir.file("ima.wav"), stereoImaWav(3000));
    auto folder = run(cli("dir-to-caus " + quote(dir.path())));
    ASSERT_EQ(folder.exitCode, 0) << folder.err;
    EXPECT_TRUE(testkit::gameReadsCau(dir.file("ima.cau")));
    EXPECT_NE(folder.err.find("alaw.wav"), std::string::npos) << folder.err;
    EXPECT_NE(folder.out.find("2 converted, 1 skipped, 0 failed"), std::string::npos) << folder.out;
    EXPECT_EQ(run(cli("dir-to-caus " + quote(dir.file("absent")))).exitCode, 1);
}

// .cau files made by wav2cau from SoX, libsndfile and IMA ADPCM sources (one
// with a caption), listed by make-eel, one missing listing added, built by
// build-eel: every entry taken out again equals the file that went in.
TEST(ListsCli, MakeEelThenBuildEelRoundTrip) {
    if (!haveTools()) GTEST_SKIP() << "sox and sndfile-convert are needed";
    testkit::ScratchDir dir;
    std::string snd = dir.file("snd");
    std::filesystem::create_directory(snd);
    tool("sox -n -r 22050 -c 1 -b 16 " + quote(dir.file("mono.wav")) + " synth 0.2 sine 300");
    tool("sox -n -r 44100 -c 2 -b 16 " + quote(dir.file("st.wav")) + " synth 0.1 sine 300 sine 400");
    tool("sndfile-convert -pcm16 " + quote(dir.file("st.wav")) + " " + quote(dir.file("sf.wav")));
    testkit::writeFile(dir.file("ima.wav"), stereoImaWav(5000));
    tool(cli("wav2cau " + quote(dir.file("mono.wav")) + " " + quote(snd + "/bell.cau")));
    tool(cli("wav2cau " + quote(dir.file("sf.wav")) + " " + quote(snd + "/drum.cau") + " --caption 'A drum'"));
    tool(cli("wav2cau " + quote(dir.file("ima.wav")) + " " + quote(snd + "/wind.cau")));

    auto listed = run(cli("make-eel " + quote(snd) + " sounds"));
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    std::string listPath = snd + "/sounds.eel";
    std::string text = testkit::readText(listPath);
    ASSERT_EQ(text.substr(0, 8), "3\r\n4\r\nMI");
    // A listing whose file has gone, before the terminator.
    text.insert(text.size() - 6, crlf({"ghost", snd + "/ghost.cau", "0", "0"}));
    testkit::writeText(listPath, text);

    std::string tpa = dir.file("built.tpa");
    testkit::writeText(tpa, "an old file");
    auto built = run(cli("build-eel " + quote(listPath) + " " + quote(tpa)));
    ASSERT_EQ(built.exitCode, 0) << built.err;
    testkit::expectGameReads(tpa);

    std::vector<Bytes> expected = {testkit::readFile(snd + "/bell.cau"), testkit::readFile(snd + "/drum.cau"),
                                   testkit::readFile(snd + "/wind.cau"), sonkrate::audio::missingSoundImage()};
    std::uint64_t size = sonkrate::archive::kNewArchiveSize;
    for (const Bytes& b : expected) size += b.size() + 56;
    EXPECT_EQ(testkit::fileSize(tpa), size);
    auto info = run(cli("info " + quote(tpa) + " --json"));
    EXPECT_NE(info.out.find("\"entryCount\": 5"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\"soundDataEnd\": " + std::to_string(size)), std::string::npos) << info.out;
    testkit::ScratchDir taken;
    for (std::size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE(k);
        std::string out = taken.file("e" + std::to_string(k) + ".cau");
        auto extract = run(cli("extract " + quote(tpa) + " " + std::to_string(k + 1) + " " + quote(out)));
        ASSERT_EQ(extract.exitCode, 0) << extract.err;
        EXPECT_EQ(testkit::readFile(out), expected[k]);
    }
    auto names = run(cli("list " + quote(tpa) + " --json"));
    EXPECT_NE(names.out.find("\"caption\": \" A drum\""), std::string::npos) << names.out;

    EXPECT_EQ(testkit::readText(dir.file("builtIDs__missing.txt")), "SoundIDs Missing:  ghost\r\n");
    std::string ids = testkit::readText(dir.file("builtIDs__list.txt"));
    for (const char* name : {"\"BELL\"", "\"DRUM\"", "\"WIND\"", "\"GHOST\""})
        EXPECT_NE(ids.find(name), std::string::npos) << ids;
    EXPECT_NE(built.out.find("ghost"), std::string::npos) << built.out;
    // Nothing of the build is left beside the archive.
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 4u + 1 + 3);  // the four .wav files, snd, the archive and its two lists
}

TEST(ListsCli, BuildEelRefusalsLeaveTheTargetAlone) {
    testkit::ScratchDir dir;
    std::string one = dir.file("one.eel"), tpa = dir.file("keep.tpa");
    testkit::writeText(one, crlf({"3", "1", "MISSING", "missing.cau", "0", "0", "0", "0"}));
    testkit::writeText(tpa, "keep me");
    auto refused = run(cli("build-eel " + quote(one) + " " + quote(tpa)));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("one.eel"), std::string::npos) << refused.err;
    EXPECT_EQ(testkit::readText(tpa), "keep me");

    std::string two = dir.file("two.eel");
    testkit::writeText(two, crlf({"3", "2", "MISSING", "missing.cau", "0", "0", "lost", "/nowhere/lost.cau", "0", "0",
                                  "0", "0"}));
    auto noFolder = run(cli("build-eel " + quote(two) + " " + quote(dir.file("absent/x.tpa"))));
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_NE(noFolder.err.find("absent/x.tpa"), std::string::npos) << noFolder.err;

    EXPECT_EQ(run(cli("build-eel " + quote(dir.file("absent.eel")) + " " + quote(tpa))).exitCode, 1);
    EXPECT_EQ(run(cli("build-eel " + quote(two))).exitCode, 2);
    EXPECT_EQ(run(cli("make-eel " + quote(dir.path()) + " a/b")).exitCode, 2);
    EXPECT_EQ(run(cli("make-eel " + quote(dir.file("absent")) + " list")).exitCode, 1);
}
