// The CRC-32 of sound identifiers, eight bytes per step (slicing-by-8), with
// the raw running state exposed so that callers can hash a name piece by piece
// or run the CRC backwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sonkrate::ids {

// The running state before the first byte; a finished CRC is state ^ this.
inline constexpr std::uint32_t kCrcStart = 0xFFFFFFFFu;

// The 8 tables of slicing-by-8; table 0 is the usual byte-wise table.
const std::uint32_t (&crcTables())[8][256];

// One byte-wise step of the running state.
inline std::uint32_t crcStep(std::uint32_t state, std::uint8_t byte) {
    return (state >> 8) ^ crcTables()[0][(state ^ byte) & 0xFFu];
}

// The running state after the bytes, taken as they are (no case folding).
std::uint32_t crcUpdate(std::uint32_t state, const std::uint8_t* data, std::size_t size);

// The running state after the bytes with ASCII letters lower-cased.
std::uint32_t crcUpdateLower(std::uint32_t state, const std::uint8_t* data, std::size_t size);

// The identifier of bytes that are already lower-cased.
inline std::uint32_t crcOfLowered(const std::uint8_t* data, std::size_t size) {
    return crcUpdate(kCrcStart, data, size) ^ kCrcStart;
}

// The byte-wise inverse step: the state before a step that gave state with byte.
std::uint32_t crcStepBack(std::uint32_t state, std::uint8_t byte);

// ASCII letters lower-cased, every other byte as it is.
inline constexpr std::uint8_t lowerAsciiByte(std::uint8_t b) {
    return (b >= 'A' && b <= 'Z') ? static_cast<std::uint8_t>(b + ('a' - 'A')) : b;
}

}  // namespace sonkrate::ids
