#include "ids/search/name_harvest.h"

#include <algorithm>
#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ids/crc32_fast.h"

namespace sonkrate::ids {

namespace {

// Longer runs are tried in segments of about this size, each cut after a delimiter.
constexpr std::size_t kSegment = 16 * 1024;

// Low bytes of UTF-16LE characters kept: printable ASCII, tab and Latin-1 letters.
constexpr std::array<bool, 256> makeWide() {
    std::array<bool, 256> wide{};
    for (int b = 0; b < 256; ++b) wide[b] = b == '\t' || (b >= 0x20 && b < 0x7F) || b >= 0xA0;
    return wide;
}

constexpr std::array<bool, 256> kWide = makeWide();

// Bit i of breaks: byte i ends a run; of cutting: byte i gives a run pieces
// (a delimiter, blank, path separator or dot); of zeros: byte i is zero. n is
// at most 64.
inline void blockMasks(const std::uint8_t* p, std::size_t n, std::uint64_t& breaks, std::uint64_t& cutting,
                       std::uint64_t& zeros) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
    auto below = [&](__m128i x, int limit) {  // x < limit, unsigned
        return _mm_cmplt_epi8(_mm_xor_si128(x, bias), _mm_set1_epi8(static_cast<char>(limit ^ 0x80)));
    };
    auto within = [&](__m128i x, int low, int high) {
        return below(_mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(low))), high - low + 1);
    };
    auto is = [](__m128i x, int c) { return _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(c))); };
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i tab = is(x, '\t');
        const __m128i stop = _mm_or_si128(_mm_andnot_si128(tab, below(x, 0x20)), is(x, 0x7F));
        __m128i cut = _mm_or_si128(_mm_or_si128(tab, is(x, ' ')), _mm_or_si128(is(x, '"'), is(x, ',')));
        cut = _mm_or_si128(cut, _mm_or_si128(is(x, '{'), is(x, '}')));
        cut = _mm_or_si128(cut, _mm_or_si128(within(x, '\'', ')'), within(x, '.', '/')));
        cut = _mm_or_si128(cut, _mm_or_si128(within(x, ':', '>'), within(x, '[', ']')));
        breaks |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(stop))) << i;
        cutting |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(cut))) << i;
        zeros |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(is(x, 0)))) << i;
    }
#endif
    const std::uint8_t(&kinds)[256] = detail::kKinds.of;
    for (; i < n; ++i) {
        const std::uint8_t k = kinds[p[i]];
        breaks |= static_cast<std::uint64_t>(!(k & kRunByte)) << i;
        cutting |= static_cast<std::uint64_t>((k & kCutting) != 0) << i;
        zeros |= static_cast<std::uint64_t>(p[i] == 0) << i;
    }
}

}  // namespace

NameScanner::NameScanner(const SoughtIds& sought, NameMatches& matches)
    : sought_(sought), matches_(matches), shortCrc_(fastestShortCrc()), shortCrc32_(fastestShortCrc32()),
      shortCrc64_(fastestShortCrc64()) {
    carry_.reserve(3 * kSegment);
}

void NameScanner::begin(std::string sourcePath) {
    path_ = std::move(sourcePath);
    position_ = 0;
    carry_.clear();
    carryIsRunStart_ = true;
    previous_ = -1;
    for (WideRun& w : wide_) w.bytes.clear();
}

void NameScanner::feed(const std::uint8_t* data, std::size_t size) {
    std::size_t base = 0;
    std::size_t runStart = 0;  // where the run being read started (in data)
    if (!carry_.empty()) {
        // The run carried from the last piece goes on to the first break.
        while (base < size) {
            const std::size_t n = std::min<std::size_t>(64, size - base);
            std::uint64_t breaks = 0, cutting = 0, zeros = 0;
            blockMasks(data + base, n, breaks, cutting, zeros);
            if (breaks == 0) {
                base += n;
                continue;
            }
            const std::size_t end = base + static_cast<unsigned>(__builtin_ctzll(breaks));
            runEnds(data, 0, end, true);
            runStart = end + 1;
            break;
        }
    }
    readableEnd_ = data + size;
    if (base < size) scanRuns(data, size, base, runStart);
    else if (size > 0) carry(data, size, position_, kindsOf(data, size));
    if (size > 0) previous_ = data[size - 1];
    position_ += size;
}

