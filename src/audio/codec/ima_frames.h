// How many samples per channel IMA ADPCM blocks decode to, and the byte
// length of the 16-bit PCM they decode to: what a sound header's
// decodedSize and an IMA ADPCM .wav's fact value must say.
#pragma once

#include <cstdint>

namespace sonkrate::audio {

// Samples per channel of one block of blockBytes bytes: the header sample
// of each channel and two samples per code byte of the channel. A block too
// short for its headers decodes to nothing.
std::uint64_t imaBlockFrames(std::uint64_t blockBytes, std::uint32_t channels);

// Samples per channel of dataLength bytes of blocks of blockAlign bytes, the
// short last block by its own bytes. 0 when the block size cannot hold the
// block headers.
std::uint64_t imaDataFrames(std::uint64_t dataLength, std::uint32_t blockAlign, std::uint32_t channels);

// The same for every block but the last: what a shorter decodedSize or fact
// value would cut off.
std::uint64_t imaFramesBeforeLastBlock(std::uint64_t dataLength, std::uint32_t blockAlign, std::uint32_t channels);

// Bytes of 16-bit PCM that frames samples per channel decode to, capped at
// the largest 32-bit value.
std::uint32_t decodedPcmBytes(std::uint64_t frames, std::uint32_t channels);

}  // namespace sonkrate::audio
