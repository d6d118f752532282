#include "audio/codec/mu_law.h"

namespace sonkrate::audio {

std::int16_t muLawToLinear(std::uint8_t code) {
    // Codes are stored inverted; the bias of 0x84 is added before the shift
    // and taken away after it.
    code = static_cast<std::uint8_t>(~code);
    int t = (((code & 0x0F) << 3) + 0x84) << ((code & 0x70) >> 4);
    return static_cast<std::int16_t>((code & 0x80) ? (0x84 - t) : (t - 0x84));
}

void expandMuLaw(const std::uint8_t* codes, std::size_t count, std::int16_t* out) {
    for (std::size_t i = 0; i < count; ++i) out[i] = muLawToLinear(codes[i]);
}

}  // namespace sonkrate::audio
