// Playing a .wav file through SDL2 while the window goes on: the file is
// decoded on the audio thread as the device asks for samples. A new sound
// replaces the one playing. Without an audio device everything else still
// works and standard error says once that sound is off.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "audio/wav/wav_source.h"

namespace sonkrate::platform::desktop {

class SoundPlayer {
public:
    SoundPlayer() = default;
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Starts playing the file; false (with the reason on standard error)
    // when it cannot be played or there is no sound.
    bool play(const std::string& path);
    void stop();
    // Closes the device once the sound has played to its end. Called now
    // and then from the window's loop.
    void reap();
    // A sound is being played (it has not reached its end).
    bool playing() const;
    // False once opening the audio system or a device has failed.
    bool soundAvailable() const { return !soundOff_; }

private:
    struct Voice {
        audio::WavSource source;
        std::atomic<bool> finished{false};
    };
    static void fill(void* userdata, unsigned char* stream, int length);
    bool startAudio();
    void soundOff(const std::string& why);

    bool started_ = false;
    bool soundOff_ = false;
    std::uint32_t device_ = 0;
    std::unique_ptr<Voice> voice_;
};

}  // namespace sonkrate::platform::desktop
