#include "audio/codec/ima_wav_block.h"

#include "audio/codec/ima_adpcm.h"
#include "io/byte_order.h"

namespace sonkrate::audio {

namespace {

// Any channel count: each channel's group of a round gives 8 of its samples.
void decodeRounds(const std::uint8_t* block, std::size_t ch, std::size_t rounds, std::int16_t* out) {
    std::vector<ImaAdpcmDecoder> state(ch);
    for (std::size_t c = 0; c < ch; ++c) loadBlockHeader(state[c], block + 4 * c);
    const std::uint8_t* data = block + 4 * ch;
    for (std::size_t r = 0; r < rounds; ++r) {
        for (std::size_t c = 0; c < ch; ++c) {
            const std::uint8_t* group = data + (r * ch + c) * 4;
            for (std::size_t j = 0; j < 8; ++j) {
                std::uint8_t b = group[j / 2];
                std::uint8_t code = (j & 1) ? (b >> 4) : (b & 0x0F);
                out[(r * 8 + j) * ch + c] = decodeNibble(state[c], code);
            }
        }
    }
}

}  // namespace

bool isImaWavBlockAlign(std::size_t blockAlign, std::size_t channels) {
    return channels > 0 && blockAlign > 4 * channels && (blockAlign - 4 * channels) % (4 * channels) == 0;
}

std::size_t decodeImaWavBlock(const std::uint8_t* block, std::size_t bytes, std::size_t ch,
                              std::vector<std::int16_t>& out) {
    if (ch == 0 || bytes < 4 * ch) return 0;
    std::size_t rounds = (bytes - 4 * ch) / (4 * ch);
    std::size_t frames = 1 + 8 * rounds;
    std::size_t at = out.size();
    out.resize(at + frames * ch);
    std::int16_t* o = out.data() + at;
    for (std::size_t c = 0; c < ch; ++c) o[c] = io::getI16(block + 4 * c);
    const std::uint8_t* data = block + 4 * ch;
    if (ch == 1) {
        ImaAdpcmDecoder d;
        decodeMonoBlock(d, block, o + 1, data, 8 * rounds);
    } else if (ch == 2) {
        ImaAdpcmDecoder left, right;
        decodeStereoBlock(left, right, block, o + 2, data, 8 * rounds);
    } else {
        decodeRounds(block, ch, rounds, o + ch);
    }
    return frames;
}

}  // namespace sonkrate::audio
