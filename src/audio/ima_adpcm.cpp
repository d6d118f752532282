#include "audio/ima_adpcm.h"

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

AdpcmBlockLayout adpcmBlockLayout(unsigned channels, std::uint32_t blockAlign) {
    AdpcmBlockLayout layout;
    if ((channels != 1 && channels != 2) || blockAlign < 4 * channels) return layout;
    layout.blockBytes = blockAlign;
    layout.headerBytes = 4 * channels;
    layout.dataBytes = blockAlign - layout.headerBytes;
    if (channels == 1) {
        layout.codesPerChannel = layout.dataBytes > 0 ? 2 * layout.dataBytes - 1 : 0;
    } else {
        // Whole 8-byte groups only; a stray tail of a group is skipped.
        std::size_t groups = layout.dataBytes / 8;
        layout.codesPerChannel = groups > 0 ? 8 * groups - 1 : 0;
    }
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

}  // namespace sonkrate::audio
