#include "audio/codec/ima_adpcm_encoder.h"

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
    for (unsigned c = 0; c < channels; ++c) {
        state[c].predictor = frames[c];
        std::uint8_t header[4] = {0, 0, state[c].stepIndex, 0};
        io::putI16(header, state[c].predictor);
        out.insert(out.end(), header, header + 4);
        for (std::size_t i = 1; i < n; ++i)
            codes[c * codeCount + i - 1] = encodeSample(state[c], frames[i * channels + c]);
    }
    for (std::size_t g = 0; g < codeCount / 8; ++g) {
        for (unsigned c = 0; c < channels; ++c) {
            for (std::size_t k = 0; k < 4; ++k) {
                const std::size_t i = 8 * g + 2 * k;
                const std::uint8_t* own = &codes[c * codeCount + i];
                out.push_back(static_cast<std::uint8_t>(own[0] | (own[1] << 4)));
            }
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
