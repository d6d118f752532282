#include <gtest/gtest.h>

#include "app/shell_fixture.h"

using namespace shelltest;
using namespace sonkrate::app;
using sonkrate::platform::MessageIcon;

TEST_F(ShellTest, TheFileNamesCheckBoxTogglesTheSoundIdInput) {
    start();
    ASSERT_TRUE(platform.typeText(kSoundIdInput, "door"));
    ASSERT_TRUE(platform.click(kFileNamesCheckBox));
    EXPECT_EQ(shell->state().useFileNames, 1);
    EXPECT_TRUE(platform.control(kFileNamesCheckBox)->checked);
    EXPECT_FALSE(platform.control(kSoundIdInput)->enabled);
    EXPECT_FALSE(platform.typeText(kSoundIdInput, "other"));

    ASSERT_TRUE(platform.click(kFileNamesCheckBox));
    EXPECT_EQ(shell->state().useFileNames, 2);
    EXPECT_FALSE(platform.control(kFileNamesCheckBox)->checked);
    EXPECT_TRUE(platform.control(kSoundIdInput)->enabled);
    // The typed name survives the round trip; the box itself neither beeps nor reports.
    EXPECT_EQ(platform.control(kSoundIdInput)->text, "door");
    EXPECT_TRUE(beeps().empty());
    EXPECT_TRUE(statusTexts().empty());
}

TEST_F(ShellTest, UpdaterAlternatesItsTextsAndThreeChoicesLeaveItSet) {
    start();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(platform.chooseMenu(kCmdUpdater));
    EXPECT_EQ(shell->state().updateSndIds, 3);
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{
                                 "Option set: Imported sound info will be added to SndIds.dat file",
                                 "Option unset: Imported sound info will not be added to SndIds.dat file",
                                 "Option set: Imported sound info will be added to SndIds.dat file",
                             }));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Done, Beep::Done, Beep::Done}));
    // Setting the status empties the line before the new text.
    auto texts = records(RecordKind::Text);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "");
    EXPECT_EQ(texts[1].text, "Option set: Imported sound info will be added to SndIds.dat file");
}

TEST_F(ShellTest, HelpOpensTheHelpFileAndSaysSoWhenItCannot) {
    start();
    ASSERT_TRUE(platform.chooseMenu(kCmdHelpFiles));
    auto opened = records(RecordKind::OpenDocument);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].text, inBin("Sonkrate-help.chm"));
    EXPECT_TRUE(records(RecordKind::MessageBox).empty());

    platform.setDesktopOpenSucceeds(false);
    ASSERT_TRUE(platform.chooseMenu(kCmdHelpFiles));
    auto boxes = records(RecordKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Help file could not be opened...");
    EXPECT_EQ(boxes[0].caption, "Error -Sonkrate");
    EXPECT_EQ(boxes[0].icon, MessageIcon::None);
    EXPECT_TRUE(beeps().empty());
}

TEST_F(ShellTest, HoverLabelsFollowThePointerOverTheirStrips) {
    start();
    auto shown = [&](int id) { return platform.control(id)->shown; };
    // Strip 1200 covers x 209..228, y 39..40; strip 1300 x 231..250.
    platform.mouseMove(209, 39);
    EXPECT_TRUE(shown(kRepeatLabel));
    EXPECT_FALSE(shown(kStopLabel));
    platform.mouseMove(228, 40);
    EXPECT_TRUE(shown(kRepeatLabel));
    platform.mouseMove(229, 40);
    EXPECT_FALSE(shown(kRepeatLabel));
    EXPECT_FALSE(shown(kStopLabel));
    platform.mouseMove(231, 39);
    EXPECT_TRUE(shown(kStopLabel));
    EXPECT_FALSE(shown(kRepeatLabel));
    platform.mouseMove(240, 41);
    EXPECT_FALSE(shown(kStopLabel));
    platform.mouseMove(220, 20);  // over the replay button itself
    EXPECT_FALSE(shown(kRepeatLabel));
}
