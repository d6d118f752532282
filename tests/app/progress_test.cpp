#include <gtest/gtest.h>

#include "app/shell_fixture.h"

using namespace shelltest;
using namespace sonkrate::app;

namespace {

// A shell that has played a .cau file of the given length, so that replay
// may start the progress animation.
class ProgressTest : public ShellTest {
protected:
    void playedCau(double seconds, int channels, SoundCompression compressed = SoundCompression::Pcm) {
        start();
        shell->state().cauChosen = true;
        auto& info = shell->soundInfo();
        info.PlayTimeSeconds = seconds;
        info.PlayTimeCount = static_cast<int>(seconds);
        info.channels = channels;
        info.compressed = compressed;
        clear();
    }
    int position() { return platform.control(kProgressBar)->position; }
    int high() { return platform.control(kProgressBar)->high; }
};

}  // namespace

TEST_F(ProgressTest, ASoundOfHalfASecondShowsAFullBarClearedOnTheFirstTick) {
    playedCau(0.5, 1);
    ASSERT_TRUE(platform.click(kReplayButton));
    EXPECT_EQ(high(), 100);
    EXPECT_EQ(position(), 100);
    EXPECT_TRUE(shell->state().playing);
    EXPECT_EQ(platform.timerPeriod(), 100);
    ASSERT_TRUE(platform.tick());
    EXPECT_EQ(position(), 0);
    EXPECT_FALSE(shell->state().playing);
    // The timer may keep ticking, without effect.
    EXPECT_TRUE(platform.tick());
    EXPECT_EQ(position(), 0);

    // Exactly one second is still a full bar, cleared on the first tick.
    shell->soundInfo().PlayTimeSeconds = 1.0;
    shell->soundInfo().PlayTimeCount = 1;
    ASSERT_TRUE(platform.click(kReplayButton));
    EXPECT_EQ(position(), 100);
    ASSERT_TRUE(platform.tick());
    EXPECT_EQ(position(), 0);
    EXPECT_FALSE(shell->state().playing);
}

TEST_F(ProgressTest, AStereoSoundOfThreeSecondsSteps15TimesAndClearsOnTick30) {
    playedCau(3.0, 2);
    ASSERT_TRUE(platform.click(kReplayButton));
    EXPECT_EQ(shell->state().progressRange, 15);
    EXPECT_EQ(high(), 15);
    EXPECT_EQ(platform.control(kProgressBar)->step, 1);
    EXPECT_EQ(position(), 0);
    for (int tick = 1; tick <= 29; ++tick) {
        ASSERT_TRUE(platform.tick());
        EXPECT_EQ(position(), (tick + 1) / 2) << "tick " << tick;
    }
    EXPECT_TRUE(shell->state().playing);
    ASSERT_TRUE(platform.tick());  // tick 30
    EXPECT_EQ(position(), 0);
    EXPECT_FALSE(shell->state().playing);
    EXPECT_FALSE(platform.timerRunning());
    EXPECT_EQ(shell->state().tickCount, 0);
    EXPECT_EQ(platform.control(kProgressBar)->stepItCount, 15);
}

TEST_F(ProgressTest, AMonoSoundOfTwoSecondsFillsItsBarAndClearsOnTick21) {
    playedCau(2.7, 1);
    ASSERT_TRUE(platform.click(kReplayButton));
    EXPECT_EQ(high(), 20);
    for (int tick = 1; tick <= 20; ++tick) ASSERT_TRUE(platform.tick());
    EXPECT_EQ(position(), 20);
    EXPECT_TRUE(platform.timerRunning());
    ASSERT_TRUE(platform.tick());
    EXPECT_EQ(position(), 0);
    EXPECT_FALSE(platform.timerRunning());
}

TEST_F(ProgressTest, StopEndsSoundAndAnimationAndReplayStartsThemAfresh) {
    playedCau(4.0, 1, SoundCompression::ImaAdpcm);
    ASSERT_TRUE(platform.click(kReplayButton));
    EXPECT_EQ(played(), (std::vector<std::string>{shell->paths().decodedWav}));
    for (int i = 0; i < 5; ++i) platform.tick();
    EXPECT_EQ(position(), 5);

    ASSERT_TRUE(platform.click(kStopButton));
    EXPECT_FALSE(platform.playing());
    EXPECT_FALSE(platform.timerRunning());
    EXPECT_EQ(position(), 0);
    EXPECT_FALSE(shell->state().playing);

    ASSERT_TRUE(platform.click(kReplayButton));
    EXPECT_EQ(shell->state().tickCount, 0);
    platform.tick();
    EXPECT_EQ(position(), 1);
}

TEST_F(ShellTest, ReplayNeedsAChosenCauOrAnEntryPastTheFirst) {
    start();
    ASSERT_TRUE(platform.click(kReplayButton));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused}));
    EXPECT_TRUE(played().empty());

    auto& s = shell->state();
    s.archiveOpened = s.archiveUsable = true;
    s.currentIndex = 0;  // the first entry cannot be replayed
    ASSERT_TRUE(platform.click(kReplayButton));
    EXPECT_EQ(beeps(), (std::vector<Beep>{Beep::Refused, Beep::Refused}));
    EXPECT_TRUE(played().empty());

    s.currentIndex = 1;
    ASSERT_TRUE(platform.click(kReplayButton));
    EXPECT_EQ(played(), (std::vector<std::string>{shell->paths().entriesWav}));
    EXPECT_EQ(status(), "Now replaying last .tpa entry, or .eel listing . . .");
    EXPECT_EQ(beeps().size(), 2u);

    // With a .cau chosen as well, its text replaces the entry's.
    s.cauChosen = true;
    ASSERT_TRUE(platform.click(kReplayButton));
    EXPECT_EQ(status(), "Now replaying last .cau file  . . .");
    auto texts = statusTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "Now replaying last .tpa entry, or .eel listing . . .");

    // A sound that is neither PCM nor IMA ADPCM is not played.
    shell->soundInfo().compressed = SoundCompression::Other;
    clear();
    ASSERT_TRUE(platform.click(kReplayButton));
    EXPECT_TRUE(played().empty());
}
