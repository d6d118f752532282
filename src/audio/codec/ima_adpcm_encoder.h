// A small IMA ADPCM encoder: it makes the built-in missing sound, the IMA
// ADPCM sounds of --ima, and lets the tests produce real ADPCM blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/codec/ima_adpcm.h"

namespace sonkrate::audio {

// The code that brings the channel closest to sample; the state advances as
// the decoder's would.
std::uint8_t encodeSample(ImaAdpcmDecoder& state, std::int16_t sample);

// Frames (samples per channel) that one full block of blockAlign bytes holds:
// the header sample and two per code byte of a channel, 2049 for 1028 mono
// and 2056 stereo. 0 when the block cannot hold its headers and one group.
std::size_t imaFramesPerBlock(unsigned channels, std::uint32_t blockAlign);

// Appends one block holding the n interleaved frames at frames (1 <= n <=
// imaFramesPerBlock) to out. state holds one entry per channel and carries
// the step index from block to block, so that a stream of blocks encoded
// one call at a time equals the blocks of encodeImaBlocks.
void encodeImaBlock(ImaAdpcmDecoder* state, const std::int16_t* frames, std::size_t n, unsigned channels,
                    std::uint32_t blockAlign, std::vector<std::uint8_t>& out);

// Encodes interleaved 16-bit samples (channels 1 or 2) into IMA ADPCM blocks
// of blockAlign bytes in the .wav layout: each block starts with the header
// (first sample of the block and the step index, per channel), then the codes
// of the following samples. The last block holds only the samples left,
// rounded up to whole 4-byte groups per channel.
std::vector<std::uint8_t> encodeImaBlocks(const std::vector<std::int16_t>& interleaved, unsigned channels,
                                          std::uint32_t blockAlign);

}  // namespace sonkrate::audio
