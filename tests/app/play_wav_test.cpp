#include <gtest/gtest.h>

#include <cstring>

#include "app/shell_fixture.h"
#include "app/sound_maker.h"
#include "audio/wav/wav_headers.h"

using namespace shelltest;
using namespace sonkrate::app;
using testkit::quote;

namespace {

class PlayWavTest : public ShellTest {
protected:
    void SetUp() override {
        if (!testkit::haveTool("sox") || !testkit::haveTool("sndfile-convert")) GTEST_SKIP() << "needs sox and sndfile-convert";
        start();
    }
    // A 16-bit PCM tone written by SoX.
    std::string soxTone(const std::string& name, double seconds, int channels) {
        std::string path = scratch.file(name);
        auto r = testkit::run("sox -n -r 22050 -c " + std::to_string(channels) + " -b 16 " + quote(path) +
                              " synth " + std::to_string(seconds) + " sine 440");
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return path;
    }
    void pick(const std::string& path) {
        platform.answerDialog(path);
        ASSERT_TRUE(platform.chooseMenu(kCmdPlayWav));
    }
};

}  // namespace

TEST_F(PlayWavTest, AnAiffFromLibsndfileIsConvertedPlayedAndSavedAsASample) {
    std::string aiff = scratch.file("tone.aiff");
    auto r = testkit::run("sndfile-convert " + quote(soxTone("tone.wav", 2.0, 2)) + " " + quote(aiff));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    pick(aiff);
    auto dialog = records(RecordKind::OpenDialog).at(0).dialog;
    EXPECT_EQ(dialog.filterText,
              "Wav Files (*.wav, *.aiff, *.aif, *.au, *.snd, *.sph, *.voc, *.wve, *.htk, *.caf, *.paf, *.pvf) ");
    EXPECT_EQ(dialog.flags, 0x81804u);
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Playing external wav . . . "}));
    EXPECT_TRUE(beeps().empty());
    EXPECT_EQ(played(), (std::vector<std::string>{shell->paths().conversionWav}));
    EXPECT_EQ(shell->state().externalPlay, ExternalPlayKind::Converted);
    EXPECT_EQ(shell->state().externalSourcePath, aiff);
    EXPECT_EQ(shell->soundInfo().PlayTimeCount, 2000);  // whole seconds x 1000 from the readers
    EXPECT_FALSE(platform.timerRunning());

    // libsndfile agrees that what was played is a .wav of the same sound.
    auto info = testkit::run("sndfile-info " + quote(shell->paths().conversionWav));
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_NE(info.out.find("Channels    : 2"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Sample Rate : 22050"), std::string::npos);

    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(testkit::readFile(wavsDir() + "/sample_1.wav"), testkit::readFile(shell->paths().conversionWav));
}

TEST_F(PlayWavTest, APcmWavIsPlayedFromItsOwnPath) {
    std::string wav = soxTone("plain.wav", 1.0, 2);
    pick(wav);
    EXPECT_EQ(played(), (std::vector<std::string>{wav}));
    EXPECT_EQ(status(), "Playing external wav . . . ");
    EXPECT_EQ(shell->state().externalPlay, ExternalPlayKind::WavAsIs);
    EXPECT_EQ(shell->soundInfo().PlayTimeCount, 1);
    EXPECT_DOUBLE_EQ(shell->soundInfo().PlayTimeSeconds, 1.0);
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(testkit::readFile(wavsDir() + "/sample_1.wav"), testkit::readFile(wav));
}

TEST_F(PlayWavTest, WorkingFilesFailuresAndStrangeNamesAreHandled) {
    // The readers' own output cannot be picked.
    testkit::writeFile(shell->paths().conversionWav, testkit::readFile(soxTone("x.wav", 1.0, 1)));
    pick(shell->paths().conversionWav);
    EXPECT_EQ(status(), "Shared access violation. This file cannot be loaded while  sonkrate is in use.");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(played().empty());
    EXPECT_EQ(shell->state().externalPlay, ExternalPlayKind::None);

    // A CAF that is no CAF fails to read; nothing is left to save.
    testkit::writeText(scratch.file("bad.caf"), "not a caf file at all");
    clear();
    pick(scratch.file("bad.caf"));
    EXPECT_EQ(status(), "Read fail . . . cannot play audio ");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(played().empty());
    EXPECT_EQ(shell->state().externalPlay, ExternalPlayKind::None);
    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));

    // Mixed-case extensions match no reader: nothing happens at all.
    testkit::writeText(scratch.file("sound.Aiff"), "x");
    clear();
    pick(scratch.file("sound.Aiff"));
    EXPECT_TRUE(statusTexts().empty());
    EXPECT_TRUE(beeps().empty());
    EXPECT_TRUE(played().empty());

    // Cancelled: silent.
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdPlayWav));
    EXPECT_TRUE(statusTexts().empty());
    EXPECT_TRUE(platform.faults().empty());
}

