// The check of an IMA ADPCM .wav encoded from a PCM .wav before anything is
// built from it: its blocks decoded back as the game decodes them (the header
// sample, then every code of the block) must give the frame count of the PCM
// sound and a signal close to it.
#pragma once

#include <cstddef>
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

// The running comparison of decoded blocks with the frames encoded into them.
struct ImaCheckTally {
    double signal = 0;            // sum of squared input samples
    double error = 0;             // sum of squared differences
    std::uint64_t decoded = 0;    // frames the blocks decode to
    std::uint64_t compared = 0;   // frames compared with the input
};

// Decodes one block of len bytes the way the game does, every code of it,
// into out (room for the frames of a whole block); returns the frames
// written, 0 when not even its header is there.
std::size_t decodeGameImaBlock(const std::uint8_t* block, std::size_t len, unsigned channels, std::int16_t* out);

// Adds the differences of n frames of input and decoded to the tally.
void tallyImaFrames(const std::int16_t* input, const std::int16_t* decoded, std::size_t n, unsigned channels,
                    ImaCheckTally& tally);

// The verdict on a tally once every block is decoded: frames is the input's
// frame count; failures name shownSource.
ImaRoundTrip judgeImaRoundTrip(const ImaCheckTally& tally, std::uint64_t frames, unsigned channels,
                               const std::string& shownSource);

// Compares the IMA ADPCM .wav at imaPath with the PCM .wav at pcmPath it was
// encoded from; failures name shownSource, the file the user gave.
ImaRoundTrip checkImaRoundTrip(const std::string& pcmPath, const std::string& imaPath,
                               const std::string& shownSource);

}  // namespace sonkrate::audio
