// A user's afternoon, command by command, on the headless window.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/shell_fixture.h"
#include "app/sound_maker.h"
#include "ids/sound_id.h"
#include "io/paths.h"
#include "testkit/game_reader.h"

namespace fs = std::filesystem;
using namespace shelltest;
using namespace sonkrate::app;
using testkit::Bytes;
using testkit::quote;

TEST_F(ShellTest, AnAfternoonFromNewArchiveToClose) {
    if (!testkit::haveTool("sox") || !testkit::haveTool("sndfile-convert")) GTEST_SKIP() << "needs sox and libsndfile";
    start();
    const WorkPaths& p = shell->paths();
    auto sox = [&](const std::string& name, const std::string& synth) {
        std::string path = scratch.file(name);
        auto r = testkit::run("sox -n -r 22050 -c 1 -b 16 " + quote(path) + " synth " + synth);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return path;
    };

    // A new archive, loaded, with a bell added from a .wav.
    std::string archive = scratch.file("mine.tpa");
    platform.answerDialog(archive);
    ASSERT_TRUE(platform.chooseMenu(kCmdNewTpa));
    platform.answerDialog(archive);
    ASSERT_TRUE(platform.chooseMenu(kCmdLoadTpa));
    std::string bell = sox("bell.wav", "2.3 sine 880");
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "Bell_Ring"));
    platform.answerDialog(bell);
    ASSERT_TRUE(platform.chooseMenu(kCmdAddWav));
    Bytes bellCau = testkit::readFile(wavsDir() + "/bell.cau");
    EXPECT_EQ(testkit::fileSize(archive), 88316u + 56 + bellCau.size());
    testkit::expectGameReads(archive);
    EXPECT_EQ(testkit::readText(wavsDir() + "/tpa_logs.log"), " Ingame_ID (string sample): Bell_Ring\r\n");

    // Both entries played, the bell saved as .wav: the very samples SoX wrote.
    ASSERT_TRUE(platform.click(kNextButton));
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(platform.control(kNumberField)->text, "2");
    EXPECT_EQ(platform.control(kCrcField)->text,
              sonkrate::io::toUpper(sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId("bell_ring"))));
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    Bytes savedBell = testkit::readFile(wavsDir() + "/mine_1.wav");
    EXPECT_EQ(wavData(savedBell), wavData(testkit::readFile(bell)));
    auto stat = testkit::run("sox --i -D " + quote(wavsDir() + "/mine_1.wav"));
    EXPECT_EQ(stat.out.substr(0, 4), "2.30");

    // Every entry as .cau: the default sound and the bell, byte for byte.
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAllCau));
    EXPECT_EQ(testkit::fileSize(wavsDir() + "/mine_0.cau"), 88236u);
    EXPECT_EQ(testkit::readFile(wavsDir() + "/mine_1.cau"), bellCau);

    // A list of the bell and a sound that then goes missing, saved and built.
    std::string wind = scratch.file("wind.cau");
    fs::copy_file(wavsDir() + "/mine_1.cau", wind);
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "bell"));
    platform.answerDialog(wavsDir() + "/bell.cau");
    ASSERT_TRUE(platform.click(kAddListingButton));
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "wind"));
    platform.answerDialog(wind);
    ASSERT_TRUE(platform.click(kAddListingButton));
    platform.answerDialog(scratch.file("afternoon.eel"));
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveEel));
    EXPECT_EQ(testkit::readText(scratch.file("afternoon.eel")),
              "3\r\n3\r\nMISSING\r\n" + p.missingCau + "\r\n0\r\n0\r\nbell\r\n" + wavsDir() +
                  "/bell.cau\r\n0\r\n0\r\nwind\r\n" + wind + "\r\n0\r\n0\r\n0\r\n0\r\n");
    fs::remove(wind);
    platform.answerDialog(scratch.file("built.tpa"));
    ASSERT_TRUE(platform.chooseMenu(kCmdEelToTpa));
    EXPECT_EQ(testkit::fileSize(scratch.file("built.tpa")), 88316u + 2 * 56 + bellCau.size() + 22156u);
    EXPECT_EQ(testkit::readText(scratch.file("builtIDs__missing.txt")), "SoundIDs Missing:  wind\r\n");
    EXPECT_TRUE(testkit::fileExists(scratch.file("builtIDs__list.txt")));

    // A beta archive made retail beside itself.
    std::vector<TestSound> beta(2);
    writeBeta24(scratch.file("ambient.tpa"), beta);
    platform.answerDialog(scratch.file("ambient.tpa"));
    ASSERT_TRUE(platform.chooseMenu(kCmdLoadTpa));
    ASSERT_TRUE(platform.chooseMenu(kCmdBetaToRetail));
    EXPECT_EQ(testkit::fileSize(scratch.file("altambient.tpa")), testkit::fileSize(scratch.file("ambient.tpa")) + 64);

    // An AIFF from libsndfile played and kept as a sample.
    std::string aiff = scratch.file("voice.aiff");
    ASSERT_EQ(testkit::run("sndfile-convert " + quote(sox("voice.wav", "1.0 sine 300")) + " " + quote(aiff)).exitCode, 0);
    platform.answerDialog(aiff);
    ASSERT_TRUE(platform.chooseMenu(kCmdPlayWav));
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    Bytes sample = wavData(testkit::readFile(wavsDir() + "/sample_1.wav"));
    Bytes voice = wavData(testkit::readFile(scratch.file("voice.wav")));
    // The AIFF reader takes its data from a fixed offset, 4 bytes into the samples libsndfile wrote.
    ASSERT_EQ(sample.size() + 4, voice.size());
    EXPECT_TRUE(std::equal(sample.begin(), sample.end(), voice.begin() + 4));

    platform.closeWindow();
    EXPECT_EQ(platform.quitCode(), 0);
    for (const auto& path : p.filesDeletedAtExit()) EXPECT_FALSE(testkit::fileExists(path)) << path;
    EXPECT_TRUE(testkit::fileExists(p.missingCau));

    EXPECT_EQ(statusTexts(), (std::vector<std::string>{
                                 "New .tpa file created in chosen directory. . .",
                                 "There are 1 entries within selected tpa file . .. ",
                                 "Adding .wav data, please wait. ..",
                                 "Operation completed. ..  file reset to 1st entry",
                                 "No Caption data. ..",
                                 "No Caption data. ..",
                                 "tpa entry saved as .wav (documents/tpa_wavs folder)",
                                 "All Done! Files exported to Documents\\Tpa_Wavs Folder",
                                 "selected .cau added to eel list . . .",
                                 "selected .cau added to eel list . . .",
                                 "eel file saved in selected directory. . .",
                                 "Please wait, building tpa . . .",
                                 "tpa build is complete . . .",
                                 "There are 2 entries within selected tpa file . .. ",
                                 "Processing file, please wait . . .",
                                 " Altambient has been saved in directory where currently loaded beta file resides. . .",
                                 "Playing external wav . . . ",
                                 "external play saved as .wav (documents/tpa_wavs folder)",
                             }));
    auto beeped = beeps();
    EXPECT_EQ(std::count(beeped.begin(), beeped.end(), Beep::Refused), 0);
    EXPECT_EQ(platform.unansweredDialogs(), 0u);
    EXPECT_TRUE(platform.faults().empty());
}
