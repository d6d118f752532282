// The CRC-32 of sound identifiers, eight bytes per step (slicing-by-8), with
// the raw running state exposed so that callers can hash a name piece by piece
// or run the CRC backwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "io/byte_order.h"

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

namespace detail {

// Eight bytes at once: A-Z (and only those) gain 0x20.
inline std::uint64_t lowerAscii8(std::uint64_t x) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    const std::uint64_t low7 = x & (0x7F * kOnes);
    const std::uint64_t aboveZ = low7 + (0x7F - 'Z') * kOnes;  // high bit set when byte > 'Z'
    const std::uint64_t fromA = low7 + (0x80 - 'A') * kOnes;   // high bit set when byte >= 'A'
    const std::uint64_t upper = fromA & ~aboveZ & ~x & (0x80 * kOnes);
    return x | (upper >> 2);
}

// Slicing-by-16, for the fixed sixteen bytes of short names.
struct Crc16Tables {
    std::uint32_t t[16][256];
    // The state that k zero bytes take to the starting state, for k = 0..64.
    std::uint32_t startBefore[65];
    // The bytes kept of each half of 16 when the last 16 - k are, for k = 0..16.
    std::uint64_t keepLow[17], keepHigh[17];
};
extern const Crc16Tables kCrc16Tables;

}  // namespace detail

// The identifier of the last size bytes (at most 16) of the 16 bytes at p,
// with ASCII letters lower-cased, in sixteen table look-ups and no branch:
// the bytes before them count as zeros, and the state starts where those
// zeros lead to the usual starting state. All 16 bytes must be readable;
// sizes over 16 give a value of no meaning.
inline std::uint32_t crcOfLast16Lower(const std::uint8_t* p, std::size_t size) {
    const detail::Crc16Tables& c = detail::kCrc16Tables;
    const auto& t = c.t;
    const std::size_t zeros = 16 - (size < 16 ? size : 16);
    std::uint64_t low = detail::lowerAscii8(io::getU64(p)) & c.keepLow[zeros];
    const std::uint64_t high = detail::lowerAscii8(io::getU64(p + 8)) & c.keepHigh[zeros];
    low ^= c.startBefore[zeros];
    const std::uint32_t state =
        t[15][low & 0xFF] ^ t[14][(low >> 8) & 0xFF] ^ t[13][(low >> 16) & 0xFF] ^ t[12][(low >> 24) & 0xFF] ^
        t[11][(low >> 32) & 0xFF] ^ t[10][(low >> 40) & 0xFF] ^ t[9][(low >> 48) & 0xFF] ^ t[8][low >> 56] ^
        t[7][high & 0xFF] ^ t[6][(high >> 8) & 0xFF] ^ t[5][(high >> 16) & 0xFF] ^ t[4][(high >> 24) & 0xFF] ^
        t[3][(high >> 32) & 0xFF] ^ t[2][(high >> 40) & 0xFF] ^ t[1][(high >> 48) & 0xFF] ^ t[0][high >> 56];
    return state ^ kCrcStart;
}

// The same as crcOfLast16Lower, computed with carry-less multiplication
// where the processor has it (a quarter of the instructions).
using ShortCrc = std::uint32_t (*)(const std::uint8_t* p, std::size_t size);
ShortCrc fastestShortCrc();
// The carry-less version, or null where this build or processor lacks it.
ShortCrc carrylessShortCrc();
// The same for the last size bytes (at most 32) of the 32 bytes at p, and
// (at most 64) of the 64 bytes at p.
ShortCrc fastestShortCrc32();
ShortCrc fastestShortCrc64();

}  // namespace sonkrate::ids
