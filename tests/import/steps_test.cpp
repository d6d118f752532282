#include <gtest/gtest.h>

#include "import/output_headers.h"
#include "import/sample_steps.h"
#include "io/file.h"
#include "testkit/testkit.h"

using namespace sonkrate;
using namespace sonkrate::import;
using testkit::Bytes;

namespace {

// Runs the copy loop over count bytes from offset of a file holding input.
Bytes runCopy(const Bytes& input, std::uint64_t offset, std::uint64_t count, SampleStep step) {
    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("in"), input);
    io::File in, out;
    EXPECT_TRUE(in.open(dir.file("in"), io::FileMode::Read));
    EXPECT_TRUE(out.open(dir.file("out"), io::FileMode::Write));
    io::Outcome copied = copySteps(in, input.size(), offset, count, step, out);
    EXPECT_TRUE(copied) << copied.reason;
    EXPECT_TRUE(out.close());
    return testkit::readFile(dir.file("out"));
}

}  // namespace

TEST(SampleSteps, ByteOffsetsWrapAround) {
    // The offsets wrap modulo 256: signed -128 and 0 become 0xFF and 0x7F;
    // an 8-bit PARIS pair 00 00 becomes 7F 81.
    std::uint8_t out[2];
    const std::uint8_t signedPair[2] = {0x00, 0x80};
    stepFunction(SampleStep::SignedPairSwap).convert(signedPair, out, 0);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0x7F);
    const std::uint8_t zeros[2] = {0, 0};
    stepFunction(SampleStep::PairPlusMinus).convert(zeros, out, 0);
    EXPECT_EQ(out[0], 0x7F);
    EXPECT_EQ(out[1], 0x81);
}

TEST(SampleSteps, ShortLastStepRepeatsThePreviousStepsBytes) {
    // Odd data size with pair copy: one byte more than the data, repeating
    // the second byte of the pair before.
    Bytes in = {9, 9, 0xA1, 0xA2, 0xB1, 0xB2, 0xC1};
    EXPECT_EQ(runCopy(in, 2, 5, SampleStep::PairCopy), (Bytes{0xA1, 0xA2, 0xB1, 0xB2, 0xC1, 0xB2}));
    // Six-byte steps with four bytes left: the last two come from the step before.
    in = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(runCopy(in, 0, 10, SampleStep::DoubleTripleReversal),
              (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 6, 5, 10}));
    // A first step without a step before it takes zeros for what is missing.
    in = {0x11};
    EXPECT_EQ(runCopy(in, 0, 1, SampleStep::QuadReversal), (Bytes{0, 0, 0, 0x11}));
    // Nothing to copy, and a count that stops short of the end of the file.
    EXPECT_TRUE(runCopy(in, 1, 0, SampleStep::PairCopy).empty());
    in = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(runCopy(in, 1, 3, SampleStep::PairSwap), (Bytes{3, 2, 5, 4}));
}

TEST(SampleSteps, LongCopiesCrossBufferBoundariesUnchanged) {
    // Several buffers' worth, with a data size that is not a multiple of the step.
    const std::size_t offset = 58, size = 700001;
    Bytes in(offset + size);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint8_t>(i * 31 + (i >> 9));
    for (SampleStep step : {SampleStep::PairSwap, SampleStep::TripleReversal, SampleStep::DoubleTripleReversal,
                            SampleStep::QuadReversal}) {
        const StepFunction& f = stepFunction(step);
        Bytes got = runCopy(in, offset, size, step);
        ASSERT_EQ(got.size(), convertedLength(step, size));
        ASSERT_EQ(got.size(), (size + f.inputBytes - 1) / f.inputBytes * f.inputBytes);
        std::size_t whole = size / f.inputBytes * f.inputBytes;
        for (std::size_t i = 0; i < whole; ++i) {
            std::size_t base = i / f.inputBytes * f.inputBytes, j = i % f.inputBytes;
            std::size_t from = f.inputBytes == 6 ? (j < 3 ? 2 - j : 8 - j) : f.inputBytes - 1 - j;
            ASSERT_EQ(got[i], in[offset + base + from]) << "step " << static_cast<int>(step) << " byte " << i;
        }
    }
}

TEST(SampleSteps, ThirtyOfEveryThirtyTwoBytesAreKept) {
    Bytes in(64 + 7);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint8_t>(i);
    Bytes got = runCopy(in, 0, 64, SampleStep::PairCopyThirtyOfThirtyTwo);
    ASSERT_EQ(got.size(), 60u);
    EXPECT_EQ(convertedLength(SampleStep::PairCopyThirtyOfThirtyTwo, 64), 60u);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 30), Bytes(in.begin(), in.begin() + 30));
    EXPECT_EQ(Bytes(got.begin() + 30, got.end()), Bytes(in.begin() + 32, in.begin() + 62));
    // 71 bytes: 36 pairs, of which the 16th and 32nd are dropped.
    EXPECT_EQ(runCopy(in, 0, 71, SampleStep::PairCopyThirtyOfThirtyTwo).size(), 68u);
    EXPECT_EQ(convertedLength(SampleStep::PairCopyThirtyOfThirtyTwo, 71), 68u);
}

TEST(OutputHeaders, G711FieldsSitAtTheirOffsets) {
    // Two channels: the fact field holds half the data size, rounded down.
    auto g711 = serialize(makeG711WavHeader(kFormatMuLaw, 2, 8000, 16000, 1001));
    Bytes g(g711.begin(), g711.end());
    EXPECT_EQ(testkit::text(g, 0, 4), "RIFF");
    EXPECT_EQ(testkit::u32(g, 4), 1051u);
    EXPECT_EQ(testkit::text(g, 8, 8), "WAVEfmt ");
    EXPECT_EQ(testkit::u32(g, 16), 18u);
    EXPECT_EQ(testkit::u16(g, 20), 7u);
    EXPECT_EQ(testkit::u16(g, 22), 2u);
    EXPECT_EQ(testkit::u32(g, 24), 8000u);
    EXPECT_EQ(testkit::u32(g, 28), 16000u);
    EXPECT_EQ(testkit::u16(g, 32), 2u);
    EXPECT_EQ(testkit::u16(g, 34), 8u);
    EXPECT_EQ(testkit::u16(g, 36), 0u);
    EXPECT_EQ(testkit::text(g, 38, 4), "fact");
    EXPECT_EQ(testkit::u32(g, 42), 4u);
    EXPECT_EQ(testkit::u32(g, 46), 500u);
    EXPECT_EQ(testkit::text(g, 50, 4), "data");
    EXPECT_EQ(testkit::u32(g, 54), 1001u);
}
