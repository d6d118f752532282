#include "audio/codec/a_law.h"

namespace sonkrate::audio {

std::int16_t aLawToLinear(std::uint8_t code) {
    // Even bits are stored inverted; then a 3-bit segment and a 4-bit step.
    code ^= 0x55;
    int t = (code & 0x0F) << 4;
    int segment = (code & 0x70) >> 4;
    if (segment == 0)
        t += 8;
    else
        t = (t + 0x108) << (segment - 1);
    return static_cast<std::int16_t>((code & 0x80) ? t : -t);
}

void expandALaw(const std::uint8_t* codes, std::size_t count, std::int16_t* out) {
    for (std::size_t i = 0; i < count; ++i) out[i] = aLawToLinear(codes[i]);
}

}  // namespace sonkrate::audio
