// A .wav the game cannot play as it is (24- or 32-bit integer, 32- or 64-bit
// float, WAVE_FORMAT_EXTENSIBLE, more than two channels) turned into 16-bit
// PCM at the same sample rate: triangular dither when bits are dropped, more
// than two channels mixed down to stereo.
#pragma once

#include <string>

#include "audio/convert/game_frames.h"
#include "io/outcome.h"

namespace sonkrate::audio {

struct GameReadyResult {
    io::Outcome outcome;
    bool converted = false;  // false: the source plays as it is and nothing was written
    std::string before;      // "32-bit float, 48000 Hz, 6 channels"
    std::string after;       // "16-bit PCM, 48000 Hz, stereo"
};

// Fails, naming path, when the frames of source would not fit a 16-bit .wav.
io::Outcome checkSixteenBitWavFits(const GameFrameSource& source, const std::string& path);

GameReadyResult makeGameReadyWav(const std::string& source, const std::string& target);

}  // namespace sonkrate::audio
