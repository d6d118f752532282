#include "audio/ima_adpcm_encoder.h"

#include <algorithm>

#include "io/byte_order.h"

namespace sonkrate::audio {

std::uint8_t encodeSample(ImaAdpcmDecoder& state, std::int16_t sample) {
    int step = ImaStepTable[state.stepIndex];
    int diff = sample - state.predictor;
    std::uint8_t code = 0;
    if (diff < 0) {
        code = 8;
        diff = -diff;
    }
    if (diff >= step) {
        code |= 4;
        diff -= step;
    }
    step >>= 1;
    if (diff >= step) {
        code |= 2;
        diff -= step;
    }
    step >>= 1;
    if (diff >= step) code |= 1;
    decodeNibble(state, code);
    return code;
}

std::vector<std::uint8_t> encodeImaBlocks(const std::vector<std::int16_t>& interleaved, unsigned channels,
                                          std::uint32_t blockAlign) {
    std::vector<std::uint8_t> out;
    if ((channels != 1 && channels != 2) || blockAlign < 8 * channels) return out;
    const std::size_t headerBytes = 4 * channels;
    // Bytes of codes per channel in a full block, in whole 4-byte groups.
    const std::size_t channelBytes = ((blockAlign - headerBytes) / channels) / 4 * 4;
    const std::size_t framesPerBlock = 1 + 2 * channelBytes;
    const std::size_t frames = interleaved.size() / channels;

    ImaAdpcmDecoder state[2];
    std::vector<std::uint8_t> codes[2];
    for (std::size_t first = 0; first < frames; first += framesPerBlock) {
        std::size_t n = std::min(framesPerBlock, frames - first);
        for (unsigned c = 0; c < channels; ++c) {
            state[c].predictor = interleaved[first * channels + c];
            std::uint8_t header[4] = {0, 0, state[c].stepIndex, 0};
            io::putI16(header, state[c].predictor);
            out.insert(out.end(), header, header + 4);
            // The codes of the block's other frames, padded with zeros to whole groups.
            std::size_t codeCount = (n - 1 + 7) / 8 * 8;
            codes[c].assign(codeCount, 0);
            for (std::size_t i = 1; i < n; ++i)
                codes[c][i - 1] = encodeSample(state[c], interleaved[(first + i) * channels + c]);
        }
        std::size_t groups = codes[0].size() / 8;
        for (std::size_t g = 0; g < groups; ++g) {
            for (unsigned c = 0; c < channels; ++c) {
                for (std::size_t k = 0; k < 4; ++k) {
                    std::size_t i = 8 * g + 2 * k;
                    out.push_back(static_cast<std::uint8_t>(codes[c][i] | (codes[c][i + 1] << 4)));
                }
            }
        }
    }
    return out;
}

}  // namespace sonkrate::audio
