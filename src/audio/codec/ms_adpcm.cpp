#include "audio/codec/ms_adpcm.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "io/byte_order.h"

namespace sonkrate::audio {

namespace {

constexpr std::array<int, 16> kAdaptation = {230, 230, 230, 230, 307, 409, 512, 614,
                                             768, 614, 512, 409, 307, 230, 230, 230};
// The seven standard predictor coefficient pairs.
constexpr std::array<std::array<int, 2>, 7> kCoefficients = {
    {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}};

// Larger than any prediction can be far from a 16-bit bound (|prediction| <= 98304).
constexpr std::int64_t kMaxDelta = 1 << 20;

struct Channel {
    int c1, c2, delta, s1, s2;
};

int step(Channel& s, int code) {
    int signedCode = code >= 8 ? code - 16 : code;
    // The prediction is shifted, not divided: it rounds towards minus infinity.
    int predicted = ((s.s1 * s.c1 + s.s2 * s.c2) >> 8) + signedCode * s.delta;
    predicted = std::clamp(predicted, -32768, 32767);
    s.s2 = s.s1;
    s.s1 = predicted;
    // A hostile block can triple delta at every step. Past kMaxDelta every
    // non-zero code drives the sample to a bound anyway; the cap keeps the
    // products inside an int, and no encoder comes near it.
    const std::int64_t next = (std::int64_t{kAdaptation[static_cast<std::size_t>(code)]} * s.delta) >> 8;
    s.delta = static_cast<int>(std::clamp<std::int64_t>(next, 16, kMaxDelta));
    return predicted;
}

}  // namespace

std::size_t decodeMsAdpcmBlock(const std::uint8_t* block, std::size_t bytes, std::size_t channels,
                               std::vector<std::int16_t>& out) {
    const std::size_t ch = channels;
    if (ch == 0 || bytes < kMsAdpcmHeaderBytes * ch) return 0;
    std::vector<Channel> st(ch);
    for (std::size_t c = 0; c < ch; ++c) {
        // An index past the table takes its last pair.
        std::size_t predictor = std::min<std::size_t>(block[c], kCoefficients.size() - 1);
        st[c].c1 = kCoefficients[predictor][0];
        st[c].c2 = kCoefficients[predictor][1];
        st[c].delta = io::getI16(block + ch + 2 * c);
        st[c].s1 = io::getI16(block + 3 * ch + 2 * c);
        st[c].s2 = io::getI16(block + 5 * ch + 2 * c);
    }
    for (std::size_t c = 0; c < ch; ++c) out.push_back(static_cast<std::int16_t>(st[c].s2));
    for (std::size_t c = 0; c < ch; ++c) out.push_back(static_cast<std::int16_t>(st[c].s1));
    std::size_t nibbles = (bytes - kMsAdpcmHeaderBytes * ch) * 2;
    nibbles -= nibbles % ch;
    const std::uint8_t* data = block + kMsAdpcmHeaderBytes * ch;
    for (std::size_t i = 0; i < nibbles; ++i) {
        int code = (i & 1) ? (data[i / 2] & 0x0F) : (data[i / 2] >> 4);
        out.push_back(static_cast<std::int16_t>(step(st[i % ch], code)));
    }
    return 2 + nibbles / ch;
}

}  // namespace sonkrate::audio
