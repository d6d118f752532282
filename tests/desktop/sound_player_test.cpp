// The SDL player heard through SDL's disk driver: what reaches the device is
// the decoded sound, a new sound replaces the one playing, stop ends it, and
// without a device the player says so once and refuses quietly after that.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "audio/wav/wav_headers.h"
#include "platform/fltk/sound_player.h"
#include "testkit/testkit.h"

using sonkrate::platform::desktop::SoundPlayer;
using testkit::Bytes;

namespace {

// A 16-bit PCM .wav of frames samples per channel with recognisable values.
Bytes toneWav(std::uint16_t channels, std::uint32_t frames, int seed) {
    auto header = sonkrate::audio::pcmWavHeader(channels, 22050, 16, frames * channels * 2);
    Bytes b(header.begin(), header.end());
    for (std::uint32_t i = 0; i < frames * channels; ++i) {
        auto v = static_cast<std::uint16_t>((i * 37 + static_cast<std::uint32_t>(seed) * 1000) % 50000);
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    return b;
}

bool contains(const Bytes& haystack, const Bytes& needle, std::size_t from = 0) {
    return std::search(haystack.begin() + static_cast<long>(from), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

// Waits until the player has played its sound to the end (the device is
// closed then); false after the timeout.
bool playedOut(SoundPlayer& player, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        player.reap();
        if (!player.playing()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class SoundPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        out_ = dir_.file("device.raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", out_.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "0", 1);  // as fast as the device is fed
    }
    void TearDown() override {
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
        unsetenv("SDL_DISKAUDIODELAY");
    }
    testkit::ScratchDir dir_;
    std::string out_;
};

}  // namespace

TEST_F(SoundPlayerTest, HandsTheSamplesToTheDeviceAndANewSoundReplacesTheOld) {
    Bytes first = toneWav(2, 30000, 1), second = toneWav(1, 9000, 2);
    testkit::writeFile(dir_.file("first.wav"), first);
    testkit::writeFile(dir_.file("second.wav"), second);
    SoundPlayer player;
    ASSERT_TRUE(player.play(dir_.file("first.wav")));
    EXPECT_TRUE(player.soundAvailable());
    ASSERT_TRUE(playedOut(player, 10000));
    Bytes heard = testkit::readFile(out_);
    EXPECT_TRUE(contains(heard, Bytes(first.begin() + 44, first.end())));

    // The device is opened anew for each sound, so its file holds only the
    // second one.
    ASSERT_TRUE(player.play(dir_.file("second.wav")));
    ASSERT_TRUE(playedOut(player, 10000));
    heard = testkit::readFile(out_);
    EXPECT_TRUE(contains(heard, Bytes(second.begin() + 44, second.end())));
    EXPECT_FALSE(contains(heard, Bytes(first.begin() + 44, first.begin() + 4044)));

    // A file that cannot be played is refused and ends nothing else.
    testkit::writeText(dir_.file("text.wav"), "not a sound");
    EXPECT_FALSE(player.play(dir_.file("text.wav")));
    EXPECT_FALSE(player.playing());
    EXPECT_TRUE(player.soundAvailable());
}

TEST_F(SoundPlayerTest, StopEndsTheSoundAtOnce) {
    // Ten seconds in real time; the disk driver's own pace is used here.
    setenv("SDL_DISKAUDIODELAY", "40", 1);
    Bytes longSound = toneWav(1, 220500, 3);
    testkit::writeFile(dir_.file("long.wav"), longSound);
    SoundPlayer player;
    ASSERT_TRUE(player.play(dir_.file("long.wav")));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(player.playing());
    player.stop();
    EXPECT_FALSE(player.playing());
    std::uint64_t size = testkit::fileSize(out_);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(testkit::fileSize(out_), size);
    EXPECT_LT(size, longSound.size() / 2);
}

TEST_F(SoundPlayerTest, WithoutADeviceSoundIsOffAndSaidOnce) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testkit::writeFile(dir_.file("tone.wav"), toneWav(1, 1000, 4));
    SoundPlayer player;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(player.play(dir_.file("tone.wav")));
    EXPECT_FALSE(player.play(dir_.file("tone.wav")));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(player.soundAvailable());
    std::size_t first = err.find("sound is off");
    ASSERT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find("sound is off", first + 1), std::string::npos) << err;
}
