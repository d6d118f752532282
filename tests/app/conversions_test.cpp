#include <gtest/gtest.h>

#include <filesystem>

#include "app/shell_fixture.h"
#include "app/sound_maker.h"
#include "testkit/game_reader.h"

namespace fs = std::filesystem;
using namespace shelltest;
using namespace sonkrate::app;
using testkit::Bytes;
using testkit::quote;

namespace {

class ConversionsTest : public ShellTest {
protected:
    void SetUp() override { start(); }
    std::string soxWav(const std::string& name, const std::string& options = "-b 16") {
        std::string path = scratch.file(name);
        auto r = testkit::run("sox -n -r 22050 -c 1 " + options + " " + quote(path) + " synth 1.2 sine 500");
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return path;
    }
    bool haveSox() { return testkit::haveTool("sox"); }
};

}  // namespace

TEST_F(ConversionsTest, PlayCauPlaysAChosenFileThatReplayAndSaveAsWavThenUse) {
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdPlayCau));
    EXPECT_TRUE(played().empty());
    EXPECT_FALSE(shell->state().cauChosen);

    fs::create_directories(scratch.file("my.sounds"));
    TestSound tone;
    tone.adpcm = true;
    tone.seconds = 3.0;
    tone.caption = "Look out";
    std::string cau = scratch.file("my.sounds/door.cau");
    writeCau(cau, tone);
    platform.answerDialog(cau);
    ASSERT_TRUE(platform.chooseMenu(kCmdPlayCau));
    EXPECT_EQ(records(RecordKind::OpenDialog).back().dialog.filterText, "Cau File (*.cau)");
    EXPECT_EQ(played(), (std::vector<std::string>{shell->paths().decodedWav}));
    EXPECT_EQ(status(), " Look out");
    auto& st = shell->state();
    EXPECT_TRUE(st.cauChosen);
    EXPECT_FALSE(st.lastWasEntry);
    // Only the file name's extension is replaced, not the dot in the folder.
    EXPECT_EQ(st.cauWavPath, scratch.file("my.sounds/door.wav"));
    EXPECT_EQ(platform.control(kProgressBar)->high, 30);
    // Play_Cau changes neither the entry nor the number shown.
    EXPECT_EQ(st.currentIndex, -1);
    EXPECT_EQ(platform.control(kNumberField)->text, "0");

    clear();
    ASSERT_TRUE(platform.click(kReplayButton));
    EXPECT_EQ(played(), (std::vector<std::string>{shell->paths().decodedWav}));
    EXPECT_EQ(status(), "Now replaying last .cau file  . . .");
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(testkit::readFile(scratch.file("my.sounds/door.wav")), testkit::readFile(shell->paths().decodedWav));
    EXPECT_EQ(status(), ".cau file saved as .wav (inside directory of played .cau file)");

    // A file that is not a sound image is refused and cannot be replayed.
    testkit::writeText(scratch.file("junk.cau"), "junk");
    clear();
    platform.answerDialog(scratch.file("junk.cau"));
    ASSERT_TRUE(platform.chooseMenu(kCmdPlayCau));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_FALSE(st.cauChosen);
    EXPECT_TRUE(played().empty());
}

