#include "audio/codec/ima_adpcm_encoder.h"

#include <algorithm>
#include <array>

#include "io/byte_order.h"

namespace sonkrate::audio {

namespace {

// The step of each table row (step index x 16), looked up without a shift.
constexpr std::array<std::int32_t, 89 * 16> kStepOfRow = [] {
    std::array<std::int32_t, 89 * 16> steps{};
    for (std::size_t row = 0; row < steps.size(); ++row) steps[row] = ImaStepTable[row >> 4];
    return steps;
}();

// The code that brings predictor closest to sample with the step of row
// (step index x 16): the sign, then the step, its half and its quarter taken
// while they fit. Without branches: on noise each test goes either way at
// random, where a branch would be mispredicted.
inline unsigned nearestCode(int sample, int predictor, unsigned row) {
    int step = kStepOfRow[row];
    int diff = sample - predictor;
    const unsigned sign = diff < 0 ? 8u : 0u;
    diff = diff < 0 ? -diff : diff;
    const unsigned b2 = diff >= step ? 1u : 0u;
    diff -= step & -static_cast<int>(b2);
    step >>= 1;
    const unsigned b1 = diff >= step ? 1u : 0u;
    diff -= step & -static_cast<int>(b1);
    step >>= 1;
    const unsigned b0 = diff >= step ? 1u : 0u;
    return sign | (b2 << 2) | (b1 << 1) | b0;
}

// One channel's codes of a block after its header frame: count frames, stride
// samples apart, into codes.
void encodeChannel(ImaAdpcmDecoder& state, const std::int16_t* samples, std::size_t count, unsigned stride,
                   std::uint8_t* codes) {
    int predictor = state.predictor;
    unsigned row = unsigned{state.stepIndex} << 4;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned code = nearestCode(samples[i * stride], predictor, row);
        detail::stepCode(predictor, row, code);
        codes[i] = static_cast<std::uint8_t>(code);
    }
    state.predictor = static_cast<std::int16_t>(predictor);
    state.stepIndex = static_cast<std::uint8_t>(row >> 4);
}

// Both channels of a stereo block at once: two chains of dependent steps
// side by side, so that one runs while the other waits.
void encodeStereo(ImaAdpcmDecoder* state, const std::int16_t* frames, std::size_t count, std::uint8_t* left,
                  std::uint8_t* right) {
    int pl = state[0].predictor, pr = state[1].predictor;
    unsigned rl = unsigned{state[0].stepIndex} << 4, rr = unsigned{state[1].stepIndex} << 4;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned cl = nearestCode(frames[2 * i], pl, rl);
        const unsigned cr = nearestCode(frames[2 * i + 1], pr, rr);
        detail::stepCode(pl, rl, cl);
        detail::stepCode(pr, rr, cr);
        left[i] = static_cast<std::uint8_t>(cl);
        right[i] = static_cast<std::uint8_t>(cr);
    }
    state[0] = {static_cast<std::int16_t>(pl), static_cast<std::uint8_t>(rl >> 4)};
    state[1] = {static_cast<std::int16_t>(pr), static_cast<std::uint8_t>(rr >> 4)};
}

}  // namespace

std::uint8_t encodeSample(ImaAdpcmDecoder& state, std::int16_t sample) {
    const auto code = static_cast<std::uint8_t>(nearestCode(sample, state.predictor, unsigned{state.stepIndex} << 4));
    decodeNibble(state, code);
    return code;
}

std::size_t imaFramesPerBlock(unsigned channels, std::uint32_t blockAlign) {
    if ((channels != 1 && channels != 2) || blockAlign < 8 * channels) return 0;
    // Bytes of codes per channel in a full block, in whole 4-byte groups.
    const std::size_t channelBytes = ((blockAlign - 4 * channels) / channels) / 4 * 4;
    return 1 + 2 * channelBytes;
}

void encodeImaBlock(ImaAdpcmDecoder* state, const std::int16_t* frames, std::size_t n, unsigned channels,
                    std::uint32_t blockAlign, std::vector<std::uint8_t>& out) {
    const std::size_t most = imaFramesPerBlock(channels, blockAlign);
    n = std::min(n, most);
    if (n == 0) return;
    // The codes of the block's other frames, padded with zeros to whole groups of 8.
    const std::size_t codeCount = (n - 1 + 7) / 8 * 8;
    std::vector<std::uint8_t> codes(2 * codeCount, 0);
    const std::size_t at = out.size();
    out.resize(at + 4 * channels + codeCount / 2 * channels);
    std::uint8_t* put = out.data() + at;
    for (unsigned c = 0; c < channels; ++c) {
        state[c].predictor = frames[c];
        io::putI16(put + 4 * c, state[c].predictor);
        put[4 * c + 2] = state[c].stepIndex;
        put[4 * c + 3] = 0;
    }
    if (channels == 2)
        encodeStereo(state, frames + 2, n - 1, codes.data(), codes.data() + codeCount);
    else
        encodeChannel(state[0], frames + 1, n - 1, 1, codes.data());
    put += 4 * channels;
    for (std::size_t g = 0; g < codeCount / 8; ++g) {
        for (unsigned c = 0; c < channels; ++c) {
            const std::uint8_t* own = &codes[c * codeCount + 8 * g];
            for (std::size_t k = 0; k < 4; ++k) *put++ = static_cast<std::uint8_t>(own[2 * k] | (own[2 * k + 1] << 4));
        }
    }
}

std::vector<std::uint8_t> encodeImaBlocks(const std::vector<std::int16_t>& interleaved, unsigned channels,
                                          std::uint32_t blockAlign) {
    std::vector<std::uint8_t> out;
    const std::size_t framesPerBlock = imaFramesPerBlock(channels, blockAlign);
    if (framesPerBlock == 0) return out;
    const std::size_t frames = interleaved.size() / channels;
    ImaAdpcmDecoder state[2];
    for (std::size_t first = 0; first < frames; first += framesPerBlock)
        encodeImaBlock(state, interleaved.data() + first * channels, std::min(framesPerBlock, frames - first),
                       channels, blockAlign, out);
    return out;
}

}  // namespace sonkrate::audio