// Runs of data from the block at base on, the one that starts at runStart
// first. Only the breaks that end a run of two bytes or more, or a zero after
// a character (which may end a UTF-16 character), are looked at. A run that
// is short, has nothing to cut and whose hash the filter of the sought
// identifiers rejects is passed over without a branch; the others are noted
// and then handled in order, so that names are found in the stream's order.
void NameScanner::scanRuns(const std::uint8_t* data, std::size_t size, std::size_t base, std::size_t runStart) {
    static constexpr std::uint8_t kZeros[16] = {};
    std::int64_t lastCutting = -1;  // the last byte seen that gives a run pieces
    std::int64_t lastBreak = static_cast<std::int64_t>(runStart) - 1;
    std::uint64_t runBytesBefore = 0;  // bits 62 and 63: the two bytes before the block are run bytes
    struct Noted {
        std::uint32_t start, end;
        bool cutting;
        std::int32_t cutAt;  // the one byte of the run that gives it pieces, or -1
    };
    Noted noted[65];
    for (; base < size; base += 64) {
        const std::size_t n = std::min<std::size_t>(64, size - base);
        std::uint64_t breaks = 0, cutting = 0, zeros = 0;
        blockMasks(data + base, n, breaks, cutting, zeros);
        if (runStart > base) breaks &= runStart - base >= 64 ? 0 : ~std::uint64_t{0} << (runStart - base);
        const std::uint64_t runBytes = ~breaks & (n == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1);
        const std::uint64_t after1 = (runBytes << 1) | (runBytesBefore >> 63);
        const std::uint64_t after2 = (runBytes << 2) | (runBytesBefore >> 62);
        std::uint64_t visit = breaks & after1 & (after2 | zeros);
        std::size_t count = 0;
        for (; visit != 0; visit &= visit - 1) {
            const unsigned bit = static_cast<unsigned>(__builtin_ctzll(visit));
            const std::size_t end = base + bit;
            const std::uint64_t below = (std::uint64_t{1} << bit) - 1;
            const std::uint64_t breaksBefore = breaks & below, cuttingBefore = cutting & below;
            const std::int64_t top = static_cast<std::int64_t>(base + 63);
            const std::int64_t start = 1 + (breaksBefore ? top - __builtin_clzll(breaksBefore) : lastBreak);
            const bool cuts = cuttingBefore ? top - __builtin_clzll(cuttingBefore) >= start : lastCutting >= start;
            const std::size_t length = end - static_cast<std::size_t>(start);
            // A run with one byte to cut at, as most that have any: its bytes in
            // this block have one, those before it none.
            const bool within = static_cast<std::size_t>(start) >= base;
            const unsigned from = within ? static_cast<unsigned>(static_cast<std::size_t>(start) - base) : 0;
            const std::uint64_t runCuts = (cuttingBefore >> from) << from;
            const bool one = (runCuts != 0) & ((runCuts & (runCuts - 1)) == 0) & (within | (lastCutting < start));
            const int cutAt = one ? static_cast<int>(base + __builtin_ctzll(runCuts) - static_cast<std::size_t>(start)) : -1;
            const std::uint8_t* last16 = end >= 16 ? data + end - 16 : kZeros;
            const bool maybe = sought_.mayContain(shortCrc_(last16, length)) | (end < 16) | (length > 16) | cuts;
            const int character = end > 0 ? data[end - 1] : previous_;
            const bool wide = (data[end] == 0) & (character >= 0) & kWide[static_cast<std::uint8_t>(character)];
            noted[count] = {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end), cuts, cutAt};
            count += ((length >= kMinNameLength) & maybe) | wide;
            candidates_ += (length >= kMinNameLength) & !maybe & !wide;  // passed over here, tried all the same
        }
        if (breaks) lastBreak = static_cast<std::int64_t>(base + 63) - __builtin_clzll(breaks);
        if (cutting) lastCutting = static_cast<std::int64_t>(base + 63) - __builtin_clzll(cutting);
        runBytesBefore = runBytes << (64 - n);
        for (std::size_t i = 0; i < count; ++i) runEnds(data, noted[i].start, noted[i].end, noted[i].cutting, noted[i].cutAt);
    }
    runStart = static_cast<std::size_t>(lastBreak + 1);
    if (runStart < size) {
        const std::uint8_t* rest = data + runStart;
        carry(rest, size - runStart, position_ + runStart, kindsOf(rest, size - runStart));
    }
}

