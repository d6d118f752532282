#include <gtest/gtest.h>

#include "app/shell_fixture.h"
#include "app/sound_maker.h"

using namespace shelltest;
using namespace sonkrate::app;
using sonkrate::platform::KillSwitchPlan;

namespace {

class AutoPlayTest : public ShellTest {
protected:
    // Four entries of 1.5, 2.5, 3.5 and 4.5 seconds.
    void SetUp() override {
        start();
        std::vector<TestSound> s(4);
        for (int i = 0; i < 4; ++i) {
            s[i].seconds = 1.5 + i;
            s[i].frequency = 300 + 100 * i;
        }
        writeArchive(scratch.file("general.tpa"), s);
        platform.answerDialog(scratch.file("general.tpa"));
        ASSERT_TRUE(platform.chooseMenu(kCmdLoadTpa));
        clear();
    }
};

}  // namespace

TEST_F(AutoPlayTest, PlaysEveryEntryInTurnWaitingEachSoundsTime) {
    std::uint64_t startedAt = platform.milliseconds();
    ASSERT_TRUE(platform.chooseMenu(kCmdAutoPlay));
    EXPECT_EQ(played().size(), 4u);
    EXPECT_EQ(shell->state().currentIndex, 3);
    EXPECT_EQ(platform.control(kNumberField)->text, "4");
    EXPECT_EQ(platform.control(kTrackbar)->position, 4);
    // Whole seconds + 1 for each: 2 + 3 + 4 + 5.
    EXPECT_EQ(platform.milliseconds() - startedAt, 14000u);
    EXPECT_EQ(testkit::readText(shell->paths().tmpConfIni), "0");

    auto kinds = [&] {
        std::vector<RecordKind> k;
        for (const auto& r : platform.journal())
            if (r.kind == RecordKind::Minimise || r.kind == RecordKind::Restore ||
                r.kind == RecordKind::StartKillSwitch || r.kind == RecordKind::CloseKillSwitch)
                k.push_back(r.kind);
        return k;
    }();
    EXPECT_EQ(kinds, (std::vector<RecordKind>{RecordKind::Minimise, RecordKind::StartKillSwitch, RecordKind::Restore,
                                              RecordKind::CloseKillSwitch}));
    auto started = records(RecordKind::StartKillSwitch);
    EXPECT_EQ(started[0].text, shell->paths().killSwitchExe);
    EXPECT_EQ(started[0].caption, shell->paths().tmpConfIni);
    EXPECT_EQ(records(RecordKind::CloseKillSwitch)[0].text, "Auto_Stop (KillSwitch)");
    EXPECT_FALSE(platform.minimised());
    EXPECT_FALSE(platform.killSwitchRunning());
    // The last entry was reached; no caption and no animation were shown.
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(statusTexts().empty());
    EXPECT_FALSE(platform.timerRunning());
}

TEST_F(AutoPlayTest, AStopFlagEndsAutoPlayAfterTheEntryThatPlays) {
    // The kill switch writes "1" while the second entry plays (during the
    // second wait): that entry plays out and the third never starts.
    KillSwitchPlan plan;
    plan.afterSleeps = 2;
    platform.planKillSwitch(plan);
    ASSERT_TRUE(platform.chooseMenu(kCmdAutoPlay));
    EXPECT_EQ(played().size(), 2u);
    EXPECT_EQ(shell->state().currentIndex, 1);
    EXPECT_EQ(shell->state().stopRequested, 1);
    EXPECT_EQ(platform.control(kNumberField)->text, "2");
    EXPECT_EQ(testkit::readText(shell->paths().tmpConfIni), "1");
    // Stopped early: no refusal, the window is back and the switch closed.
    EXPECT_TRUE(beeps().empty());
    EXPECT_FALSE(platform.minimised());
    EXPECT_EQ(records(RecordKind::CloseKillSwitch).size(), 1u);

    // Started again, it goes on from the next entry with a fresh flag.
    clear();
    platform.planKillSwitch({});
    ASSERT_TRUE(platform.chooseMenu(kCmdAutoPlay));
    EXPECT_EQ(played().size(), 2u);
    EXPECT_EQ(shell->state().currentIndex, 3);
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
}

TEST_F(AutoPlayTest, AStopFlagAtAVirtualTimeIsReadWithTheLargerNumbersItHolds) {
    KillSwitchPlan plan;
    plan.atMillis = platform.milliseconds() + 2500;  // during the second entry's wait
    plan.flagText = "42 and more";
    platform.planKillSwitch(plan);
    ASSERT_TRUE(platform.chooseMenu(kCmdAutoPlay));
    EXPECT_EQ(played().size(), 2u);
    EXPECT_EQ(shell->state().stopRequested, 42);
}

TEST_F(AutoPlayTest, AKillSwitchThatCannotStartIsReportedAndPlayGoesOn) {
    platform.setKillSwitchStarts(false);
    ASSERT_TRUE(platform.chooseMenu(kCmdAutoPlay));
    auto boxes = records(RecordKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "kill_switch could not be opened ... ");
    EXPECT_EQ(boxes[0].caption, "sonkrate - Error");
    EXPECT_EQ(played().size(), 4u);
}

TEST_F(AutoPlayTest, StartedAtTheLastEntryItPlaysNothingRestoresAndBeeps) {
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(platform.click(kNextButton));
    clear();
    ASSERT_TRUE(platform.chooseMenu(kCmdAutoPlay));
    EXPECT_TRUE(played().empty());
    EXPECT_TRUE(records(RecordKind::StartKillSwitch).empty());
    EXPECT_EQ(records(RecordKind::Restore).size(), 1u);
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_EQ(platform.sleepCount(), 0);
}

TEST_F(ShellTest, AutoPlayWithoutAnArchiveOnlyBeeps) {
    start();
    ASSERT_TRUE(platform.chooseMenu(kCmdAutoPlay));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(played().empty());
    EXPECT_FALSE(testkit::fileExists(shell->paths().tmpConfIni));
}
