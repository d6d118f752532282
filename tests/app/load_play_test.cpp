#include <gtest/gtest.h>

#include <filesystem>

#include "app/shell_fixture.h"
#include "app/sound_maker.h"
#include "ids/sound_id.h"
#include "io/paths.h"

namespace fs = std::filesystem;
using namespace shelltest;
using namespace sonkrate::app;
using testkit::Bytes;

namespace {

// Sounds that differ in length, so each entry's data can be recognised.
std::vector<TestSound> sounds(int n) {
    std::vector<TestSound> out;
    for (int i = 0; i < n; ++i) {
        TestSound s;
        s.name = "tone" + std::to_string(i);
        s.seconds = 1.0 + 0.1 * i;
        s.frequency = 200 + 50 * i;
        out.push_back(s);
    }
    return out;
}

class LoadPlayTest : public ShellTest {
protected:
    void SetUp() override { start(); }
    std::string archive(const std::string& name, const std::vector<TestSound>& s) {
        std::string path = scratch.file(name);
        writeArchive(path, s);
        return path;
    }
    void load(const std::string& path) {
        platform.answerDialog(path);
        ASSERT_TRUE(platform.chooseMenu(kCmdLoadTpa));
    }
    std::string number() { return platform.control(kNumberField)->text; }
    int thumb() { return platform.control(kTrackbar)->position; }
    // The data chunk of the file played last.
    Bytes playedData() {
        auto p = played();
        return p.empty() ? Bytes{} : wavData(testkit::readFile(p.back()));
    }
};

}  // namespace

TEST_F(LoadPlayTest, LoadTpaAsksForAnArchiveAndSetsUpNavigation) {
    auto s = sounds(3);
    load(archive("Effects.tpa", s));
    auto dialogs = records(RecordKind::OpenDialog);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].dialog.filterText, "Tpa File (*.tpa)");
    EXPECT_EQ(dialogs[0].dialog.filterPattern, "*.tpa");
    EXPECT_EQ(dialogs[0].dialog.flags, 0x81804u);

    auto& st = shell->state();
    EXPECT_TRUE(st.archiveOpened);
    EXPECT_TRUE(st.archiveUsable);
    EXPECT_TRUE(shell->loadedArchive().standardLayout);
    EXPECT_EQ(shell->loadedArchive().archiveName, "effects");
    EXPECT_EQ(shell->loadedArchive().entryCount, 3u);
    EXPECT_EQ(st.currentIndex, -1);
    EXPECT_EQ(status(), "There are 3 entries within selected tpa file . .. ");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    EXPECT_EQ(platform.control(kEntriesField)->text, "3");
    EXPECT_EQ(number(), "0");
    const auto* bar = platform.control(kTrackbar);
    EXPECT_EQ(bar->low, 1);
    EXPECT_EQ(bar->high, 3);
    EXPECT_EQ(bar->position, 1);  // 0 clamped by the control
    EXPECT_FALSE(bar->enabled);   // enabled by playing, not by loading
    EXPECT_TRUE(platform.menuItem(kCmdAddCau)->enabled);
    EXPECT_TRUE(platform.menuItem(kCmdAddWav)->enabled);
    EXPECT_FALSE(platform.menuItem(kCmdBetaToRetail)->enabled);
}

TEST_F(LoadPlayTest, ACanceledLoadKeepsTheArchiveLoadedBefore) {
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdLoadTpa));
    EXPECT_EQ(status(), "Loading of tpa canceled. . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    EXPECT_FALSE(shell->state().archiveOpened);

    load(archive("general.tpa", sounds(3)));
    ASSERT_TRUE(platform.click(kNextButton));
    clear();
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdLoadTpa));
    EXPECT_EQ(status(), "Loading of tpa canceled. . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    auto& st = shell->state();
    EXPECT_TRUE(st.archiveUsable);
    EXPECT_EQ(shell->loadedArchive().entryCount, 3u);
    EXPECT_EQ(st.currentIndex, 0);
    EXPECT_EQ(platform.control(kEntriesField)->text, "3");
    // Loading stopped the sound; the archive still plays on.
    EXPECT_EQ(records(RecordKind::StopSound).size(), 1u);
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(number(), "2");
}

