// The IMA ADPCM sample decoder: one channel's state, the two standard tables,
// the per-code step and the block walkers for mono and interleaved stereo data.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace sonkrate::audio {

inline constexpr std::array<std::uint16_t, 89> ImaStepTable = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// Indexed by the low three bits of a code.
inline constexpr std::array<std::int8_t, 8> ImaIndexTable = {-1, -1, -1, -1, 2, 4, 6, 8};

inline constexpr std::uint8_t kImaMaxStepIndex = 88;

// The running state of one channel.
struct ImaAdpcmDecoder {
    std::int16_t predictor = 0;
    std::uint8_t stepIndex = 0;  // 0..88
};

namespace detail {

// Every (step index, code) pair precomputed, indexed by step index x 16 +
// code: the signed difference the code adds to the predictor, and the next
// step index x 16, which is already the row of the next lookup.
struct ImaCodeTables {
    std::array<std::int32_t, 89 * 16> diff{};
    std::array<std::uint16_t, 89 * 16> nextRow{};
};

constexpr ImaCodeTables makeImaCodeTables() {
    ImaCodeTables t;
    for (int index = 0; index <= kImaMaxStepIndex; ++index) {
        for (int code = 0; code < 16; ++code) {
            const int step = ImaStepTable[static_cast<std::size_t>(index)];
            int next = index + ImaIndexTable[static_cast<std::size_t>(code & 7)];
            next = next < 0 ? 0 : (next > kImaMaxStepIndex ? kImaMaxStepIndex : next);
            // Three shifted terms, not a multiplication: their rounding is part of the result.
            int diff = step >> 3;
            if (code & 4) diff += step;
            if (code & 2) diff += step >> 1;
            if (code & 1) diff += step >> 2;
            const auto at = static_cast<std::size_t>(index * 16 + code);
            t.diff[at] = (code & 8) ? -diff : diff;
            t.nextRow[at] = static_cast<std::uint16_t>(next * 16);
        }
    }
    return t;
}

inline constexpr ImaCodeTables ImaCodes = makeImaCodeTables();

// One step on a predictor and a table row (step index x 16) held in plain
// integers; the block walkers keep their state this way, in registers.
inline int stepCode(int& predictor, unsigned& row, unsigned code) {
    const unsigned at = row | (code & 15);
    int value = predictor + ImaCodes.diff[at];
    row = ImaCodes.nextRow[at];
    // Clamped without a branch: on noise the ends are reached at random,
    // where a branch would be mispredicted; min and max become conditional moves.
    value = std::min(std::max(value, -32768), 32767);
    predictor = value;
    return value;
}

}  // namespace detail

// One decoding step: only the low four bits of code count. The step is taken
// at the current index, the index moves by ImaIndexTable and is kept in
// 0..88, and the predictor moves by the sum of step >> 3 and, for bits 2, 1
// and 0 of the code, step, step >> 1 and step >> 2 (down when bit 3 is set),
// clamped to 16 bits. Returns the new predictor.
inline std::int16_t decodeNibble(ImaAdpcmDecoder& d, std::uint8_t code) {
    int predictor = d.predictor;
    unsigned row = unsigned{d.stepIndex} << 4;
    detail::stepCode(predictor, row, code);
    d.predictor = static_cast<std::int16_t>(predictor);
    d.stepIndex = static_cast<std::uint8_t>(row >> 4);
    return d.predictor;
}

// Sets the decoder from a channel's 4 header bytes (predictor, step index,
// reserved); a step index above 88 is taken as 88.
void loadBlockHeader(ImaAdpcmDecoder& d, const std::uint8_t* channelHeader);

// Loads the mono header (4 bytes), then decodes count codes from data, low
// nibble first, one sample per code. data must hold (count + 1) / 2 bytes.
// Returns the bytes written, 2 x count.
std::size_t decodeMonoBlock(ImaAdpcmDecoder& d, const std::uint8_t* header, std::int16_t* out,
                            const std::uint8_t* data, std::size_t count);

// Loads the left half of a stereo header (8 bytes), then decodes count codes
// of the left channel from 8-byte groups (4 left bytes, 4 right bytes skipped).
// Returns the bytes written, 2 x count.
std::size_t decodeStereoLeftBlock(ImaAdpcmDecoder& d, const std::uint8_t* header, std::int16_t* out,
                                  const std::uint8_t* data, std::size_t count);

// Both channels of a stereo block: loads both halves of the header, decodes
// count codes per channel and writes them interleaved (left, right, ...), so
// out receives 2 x count samples. data must hold the groups those codes lie in.
// Returns the bytes written, 4 x count.
std::size_t decodeStereoBlock(ImaAdpcmDecoder& left, ImaAdpcmDecoder& right, const std::uint8_t* header,
                              std::int16_t* out, const std::uint8_t* data, std::size_t count);

// How a block of a given alignment is cut and how many codes of it are decoded.
struct AdpcmBlockLayout {
    std::size_t blockBytes = 0;       // the block alignment
    std::size_t headerBytes = 0;      // 4 per channel
    std::size_t dataBytes = 0;        // block data after the header
    std::size_t codesPerChannel = 0;  // codes decoded per channel of a full block
};

inline constexpr std::uint32_t kMinBlockAlign = 512;
inline constexpr std::uint32_t kMaxBlockAlign = 2056;

// True for the block alignments the decoder accepts (512..2056).
inline bool isKnownBlockAlign(std::uint32_t blockAlign) {
    return blockAlign >= kMinBlockAlign && blockAlign <= kMaxBlockAlign;
}

// Layout for 1 or 2 channels. Every code of a block is decoded, so with the
// header sample a full block yields 2 x (data bytes per channel) + 1 samples
// per channel: 2049 for 1028 mono and 2056 stereo, 1017 for 512 mono.
AdpcmBlockLayout adpcmBlockLayout(unsigned channels, std::uint32_t blockAlign);

// Decodes blockCount whole blocks of the layout, lying one after another at
// blocks, into out: per block its frames in turn, the header's sample and
// then codesPerChannel codes, channels interleaved. Each channel of a block is
// a serial chain; mono blocks are decoded four at a time and stereo blocks two
// at a time side by side, so that the processor works on four independent
// chains at once. Returns the frames written, blockCount x (codesPerChannel + 1).
std::size_t decodeBlocks(const AdpcmBlockLayout& layout, unsigned channels, const std::uint8_t* blocks,
                         std::size_t blockCount, std::int16_t* out);

// Codes per channel that can be decoded from a block of which only dataBytes
// bytes of block data are present (the last, short block); never more than a
// full block's count. For stereo, the channel with fewer codes sets the count.
std::size_t codesPresent(const AdpcmBlockLayout& layout, unsigned channels, std::size_t dataBytes);

// A block of which only len bytes are present (the short last block of a
// sound): the header's samples, then the codes present. Returns the frames
// written to out (interleaved); 0 when not even the header is there.
std::size_t decodePartialBlock(const AdpcmBlockLayout& layout, unsigned channels, const std::uint8_t* block,
                               std::size_t len, std::int16_t* out);
// The frames decodePartialBlock makes of len bytes.
std::uint64_t partialBlockFrames(const AdpcmBlockLayout& layout, unsigned channels, std::size_t len);

}  // namespace sonkrate::audio
