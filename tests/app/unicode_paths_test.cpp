// The shell with its program, its documents folder and an archive in
// folders whose names hold Latin with diacritics, Cyrillic and Japanese:
// open, play, export and add.
#include <gtest/gtest.h>

#include "app/shell_fixture.h"
#include "app/sound_maker.h"
#include "io/file_system.h"
#include "io/folder_listing.h"
#include "io/paths.h"
#include "testkit/game_reader.h"

using namespace shelltest;
using namespace sonkrate::app;
using sonkrate::io::joinPath;
using testkit::Bytes;

namespace {

// "Zoë", "Дмитрий" and "サウンド" in UTF-8.
const std::string kLatin = "Zo\xC3\xAB";
const std::string kCyrillic = "\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9";
const std::string kJapanese = "\xE3\x82\xB5\xE3\x82\xA6\xE3\x83\xB3\xE3\x83\x89";

class UnicodeShellTest : public ShellTest {
protected:
    UnicodeShellTest() {
        EXPECT_TRUE(sonkrate::io::createFolders(bin()).ok);
        EXPECT_TRUE(sonkrate::io::createFolders(documents()).ok);
        platform.setExecutablePath(joinPath(bin(), "sonkrate"));
        platform.setDocumentsFolder(documents());
    }
    std::string bin() const { return scratch.file(kLatin + " " + kCyrillic + " bin"); }
    std::string documents() const { return scratch.file(kCyrillic + " " + kJapanese); }
    std::string wavs() const { return joinPath(documents(), "Tpa_Wavs"); }
    std::vector<std::string> wavsNamed(const std::string& suffix) const {
        std::vector<std::string> names;
        EXPECT_TRUE(sonkrate::io::listFileNames(wavs(), suffix, names).ok);
        return names;
    }
};

// A 16-bit mono PCM .wav of n samples.
Bytes pcmWav(std::uint32_t samples) {
    Bytes b(44 + 2 * samples, 0);
    const char* tags[] = {"RIFF", "WAVE", "fmt ", "data"};
    const std::size_t at[] = {0, 8, 12, 36};
    for (int i = 0; i < 4; ++i) std::copy(tags[i], tags[i] + 4, b.begin() + static_cast<long>(at[i]));
    testkit::put32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
    testkit::put32(b, 16, 16);
    testkit::put16(b, 20, 1);
    testkit::put16(b, 22, 1);
    testkit::put32(b, 24, 22050);
    testkit::put32(b, 28, 44100);
    testkit::put16(b, 32, 2);
    testkit::put16(b, 34, 16);
    testkit::put32(b, 40, 2 * samples);
    for (std::uint32_t i = 0; i < samples; ++i) testkit::put16(b, 44 + 2 * i, static_cast<std::uint16_t>(i * 37));
    return b;
}

}  // namespace

TEST_F(UnicodeShellTest, OpensPlaysExportsAndAddsWithFoldersInThreeScripts) {
    start();
    EXPECT_EQ(shell->paths().entriesWav, joinPath(bin(), "entries.wav"));

    std::vector<TestSound> sounds(2);
    sounds[1].name = "tone1";
    sounds[1].seconds = 0.5;
    sounds[1].frequency = 880;
    const std::string folder = scratch.file(kJapanese);
    ASSERT_TRUE(sonkrate::io::createFolders(folder).ok);
    const std::string archive = joinPath(folder, kCyrillic + " " + kLatin + ".tpa");
    writeArchive(archive, sounds);

    platform.answerDialog(archive);
    ASSERT_TRUE(platform.chooseMenu(kCmdLoadTpa));
    EXPECT_EQ(shell->loadedArchive().entryCount, 2u);
    ASSERT_TRUE(platform.click(kNextButton));
    ASSERT_TRUE(platform.click(kNextButton));
    ASSERT_FALSE(played().empty());
    EXPECT_EQ(played().back(), shell->paths().entriesWav);
    EXPECT_EQ(wavData(testkit::readFile(played().back())), soundData(sounds[1]));

    // Exports land in Tpa_Wavs of the documents folder.
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    std::vector<std::string> saved = wavsNamed(".wav");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(wavData(testkit::readFile(joinPath(wavs(), saved[0]))), soundData(sounds[1]));
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAllCau));
    saved = wavsNamed(".cau");
    ASSERT_EQ(saved.size(), 2u) << status();
    EXPECT_EQ(testkit::readFile(joinPath(wavs(), saved[1])), soundImage(sounds[1]));

    // A .cau and a .wav, each from a folder of another script, added.
    const std::string cau = scratch.file(kLatin + ".cau");
    TestSound bell;
    bell.frequency = 660;
    writeCau(cau, bell);
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "bell_" + kCyrillic));
    platform.answerDialog(cau);
    ASSERT_TRUE(platform.chooseMenu(kCmdAddCau));
    EXPECT_EQ(status(), "Operation completed. ..  file reset to 1st entry");
    EXPECT_EQ(shell->loadedArchive().entryCount, 3u);

    const std::string wav = joinPath(folder, kCyrillic + ".wav");
    testkit::writeFile(wav, pcmWav(4410));
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "wind_" + kJapanese));
    platform.answerDialog(wav);
    ASSERT_TRUE(platform.chooseMenu(kCmdAddWav));
    EXPECT_EQ(status(), "Operation completed. ..  file reset to 1st entry");
    EXPECT_EQ(shell->loadedArchive().entryCount, 4u);
    EXPECT_TRUE(testkit::fileExists(joinPath(wavs(), kCyrillic + ".cau")));
    testkit::expectGameReads(archive);
    EXPECT_EQ(testkit::readText(joinPath(wavs(), "tpa_logs.log")),
              " Ingame_ID (string sample): bell_" + kCyrillic + "\r\n Ingame_ID (string sample): wind_" + kJapanese +
                  "\r\n");

    // The added .wav plays back as its samples.
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(wavData(testkit::readFile(played().back())), wavData(pcmWav(4410)));
}
