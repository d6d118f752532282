#include <gtest/gtest.h>

#include <filesystem>

#include "app/shell_fixture.h"
#include "app/sound_maker.h"

namespace fs = std::filesystem;
using namespace shelltest;
using namespace sonkrate::app;

namespace {

class SaveWavTest : public ShellTest {
protected:
    void SetUp() override {
        start();
        testkit::writeText(shell->paths().entriesWav, "entries");
        testkit::writeText(shell->paths().decodedWav, "decoded");
        testkit::writeText(shell->paths().conversionWav, "converted");
    }
    // As after next had played entry index of the archive archiveName.tpa.
    void atEntry(const std::string& archiveName, int index, const std::string& soundName) {
        TestSound tone;
        tone.seconds = 0.05;
        const std::string path = scratch.file(archiveName + ".tpa");
        writeArchive(path, std::vector<TestSound>(static_cast<std::size_t>(index) + 2, tone));
        platform.answerDialog(path);
        ASSERT_TRUE(platform.chooseMenu(kCmdLoadTpa));
        ASSERT_TRUE(shell->state().archiveUsable);
        clear();
        auto& s = shell->state();
        s.currentIndex = index;
        s.soundName = soundName;
        s.lastWasEntry = true;
    }
    std::string saved(const std::string& name) { return testkit::readText(wavsDir() + "/" + name); }
};

}  // namespace

TEST_F(SaveWavTest, NothingPlayedIsRefusedWithoutText) {
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(statusTexts().empty());
    EXPECT_TRUE(fs::is_empty(wavsDir()));
}

TEST_F(SaveWavTest, EntriesAreNamedFromTheDatabaseUnlessTheNameCannotServe) {
    atEntry("ambient", 7, "MUSIC - MAYAN FACE/JEEP");
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(saved("ambient_7.wav"), "entries");
    EXPECT_EQ(status(), "tpa entry saved as .wav (documents/tpa_wavs folder)");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));

    atEntry("effects", 3, "unknown");
    shell->soundInfo().compressed = SoundCompression::ImaAdpcm;  // the decoded file is saved
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(saved("effects_3.wav"), "decoded");

    atEntry("effects", 4, "door slam");
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(saved("door slam.wav"), "decoded");

    // Names that would leave the folder or that file systems refuse are numbered.
    for (const char* bad : {"../../escape", "a\\b", "con:x", "tab\there", "dots.."}) {
        atEntry("effects", 5, bad);
        ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
        EXPECT_EQ(saved("effects_5.wav"), "decoded") << bad;
        fs::remove(wavsDir() + "/effects_5.wav");
    }
    EXPECT_FALSE(fs::exists(scratch.file("escape.wav")));
    EXPECT_FALSE(fs::exists(docsDir() + "/escape.wav"));
}

TEST_F(SaveWavTest, ForeignPlaysAreNumberedAndAThirdSaveTakesTheLastExtractedSound) {
    atEntry("general", 2, "unknown");
    auto& s = shell->state();
    s.externalPlay = ExternalPlayKind::Converted;
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(saved("sample_1.wav"), "converted");
    EXPECT_EQ(status(), "external play saved as .wav (documents/tpa_wavs folder)");
    EXPECT_EQ(s.externalPlay, ExternalPlayKind::None);

    testkit::writeText(scratch.file("direct.wav"), "direct");
    s.externalPlay = ExternalPlayKind::WavAsIs;
    s.externalSourcePath = scratch.file("direct.wav");
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(saved("sample_2.wav"), "direct");

    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(saved("general_2.wav"), "entries");
    EXPECT_FALSE(fs::exists(wavsDir() + "/sample_3.wav"));
    EXPECT_EQ(status(), "tpa entry saved as .wav (documents/tpa_wavs folder)");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done, Beep::Done, Beep::Done}));
}

TEST_F(SaveWavTest, AFailedCopyIsRefusedAndLeavesTheTargetAsItWas) {
    atEntry("effects", 1, "unknown");
    testkit::writeText(wavsDir() + "/effects_1.wav", "older");
    fs::remove(shell->paths().entriesWav);
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(status().rfind(".wav file not saved . . . ", 0), 0u) << status();
    EXPECT_NE(status().find("entries.wav"), std::string::npos);
    EXPECT_EQ(saved("effects_1.wav"), "older");

    // A foreign sound that cannot be saved keeps its number and can be saved later.
    fs::remove_all(wavsDir());
    auto& s = shell->state();
    s.externalPlay = ExternalPlayKind::Converted;
    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(status().rfind("external play not saved . . . ", 0), 0u) << status();
    EXPECT_EQ(s.externalPlay, ExternalPlayKind::Converted);
    EXPECT_EQ(s.sampleCounter, 0);
    fs::create_directories(wavsDir());
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(saved("sample_1.wav"), "converted");
    // No temporary file is left beside the targets.
    for (const auto& e : fs::directory_iterator(wavsDir())) EXPECT_EQ(e.path().filename(), "sample_1.wav");
}
