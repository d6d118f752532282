#include "ids/search/name_candidates.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sonkrate::ids {

namespace {

bool before(const NameSpan& a, const NameSpan& b) { return a.start != b.start ? a.start < b.start : a.length < b.length; }

}  // namespace

const std::uint8_t (&nameByteKinds())[256] { return detail::kKinds.of; }

namespace {

// The planes of sixteen bytes (bits past size zero), as 16-bit masks; all
// sixteen may be read when readable says so.
inline __attribute__((always_inline)) void sixteenKinds(const std::uint8_t* p, std::size_t size, bool readable,
                                                        std::uint64_t (&planes)[RunMasks::kPlanes]) {
    using M = RunMasks;
#if defined(__SSE2__)
    alignas(16) std::uint8_t tail[16] = {};
    if (size < 16 && !readable) {
        for (std::size_t i = 0; i < size; ++i) tail[i] = p[i];
        p = tail;
    }
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    if (size < 16) {
        alignas(16) static constexpr std::uint8_t kKeep[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                                0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        x = _mm_and_si128(x, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kKeep + 16 - size)));
    }
    auto is = [&](char c) { return _mm_cmpeq_epi8(x, _mm_set1_epi8(c)); };
    auto within = [&](char low, char high) {  // low <= x <= high, both below 0x80
        const __m128i d = _mm_sub_epi8(x, _mm_set1_epi8(low));
        return _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(static_cast<char>(high - low))), d);
    };
    auto bits = [](__m128i m) { return static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(m))); };
    const __m128i tab = is('\t'), dq = is('"'), sq = is('\'');
    const __m128i blank = _mm_or_si128(tab, is(' '));
    const __m128i separator = _mm_or_si128(is('/'), is('\\'));
    const __m128i dot = is('.');
    __m128i delimiter = _mm_or_si128(_mm_or_si128(tab, dq), _mm_or_si128(within('\'', ')'), within(':', '>')));
    delimiter = _mm_or_si128(delimiter, _mm_or_si128(is(','), _mm_or_si128(is('['), is(']'))));
    delimiter = _mm_or_si128(delimiter, _mm_or_si128(is('{'), is('}')));
    planes[M::kDelimiterPlane] = bits(delimiter);
    planes[M::kBlankPlane] = bits(blank);
    planes[M::kSeparatorPlane] = bits(separator);
    planes[M::kDotPlane] = bits(dot);
    planes[M::kDoubleQuotePlane] = bits(dq);
    planes[M::kSingleQuotePlane] = bits(sq);
    planes[M::kShapePlane] = bits(_mm_or_si128(_mm_or_si128(blank, separator), dot));
#else
    (void)readable;
    for (std::uint64_t& plane : planes) plane = 0;
    for (std::size_t i = 0; i < size && i < 16; ++i) {
        const std::uint64_t k = detail::kKinds.of[p[i]];
        for (int plane = M::kDelimiterPlane; plane <= M::kSingleQuotePlane; ++plane)
            planes[plane] |= ((k >> (plane + 1)) & 1) << i;
        planes[M::kShapePlane] |= std::uint64_t{(k & (kBlank | kSeparator | kDot)) != 0} << i;
    }
#endif
}

}  // namespace

void buildShortRunMasks(const std::uint8_t* run, std::size_t size, std::size_t readable, RunMasks& masks) {
    using M = RunMasks;
    std::uint64_t* b = masks.one;
    for (std::size_t p = 0; p < M::kPlanes; ++p) b[p] = 0;
    // Sixteen bytes at a time, from the bytes themselves: a table of kinds
    // stored byte by byte and read back sixteen at a time would stall.
    for (std::size_t at = 0; at < size; at += 16) {
        std::uint64_t planes[M::kPlanes];
        sixteenKinds(run + at, size - at, readable - at >= 16, planes);
        for (std::size_t p = 0; p < M::kPlanes; ++p) b[p] |= planes[p] << at;
    }
    masks.words = 1;
    masks.kinds = static_cast<std::uint8_t>((b[0] ? kDelimiter : 0) | (b[1] ? kBlank : 0) | (b[2] ? kSeparator : 0) |
                                            (b[3] ? kDot : 0) | (b[4] ? kDoubleQuote : 0) | (b[5] ? kSingleQuote : 0));
}

void buildLongRunMasks(const std::uint8_t* run, std::size_t size, std::size_t readable, RunMasks& masks) {
    using M = RunMasks;
    const std::size_t words = (size + 63) / 64;
    masks.words = words;
    if (masks.bits.size() < M::kPlanes * words) masks.bits.resize(M::kPlanes * words);
    std::uint64_t* b = masks.bits.data();
    std::uint64_t any[M::kPlanes] = {};  // the OR of each plane's words
    for (std::size_t w = 0; w < words; ++w) {
        std::uint64_t word[M::kPlanes] = {};
        for (std::size_t at = 64 * w; at < size && at < 64 * w + 64; at += 16) {
            std::uint64_t planes[M::kPlanes];
            sixteenKinds(run + at, size - at, readable - at >= 16, planes);
            const unsigned shift = at & 63;
            word[0] |= planes[0] << shift, word[1] |= planes[1] << shift, word[2] |= planes[2] << shift;
            word[3] |= planes[3] << shift, word[4] |= planes[4] << shift, word[5] |= planes[5] << shift;
            word[6] |= planes[6] << shift;
        }
        b[w] = word[0], b[words + w] = word[1], b[2 * words + w] = word[2], b[3 * words + w] = word[3];
        b[4 * words + w] = word[4], b[5 * words + w] = word[5], b[6 * words + w] = word[6];
        any[0] |= word[0], any[1] |= word[1], any[2] |= word[2], any[3] |= word[3];
        any[4] |= word[4], any[5] |= word[5];
    }
    static_assert(M::kDelimiterPlane == 0 && M::kSingleQuotePlane == 5 && M::kShapePlane == 6);
    masks.kinds = static_cast<std::uint8_t>((any[0] ? kDelimiter : 0) | (any[1] ? kBlank : 0) |
                                            (any[2] ? kSeparator : 0) | (any[3] ? kDot : 0) |
                                            (any[4] ? kDoubleQuote : 0) | (any[5] ? kSingleQuote : 0));
}

std::uint8_t kindsOf(const std::uint8_t* run, std::size_t size) {
    std::uint8_t kinds = 0;
    for (std::size_t i = 0; i < size; ++i) kinds |= detail::kKinds.of[run[i]];
    return kinds;
}

void candidateSpans(const std::uint8_t* run, std::size_t size, bool wholeRun, std::uint8_t kinds,
                    std::vector<NameSpan>& spans) {
    spans.clear();
    forEachCandidateSpan(run, size, wholeRun, kinds, [&](std::size_t start, std::size_t length) {
        spans.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length)});
    });
    if (spans.size() < 2) return;
    // Few spans as a rule: an insertion sort, then the repeats dropped.
    if (spans.size() > 32) {
        std::sort(spans.begin(), spans.end(), before);
    } else {
        for (std::size_t i = 1; i < spans.size(); ++i)
            for (std::size_t k = i; k > 0 && before(spans[k], spans[k - 1]); --k) std::swap(spans[k], spans[k - 1]);
    }
    spans.erase(std::unique(spans.begin(), spans.end()), spans.end());
}

}  // namespace sonkrate::ids