TEST_F(LoadPlayTest, ADamagedArchiveIsRefusedAndLeavesNothingLoaded) {
    load(archive("good.tpa", sounds(2)));
    Bytes bytes = testkit::readFile(scratch.file("good.tpa"));
    testkit::put32(bytes, 20, 5000);  // a table far longer than the file
    testkit::writeFile(scratch.file("bad.tpa"), bytes);
    clear();
    load(scratch.file("bad.tpa"));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(status().rfind("Loading of tpa failed . . . ", 0), 0u) << status();
    EXPECT_NE(status().find("bad.tpa"), std::string::npos);
    EXPECT_FALSE(shell->state().archiveUsable);
    EXPECT_EQ(platform.control(kEntriesField)->text, "0");
    EXPECT_FALSE(platform.menuItem(kCmdAddCau)->enabled);
    EXPECT_FALSE(platform.menuItem(kCmdAddWav)->enabled);
    EXPECT_FALSE(platform.menuItem(kCmdBetaToRetail)->enabled);

    clear();
    ASSERT_TRUE(platform.click(kNextButton));
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused, Beep::Refused}));
    EXPECT_TRUE(played().empty());

    // A file too short for a header, and one that does not exist.
    testkit::writeText(scratch.file("tiny.tpa"), "abc");
    clear();
    load(scratch.file("tiny.tpa"));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    load(scratch.file("absent.tpa"));
    EXPECT_EQ(status().rfind("Loading of tpa failed . . . ", 0), 0u);
}

TEST_F(LoadPlayTest, ABetaArchiveAllowsOnlyTheConversion) {
    std::string path = scratch.file("beta.tpa");
    writeBeta24(path, sounds(2));
    load(path);
    EXPECT_FALSE(platform.menuItem(kCmdAddCau)->enabled);
    EXPECT_FALSE(platform.menuItem(kCmdAddWav)->enabled);
    EXPECT_TRUE(platform.menuItem(kCmdBetaToRetail)->enabled);
    // Its entries play all the same.
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(playedData(), soundData(sounds(2)[0]));
}

TEST_F(LoadPlayTest, NextAfterLoadPlaysEntryZeroAndTheTrackbarWakesOnTheSecond) {
    auto s = sounds(4);
    load(archive("general.tpa", s));
    testkit::writeText(shell->paths().sndIdsDat,
                       "\"" + sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId("tone1")) + "\" \"tone1\"\r\n");
    clear();
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(number(), "1");
    EXPECT_EQ(shell->state().currentIndex, 0);
    EXPECT_EQ(played(), (std::vector<std::string>{shell->paths().entriesWav}));
    EXPECT_EQ(playedData(), soundData(s[0]));
    EXPECT_EQ(status(), "No Caption data. ..");
    EXPECT_TRUE(beeps().empty());
    EXPECT_FALSE(platform.control(kTrackbar)->enabled);
    EXPECT_EQ(thumb(), 1);
    EXPECT_EQ(platform.control(kIdsField)->text, " unknown");
    EXPECT_EQ(platform.control(kCrcField)->text,
              sonkrate::io::toUpper(sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId("tone0"))));
    EXPECT_EQ(shell->state().soundName, "unknown");
    EXPECT_TRUE(platform.timerRunning());

    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(number(), "2");
    EXPECT_TRUE(platform.control(kTrackbar)->enabled);
    EXPECT_EQ(thumb(), 2);
    EXPECT_EQ(playedData(), soundData(s[1]));
    EXPECT_EQ(shell->state().soundName, "tone1");
    EXPECT_EQ(platform.control(kIdsField)->text, "  \"tone1\"");

    ASSERT_TRUE(platform.click(kNextButton));
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(number(), "4");
    clear();
    ASSERT_TRUE(platform.click(kNextButton));  // past the last entry
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(played().empty());
    EXPECT_EQ(number(), "4");
}

