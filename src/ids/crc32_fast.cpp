#include "ids/crc32_fast.h"

#include <array>

#include "io/byte_order.h"

namespace sonkrate::ids {

namespace {

struct CrcTables {
    std::uint32_t t[8][256];
    // For each top byte of a state, the table index whose entry has it: the
    // top bytes of the 256 entries of table 0 are all different.
    std::uint8_t byTopByte[256];
};

constexpr CrcTables makeTables() {
    CrcTables tables{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        tables.t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i)
        for (int k = 1; k < 8; ++k)
            tables.t[k][i] = (tables.t[k - 1][i] >> 8) ^ tables.t[0][tables.t[k - 1][i] & 0xFFu];
    for (std::uint32_t i = 0; i < 256; ++i) tables.byTopByte[tables.t[0][i] >> 24] = static_cast<std::uint8_t>(i);
    return tables;
}

constexpr CrcTables kTables = makeTables();
constexpr const std::uint32_t (&kLowerStep)[256] = kTables.t[0];

struct LowerTable {
    std::uint8_t of[256] = {};
};
constexpr LowerTable makeLower() {
    LowerTable t{};
    for (int b = 0; b < 256; ++b) t.of[b] = lowerAsciiByte(static_cast<std::uint8_t>(b));
    return t;
}
constexpr LowerTable kLowerTable = makeLower();
constexpr const std::uint8_t (&kLower)[256] = kLowerTable.of;

// Eight bytes at once: A-Z (and only those) gain 0x20.
inline std::uint64_t lowerAscii8(std::uint64_t x) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    const std::uint64_t low7 = x & (0x7F * kOnes);
    const std::uint64_t aboveZ = low7 + (0x7F - 'Z') * kOnes;  // high bit set when byte > 'Z'
    const std::uint64_t fromA = low7 + (0x80 - 'A') * kOnes;   // high bit set when byte >= 'A'
    const std::uint64_t upper = fromA & ~aboveZ & ~x & (0x80 * kOnes);
    return x | (upper >> 2);
}

inline std::uint32_t crcEight(std::uint32_t state, std::uint64_t v) {
    const auto& t = kTables.t;
    v ^= state;
    return t[7][v & 0xFF] ^ t[6][(v >> 8) & 0xFF] ^ t[5][(v >> 16) & 0xFF] ^ t[4][(v >> 24) & 0xFF] ^
           t[3][(v >> 32) & 0xFF] ^ t[2][(v >> 40) & 0xFF] ^ t[1][(v >> 48) & 0xFF] ^ t[0][v >> 56];
}

inline std::uint32_t lowerAscii4(std::uint32_t x) {
    return static_cast<std::uint32_t>(lowerAscii8(x) & 0xFFFFFFFFu);
}

// Four bytes at once, for the short names that are most candidates.
inline std::uint32_t crcFour(std::uint32_t state, std::uint32_t v) {
    const auto& t = kTables.t;
    v ^= state;
    return t[3][v & 0xFF] ^ t[2][(v >> 8) & 0xFF] ^ t[1][(v >> 16) & 0xFF] ^ t[0][v >> 24];
}

}  // namespace

const std::uint32_t (&crcTables())[8][256] { return kTables.t; }

std::uint32_t crcUpdate(std::uint32_t state, const std::uint8_t* data, std::size_t size) {
    for (; size >= 8; size -= 8, data += 8) state = crcEight(state, io::getU64(data));
    if (size >= 4) state = crcFour(state, io::getU32(data)), size -= 4, data += 4;
    for (; size > 0; --size, ++data) state = crcStep(state, *data);
    return state;
}

std::uint32_t crcUpdateLower(std::uint32_t state, const std::uint8_t* data, std::size_t size) {
    for (; size >= 8; size -= 8, data += 8) state = crcEight(state, lowerAscii8(io::getU64(data)));
    if (size >= 4) state = crcFour(state, lowerAscii4(io::getU32(data))), size -= 4, data += 4;
    for (; size > 0; --size, ++data) state = (state >> 8) ^ kLowerStep[(state ^ kLower[*data]) & 0xFFu];
    return state;
}

std::uint32_t crcStepBack(std::uint32_t state, std::uint8_t byte) {
    // state = (prev >> 8) ^ t[i] with i = (prev ^ byte) & 0xFF; the top byte of
    // state is the top byte of t[i], which names i.
    const std::uint8_t i = kTables.byTopByte[state >> 24];
    const std::uint32_t high = (state ^ kTables.t[0][i]) << 8;
    return high | static_cast<std::uint8_t>(i ^ byte);
}

}  // namespace sonkrate::ids