// The run [start, end) of data ends at data[end]; a zero there after a
// character may also go on a UTF-16 run.
void NameScanner::runEnds(const std::uint8_t* data, std::size_t start, std::size_t end, bool cutting, int cutAt) {
    const std::uint8_t* run = data + start;
    const std::size_t size = end - start;
    if (!carry_.empty()) {
        carry(run, size, position_ + start, kindsOf(run, size));
        flushCarry();
    } else if (size >= kMinNameLength && size <= kMaxNameLength && !cutting) {
        ++candidates_;  // the common case, inline: the run is its one candidate
        readable_ = data;
        const SoundId id = hash(run, size);
        readable_ = nullptr;
        if (sought_.contains(id)) keep(id, run, size, position_ + start);
    } else if (size >= kMinNameLength) {
        readable_ = data;
        if (cutAt >= 0 && size <= kSegment) oneCutRun(run, size, position_ + start, static_cast<std::size_t>(cutAt));
        else narrowRun(run, size, position_ + start, cutting ? kCutting : std::uint8_t{kRunByte});
        readable_ = nullptr;
    }
    if (data[end] == 0) {
        const int before = end > 0 ? data[end - 1] : previous_;
        if (before >= 0 && kWide[static_cast<std::uint8_t>(before)]) wideCharacter(static_cast<std::uint8_t>(before), position_ + end - 1);
    }
}

void NameScanner::finish() {
    if (!carry_.empty()) flushCarry();
    for (WideRun& w : wide_) flushWide(w);
}

void NameScanner::narrowRun(const std::uint8_t* run, std::size_t size, std::uint64_t offset, std::uint8_t kinds) {
    if (size <= kMaxNameLength && !(kinds & kCutting)) {
        tryWhole(run, size, offset);
        return;
    }
    if (size <= kSegment) {
        tryRun(run, size, offset, 1, true);
        return;
    }
    std::size_t at = 0;
    while (size - at > kSegment) {
        std::size_t cut = at + kSegment;
        while (cut > at && !isNameDelimiter(run[cut - 1])) --cut;
        if (cut == at) cut = at + kSegment;  // no delimiter: nothing in it is short enough to matter
        tryRun(run + at, cut - at, offset + at, 1, false);
        at = cut;
    }
    tryRun(run + at, size - at, offset + at, 1, false);
}

void NameScanner::carry(const std::uint8_t* data, std::size_t size, std::uint64_t offset, std::uint8_t kinds) {
    if (carry_.empty()) {
        carryOffset_ = offset;
        carryKinds_ = 0;
    }
    carryKinds_ |= kinds;
    carry_.insert(carry_.end(), data, data + size);
    if (carry_.size() <= 2 * kSegment) return;
    // Too long to keep: the segments up to the last delimiter are tried now.
    std::size_t cut = carry_.size() - kSegment;
    while (cut > 0 && !isNameDelimiter(carry_[cut - 1])) --cut;
    if (cut == 0) cut = carry_.size() - kSegment;
    tryRun(carry_.data(), cut, carryOffset_, 1, false);
    carry_.erase(carry_.begin(), carry_.begin() + static_cast<std::ptrdiff_t>(cut));
    carryOffset_ += cut;
    carryIsRunStart_ = false;
    carryKinds_ = kindsOf(carry_.data(), carry_.size());
}

void NameScanner::flushCarry() {
    if (carryIsRunStart_) narrowRun(carry_.data(), carry_.size(), carryOffset_, carryKinds_);
    else tryRun(carry_.data(), carry_.size(), carryOffset_, 1, false);
    carry_.clear();
    carryIsRunStart_ = true;
}

