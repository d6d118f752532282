// The layout every archive writer keeps, checked from the bytes: header
// constants, counts, the offset chain from the table's end to the file's end
// (jumping at most once, over a trailer at soundDataEnd) and the header copies.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "testkit/testkit.h"

namespace archive_test {

struct Expected {
    std::uint32_t tableCount = 0;     // records in the table
    std::uint64_t trailerLength = 0;  // bytes from soundDataEnd that no record covers
    std::size_t copiedHeader = 36;    // bytes of each image its record copies (32 after a beta conversion)
};

inline ::testing::AssertionResult retailInvariants(const testkit::Bytes& b, Expected want) {
    using testkit::u32;
    auto fail = [] { return ::testing::AssertionFailure(); };
    if (b.size() < 24 + 56ull * want.tableCount) return fail() << "shorter than its table";
    if (u32(b, 0) != 0x150 || u32(b, 8) != 24) return fail() << "layoutTag or tableOffset";
    if (std::max(u32(b, 4), u32(b, 20)) != want.tableCount) return fail() << "counts " << u32(b, 4) << "/" << u32(b, 20);
    const std::uint32_t dataEnd = u32(b, 16);
    if (want.trailerLength == 0 && dataEnd != b.size()) return fail() << "soundDataEnd " << dataEnd;
    std::uint64_t expected = 24 + 56ull * want.tableCount;
    for (std::uint32_t i = 0; i < want.tableCount; ++i) {
        const std::size_t r = 24 + 56 * i;
        const std::uint32_t offset = u32(b, r + 4), length = u32(b, r + 8);
        if (want.trailerLength != 0 && expected == dataEnd && offset == dataEnd + want.trailerLength)
            expected = offset;  // images added after the trailer
        if (offset != expected) return fail() << "entry " << i << " at " << offset << ", expected " << expected;
        if (length < 36 || std::uint64_t{offset} + length > b.size()) return fail() << "entry " << i << " too long";
        if (!std::equal(b.begin() + r + 20, b.begin() + r + 20 + want.copiedHeader, b.begin() + offset))
            return fail() << "entry " << i << ": header copy differs from its image";
        expected = std::uint64_t{offset} + length;
    }
    if (want.trailerLength != 0 && expected == dataEnd) expected += want.trailerLength;  // trailer at the end
    if (expected != b.size()) return fail() << "images end at " << expected << ", the file at " << b.size();
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult retailInvariants(const std::string& path, Expected want) {
    return retailInvariants(testkit::readFile(path), want);
}

}  // namespace archive_test
