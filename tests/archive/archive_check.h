// Checks of the layout every archive writer keeps, read straight from the
// bytes: header constants, the offset chain from the end of the table to the
// end of the file (with at most one trailer in it), the header copies and
// the counts.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "testkit/testkit.h"

namespace archive_test {

struct Expected {
    std::uint32_t tableCount = 0;   // records in the table
    std::uint64_t trailerLength = 0;  // bytes from soundDataEnd that no record covers
    std::size_t copiedHeader = 36;    // bytes of each image its record copies (32 after a beta conversion)
};

inline ::testing::AssertionResult retailInvariants(const testkit::Bytes& b, Expected want) {
    using testkit::u32;
    if (b.size() < 24) return ::testing::AssertionFailure() << "shorter than a header";
    if (u32(b, 0) != 0x150) return ::testing::AssertionFailure() << "layoutTag " << u32(b, 0);
    if (u32(b, 8) != 24) return ::testing::AssertionFailure() << "tableOffset " << u32(b, 8);
    const std::uint32_t soundCount = u32(b, 4), trailerFlag = u32(b, 12), dataEnd = u32(b, 16),
                        entryCount = u32(b, 20);
    if (std::max(soundCount, entryCount) != want.tableCount)
        return ::testing::AssertionFailure() << "counts " << soundCount << "/" << entryCount << ", table of "
                                             << want.tableCount;
    if (want.trailerLength == 0 && dataEnd != b.size())
        return ::testing::AssertionFailure() << "soundDataEnd " << dataEnd << " in a file of " << b.size();
    if (trailerFlag == 0 && want.trailerLength != 0) return ::testing::AssertionFailure() << "trailerFlag 0";
    std::uint64_t expected = 24 + 56ull * want.tableCount;
    if (expected > b.size()) return ::testing::AssertionFailure() << "table past the end";
    bool jumped = false;
    for (std::uint32_t i = 0; i < want.tableCount; ++i) {
        const std::size_t r = 24 + 56 * i;
        std::uint32_t offset = u32(b, r + 4), length = u32(b, r + 8);
        if (offset != expected && !jumped && want.trailerLength != 0 && expected == dataEnd &&
            offset == dataEnd + want.trailerLength) {
            jumped = true;  // the images added after the trailer
            expected = offset;
        }
        if (offset != expected)
            return ::testing::AssertionFailure() << "entry " << i << " at " << offset << ", expected " << expected;
        if (std::uint64_t{offset} + length > b.size() || length < 36)
            return ::testing::AssertionFailure() << "entry " << i << " runs past the end";
        if (!std::equal(b.begin() + r + 20, b.begin() + r + 20 + want.copiedHeader, b.begin() + offset))
            return ::testing::AssertionFailure() << "entry " << i << ": header copy differs from its image";
        expected = std::uint64_t{offset} + length;
        if (!jumped && want.trailerLength != 0 && expected == dataEnd && i + 1 == want.tableCount)
            expected += want.trailerLength;  // the trailer is the last thing in the file
    }
    if (expected != b.size())
        return ::testing::AssertionFailure() << "images end at " << expected << ", file at " << b.size();
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult retailInvariants(const std::string& path, Expected want) {
    return retailInvariants(testkit::readFile(path), want);
}

}  // namespace archive_test
