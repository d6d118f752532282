// Microsoft ADPCM blocks of a .wav decoded to 16-bit samples. A block holds,
// per channel, a predictor index, a 16-bit delta and the two newest samples
// (in that field order, channels interleaved within each field), then 4-bit
// codes, high nibble first, channels interleaved code by code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonkrate::audio {

// Bytes of a block's header per channel.
inline constexpr std::size_t kMsAdpcmHeaderBytes = 7;

// Appends the frames of one block of bytes bytes (a short last block gives
// what its codes make) to out, channels interleaved: the two header samples,
// the older first, then one frame per channel-group of codes. A block shorter
// than its header gives nothing. Returns the frames appended.
std::size_t decodeMsAdpcmBlock(const std::uint8_t* block, std::size_t bytes, std::size_t channels,
                               std::vector<std::int16_t>& out);

}  // namespace sonkrate::audio