namespace {

// Play_Wav without SoX: files made byte by byte.
class PlayWavStatusTest : public ShellTest {
protected:
    void SetUp() override { start(); }
    void pick(const std::string& name, const testkit::Bytes& bytes) {
        testkit::writeFile(scratch.file(name), bytes);
        clear();
        platform.answerDialog(scratch.file(name));
        ASSERT_TRUE(platform.chooseMenu(kCmdPlayWav));
    }
};

// A canonical .wav header of the given layout with some data after it.
testkit::Bytes canonicalWav(std::uint32_t fmtSize, std::uint16_t tag, std::uint16_t blockAlign) {
    testkit::Bytes b(300, 0);
    std::memcpy(b.data(), "RIFFxxxxWAVEfmt ", 16);
    testkit::put32(b, 4, 292);
    testkit::put32(b, 16, fmtSize);
    testkit::put16(b, 20, tag);
    testkit::put16(b, 22, 1);
    testkit::put32(b, 24, 22050);
    testkit::put16(b, 32, blockAlign);
    testkit::put16(b, 34, 4);
    return b;
}

}  // namespace

TEST_F(PlayWavStatusTest, TheStatusFollowsTheReaderAndWhatBecameOfTheFile) {
    using Texts = std::vector<std::string>;
    // A CAF its reader refuses (12-bit): the text while converting, then the failure.
    testkit::Bytes caf(5000, 0);
    caf[51] = 12;
    pick("bad.caf", caf);
    EXPECT_EQ(statusTexts(), (Texts{"Playing external wav . . . ", "Read fail . . . cannot play audio "}));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(played().empty());

    // SPHERE and WVE show their text without the trailing blank; a failed WVE only beeps.
    pick("bad.sph", testkit::Bytes(100, 0x41));
    EXPECT_EQ(statusTexts(), (Texts{"Playing external wav . . .", "Read fail . . . cannot play audio "}));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    pick("bad.wve", testkit::Bytes(100, 0x41));
    EXPECT_EQ(statusTexts(), (Texts{"Playing external wav . . ."}));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(played().empty());
    EXPECT_EQ(shell->state().externalPlay, ExternalPlayKind::None);

    // A .wav that cannot be opened.
    clear();
    platform.answerDialog(scratch.file("gone.wav"));
    ASSERT_TRUE(platform.chooseMenu(kCmdPlayWav));
    EXPECT_EQ(statusTexts(), (Texts{"Read fail . . . cannot play audio "}));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(shell->state().externalPlay, ExternalPlayKind::None);

    // IMA ADPCM of block alignment 1028 is decoded and played.
    auto header = sonkrate::audio::imaWavHeader(1, 22050, 1028, 2041, 1028);
    testkit::Bytes ima(header.begin(), header.end());
    ima.resize(ima.size() + 1028, 0x35);
    pick("ima.wav", ima);
    EXPECT_EQ(statusTexts(), (Texts{"Playing external wav . . . "}));
    EXPECT_TRUE(beeps().empty());
    EXPECT_EQ(played(), (std::vector<std::string>{shell->paths().decodedWav}));
    EXPECT_EQ(shell->state().externalPlay, ExternalPlayKind::WavAsIs);

    // A .wav of a layout that is not played: taken, but no text, no beep, no sound.
    pick("odd.wav", canonicalWav(20, 17, 1000));
    EXPECT_TRUE(statusTexts().empty());
    EXPECT_TRUE(beeps().empty());
    EXPECT_TRUE(played().empty());
    EXPECT_EQ(shell->state().externalPlay, ExternalPlayKind::WavAsIs);
}
