#include <gtest/gtest.h>

#include <filesystem>

#include "app/shell_fixture.h"
#include "app/sound_maker.h"
#include "ids/sound_id.h"
#include "testkit/game_reader.h"

namespace fs = std::filesystem;
using namespace shelltest;
using namespace sonkrate::app;
using sonkrate::platform::MessageIcon;
using testkit::Bytes;

namespace {

class ArchiveCommandsTest : public ShellTest {
protected:
    void SetUp() override { start(); }
    void load(const std::string& path) {
        platform.answerDialog(path);
        ASSERT_TRUE(platform.chooseMenu(kCmdLoadTpa));
    }
    // A new archive made by New_Tpa and loaded.
    std::string newLoadedArchive(const std::string& name) {
        std::string path = scratch.file(name);
        platform.answerDialog(path);
        EXPECT_TRUE(platform.chooseMenu(kCmdNewTpa));
        load(path);
        clear();
        return path;
    }
    bool buttonsEnabled() {
        for (int id : {kNextButton, kPreviousButton, kReplayButton, kStopButton})
            if (!platform.control(id)->enabled) return false;
        return true;
    }
};

}  // namespace

TEST_F(ArchiveCommandsTest, NewTpaWritesTheDefaultArchiveOrSaysWhyNot) {
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdNewTpa));
    EXPECT_EQ(status(), "Tpa file export canceled . . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    auto dialogs = records(RecordKind::SaveDialog);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].dialog.filterText, "Tpa File (*.tpa)");
    EXPECT_EQ(dialogs[0].dialog.defaultExtension, "");
    EXPECT_EQ(dialogs[0].dialog.flags & sonkrate::platform::kFileMustExist, 0u);

    testkit::writeText(scratch.file("old.tpa"), "replaced");
    clear();
    platform.answerDialog(scratch.file("old.tpa"));
    ASSERT_TRUE(platform.chooseMenu(kCmdNewTpa));
    EXPECT_EQ(status(), "New .tpa file created in chosen directory. . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    EXPECT_EQ(testkit::fileSize(scratch.file("old.tpa")), 88316u);
    testkit::expectGameReads(scratch.file("old.tpa"));

    clear();
    platform.answerDialog(scratch.file("no/such/folder/x.tpa"));
    ASSERT_TRUE(platform.chooseMenu(kCmdNewTpa));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(status().rfind("Tpa file not created . . . ", 0), 0u) << status();
}

TEST_F(ArchiveCommandsTest, NewTpaIsRefusedOnlyForTheStreamArchiveByItsExactPath) {
    std::string stream = shell->paths().streamTpa;
    platform.answerDialog(stream);
    ASSERT_TRUE(platform.chooseMenu(kCmdNewTpa));
    load(stream);
    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdNewTpa));
    EXPECT_EQ(status(), "Access violation - file is currently loaded in player and cannot be overwritten!");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(records(RecordKind::SaveDialog).empty());

    // The same file reached by another spelling of its path passes.
    load(wavsDir() + "/../Tpa_Wavs/Stream.tpa");
    clear();
    platform.answerDialog(scratch.file("other.tpa"));
    ASSERT_TRUE(platform.chooseMenu(kCmdNewTpa));
    EXPECT_EQ(status(), "New .tpa file created in chosen directory. . .");
}

