// IMA ADPCM .wav blocks of any channel count decoded for playback: a 4-byte
// header per channel, then rounds of 4-byte groups, one group per channel
// per round, each group 8 codes low nibble first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonkrate::audio {

// True when a block of blockAlign bytes holds the headers and whole rounds.
bool isImaWavBlockAlign(std::size_t blockAlign, std::size_t channels);

// Appends the frames of one block of bytes bytes to out, channels
// interleaved: the header's sample, then 8 frames per whole round (a short
// last block gives only its whole rounds). A block shorter than its headers
// gives nothing. Returns the frames appended.
std::size_t decodeImaWavBlock(const std::uint8_t* block, std::size_t bytes, std::size_t channels,
                              std::vector<std::int16_t>& out);

}  // namespace sonkrate::audio
