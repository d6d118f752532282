#include <gtest/gtest.h>

#include <filesystem>

#include "app/shell_fixture.h"
#include "app/sound_maker.h"
#include "testkit/game_reader.h"

namespace fs = std::filesystem;
using namespace shelltest;
using namespace sonkrate::app;
using sonkrate::platform::MessageIcon;

namespace {

class EelTest : public ShellTest {
protected:
    void SetUp() override { start(); }
    std::vector<std::string> items() { return platform.control(kEelListBox)->items; }
    // Listings shown: a name and a path each.
    int listings() { return static_cast<int>(items().size() / 2); }
    // "+" with a typed name and a chosen file.
    void addListing(const std::string& name, const std::string& cau) {
        ASSERT_TRUE(platform.typeText(kSoundIdInput, name));
        platform.answerDialog(cau);
        ASSERT_TRUE(platform.click(kAddListingButton));
    }
    std::string cau(const std::string& name, int frequency = 441) {
        TestSound s;
        s.frequency = frequency;
        std::string path = scratch.file(name);
        writeCau(path, s);
        return path;
    }
};

}  // namespace

TEST_F(EelTest, StartUpShowsAFreshListHoldingOnlyThePlaceholder) {
    EXPECT_EQ(items(), (std::vector<std::string>{"MISSING", inBin("missing.cau")}));
    EXPECT_EQ(listings(), 1);
    EXPECT_EQ(testkit::readText(inBin("temp_eel.eel")), "3\r\n1\r\nMISSING\r\n" + inBin("missing.cau") + "\r\n0\r\n0\r\n0\r\n0\r\n");
}

TEST_F(EelTest, PlusNeedsFourCharactersAndReportsOnlyAListingThatWasAdded) {
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "abc"));
    ASSERT_TRUE(platform.click(kAddListingButton));
    EXPECT_EQ(status(), "You must enter a sound id name before you   can add a listing to an eel file.");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(records(RecordKind::OpenDialog).empty());

    // A cancelled dialog adds nothing and says nothing.
    clear();
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "door"));
    platform.cancelDialog();
    ASSERT_TRUE(platform.click(kAddListingButton));
    EXPECT_EQ(records(RecordKind::OpenDialog).at(0).dialog.filterText, "CAU File (*.cau)");
    EXPECT_TRUE(statusTexts().empty());
    EXPECT_TRUE(beeps().empty());
    EXPECT_EQ(listings(), 1);
    EXPECT_EQ(platform.control(kSoundIdInput)->text, "door");

    std::string door = cau("Door.cau");
    addListing("door", door);
    EXPECT_EQ(status(), "selected .cau added to eel list . . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    EXPECT_EQ(items(), (std::vector<std::string>{"MISSING", inBin("missing.cau"), "door", door}));
    EXPECT_EQ(listings(), 2);
    EXPECT_EQ(platform.control(kSoundIdInput)->text, "");

    // With "Use File_Names" the file names the listing and the input is ignored.
    ASSERT_TRUE(platform.click(kFileNamesCheckBox));
    std::string ab = cau("a.b.cau");
    platform.answerDialog(ab);
    ASSERT_TRUE(platform.click(kAddListingButton));
    EXPECT_EQ(items().at(4), "aau");
    EXPECT_EQ(listings(), 3);

    // A file name too short for a listing is refused: it would end the list.
    clear();
    platform.answerDialog(cau("ab.cau"));
    ASSERT_TRUE(platform.click(kAddListingButton));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(status().rfind("listing not added to eel list . . . ", 0), 0u) << status();
    EXPECT_EQ(listings(), 3);
}

TEST_F(EelTest, ListedSoundsPlayAndTheMinusButtonRemovesTheSelectedName) {
    TestSound tone;
    tone.seconds = 2.0;
    std::string door = scratch.file("Door.CAU");
    writeCau(door, tone);
    std::string gone = cau("gone.cau");
    addListing("Slam", door);
    addListing("gone", gone);
    fs::remove(gone);
    clear();

    ASSERT_TRUE(platform.click(kRemoveListingButton));  // nothing selected
    ASSERT_TRUE(platform.selectListItem(kEelListBox, 0));
    EXPECT_EQ(shell->state().selectedListName, "MISSING");
    ASSERT_TRUE(platform.click(kRemoveListingButton));  // the placeholder stays
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused, Beep::Refused}));

    clear();
    ASSERT_TRUE(platform.selectListItem(kEelListBox, 3));  // the path of "Slam", in capitals
    EXPECT_EQ(wavData(testkit::readFile(shell->paths().entriesWav)), soundData(tone));
    EXPECT_EQ(played(), (std::vector<std::string>{shell->paths().entriesWav}));
    EXPECT_EQ(status(), "No Caption data. ..");
    EXPECT_TRUE(platform.timerRunning());
    EXPECT_EQ(platform.listCaretIndex(kEelListBox), 3);
    EXPECT_EQ(shell->state().currentIndex, -1);
    EXPECT_FALSE(shell->state().cauChosen);

    clear();
    ASSERT_TRUE(platform.selectListItem(kEelListBox, 5));  // a listed file that is gone
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(played().empty());
    platform.command(kEelListBox, 4);  // other notifications are ignored
    EXPECT_EQ(beeps().size(), 1u);

    ASSERT_TRUE(platform.selectListItem(kEelListBox, 2));
    EXPECT_EQ(shell->state().selectedListName, "Slam");
    clear();
    ASSERT_TRUE(platform.click(kRemoveListingButton));
    EXPECT_EQ(status(), "selected item removed from eel list . . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    EXPECT_EQ(items(), (std::vector<std::string>{"MISSING", inBin("missing.cau"), "gone", gone}));
    EXPECT_EQ(listings(), 2);
    EXPECT_EQ(shell->state().selectedListName, "");
}

