// The byte conversions of the foreign-format readers, as one table of step
// functions, and the copy loop that runs one of them over a range of a file.
// The loop keeps the readers' last-step behaviour: a step that runs past the
// end of the input reuses the bytes of the step before it for the missing
// positions and is written all the same.
#pragma once

#include <cstddef>
#include <cstdint>

#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::import {

enum class SampleStep {
    ByteCopy,              // 1: b0
    PairCopy,              // 2: b0 b1
    PairSwap,              // 2: b1 b0 (big-endian 16-bit to little-endian)
    TripleReversal,        // 3: b2 b1 b0
    DoubleTripleReversal,  // 6: b2 b1 b0 b5 b4 b3
    QuadReversal,          // 4: b3 b2 b1 b0
    HighHalfSplit,         // 4: b1 b0 0 0 (top half of a big-endian 32-bit sample, then a zero sample)
    SignedPairSwap,        // 2: b1+127 a0+127 (signed 8-bit to unsigned, neighbours exchanged)
    PairPlusMinus,         // 2: b0+127 b1-127
    WordOffset,            // 2: little-endian word less 0x7F81
    PairCopyThirtyOfThirtyTwo,  // 2: b0 b1, except every 16th pair, which is dropped
};

struct StepFunction {
    SampleStep step;
    std::size_t inputBytes;   // bytes read per step
    std::size_t outputBytes;  // bytes written per step (before any dropping)
    // Converts one step of input; index counts the steps from 0. Returns the
    // number of bytes written to out (0 for a dropped step).
    std::size_t (*convert)(const std::uint8_t* in, std::uint8_t* out, std::uint64_t index);
};

const StepFunction& stepFunction(SampleStep step);

// Number of bytes the copy loop writes for a data size of count bytes.
std::uint64_t convertedLength(SampleStep step, std::uint64_t count);

// Runs the copy loop: reads in steps from offset of in (whose length is
// inputLength) while fewer than count bytes have been stepped over, and
// appends the converted steps to out. Streams in fixed buffers.
io::Outcome copySteps(io::File& in, std::uint64_t inputLength, std::uint64_t offset, std::uint64_t count,
                      SampleStep step, io::File& out);

}  // namespace sonkrate::import
