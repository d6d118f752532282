#include "audio/codec/ima_adpcm.h"

#include <algorithm>

#include "io/byte_order.h"

namespace sonkrate::audio {

static_assert(ImaStepTable[0] == 7 && ImaStepTable[88] == 32767, "the step table has 89 entries");

void loadBlockHeader(ImaAdpcmDecoder& d, const std::uint8_t* channelHeader) {
    d.predictor = io::getI16(channelHeader);
    // The step index is the low byte of the second word; the high byte is not looked at.
    d.stepIndex = std::min<std::uint8_t>(channelHeader[2], kImaMaxStepIndex);
}

namespace {

using detail::stepCode;

// A channel's state as plain integers for the inner loops.
struct Channel {
    int predictor;
    unsigned row;  // step index x 16
    explicit Channel(const ImaAdpcmDecoder& d) : predictor(d.predictor), row(unsigned{d.stepIndex} << 4) {}
    void storeIn(ImaAdpcmDecoder& d) const {
        d.predictor = static_cast<std::int16_t>(predictor);
        d.stepIndex = static_cast<std::uint8_t>(row >> 4);
    }
};

inline std::int16_t next(Channel& c, unsigned code) {
    return static_cast<std::int16_t>(stepCode(c.predictor, c.row, code));
}

// Decodes n (<= 8) codes of one channel from its 4 bytes of a group; writes
// every stride-th sample.
inline void decodeGroup(Channel& c, const std::uint8_t* bytes, std::size_t n, std::int16_t* out,
                        std::size_t stride) {
    for (std::size_t j = 0; j < n; ++j) {
        std::uint8_t b = bytes[j / 2];
        out[j * stride] = next(c, (j & 1) ? (b >> 4) : (b & 0x0F));
    }
}

}  // namespace

std::size_t decodeMonoBlock(ImaAdpcmDecoder& decoder, const std::uint8_t* header, std::int16_t* out,
                            const std::uint8_t* data, std::size_t count) {
    loadBlockHeader(decoder, header);
    Channel c(decoder);
    std::size_t pairs = count / 2;
    for (std::size_t i = 0; i < pairs; ++i) {
        std::uint8_t b = data[i];
        out[2 * i] = next(c, b & 0x0F);
        out[2 * i + 1] = next(c, b >> 4);
    }
    if (count & 1) out[count - 1] = next(c, data[pairs] & 0x0F);
    c.storeIn(decoder);
    return 2 * count;
}

std::size_t decodeStereoLeftBlock(ImaAdpcmDecoder& decoder, const std::uint8_t* header, std::int16_t* out,
                                  const std::uint8_t* data, std::size_t count) {
    loadBlockHeader(decoder, header);
    Channel c(decoder);
    std::size_t groups = count / 8;
    for (std::size_t g = 0; g < groups; ++g) {
        const std::uint8_t* left = data + 8 * g;
        std::int16_t* o = out + 8 * g;
        for (int k = 0; k < 4; ++k) {
            o[2 * k] = next(c, left[k] & 0x0F);
            o[2 * k + 1] = next(c, left[k] >> 4);
        }
    }
    decodeGroup(c, data + 8 * groups, count % 8, out + 8 * groups, 1);
    c.storeIn(decoder);
    return 2 * count;
}

std::size_t decodeStereoBlock(ImaAdpcmDecoder& leftDecoder, ImaAdpcmDecoder& rightDecoder,
                              const std::uint8_t* header, std::int16_t* out, const std::uint8_t* data,
                              std::size_t count) {
    loadBlockHeader(leftDecoder, header);
    loadBlockHeader(rightDecoder, header + 4);
    Channel l(leftDecoder), r(rightDecoder);
    std::size_t groups = count / 8;
    // The two channels are independent chains; stepping them in turn lets
    // the processor work on both at once.
    for (std::size_t g = 0; g < groups; ++g) {
        const std::uint8_t* left = data + 8 * g;
        const std::uint8_t* right = left + 4;
        std::int16_t* o = out + 16 * g;
        for (int k = 0; k < 4; ++k) {
            o[4 * k] = next(l, left[k] & 0x0F);
            o[4 * k + 1] = next(r, right[k] & 0x0F);
            o[4 * k + 2] = next(l, left[k] >> 4);
            o[4 * k + 3] = next(r, right[k] >> 4);
        }
    }
    std::size_t rest = count % 8;
    decodeGroup(l, data + 8 * groups, rest, out + 16 * groups, 2);
    decodeGroup(r, data + 8 * groups + 4, rest, out + 16 * groups + 1, 2);
    l.storeIn(leftDecoder);
    r.storeIn(rightDecoder);
    return 4 * count;
}

namespace {

// Four whole mono blocks side by side, stride bytes apart: four independent
// chains in one loop. Block k's samples go to out0 + k x outStride.
void decodeMonoQuad(const std::uint8_t* block0, std::size_t stride, std::size_t count, std::int16_t* out0,
                    std::size_t outStride) {
    ImaAdpcmDecoder d[4];
    for (int k = 0; k < 4; ++k) loadBlockHeader(d[k], block0 + k * stride);
    Channel c[4] = {Channel(d[0]), Channel(d[1]), Channel(d[2]), Channel(d[3])};
    const std::uint8_t* data = block0 + 4;
    std::size_t pairs = count / 2;
    for (std::size_t i = 0; i < pairs; ++i) {
        std::uint8_t x0 = data[i], x1 = data[stride + i], x2 = data[2 * stride + i], x3 = data[3 * stride + i];
        std::int16_t* o = out0 + 2 * i;
        o[0] = next(c[0], x0 & 0x0F);
        o[outStride] = next(c[1], x1 & 0x0F);
        o[2 * outStride] = next(c[2], x2 & 0x0F);
        o[3 * outStride] = next(c[3], x3 & 0x0F);
        o[1] = next(c[0], x0 >> 4);
        o[outStride + 1] = next(c[1], x1 >> 4);
        o[2 * outStride + 1] = next(c[2], x2 >> 4);
        o[3 * outStride + 1] = next(c[3], x3 >> 4);
    }
    if (count & 1)
        for (int k = 0; k < 4; ++k) out0[k * outStride + count - 1] = next(c[k], data[k * stride + pairs] & 0x0F);
}

// One code of each of four chains: both channels of two stereo blocks.
inline void stepFour(Channel* c, const std::uint8_t* g0, const std::uint8_t* g1, int k, int shift, std::int16_t* o0,
                     std::int16_t* o1) {
    o0[0] = next(c[0], (g0[k] >> shift) & 0x0F);
    o0[1] = next(c[1], (g0[4 + k] >> shift) & 0x0F);
    o1[0] = next(c[2], (g1[k] >> shift) & 0x0F);
    o1[1] = next(c[3], (g1[4 + k] >> shift) & 0x0F);
}

// Two whole stereo blocks side by side: four independent chains in one loop.
void decodeStereoPair(const std::uint8_t* block0, const std::uint8_t* block1, std::size_t count, std::int16_t* out0,
                      std::int16_t* out1) {
    ImaAdpcmDecoder d[4];
    loadBlockHeader(d[0], block0);
    loadBlockHeader(d[1], block0 + 4);
    loadBlockHeader(d[2], block1);
    loadBlockHeader(d[3], block1 + 4);
    Channel c[4] = {Channel(d[0]), Channel(d[1]), Channel(d[2]), Channel(d[3])};
    const std::uint8_t* data0 = block0 + 8;
    const std::uint8_t* data1 = block1 + 8;
    std::size_t groups = count / 8;
    for (std::size_t g = 0; g < groups; ++g) {
        const std::uint8_t* g0 = data0 + 8 * g;
        const std::uint8_t* g1 = data1 + 8 * g;
        std::int16_t* o0 = out0 + 16 * g;
        std::int16_t* o1 = out1 + 16 * g;
        for (int k = 0; k < 4; ++k) {
            stepFour(c, g0, g1, k, 0, o0 + 4 * k, o1 + 4 * k);
            stepFour(c, g0, g1, k, 4, o0 + 4 * k + 2, o1 + 4 * k + 2);
        }
    }
    std::size_t rest = count % 8, at = 8 * groups;
    decodeGroup(c[0], data0 + at, rest, out0 + 2 * at, 2);
    decodeGroup(c[1], data0 + at + 4, rest, out0 + 2 * at + 1, 2);
    decodeGroup(c[2], data1 + at, rest, out1 + 2 * at, 2);
    decodeGroup(c[3], data1 + at + 4, rest, out1 + 2 * at + 1, 2);
}

}  // namespace

std::size_t decodeBlocks(const AdpcmBlockLayout& layout, unsigned channels, const std::uint8_t* blocks,
                         std::size_t blockCount, std::int16_t* out) {
    if ((channels != 1 && channels != 2) || layout.blockBytes == 0) return 0;
    const std::size_t count = layout.codesPerChannel, align = layout.blockBytes;
    const std::size_t frameStride = (count + 1) * channels;
    // The header's predictor is each block's first sample.
    for (std::size_t b = 0; b < blockCount; ++b)
        for (unsigned c = 0; c < channels; ++c) out[b * frameStride + c] = io::getI16(blocks + b * align + 4 * c);
    std::size_t b = 0;
    if (channels == 1) {
        for (; b + 4 <= blockCount; b += 4)
            decodeMonoQuad(blocks + b * align, align, count, out + b * frameStride + 1, frameStride);
    } else {
        for (; b + 2 <= blockCount; b += 2)
            decodeStereoPair(blocks + b * align, blocks + (b + 1) * align, count, out + b * frameStride + 2,
                             out + (b + 1) * frameStride + 2);
    }
    // The few blocks left over, one at a time.
    ImaAdpcmDecoder state[2];
    for (; b < blockCount; ++b) {
        const std::uint8_t* block = blocks + b * align;
        std::int16_t* o = out + b * frameStride + channels;
        if (channels == 1)
            decodeMonoBlock(state[0], block, o, block + 4, count);
        else
            decodeStereoBlock(state[0], state[1], block, o, block + 8, count);
    }
    return blockCount * (count + 1);
}

AdpcmBlockLayout adpcmBlockLayout(unsigned channels, std::uint32_t blockAlign) {
    AdpcmBlockLayout layout;
    if ((channels != 1 && channels != 2) || blockAlign < 4 * channels) return layout;
    layout.blockBytes = blockAlign;
    layout.headerBytes = 4 * channels;
    layout.dataBytes = blockAlign - layout.headerBytes;
    // Every code of the block is decoded, as the game does: two per data
    // byte of a channel. Stereo takes whole 8-byte groups only; a stray tail
    // of a group is skipped.
    if (channels == 1)
        layout.codesPerChannel = 2 * layout.dataBytes;
    else
        layout.codesPerChannel = 8 * (layout.dataBytes / 8);
    return layout;
}

std::size_t codesPresent(const AdpcmBlockLayout& layout, unsigned channels, std::size_t dataBytes) {
    std::size_t codes = 0;
    if (channels == 1) {
        codes = 2 * dataBytes;
    } else if (channels == 2) {
        // The right channel's bytes come last in each group, so it has the fewer codes.
        std::size_t rest = dataBytes % 8;
        codes = 8 * (dataBytes / 8) + (rest > 4 ? 2 * (rest - 4) : 0);
    }
    return std::min(codes, layout.codesPerChannel);
}

std::size_t decodePartialBlock(const AdpcmBlockLayout& layout, unsigned channels, const std::uint8_t* block,
                               std::size_t len, std::int16_t* out) {
    if ((channels != 1 && channels != 2) || len < layout.headerBytes) return 0;
    const std::size_t codes = codesPresent(layout, channels, len - layout.headerBytes);
    const std::uint8_t* data = block + layout.headerBytes;
    ImaAdpcmDecoder state[2];
    // The header's predictor is the block's first sample.
    out[0] = io::getI16(block);
    if (channels == 1) {
        decodeMonoBlock(state[0], block, out + 1, data, codes);
    } else {
        out[1] = io::getI16(block + 4);
        decodeStereoBlock(state[0], state[1], block, out + 2, data, codes);
    }
    return 1 + codes;
}

std::uint64_t partialBlockFrames(const AdpcmBlockLayout& layout, unsigned channels, std::size_t len) {
    if ((channels != 1 && channels != 2) || len < layout.headerBytes) return 0;
    return 1 + codesPresent(layout, channels, len - layout.headerBytes);
}

}  // namespace sonkrate::audio
