// A plain PCM .wav (8- or 16-bit, mono or stereo) encoded into an IMA ADPCM
// .wav in the block layout the game plays: 1028 bytes a block mono, 2056
// stereo, 2049 frames a block, the fact value the frame count. Streamed a
// run of blocks at a time.
#pragma once

#include <cstdint>
#include <string>

#include "io/outcome.h"

namespace sonkrate::audio {

struct EncodeImaResult {
    io::Outcome outcome;
    std::uint64_t frames = 0;     // samples per channel encoded
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t blockAlign = 0;
    std::uint32_t dataLength = 0;  // bytes of blocks written
};

// The game's block alignment for a channel count: 1028 mono, 2056 stereo.
std::uint32_t gameImaBlockAlign(unsigned channels);

// Bytes of blocks that frames samples per channel encode to: whole blocks,
// then a last block of its header and codes padded to whole 4-byte groups.
std::uint64_t imaEncodedBytes(std::uint64_t frames, unsigned channels, std::uint32_t blockAlign);

// Writes the IMA ADPCM .wav of the PCM .wav at pcmPath to imaPath (replaced
// safely, nothing left on failure). Fails with a sentence naming pcmPath
// when it is not such a PCM .wav, or when its sound is longer than the
// game's header can describe.
EncodeImaResult encodeImaWav(const std::string& pcmPath, const std::string& imaPath);

}  // namespace sonkrate::audio