TEST_F(EelTest, SaveAndLoadCarryTheListThroughAFile) {
    addListing("door", cau("door.cau"));
    addListing("slam", cau("slam.cau"));
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveEel));
    clear();
    platform.answerDialog(scratch.file("mine.eel"));
    ASSERT_TRUE(platform.chooseMenu(kCmdSaveEel));
    EXPECT_EQ(status(), "eel file saved in selected directory. . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    auto dialogs = records(RecordKind::SaveDialog);
    EXPECT_EQ(dialogs.at(0).dialog.filterText, "EEL File (*.eel)");
    EXPECT_EQ(dialogs.at(0).dialog.defaultExtension, "");
    std::string saved = testkit::readText(scratch.file("mine.eel"));
    EXPECT_EQ(saved.rfind("3\r\n3\r\nMISSING\r\n", 0), 0u);
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 16);

    // A fresh start forgets the list; loading the file brings it back.
    clear();
    platform.answerDialog(scratch.file("mine.eel"));
    ASSERT_TRUE(platform.chooseMenu(kCmdLoadEel));
    EXPECT_EQ(status(), "eel file loaded . . .");
    EXPECT_EQ(listings(), 3);
    EXPECT_EQ(items().size(), 6u);

    clear();
    platform.answerDialog(scratch.file("absent.eel"));
    ASSERT_TRUE(platform.chooseMenu(kCmdLoadEel));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(listings(), 3);
}

TEST_F(EelTest, CausToEelNeedsANameOfFourCharacters) {
    fs::create_directories(scratch.file("snd"));
    TestSound s;
    for (const char* n : {"door.cau", "slam.CAU", "wind.cau"}) writeCau(scratch.file(std::string("snd/") + n), s);
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "abc"));
    ASSERT_TRUE(platform.chooseMenu(kCmdCausToEel));
    EXPECT_EQ(status(), "You must enter an *eel file name before an eel file can be created (5 or more characters "
                        "in length). Use edit control, Sound_ID");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));

    ASSERT_TRUE(platform.typeText(kSoundIdInput, "snds"));  // four are enough
    clear();
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdCausToEel));
    EXPECT_EQ(status(), " Operation canceled by user . . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));

    clear();
    platform.answerDialog(scratch.file("snd/door.cau"));
    ASSERT_TRUE(platform.chooseMenu(kCmdCausToEel));
    EXPECT_EQ(status(), " Done. EEL file created can be found inside the selected .cau file's directory");
    std::string list = testkit::readText(scratch.file("snd/snds.eel"));
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 20);
    EXPECT_EQ(list.rfind("3\r\n4\r\nMISSING\r\nmissing.cau\r\n", 0), 0u);
    // The list being edited is not touched.
    EXPECT_EQ(listings(), 1);

    // A refusal after a success shows only the refusal.
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "x"));
    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdCausToEel));
    EXPECT_EQ(statusTexts().size(), 1u);
}

TEST_F(EelTest, EelToTpaBuildsTheListAndReportsMissingSounds) {
    ASSERT_TRUE(platform.chooseMenu(kCmdEelToTpa));  // only the placeholder
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(records(RecordKind::SaveDialog).empty());

    std::string door = cau("door.cau", 300);
    std::string lost = cau("lost_sound.cau", 500);
    addListing("door", door);
    addListing("lost", lost);
    fs::remove(lost);

    clear();
    platform.cancelDialog();
    ASSERT_TRUE(platform.chooseMenu(kCmdEelToTpa));
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Please wait, building tpa . . .", "tpa build was canceled . . ."}));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    EXPECT_EQ(platform.control(kProgressBar)->position, 0);

    clear();
    platform.answerDialog(scratch.file("built.tpa"));
    ASSERT_TRUE(platform.chooseMenu(kCmdEelToTpa));
    EXPECT_EQ(status(), "tpa build is complete . . .");
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done}));
    auto boxes = records(RecordKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "1 or more files not found! Replaced with Missing Sample . . .");
    EXPECT_EQ(boxes[0].caption, "SONKRATE");
    EXPECT_EQ(boxes[0].icon, MessageIcon::Information);
    EXPECT_EQ(testkit::readText(scratch.file("builtIDs__missing.txt")), "SoundIDs Missing:  lost\r\n");
    EXPECT_EQ(platform.control(kProgressBar)->high, 2);
    EXPECT_GE(platform.control(kProgressBar)->stepItCount, 2);
    EXPECT_EQ(platform.control(kProgressBar)->position, 0);
    // The default sound, then both listings; the lost one as the replacement sound.
    EXPECT_EQ(testkit::fileSize(scratch.file("built.tpa")),
              88316u + 2 * 56 + testkit::fileSize(door) + testkit::fileSize(inBin("missing.cau")));
    testkit::expectGameReads(scratch.file("built.tpa"));
}
