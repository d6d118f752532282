#include "ids/crc32_fast.h"

#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define SONKRATE_CARRYLESS_CRC 1
#endif

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

constexpr std::uint32_t stepBackZero(const CrcTables& tables, std::uint32_t state) {
    const std::uint8_t i = tables.byTopByte[state >> 24];
    return ((state ^ tables.t[0][i]) << 8) | i;
}

constexpr detail::Crc16Tables makeTables16() {
    detail::Crc16Tables tables{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        tables.t[0][i] = kTables.t[0][i];
        for (int k = 1; k < 16; ++k)
            tables.t[k][i] = (tables.t[k - 1][i] >> 8) ^ kTables.t[0][tables.t[k - 1][i] & 0xFFu];
    }
    std::uint32_t state = kCrcStart;
    for (int k = 0; k <= 64; ++k) {
        tables.startBefore[k] = state;
        state = stepBackZero(kTables, state);
        if (k > 16) continue;
        const int low = k < 8 ? k : 8, high = k < 8 ? 0 : k - 8;
        tables.keepLow[k] = low == 8 ? 0 : ~std::uint64_t{0} << (8 * low);
        tables.keepHigh[k] = high == 8 ? 0 : ~std::uint64_t{0} << (8 * high);
    }
    return tables;
}


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

inline std::uint32_t crcEight(std::uint32_t state, std::uint64_t v) {
    const auto& t = kTables.t;
    v ^= state;
    return t[7][v & 0xFF] ^ t[6][(v >> 8) & 0xFF] ^ t[5][(v >> 16) & 0xFF] ^ t[4][(v >> 24) & 0xFF] ^
           t[3][(v >> 32) & 0xFF] ^ t[2][(v >> 40) & 0xFF] ^ t[1][(v >> 48) & 0xFF] ^ t[0][v >> 56];
}

inline std::uint32_t lowerAscii4(std::uint32_t x) {
    return static_cast<std::uint32_t>(detail::lowerAscii8(x) & 0xFFFFFFFFu);
}

// Four bytes at once, for the short names that are most candidates.
inline std::uint32_t crcFour(std::uint32_t state, std::uint32_t v) {
    const auto& t = kTables.t;
    v ^= state;
    return t[3][v & 0xFF] ^ t[2][(v >> 8) & 0xFF] ^ t[1][(v >> 16) & 0xFF] ^ t[0][v >> 24];
}

}  // namespace

const std::uint32_t (&crcTables())[8][256] { return kTables.t; }

namespace detail {
constexpr Crc16Tables kCrc16Tables = makeTables16();
}  // namespace detail

std::uint32_t crcUpdate(std::uint32_t state, const std::uint8_t* data, std::size_t size) {
    for (; size >= 8; size -= 8, data += 8) state = crcEight(state, io::getU64(data));
    if (size >= 4) state = crcFour(state, io::getU32(data)), size -= 4, data += 4;
    for (; size > 0; --size, ++data) state = crcStep(state, *data);
    return state;
}

std::uint32_t crcUpdateLower(std::uint32_t state, const std::uint8_t* data, std::size_t size) {
    for (; size >= 8; size -= 8, data += 8) state = crcEight(state, detail::lowerAscii8(io::getU64(data)));
    if (size >= 4) state = crcFour(state, lowerAscii4(io::getU32(data))), size -= 4, data += 4;
    for (; size > 0; --size, ++data) state = (state >> 8) ^ kLowerStep[(state ^ kLower[*data]) & 0xFFu];
    return state;
}

#if SONKRATE_CARRYLESS_CRC
namespace {

// Bytes 16 - k to 31 - k: k zeros, then bytes kept.
alignas(32) constexpr std::uint8_t kKeepLast[32] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// Sixteen bytes lower-cased, the first zeros of them zeroed.
__attribute__((target("pclmul"))) inline __m128i loadLowered(const std::uint8_t* p, std::size_t zeros) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i fromA = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>('A' + 128)));
    const __m128i upper = _mm_cmplt_epi8(fromA, _mm_set1_epi8(static_cast<char>(-128 + 26)));
    x = _mm_or_si128(x, _mm_and_si128(upper, _mm_set1_epi8(0x20)));
    return _mm_and_si128(x, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kKeepLast + 16 - zeros)));
}

