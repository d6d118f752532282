#include "import/sample_steps.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "io/byte_order.h"

namespace sonkrate::import {

namespace {

using Byte = std::uint8_t;

std::size_t byteCopy(const Byte* in, Byte* out, std::uint64_t) {
    out[0] = in[0];
    return 1;
}

std::size_t pairCopy(const Byte* in, Byte* out, std::uint64_t) {
    out[0] = in[0];
    out[1] = in[1];
    return 2;
}

std::size_t pairSwap(const Byte* in, Byte* out, std::uint64_t) {
    out[0] = in[1];
    out[1] = in[0];
    return 2;
}

std::size_t tripleReversal(const Byte* in, Byte* out, std::uint64_t) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    return 3;
}

std::size_t doubleTripleReversal(const Byte* in, Byte* out, std::uint64_t) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    out[3] = in[5];
    out[4] = in[4];
    out[5] = in[3];
    return 6;
}

std::size_t quadReversal(const Byte* in, Byte* out, std::uint64_t) {
    out[0] = in[3];
    out[1] = in[2];
    out[2] = in[1];
    out[3] = in[0];
    return 4;
}

std::size_t highHalfSplit(const Byte* in, Byte* out, std::uint64_t) {
    out[0] = in[1];
    out[1] = in[0];
    out[2] = 0;
    out[3] = 0;
    return 4;
}

std::size_t signedPairSwap(const Byte* in, Byte* out, std::uint64_t) {
    out[0] = static_cast<Byte>(in[1] + 127);
    out[1] = static_cast<Byte>(in[0] + 127);
    return 2;
}

std::size_t pairPlusMinus(const Byte* in, Byte* out, std::uint64_t) {
    out[0] = static_cast<Byte>(in[0] + 127);
    out[1] = static_cast<Byte>(in[1] - 127);
    return 2;
}

std::size_t wordOffset(const Byte* in, Byte* out, std::uint64_t) {
    io::putU16(out, static_cast<std::uint16_t>(io::getU16(in) - 0x7F81u));
    return 2;
}

// 24-bit PARIS data comes in 32-byte blocks: ten 3-byte samples and 2 bytes of
// padding, so the 16th pair of every block is left out.
std::size_t pairCopyThirtyOfThirtyTwo(const Byte* in, Byte* out, std::uint64_t index) {
    if (index % 16 == 15) return 0;
    return pairCopy(in, out, index);
}

const std::array<StepFunction, 11> kSteps = {{
    {SampleStep::ByteCopy, 1, 1, byteCopy},
    {SampleStep::PairCopy, 2, 2, pairCopy},
    {SampleStep::PairSwap, 2, 2, pairSwap},
    {SampleStep::TripleReversal, 3, 3, tripleReversal},
    {SampleStep::DoubleTripleReversal, 6, 6, doubleTripleReversal},
    {SampleStep::QuadReversal, 4, 4, quadReversal},
    {SampleStep::HighHalfSplit, 4, 4, highHalfSplit},
    {SampleStep::SignedPairSwap, 2, 2, signedPairSwap},
    {SampleStep::PairPlusMinus, 2, 2, pairPlusMinus},
    {SampleStep::WordOffset, 2, 2, wordOffset},
    {SampleStep::PairCopyThirtyOfThirtyTwo, 2, 2, pairCopyThirtyOfThirtyTwo},
}};

// A multiple of every step width (1, 2, 3, 4, 6), so that chunks hold whole steps.
constexpr std::size_t kChunkBytes = 3 * 64 * 1024;
constexpr std::size_t kMaxStep = 6;

}  // namespace

const StepFunction& stepFunction(SampleStep step) {
    for (const StepFunction& f : kSteps)
        if (f.step == step) return f;
    return kSteps[1];
}

std::uint64_t convertedLength(SampleStep step, std::uint64_t count) {
    const StepFunction& f = stepFunction(step);
    std::uint64_t steps = (count + f.inputBytes - 1) / f.inputBytes;
    if (step == SampleStep::PairCopyThirtyOfThirtyTwo) steps -= steps / 16;
    return steps * f.outputBytes;
}

io::Outcome copySteps(io::File& in, std::uint64_t inputLength, std::uint64_t offset, std::uint64_t count,
                      SampleStep step, io::File& out) {
    const StepFunction& f = stepFunction(step);
    const std::size_t width = f.inputBytes;
    const std::uint64_t steps = (count + width - 1) / width;
    if (steps == 0) return io::success();

    const std::uint64_t available = offset < inputLength ? inputLength - offset : 0;
    io::Outcome sought = in.seek(offset);
    if (!sought) return sought;

    // Buffers no larger than the steps need: short files are common, and
    // clearing two large buffers would cost more than converting them.
    const std::size_t chunkBytes = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, steps * width));
    std::vector<Byte> input(chunkBytes);
    std::vector<Byte> output(chunkBytes);
    // The bytes of the step before: what a short last step keeps where the
    // input has run out. Zero before the first step.
    std::array<Byte, kMaxStep> previous{};
    std::array<Byte, kMaxStep> partial{};

    std::uint64_t done = 0;  // steps converted
    std::uint64_t read = 0;  // input bytes read from offset
    while (done < steps) {
        std::size_t chunkSteps = static_cast<std::size_t>(std::min<std::uint64_t>(steps - done, chunkBytes / width));
        std::size_t wanted = chunkSteps * width;
        std::size_t fromFile = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, available - read));
        if (fromFile > 0) {
            io::Outcome got = in.readExact(input.data(), fromFile);
            if (!got) return io::failure(in.path() + " changed or could not be read while it was converted (" +
                                         got.reason + ")");
            read += fromFile;
        }

        std::size_t written = 0;
        for (std::size_t s = 0; s < chunkSteps; ++s) {
            const std::size_t at = s * width;
            const Byte* source = input.data() + at;
            if (at + width > fromFile) {
                // The input ends inside (or before) this step.
                std::size_t have = at < fromFile ? fromFile - at : 0;
                partial = previous;
                std::memcpy(partial.data(), source, have);
                source = partial.data();
            }
            written += f.convert(source, output.data() + written, done + s);
            std::memcpy(previous.data(), source, width);
        }
        io::Outcome put = out.write(output.data(), written);
        if (!put) return put;
        done += chunkSteps;
    }
    return io::success();
}

}  // namespace sonkrate::import
