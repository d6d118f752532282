#include "platform/fltk/sound_player.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace sonkrate::platform::desktop {

SoundPlayer::~SoundPlayer() {
    stop();
    if (started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SoundPlayer::soundOff(const std::string& why) {
    if (!soundOff_) std::fprintf(stderr, "sonkrate: sound is off (%s)\n", why.c_str());
    soundOff_ = true;
}

bool SoundPlayer::startAudio() {
    if (started_) return true;
    if (soundOff_) return false;
    // The window handles its own signals; SDL must not take them over.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        soundOff(SDL_GetError());
        return false;
    }
    started_ = true;
    return true;
}

void SoundPlayer::fill(void* userdata, unsigned char* stream, int length) {
    auto* voice = static_cast<Voice*>(userdata);
    std::size_t want = static_cast<std::size_t>(length);
    std::size_t got = 0;
    if (!voice->finished.load(std::memory_order_relaxed)) got = voice->source.read(stream, want);
    if (got < want) {
        std::memset(stream + got, 0, want - got);
        voice->finished.store(true, std::memory_order_release);
    }
}

bool SoundPlayer::play(const std::string& path) {
    stop();
    auto voice = std::make_unique<Voice>();
    if (io::Outcome o = voice->source.open(path); !o) {
        std::fprintf(stderr, "sonkrate: %s\n", o.reason.c_str());
        return false;
    }
    if (!startAudio()) return false;

    const audio::PlayFormat& f = voice->source.format();
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(f.sampleRate);
    want.format = f.type == audio::SampleType::S16 ? AUDIO_S16SYS : (f.type == audio::SampleType::S32 ? AUDIO_S32SYS : AUDIO_F32SYS);
    want.channels = static_cast<Uint8>(f.channels);
    want.samples = 2048;
    want.callback = &SoundPlayer::fill;
    want.userdata = voice.get();
    SDL_AudioSpec have{};
    // SDL converts to whatever the device really takes.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        soundOff(SDL_GetError());
        return false;
    }
    device_ = device;
    voice_ = std::move(voice);
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SoundPlayer::stop() {
    if (device_ != 0) {
        // Closing waits for the audio thread, so the voice can go afterwards.
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    voice_.reset();
}

void SoundPlayer::reap() {
    if (voice_ && voice_->finished.load(std::memory_order_acquire)) stop();
}

bool SoundPlayer::playing() const { return voice_ && !voice_->finished.load(std::memory_order_acquire); }

}  // namespace sonkrate::platform::desktop