void NameScanner::wideCharacter(std::uint8_t low, std::uint64_t offset) {
    WideRun& run = wide_[offset & 1];
    if (!run.bytes.empty() && run.offset + 2 * run.bytes.size() != offset) flushWide(run);
    if (run.bytes.empty()) run.offset = offset;
    run.bytes.push_back(low);
    if (run.bytes.size() >= kSegment) flushWide(run);
}

void NameScanner::flushWide(WideRun& run) {
    if (run.bytes.size() >= kMinNameLength)
        tryRun(run.bytes.data(), run.bytes.size(), run.offset, 2, true);
    run.bytes.clear();
}

void NameScanner::tryRun(const std::uint8_t* run, std::size_t size, std::uint64_t offset, unsigned stride,
                         bool wholeRun) {
    if (size < kMinNameLength) return;
    auto tryOne = [&](std::size_t start, std::size_t length) {
        const SoundId id = hash(run + start, length);
        if (sought_.contains(id)) keep(id, run + start, length, offset + std::uint64_t{start} * stride);
    };
    // A span that comes twice (a file name seen from two splits) is only hashed twice.
    auto each = [&](std::size_t start, std::size_t length) {
        ++candidates_;
        tryOne(start, length);
    };
    const std::uint8_t* bufferEnd = readable_ ? readableEnd_ : run + size;
    buildRunMasks(run, size, static_cast<std::size_t>(bufferEnd - run), masks_);
    forEachCandidateSpanOfMasks(size, wholeRun, masks_, each);
}

// The candidates of a whole run that one byte gives pieces, in the order the
// cutter gives them: the run, trimmed of a blank at either end, the file name
// after a separator, the name before a dot, the pieces on either side of a
// delimiter (of a quotation mark too: pieces between quotation marks count
// only when they hold a delimiter).
void NameScanner::oneCutRun(const std::uint8_t* run, std::size_t size, std::uint64_t offset, std::size_t at) {
    auto tryOne = [&](std::size_t start, std::size_t end) {
        const std::size_t length = end - start;
        if (length < kMinNameLength || length > kMaxNameLength) return;
        ++candidates_;
        const SoundId id = hash(run + start, length);
        if (sought_.contains(id)) keep(id, run + start, length, offset + start);
    };
    const std::uint8_t kinds = nameByteKinds()[run[at]];
    tryOne(0, size);
    if ((kinds & kBlank) && at == 0) tryOne(1, size);
    if ((kinds & kBlank) && at == size - 1) tryOne(0, size - 1);
    if (kinds & kSeparator) tryOne(at + 1, size);
    if ((kinds & kDot) && at > 0) tryOne(0, at);
    if (kinds & kDelimiter) {
        tryOne(0, at);
        tryOne(at + 1, size);
    }
}

void NameScanner::tryWhole(const std::uint8_t* run, std::size_t size, std::uint64_t offset) {
    ++candidates_;
    const SoundId id = hash(run, size);
    if (sought_.contains(id)) keep(id, run, size, offset);
}

SoundId NameScanner::hash(const std::uint8_t* name, std::size_t length) const {
    const std::uint8_t* end = name + length;
    const std::ptrdiff_t readable = readable_ ? end - readable_ : 0;
    if (length <= 16 && readable >= 16) return shortCrc_(end - 16, length);
    if (length <= 32 && readable >= 32) return shortCrc32_(end - 32, length);
    if (length <= 64 && readable >= 64) return shortCrc64_(end - 64, length);
    return crcUpdateLower(kCrcStart, name, length) ^ kCrcStart;
}

void NameScanner::keep(SoundId id, const std::uint8_t* bytes, std::size_t size, std::uint64_t offset) {
    // A name found again, as most are, is known without a copy of it or of the path.
    char lowered[kMaxNameLength];
    if (size > kMaxNameLength) return;  // no candidate is
    for (std::size_t i = 0; i < size; ++i) lowered[i] = static_cast<char>(lowerAsciiByte(bytes[i]));
    const std::string_view name(lowered, size);
    if (matches_.has(id, name)) return;
    if (matches_.add({id, std::string(name), NameHow::Found, path_, offset})) ++added_;
}

}  // namespace sonkrate::ids