TEST_F(ArchiveCommandsTest, AddCauNeedsAnArchiveAndANameOfThreeCharacters) {
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "door"));
    platform.command(kCmdAddCau);  // grayed in the menu; the command itself still checks
    EXPECT_EQ(status(), "You must select a tpa file before a sound can be added.");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(buttonsEnabled());

    std::string archive = newLoadedArchive("general.tpa");
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "ab"));
    ASSERT_TRUE(platform.chooseMenu(kCmdAddCau));
    EXPECT_EQ(status(),
              "You must enter a sound id name before a cau   file can be added (3 or more characters in length).");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(records(RecordKind::OpenDialog).empty());

    TestSound tone;
    std::string cau = scratch.file("Door_Slam.cau");
    writeCau(cau, tone);
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "abc"));
    clear();
    platform.answerDialog(cau);
    ASSERT_TRUE(platform.chooseMenu(kCmdAddCau));
    EXPECT_EQ(records(RecordKind::OpenDialog)[0].dialog.filterText, "Cau File (*.cau)");
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Adding .cau data, please wait. ..",
                                                       "Operation completed. ..  file reset to 1st entry"}));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    EXPECT_EQ(shell->loadedArchive().entryCount, 2u);
    EXPECT_EQ(shell->state().currentIndex, -1);
    EXPECT_EQ(platform.control(kEntriesField)->text, "2");
    EXPECT_EQ(platform.control(kNumberField)->text, "0");
    EXPECT_EQ(platform.control(kSoundIdInput)->text, "");
    EXPECT_EQ(platform.control(kTrackbar)->high, 2);
    EXPECT_TRUE(buttonsEnabled());
    EXPECT_EQ(testkit::fileSize(archive), 88316u + 56 + soundImage(tone).size());
    testkit::expectGameReads(archive);
    EXPECT_EQ(testkit::readText(wavsDir() + "/tpa_logs.log"), " Ingame_ID (string sample): abc\r\n");
    EXPECT_EQ(testkit::fileSize(wavsDir() + "/general.tpa.backup"), 88316u);
    // The database is only written while UpDater_ is on.
    EXPECT_FALSE(testkit::fileExists(shell->paths().sndIdsDat));

    // The new entry plays as the second one.
    ASSERT_TRUE(platform.click(kNextButton));
    ASSERT_TRUE(platform.click(kNextButton));
    EXPECT_EQ(wavData(testkit::readFile(shell->paths().entriesWav)), soundData(tone));
    EXPECT_EQ(platform.control(kCrcField)->text.size(), 8u);
}

TEST_F(ArchiveCommandsTest, WithFileNamesTheInputIsIgnoredAndTheFileNamesTheSound) {
    newLoadedArchive("general.tpa");
    ASSERT_TRUE(platform.click(kFileNamesCheckBox));
    ASSERT_TRUE(platform.chooseMenu(kCmdUpdater));
    std::string cau = scratch.file("Door_Slam.cau");
    writeCau(cau, TestSound{});
    clear();
    platform.answerDialog(cau);
    ASSERT_TRUE(platform.chooseMenu(kCmdAddCau));  // the input is empty and disabled
    EXPECT_EQ(status(), "Operation completed. ..  file reset to 1st entry");
    EXPECT_EQ(testkit::readText(wavsDir() + "/tpa_logs.log"), " Ingame_ID (string sample): Door_Slam\r\n");
    std::string record = testkit::readText(shell->paths().sndIdsDat);
    EXPECT_EQ(record, "\"" + sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId("door_slam")) +
                          "\" \"door_slam\"\r\n");
}

TEST_F(ArchiveCommandsTest, AnAddThatIsCanceledOrRefusedLeavesTheArchiveAsItWas) {
    std::string archive = newLoadedArchive("general.tpa");
    Bytes before = testkit::readFile(archive);
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "door"));
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdAddCau));
    EXPECT_EQ(status(), "Operation canceled. ..  file reset to 1st entry");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    EXPECT_TRUE(shell->state().archiveUsable);

    // A .cau whose header does not describe the file.
    Bytes broken = soundImage(TestSound{});
    broken.resize(broken.size() - 100);
    testkit::writeFile(scratch.file("short.cau"), broken);
    clear();
    platform.answerDialog(scratch.file("short.cau"));
    ASSERT_TRUE(platform.chooseMenu(kCmdAddCau));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(status().rfind("Sound not added . . . ", 0), 0u) << status();
    EXPECT_EQ(testkit::readFile(archive), before);
    EXPECT_EQ(shell->loadedArchive().entryCount, 1u);
    EXPECT_EQ(platform.control(kEntriesField)->text, "1");
    EXPECT_TRUE(buttonsEnabled());
}

TEST_F(ArchiveCommandsTest, SaveAllExportsEveryEntryAndReportsFilesNotWritten) {
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAllCau));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(records(RecordKind::MessageBox).empty());

    std::vector<TestSound> s(3);
    s[0].name = "door";
    s[1].adpcm = true;
    s[2].frequency = 900;
    writeArchive(scratch.file("effects.tpa"), s);
    testkit::writeText(shell->paths().sndIdsDat,
                       "\"" + sonkrate::ids::formatSoundId(sonkrate::ids::computeSoundId("door")) + "\" \"door\"\r\n");
    load(scratch.file("effects.tpa"));
    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAllCau));
    auto boxes = records(RecordKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Note: Exporting all .caus may 15 seconds or more . . .");
    EXPECT_EQ(boxes[0].caption, "sonkrate");
    EXPECT_EQ(status(), "All Done! Files exported to Documents\\Tpa_Wavs Folder");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done, Beep::Done}));
    EXPECT_EQ(testkit::readFile(wavsDir() + "/door.cau"), soundImage(s[0]));
    EXPECT_EQ(testkit::readFile(wavsDir() + "/effects_1.cau"), soundImage(s[1]));
    EXPECT_EQ(testkit::readFile(wavsDir() + "/effects_2.cau"), soundImage(s[2]));
    EXPECT_TRUE(buttonsEnabled());

    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAllWav));
    EXPECT_EQ(records(RecordKind::MessageBox)[0].text, "Note: Exporting all .wavs may take 60+ seconds . . .");
    Bytes wav = testkit::readFile(wavsDir() + "/effects_1.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(testkit::u16(wav, 20), 1);  // the compressed entry comes out as PCM

    fs::remove_all(wavsDir());
    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveAllCau));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done, Beep::Refused}));
    EXPECT_EQ(status().rfind("Export incomplete . . . ", 0), 0u) << status();
    EXPECT_TRUE(buttonsEnabled());
}

