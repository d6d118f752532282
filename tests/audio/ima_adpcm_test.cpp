#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "audio/codec/ima_adpcm.h"

using namespace sonkrate::audio;

TEST(ImaAdpcm, NibbleStepsFollowTheTablesWithClamping) {
    // Codes 0 and 8 still move by step >> 3 and lower the index.
    ImaAdpcmDecoder d{1000, 10};  // step 19
    EXPECT_EQ(decodeNibble(d, 0x0), 1000 + 2);
    EXPECT_EQ(d.stepIndex, 9);
    EXPECT_EQ(decodeNibble(d, 0x8), 1002 - 2);  // step 17 >> 3
    EXPECT_EQ(d.stepIndex, 8);
    // The three partial terms are rounded separately: step 16, code 7 = 2 + 16 + 8 + 4.
    d = {0, 8};
    EXPECT_EQ(decodeNibble(d, 0x7), 30);
    EXPECT_EQ(d.stepIndex, 16);
    // Only the low four bits of the byte count.
    ImaAdpcmDecoder a{0, 8}, b{0, 8};
    EXPECT_EQ(decodeNibble(a, 0xF3), decodeNibble(b, 0x03));

    d = {0, 0};
    for (std::uint8_t code = 0; code <= 3; ++code) {
        decodeNibble(d, code);
        EXPECT_EQ(d.stepIndex, 0);
    }
    d = {0, 88};
    for (std::uint8_t code = 4; code <= 7; ++code) {
        d.predictor = 0;
        decodeNibble(d, code);
        EXPECT_EQ(d.stepIndex, 88);
    }
    d = {32767, 88};
    EXPECT_EQ(decodeNibble(d, 0x7), 32767);
    d = {-32768, 88};
    EXPECT_EQ(decodeNibble(d, 0xF), -32768);
}

TEST(ImaAdpcm, MonoBlockTakesLowNibbleFirstAndClampsTheHeaderIndex) {
    // Header: predictor 0x1234, step index 200 (clamped to 88), reserved.
    const std::uint8_t header[4] = {0x34, 0x12, 200, 0xEE};
    const std::uint8_t data[2] = {0x70, 0x05};
    std::int16_t out[3] = {};
    ImaAdpcmDecoder d;
    EXPECT_EQ(decodeMonoBlock(d, header, out, data, 3), 6u);

    ImaAdpcmDecoder ref{0x1234, 88};
    EXPECT_EQ(out[0], decodeNibble(ref, 0x0));
    EXPECT_EQ(out[1], decodeNibble(ref, 0x7));
    EXPECT_EQ(out[2], decodeNibble(ref, 0x5));
    EXPECT_EQ(d.predictor, ref.predictor);
    EXPECT_EQ(d.stepIndex, ref.stepIndex);
}

TEST(ImaAdpcm, StereoWalkersSeparateTheChannelGroups) {
    std::uint8_t header[8] = {0x10, 0x00, 20, 0, 0xF0, 0xFF, 30, 0};
    std::uint8_t data[32];
    for (int i = 0; i < 32; ++i) data[i] = static_cast<std::uint8_t>(i * 37 + 11);
    // Left-only: the right bytes 4..7, 12..15, ... never matter.
    std::int16_t left[29], leftAgain[29];
    ImaAdpcmDecoder d;
    EXPECT_EQ(decodeStereoLeftBlock(d, header, left, data, 29), 58u);
    std::uint8_t changed[32];
    std::copy(data, data + 32, changed);
    for (int g = 0; g < 4; ++g)
        for (int k = 4; k < 8; ++k) changed[8 * g + k] ^= 0xFF;
    changed[4] ^= 0x5A;
    decodeStereoLeftBlock(d, header, leftAgain, changed, 29);
    EXPECT_TRUE(std::equal(left, left + 29, leftAgain));

    // Both channels, interleaved: each equals a mono decode of its own bytes.
    std::int16_t both[2 * 29];
    ImaAdpcmDecoder l, r;
    EXPECT_EQ(decodeStereoBlock(l, r, header, both, data, 29), 116u);
    std::uint8_t leftBytes[16], rightBytes[16];
    for (int g = 0; g < 4; ++g)
        for (int k = 0; k < 4; ++k) {
            leftBytes[4 * g + k] = data[8 * g + k];
            rightBytes[4 * g + k] = data[8 * g + 4 + k];
        }
    std::int16_t monoLeft[29], monoRight[29];
    ImaAdpcmDecoder m;
    decodeMonoBlock(m, header, monoLeft, leftBytes, 29);
    decodeMonoBlock(m, header + 4, monoRight, rightBytes, 29);
    for (int i = 0; i < 29; ++i) {
        EXPECT_EQ(both[2 * i], monoLeft[i]) << i;
        EXPECT_EQ(both[2 * i + 1], monoRight[i]) << i;
        EXPECT_EQ(left[i], monoLeft[i]) << i;
    }
}