TEST_F(LoadPlayTest, TheTrackbarSelectsWithoutPlayingAndNextPlaysTheEntryAfter) {
    auto s = sounds(8);
    load(archive("general.tpa", s));
    ASSERT_TRUE(platform.click(kNextButton));
    ASSERT_TRUE(platform.click(kNextButton));
    clear();
    ASSERT_TRUE(platform.dragTrackbar(kTrackbar, 5));
    EXPECT_EQ(number(), "5");
    EXPECT_EQ(shell->state().currentIndex, 4);
    EXPECT_TRUE(played().empty());
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(number(), "6");
    EXPECT_EQ(playedData(), soundData(s[5]));
    EXPECT_EQ(thumb(), 6);

    ASSERT_TRUE(platform.click(kPreviousButton));
    EXPECT_EQ(number(), "5");
    EXPECT_EQ(playedData(), soundData(s[4]));
    EXPECT_EQ(thumb(), 5);
    // A click on the window takes the thumb's entry again.
    platform.leftButtonUp();
    EXPECT_EQ(shell->state().currentIndex, 4);
}

TEST_F(LoadPlayTest, PreviousStopsAtTheFirstEntry) {
    auto s = sounds(3);
    load(archive("general.tpa", s));
    clear();
    ASSERT_TRUE(platform.click(kPreviousButton));  // nothing selected yet
    ASSERT_TRUE(platform.click(kNextButton));
    ASSERT_TRUE(platform.click(kPreviousButton));  // at index 0
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused, Beep::Refused}));
    ASSERT_TRUE(platform.click(kNextButton));
    ASSERT_TRUE(platform.click(kPreviousButton));
    EXPECT_EQ(number(), "1");
    EXPECT_EQ(playedData(), soundData(s[0]));
    EXPECT_TRUE(shell->state().lastWasEntry);
}

TEST_F(LoadPlayTest, CompressedEntriesPlayTheirDecodedFileAndCaptionsAreShown) {
    std::vector<TestSound> s(3);
    s[0].adpcm = true;
    s[0].channels = 2;
    s[0].seconds = 2.5;
    s[0].caption = "Hello there";
    s[1].emptyCaption = true;  // shown as a single blank
    load(archive("general.tpa", s));
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(played(), (std::vector<std::string>{shell->paths().decodedWav}));
    Bytes decoded = testkit::readFile(shell->paths().decodedWav);
    ASSERT_GE(decoded.size(), 44u);
    EXPECT_EQ(testkit::u16(decoded, 20), 1);  // PCM
    EXPECT_EQ(testkit::u16(decoded, 22), 2);
    EXPECT_EQ(testkit::u32(decoded, 24), 22050u);
    EXPECT_EQ(shell->soundInfo().compressed, SoundCompression::ImaAdpcm);
    EXPECT_EQ(shell->soundInfo().channels, 2);
    EXPECT_EQ(shell->soundInfo().PlayTimeCount, 2);
    EXPECT_EQ(status(), " Hello there");
    EXPECT_EQ(platform.control(kProgressBar)->high, 10);  // 2 s x 10, halved for stereo

    // A one-character caption leaves the line as it was.
    clear();
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(status(), " Hello there");
    EXPECT_TRUE(statusTexts().empty());

    // Without a caption the old caption is dropped and the line says so.
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(status(), "No Caption data. ..");
    EXPECT_EQ(shell->state().captionText, "");
}

TEST_F(LoadPlayTest, ADamagedEntryIsReportedAndTheNextOneStillPlays) {
    auto s = sounds(3);
    std::string path = archive("general.tpa", s);
    Bytes bytes = testkit::readFile(path);
    testkit::put32(bytes, 24 + 56 + 4, 0x7FFFFFF0);  // entry 1's image lies past the end
    testkit::writeFile(path, bytes);
    load(path);
    ASSERT_TRUE(platform.click(kNextButton));
    clear();
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(status().rfind("Sound could not be played . . . ", 0), 0u) << status();
    EXPECT_TRUE(played().empty());
    EXPECT_FALSE(platform.timerRunning());
    EXPECT_EQ(number(), "2");
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(playedData(), soundData(s[2]));
}