TEST_F(ConversionsTest, CauToWavWritesPcmBesideTheCauEvenForACompressedSound) {
    TestSound tone;
    tone.adpcm = true;
    tone.channels = 2;
    writeCau(scratch.file("stereo.cau"), tone);
    testkit::writeText(scratch.file("stereo.wav"), "older");
    platform.answerDialog(scratch.file("stereo.cau"));
    ASSERT_TRUE(platform.chooseMenu(kCmdCauToWav));
    EXPECT_EQ(status(), "Cau to Wav conversion done . .. ");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    EXPECT_TRUE(played().empty());
    Bytes wav = testkit::readFile(scratch.file("stereo.wav"));
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(testkit::u16(wav, 20), 1);
    EXPECT_EQ(testkit::u16(wav, 34), 16);
    if (testkit::haveTool("sndfile-info")) {
        auto info = testkit::run("sndfile-info " + quote(scratch.file("stereo.wav")));
        EXPECT_NE(info.out.find("Format      : 0x00010002"), std::string::npos) << info.out;  // 16-bit PCM
        EXPECT_NE(info.out.find("Channels    : 2"), std::string::npos) << info.out;
    }

    // A PCM .cau comes back as the very samples it holds.
    TestSound pcm;
    writeCau(scratch.file("pcm.cau"), pcm);
    platform.answerDialog(scratch.file("pcm.cau"));
    ASSERT_TRUE(platform.chooseMenu(kCmdCauToWav));
    EXPECT_EQ(wavData(testkit::readFile(scratch.file("pcm.wav"))), soundData(pcm));

    clear();
    testkit::writeText(scratch.file("junk.cau"), "junk");
    platform.answerDialog(scratch.file("junk.cau"));
    ASSERT_TRUE(platform.chooseMenu(kCmdCauToWav));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(status().rfind("Cau to Wav conversion failed . . . ", 0), 0u) << status();
    EXPECT_FALSE(testkit::fileExists(scratch.file("junk.wav")));

    clear();
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdCauToWav));
    EXPECT_TRUE(statusTexts().empty());
    EXPECT_TRUE(beeps().empty());
}

TEST_F(ConversionsTest, AnUnknownBlockAlignmentIsExplainedInABox) {
    TestSound tone;
    tone.adpcm = true;
    Bytes image = soundImage(tone);
    testkit::put32(image, 12, 300);  // block alignment outside 512..2056
    testkit::writeFile(scratch.file("odd.cau"), image);
    auto expectBox = [&] {
        auto boxes = records(RecordKind::MessageBox);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Block alignment is unknown.  Conversion may fail . ..");
        EXPECT_EQ(boxes[0].caption, "Sonkrate - Error");
    };

    platform.answerDialog(scratch.file("odd.cau"));
    ASSERT_TRUE(platform.chooseMenu(kCmdPlayCau));
    expectBox();
    EXPECT_TRUE(played().empty());
    EXPECT_FALSE(shell->state().cauChosen);

    clear();
    platform.answerDialog(scratch.file("odd.cau"));
    ASSERT_TRUE(platform.chooseMenu(kCmdCauToWav));
    expectBox();
    EXPECT_EQ(status(), "Cau to Wav conversion failed . . . Block alignment is unknown.  Conversion may fail . ..");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_FALSE(testkit::fileExists(scratch.file("odd.wav")));
}

TEST_F(ConversionsTest, WavToCauWrapsTheWavWithTheTypedCaption) {
    if (!haveSox()) GTEST_SKIP() << "needs sox";
    std::string wav = soxWav("a.b.wav");
    ASSERT_TRUE(platform.typeText(kCaptionInput, "Two\r\nlines"));
    platform.answerDialog(wav);
    ASSERT_TRUE(platform.chooseMenu(kCmdWavToCau));
    EXPECT_EQ(status(), "Cau export complete . .. ");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    EXPECT_EQ(platform.control(kCaptionInput)->text, "");
    Bytes made = testkit::readFile(scratch.file("aav.cau"));
    ASSERT_GE(made.size(), 36u);
    EXPECT_EQ(testkit::u32(made, 32), 36u);  // a caption follows
    EXPECT_EQ(testkit::u32(made, 8), 53u + 10 + 3);
    // Played back, the caption shows as one line.
    platform.answerDialog(scratch.file("aav.cau"));
    ASSERT_TRUE(platform.chooseMenu(kCmdPlayCau));
    EXPECT_EQ(status(), " Two lines");

    clear();
    platform.answerDialog(soxWav("alaw.wav", "-e a-law"));
    ASSERT_TRUE(platform.chooseMenu(kCmdWavToCau));
    EXPECT_EQ(status(), "Incompatible wav selected. No cau file exported . . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    EXPECT_FALSE(testkit::fileExists(scratch.file("alaw.cau")));

    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdWavToCau));
    EXPECT_EQ(status(), "User Canceled . .. No file selected.");
}

