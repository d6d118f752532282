// A .wav made into an IMA ADPCM .wav in the game's block layout: any .wav
// that makeGameReadyWav takes, or plain 8- or 16-bit PCM, made 16-bit PCM
// first where needed, encoded, and decoded back to check it before it is
// kept. The sample rate is kept. The sound streams through audio::GameSound.
#pragma once

#include <string>

#include "audio/convert/game_ready_wav.h"

namespace sonkrate::audio {

// Writes the IMA ADPCM .wav of source to target, nothing else. converted is false, with nothing written,
// when source already holds IMA ADPCM (the wrapping judges it as it is).
// before and after say what changed: "32-bit float, 48000 Hz, 6 channels"
// and "IMA ADPCM, 48000 Hz, stereo". A failed check writes nothing.
GameReadyResult makeGameReadyImaWav(const std::string& source, const std::string& target);

}  // namespace sonkrate::audio
