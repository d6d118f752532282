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
void sixteenKinds(const std::uint8_t* p, std::size_t size, bool readable, std::uint64_t (&planes)[RunMasks::kPlanes]) {
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

// The planes of a run of at most 64 bytes: the kinds byte by byte, then each
// kind's bit gathered sixteen bytes at a time.
void shortRunMasks(const std::uint8_t* run, std::size_t size, std::uint64_t* b) {
    using M = RunMasks;
    for (std::size_t p = 0; p < M::kPlanes; ++p) b[p] = 0;
#if defined(__SSE2__)
    alignas(16) std::uint8_t kinds[64];
    const std::size_t chunks = (size + 15) / 16;
    for (std::size_t c = 0; c < chunks; ++c) _mm_store_si128(reinterpret_cast<__m128i*>(kinds + 16 * c), _mm_setzero_si128());
    for (std::size_t i = 0; i < size; ++i) kinds[i] = detail::kKinds.of[run[i]];
    for (std::size_t c = 0; c < chunks; ++c) {
        const __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(kinds + 16 * c));
        auto plane = [&](int bit) {
            return static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_slli_epi16(k, 7 - bit))))
                   << (16 * c);
        };
        b[M::kDelimiterPlane] |= plane(1), b[M::kBlankPlane] |= plane(2), b[M::kSeparatorPlane] |= plane(3);
        b[M::kDotPlane] |= plane(4), b[M::kDoubleQuotePlane] |= plane(5), b[M::kSingleQuotePlane] |= plane(6);
    }
#else
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint64_t k = detail::kKinds.of[run[i]];
        for (int p = M::kDelimiterPlane; p <= M::kSingleQuotePlane; ++p) b[p] |= ((k >> (p + 1)) & 1) << i;
    }
#endif
    b[M::kShapePlane] = b[M::kBlankPlane] | b[M::kSeparatorPlane] | b[M::kDotPlane];
}

}  // namespace

void buildRunMasks(const std::uint8_t* run, std::size_t size, std::size_t readable, RunMasks& masks) {
    using M = RunMasks;
    const std::size_t words = (size + 63) / 64;
    masks.words = words;
    if (masks.bits.size() < M::kPlanes * words) masks.bits.resize(M::kPlanes * words);
    std::uint64_t* b = masks.bits.data();
    std::uint64_t any = 0;  // bit p: plane p has a byte
    if (words == 1) {
        shortRunMasks(run, size, b);
        for (std::size_t p = 0; p < M::kPlanes; ++p) any |= std::uint64_t{b[p] != 0} << p;
    }
    for (std::size_t w = 0; w < words && words > 1; ++w) {
        std::uint64_t word[M::kPlanes] = {};
        for (std::size_t at = 64 * w; at < size && at < 64 * (w + 1); at += 16) {
            std::uint64_t planes[M::kPlanes];
            sixteenKinds(run + at, size - at, readable - at >= 16, planes);
            for (std::size_t p = 0; p < M::kPlanes; ++p) word[p] |= planes[p] << (at & 63);
        }
        for (std::size_t p = 0; p < M::kPlanes; ++p) {
            b[p * words + w] = word[p];
            any |= std::uint64_t{word[p] != 0} << p;
        }
    }
    // The planes up to the single quotes are in the order of the kinds' bits.
    static_assert(kDelimiter == 2 << M::kDelimiterPlane && kSingleQuote == 2 << M::kSingleQuotePlane);
    masks.kinds = static_cast<std::uint8_t>((any & 0x3F) << 1);
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
