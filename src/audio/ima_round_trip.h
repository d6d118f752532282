// The check of an IMA ADPCM .wav encoded from a PCM .wav before anything is
// built from it: its blocks decoded back as the game decodes them (the header
// sample, then every code of the block) must give the frame count of the PCM
// sound and a signal close to it.
#pragma once

#include <cstdint>
#include <string>

#include "io/outcome.h"

namespace sonkrate::audio {

// The least signal-to-error ratio accepted, in dB. IMA ADPCM keeps music and
// speech well above it and full-scale white noise above 10 dB; a fault in the
// block layout drops the ratio to about 0 dB.
inline constexpr double kMinImaSnrDb = 6.0;
// A sound so quiet that the ratio means little passes when its error stays
// within this many steps of 16 bits (root mean square).
inline constexpr double kQuietImaError = 16.0;

struct ImaRoundTrip {
    io::Outcome outcome;       // fails with a sentence naming shownSource
    std::uint64_t frames = 0;  // frames decoded and compared
    double snrDb = 0;          // signal-to-error ratio; very large when the sound decodes exactly
    double rmsError = 0;       // root mean square error in steps of 16 bits
};

// Compares the IMA ADPCM .wav at imaPath with the PCM .wav at pcmPath it was
// encoded from; failures name shownSource, the file the user gave.
ImaRoundTrip checkImaRoundTrip(const std::string& pcmPath, const std::string& imaPath,
                               const std::string& shownSource);

}  // namespace sonkrate::audio
