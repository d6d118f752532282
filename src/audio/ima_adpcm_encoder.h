// A small IMA ADPCM encoder: it makes the built-in missing sound and lets the
// tests produce real ADPCM blocks. Conversions never re-encode sound data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/ima_adpcm.h"

namespace sonkrate::audio {

// The code that brings the channel closest to sample; the state advances as
// the decoder's would.
std::uint8_t encodeSample(ImaAdpcmDecoder& state, std::int16_t sample);

// Encodes interleaved 16-bit samples (channels 1 or 2) into IMA ADPCM blocks
// of blockAlign bytes in the .wav layout: each block starts with the header
// (first sample of the block and the step index, per channel), then the codes
// of the following samples. The last block holds only the samples left,
// rounded up to whole 4-byte groups per channel.
std::vector<std::uint8_t> encodeImaBlocks(const std::vector<std::int16_t>& interleaved, unsigned channels,
                                          std::uint32_t blockAlign);

}  // namespace sonkrate::audio
