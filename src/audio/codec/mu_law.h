// mu-law (G.711) codes expanded to 16-bit linear samples.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sonkrate::audio {

std::int16_t muLawToLinear(std::uint8_t code);

// Expands count codes into count samples.
void expandMuLaw(const std::uint8_t* codes, std::size_t count, std::int16_t* out);

}  // namespace sonkrate::audio