TEST_F(ArchiveCommandsTest, BetaToRetailWritesTheAltCopyBesideTheBetaArchive) {
    std::vector<TestSound> s(3);
    writeBeta24(scratch.file("Effects.tpa"), s);
    load(scratch.file("Effects.tpa"));
    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdBetaToRetail));
    auto boxes = records(RecordKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Sonkrate");
    EXPECT_EQ(boxes[0].icon, MessageIcon::Warning);
    EXPECT_EQ(statusTexts().front(), "Processing file, please wait . . .");
    EXPECT_EQ(status(), " Alteffects has been saved in directory where currently loaded beta file resides. . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    std::string alt = scratch.file("alteffects.tpa");
    ASSERT_TRUE(testkit::fileExists(alt));
    EXPECT_EQ(testkit::fileSize(alt), testkit::fileSize(scratch.file("Effects.tpa")) + 3 * 32);

    // The copy loads in the retail layout, adds allowed, and plays.
    load(alt);
    EXPECT_TRUE(shell->loadedArchive().standardLayout);
    EXPECT_TRUE(platform.menuItem(kCmdAddCau)->enabled);
    EXPECT_FALSE(platform.menuItem(kCmdBetaToRetail)->enabled);

    // A beta archive whose records lie is not converted.
    Bytes bytes = testkit::readFile(scratch.file("Effects.tpa"));
    testkit::put32(bytes, 24 + 24 + 8, 0x7FFFFFFF);
    testkit::writeFile(scratch.file("broken.tpa"), bytes);
    load(scratch.file("broken.tpa"));
    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdBetaToRetail));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(status().rfind("Beta to retail conversion failed . . . ", 0), 0u) << status();
}

TEST_F(ArchiveCommandsTest, CausToTpaBuildsFromAFolderOfAtLeastThreeCaus) {
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdCausToTpa));
    EXPECT_EQ(status(), " Operation canceled by user . . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));

    fs::create_directories(scratch.file("caus"));
    TestSound a, b, c;
    b.frequency = 500;
    c.adpcm = true;
    writeCau(scratch.file("caus/a.cau"), a);
    writeCau(scratch.file("caus/b.cau"), b);

    clear();
    platform.answerDialog(scratch.file("caus/a.cau"));
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdCausToTpa));
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{" Operation canceled by user . . ."}));
    EXPECT_EQ(records(RecordKind::SaveDialog).size(), 1u);

    clear();
    platform.answerDialog(scratch.file("caus/a.cau"));
    platform.answerDialog(scratch.file("built.tpa"));
    ASSERT_TRUE(platform.chooseMenu(kCmdCausToTpa));
    EXPECT_EQ(status(), " Operation Canceled! 3 or more .cau files must exist within the chosen directory . . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_FALSE(testkit::fileExists(scratch.file("built.tpa")));

    writeCau(scratch.file("caus/c.cau"), c);
    clear();
    platform.answerDialog(scratch.file("caus/b.cau"));
    platform.answerDialog(scratch.file("built.tpa"));
    ASSERT_TRUE(platform.chooseMenu(kCmdCausToTpa));
    EXPECT_EQ(status(), "  File Done!");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    EXPECT_EQ(testkit::fileSize(scratch.file("built.tpa")),
              24 + 4 * 56 + 88236 + soundImage(a).size() + soundImage(b).size() + soundImage(c).size());
    testkit::expectGameReads(scratch.file("built.tpa"));
    EXPECT_TRUE(testkit::fileExists(scratch.file("built_SampleIDs_list.txt")));
}