TEST(ImaAdpcm, BlockLayoutsAndShortBlocks) {
    auto m1028 = adpcmBlockLayout(1, 1028);
    EXPECT_EQ(m1028.dataBytes, 1024u);
    EXPECT_EQ(m1028.codesPerChannel, 2048u);
    EXPECT_EQ(adpcmBlockLayout(1, 512).codesPerChannel, 1016u);
    // Other mono alignments: block data = alignment - 4, every code of it.
    EXPECT_EQ(adpcmBlockLayout(1, 2056).codesPerChannel, 2 * 2052u);
    EXPECT_EQ(adpcmBlockLayout(1, 700).codesPerChannel, 2 * 696u);
    auto s2056 = adpcmBlockLayout(2, 2056);
    EXPECT_EQ(s2056.headerBytes, 8u);
    EXPECT_EQ(s2056.codesPerChannel, 2048u);
    EXPECT_EQ(adpcmBlockLayout(2, 512).codesPerChannel, 504u);
    // A stray tail of a group is skipped: 1030 - 8 = 1022 bytes, 127 whole groups.
    EXPECT_EQ(adpcmBlockLayout(2, 1030).codesPerChannel, 1016u);
    EXPECT_EQ(adpcmBlockLayout(3, 2056).codesPerChannel, 0u);

    EXPECT_EQ(codesPresent(m1028, 1, 1024), 2048u);  // a full block
    EXPECT_EQ(codesPresent(m1028, 1, 2000), 2048u);  // never more than a full block
    EXPECT_EQ(codesPresent(m1028, 1, 10), 20u);
    EXPECT_EQ(codesPresent(m1028, 1, 0), 0u);
    EXPECT_EQ(codesPresent(s2056, 2, 2048), 2048u);
    EXPECT_EQ(codesPresent(s2056, 2, 16), 16u);
    EXPECT_EQ(codesPresent(s2056, 2, 20), 16u);  // the right channel has no codes of the third group
    EXPECT_EQ(codesPresent(s2056, 2, 22), 20u);
    EXPECT_FALSE(isKnownBlockAlign(511));
    EXPECT_TRUE(isKnownBlockAlign(512));
    EXPECT_TRUE(isKnownBlockAlign(2056));
    EXPECT_FALSE(isKnownBlockAlign(2057));
}

// The precomputed tables against the rule applied step by step, for every
// step index and code, from predictors near both limits and in between.
TEST(ImaAdpcm, PrecomputedStepsMatchTheRuleEverywhere) {
    for (int index = 0; index <= 88; ++index) {
        for (int code = 0; code < 16; ++code) {
            for (int predictor : {-32768, -32000, -1000, 0, 1, 777, 32000, 32767}) {
                int step = ImaStepTable[static_cast<std::size_t>(index)];
                int diff = step >> 3;
                if (code & 4) diff += step;
                if (code & 2) diff += step >> 1;
                if (code & 1) diff += step >> 2;
                int expected = std::clamp((code & 8) ? predictor - diff : predictor + diff, -32768, 32767);
                int expectedIndex = std::clamp(index + ImaIndexTable[static_cast<std::size_t>(code & 7)], 0, 88);
                ImaAdpcmDecoder d{static_cast<std::int16_t>(predictor), static_cast<std::uint8_t>(index)};
                ASSERT_EQ(decodeNibble(d, static_cast<std::uint8_t>(code)), expected)
                    << "index " << index << " code " << code << " predictor " << predictor;
                ASSERT_EQ(d.stepIndex, expectedIndex) << "index " << index << " code " << code;
            }
        }
    }
}

namespace {

// Block by block and code by code through decodeNibble: the header's
// predictor, then codesPerChannel codes per channel, walking the 4-byte
// groups of each channel.
std::vector<std::int16_t> referenceBlocks(const std::vector<std::uint8_t>& bytes, unsigned channels,
                                          std::uint32_t align, std::size_t blocks) {
    const AdpcmBlockLayout layout = adpcmBlockLayout(channels, align);
    const std::size_t frames = layout.codesPerChannel + 1;
    std::vector<std::int16_t> out(blocks * frames * channels);
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::uint8_t* block = bytes.data() + b * align;
        for (unsigned c = 0; c < channels; ++c) {
            ImaAdpcmDecoder d;
            loadBlockHeader(d, block + 4 * c);
            std::int16_t* o = out.data() + b * frames * channels + c;
            o[0] = d.predictor;
            for (std::size_t i = 0; i < layout.codesPerChannel; ++i) {
                std::size_t byte = channels == 1 ? i / 2 : (i / 8) * 8 + 4 * c + (i % 8) / 2;
                std::uint8_t v = block[layout.headerBytes + byte];
                o[(i + 1) * channels] = decodeNibble(d, (i & 1) ? v >> 4 : v & 0x0F);
            }
        }
    }
    return out;
}

}  // namespace

// Runs of whole blocks decoded side by side give what each block gives alone,
// for every count up to nine (groups side by side and blocks left over), on
// random bytes that reach both clamps and header step indices above 88; not
// a sample is written past the run.
TEST(ImaAdpcm, RunsOfBlocksDecodeAsEachBlockAlone) {
    std::uint32_t seed = 7;
    for (unsigned channels : {1u, 2u}) {
        for (std::uint32_t align : {512u, 1001u, 1028u, 2056u}) {
            const AdpcmBlockLayout layout = adpcmBlockLayout(channels, align);
            for (std::size_t blocks = 1; blocks <= 9; ++blocks) {
                std::vector<std::uint8_t> bytes(blocks * align);
                for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
                // Quiet stretches too, so that the step index also sits at 0.
                std::fill(bytes.begin() + 40, bytes.begin() + 300, std::uint8_t{0x88});
                std::vector<std::int16_t> expected = referenceBlocks(bytes, channels, align, blocks);
                std::vector<std::int16_t> got(expected.size() + 3, 0x5A5A);
                EXPECT_EQ(decodeBlocks(layout, channels, bytes.data(), blocks, got.data()),
                          blocks * (layout.codesPerChannel + 1));
                EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got.begin()))
                    << channels << " channel(s), blocks of " << align << ", " << blocks << " blocks";
                EXPECT_TRUE(std::all_of(got.end() - 3, got.end(), [](std::int16_t v) { return v == 0x5A5A; }));
            }
        }
    }
}