// The running state after sixteen bytes whose first four have the state
// before them mixed in: folded to 64 bits and reduced to 32 (Barrett) by
// carry-less multiplication with the constants of the reflected polynomial.
__attribute__((target("pclmul"))) inline std::uint32_t reduce16(__m128i x) {
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
    __m128i y = _mm_clmulepi64_si128(x, k3k4, 0x10);
    x = _mm_xor_si128(_mm_srli_si128(x, 8), y);
    y = _mm_srli_si128(x, 4);
    x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), k5, 0x00), y);
    y = _mm_clmulepi64_si128(_mm_and_si128(x, low32), poly, 0x10);
    y = _mm_clmulepi64_si128(_mm_and_si128(y, low32), poly, 0x00);
    x = _mm_xor_si128(x, y);
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(x, 4)));
}

__attribute__((target("pclmul"))) std::uint32_t carrylessLast16(const std::uint8_t* p, std::size_t size) {
    const std::size_t zeros = 16 - (size < 16 ? size : 16);
    const __m128i start = _mm_cvtsi32_si128(static_cast<int>(detail::kCrc16Tables.startBefore[zeros]));
    return reduce16(_mm_xor_si128(loadLowered(p, zeros), start)) ^ kCrcStart;
}

// The last size bytes of the Blocks * 16 bytes at p: each sixteen bytes
// folded onto the next (carried 128 bits on by two carry-less
// multiplications, which do not wait on each other), the last reduced.
template <std::size_t Blocks>
__attribute__((target("pclmul"))) std::uint32_t carrylessWindow(const std::uint8_t* p, std::size_t size) {
    constexpr std::size_t kBytes = 16 * Blocks;
    const std::size_t zeros = kBytes - (size < kBytes ? size : kBytes);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);  // as in reduce16: 128 bits on
    auto zerosOf = [zeros](std::size_t block) {
        const std::size_t before = 16 * block;
        return zeros <= before ? 0 : zeros - before >= 16 ? 16 : zeros - before;
    };
    __m128i x = _mm_xor_si128(loadLowered(p, zerosOf(0)),
                              _mm_cvtsi32_si128(static_cast<int>(detail::kCrc16Tables.startBefore[zeros])));
    for (std::size_t b = 1; b < Blocks; ++b) {
        const __m128i carried = _mm_xor_si128(_mm_clmulepi64_si128(x, k3k4, 0x00), _mm_clmulepi64_si128(x, k3k4, 0x11));
        x = _mm_xor_si128(carried, loadLowered(p + 16 * b, zerosOf(b)));
    }
    return reduce16(x) ^ kCrcStart;
}

}  // namespace

ShortCrc carrylessShortCrc() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") ? carrylessLast16 : nullptr;
}
#else
ShortCrc carrylessShortCrc() { return nullptr; }
#endif

ShortCrc fastestShortCrc() {
    if (ShortCrc carryless = carrylessShortCrc()) return carryless;
    return crcOfLast16Lower;
}

namespace {
template <std::size_t Bytes>
std::uint32_t tableLast(const std::uint8_t* p, std::size_t size) {
    return crcUpdateLower(kCrcStart, p + Bytes - size, size) ^ kCrcStart;
}
}  // namespace

ShortCrc fastestShortCrc32() {
#if SONKRATE_CARRYLESS_CRC
    if (carrylessShortCrc()) return carrylessWindow<2>;
#endif
    return tableLast<32>;
}

ShortCrc fastestShortCrc64() {
#if SONKRATE_CARRYLESS_CRC
    if (carrylessShortCrc()) return carrylessWindow<4>;
#endif
    return tableLast<64>;
}

std::uint32_t crcStepBack(std::uint32_t state, std::uint8_t byte) {
    // state = (prev >> 8) ^ t[i] with i = (prev ^ byte) & 0xFF; the top byte of
    // state is the top byte of t[i], which names i.
    const std::uint8_t i = kTables.byTopByte[state >> 24];
    const std::uint32_t high = (state ^ kTables.t[0][i]) << 8;
    return high | static_cast<std::uint8_t>(i ^ byte);
}

}  // namespace sonkrate::ids