// The archive menu items follow each archive loaded: a sound is appended
// only to a retail archive whose first image follows the table and that is
// no larger than 260,000,000 bytes; only a beta archive is converted.
TEST_F(LoadPlayTest, TheArchiveMenusFollowEachArchiveLoaded) {
    auto menus = [this] {
        return std::vector<bool>{platform.menuItem(kCmdAddCau)->enabled, platform.menuItem(kCmdAddWav)->enabled,
                                 platform.menuItem(kCmdBetaToRetail)->enabled};
    };
    std::string beta = scratch.file("beta.tpa");
    writeBeta24(beta, sounds(1));
    std::string demo = scratch.file("ambient.tpa");
    writeDemoStream(demo, sounds(1));
    std::string big = archive("big.tpa", sounds(1));
    fs::resize_file(big, 260000001);  // sparse: the tail takes no disk space
    std::string limit = archive("limit.tpa", sounds(1));
    fs::resize_file(limit, 260000000);

    load(beta);
    EXPECT_EQ(menus(), (std::vector<bool>{false, false, true}));
    load(demo);
    EXPECT_EQ(menus(), (std::vector<bool>{false, false, false}));
    load(limit);
    EXPECT_EQ(menus(), (std::vector<bool>{true, true, false}));
    load(big);
    EXPECT_EQ(status(), "There are 1 entries within selected tpa file . .. ");
    EXPECT_EQ(menus(), (std::vector<bool>{false, false, false}));
    load(beta);
    load(scratch.file("absent.tpa"));
    EXPECT_EQ(menus(), (std::vector<bool>{false, false, false}));
}

TEST_F(LoadPlayTest, PreviousOntoTheEmptyFirstEntryOfADemoStreamReplaysTheLastSound) {
    auto s = sounds(2);
    std::string path = scratch.file("demo.tpa");
    writeDemoStream(path, s);
    load(path);
    EXPECT_TRUE(shell->loadedArchive().demoStream);
    EXPECT_FALSE(shell->loadedArchive().standardLayout);
    EXPECT_FALSE(platform.menuItem(kCmdAddCau)->enabled);
    // Next on entry 0 finds no sound; entry 1 plays.
    ASSERT_TRUE(platform.click(kNextButton));
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(playedData(), soundData(s[0]));
    clear();
    ASSERT_TRUE(platform.click(kPreviousButton));
    auto boxes = records(RecordKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Demo stream error (no wav data). Replaying last entry . . .");
    EXPECT_EQ(boxes[0].caption, "sonkrate");
    EXPECT_EQ(playedData(), soundData(s[0]));
    EXPECT_EQ(number(), "1");
}

TEST_F(LoadPlayTest, SaveAsCauWritesTheEntryWithItsMagicAndRefusesOtherSounds) {
    auto s = sounds(3);
    s[2].adpcm = true;
    load(archive("ambient.tpa", s));
    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsCau));  // nothing played yet
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));

    for (int i = 0; i < 3; ++i) ASSERT_TRUE(platform.click(kNextButton));
    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsCau));
    EXPECT_EQ(testkit::readFile(wavsDir() + "/ambient_2.cau"), soundImage(s[2]));
    EXPECT_EQ(status(), "tpa entry saved as .cau file (documents/tpa_wavs folder)");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));

    // The same entry as .wav is the decoded PCM.
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsWav));
    EXPECT_EQ(testkit::readFile(wavsDir() + "/ambient_2.wav"), testkit::readFile(shell->paths().decodedWav));

    fs::remove_all(wavsDir());
    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAsCau));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(status().rfind("tpa entry not saved as .cau file . . . ", 0), 0u) << status();
}