TEST_F(ConversionsTest, AddWavConvertsIntoTpaWavsAndAdds) {
    if (!haveSox()) GTEST_SKIP() << "needs sox";
    std::string archive = scratch.file("general.tpa");
    platform.answerDialog(archive);
    ASSERT_TRUE(platform.chooseMenu(kCmdNewTpa));
    platform.answerDialog(archive);
    ASSERT_TRUE(platform.chooseMenu(kCmdLoadTpa));

    // The test is for 3 characters, whatever the message says.
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "ab"));
    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdAddWav));
    EXPECT_EQ(status(),
              "You must enter a sound id name before a wav   file can be added (4 or more characters in length).");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));

    ASSERT_TRUE(platform.typeText(kSoundIdInput, "abc"));
    std::string wav = soxWav("bell.wav");
    clear();
    platform.answerDialog(wav);
    ASSERT_TRUE(platform.chooseMenu(kCmdAddWav));
    EXPECT_EQ(records(RecordKind::OpenDialog).at(0).dialog.filterText, "Wav File (*.wav)");
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Adding .wav data, please wait. ..",
                                                       "Operation completed. ..  file reset to 1st entry"}));
    EXPECT_TRUE(testkit::fileExists(wavsDir() + "/bell.cau"));
    EXPECT_EQ(shell->loadedArchive().entryCount, 2u);
    EXPECT_EQ(testkit::fileSize(archive), 88316u + 56 + testkit::fileSize(wavsDir() + "/bell.cau"));
    testkit::expectGameReads(archive);

    // A .wav the game cannot take is explained in a box and nothing is added.
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "alaw"));
    clear();
    platform.answerDialog(soxWav("alaw.wav", "-e a-law"));
    ASSERT_TRUE(platform.chooseMenu(kCmdAddWav));
    auto boxes = records(RecordKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Incorrect adpcm .wav type (no .cau file exported).  Selected .wav incompatible with Trespasser.");
    EXPECT_EQ(boxes[0].caption, "Sonkrate - Error");
    EXPECT_EQ(status(), "Operation canceled. .. (incompatible wav)  file reset to 1st entry");
    EXPECT_EQ(shell->loadedArchive().entryCount, 2u);

    // A 20-byte format chunk with a block alignment the game does not play.
    Bytes odd = testkit::readFile(soxWav("odd.wav"));
    Bytes wide(odd.begin(), odd.begin() + 36);
    testkit::put32(wide, 16, 20);
    testkit::put16(wide, 32, 512);
    wide.insert(wide.end(), 4, 0);
    wide.insert(wide.end(), odd.begin() + 36, odd.end());
    testkit::put32(wide, 4, static_cast<std::uint32_t>(wide.size() - 8));
    testkit::writeFile(scratch.file("odd.wav"), wide);
    clear();
    platform.answerDialog(scratch.file("odd.wav"));
    ASSERT_TRUE(platform.chooseMenu(kCmdAddWav));
    boxes = records(RecordKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Incorrect block alignment (no .cau file exported).  Selected .wav incompatible with Trespasser.");
    EXPECT_EQ(shell->loadedArchive().entryCount, 2u);
}

TEST_F(ConversionsTest, DirToCausConvertsEveryGameWavOfTheFolder) {
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdDirToCaus));
    EXPECT_EQ(status(), " Operation canceled by user . . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    if (!haveSox()) GTEST_SKIP() << "needs sox";

    fs::create_directories(scratch.file("wavs"));
    std::string one = soxWav("wavs/one.wav");
    soxWav("wavs/two.wav", "-b 8");
    soxWav("wavs/three.wav", "-e a-law");
    clear();
    platform.answerDialog(one);
    ASSERT_TRUE(platform.chooseMenu(kCmdDirToCaus));
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{
                                 " Processing files . . .",
                                 " Done. Cau files created can be found inside the selected .wav file's directory"}));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done, Beep::Done}));
    EXPECT_TRUE(testkit::fileExists(scratch.file("wavs/one.cau")));
    EXPECT_TRUE(testkit::fileExists(scratch.file("wavs/two.cau")));
    EXPECT_FALSE(testkit::fileExists(scratch.file("wavs/three.cau")));
}
