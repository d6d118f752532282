// The pieces of one run of printable bytes that are tried as names: the run,
// the run trimmed of blanks, the pieces between quotation marks, the pieces
// between delimiters (= , ; : tab brackets braces), and of each piece that is
// a path its file name with and without its extension.
#pragma once

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sonkrate::ids {

// Candidates are 2 to this many bytes long.
inline constexpr std::size_t kMaxNameLength = 128;
inline constexpr std::size_t kMinNameLength = 2;

struct NameSpan {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
    bool operator==(const NameSpan&) const = default;
};

// What a byte is to the cutting of runs, as bits.
enum NameByteKind : std::uint8_t {
    kRunByte = 1,       // printable ASCII, tab, or 0x80 and above
    kDelimiter = 2,     // = , ; : tab ( ) [ ] { } < > and quotation marks
    kBlank = 4,         // blank, tab
    kSeparator = 8,     // / and \ of paths
    kDot = 16,
    kDoubleQuote = 32,
    kSingleQuote = 64,
};
// Bytes with none of these leave a run nothing to cut: it is its only candidate.
inline constexpr std::uint8_t kCutting = kDelimiter | kBlank | kSeparator | kDot;

namespace detail {

struct Kinds {
    std::uint8_t of[256] = {};
};

constexpr Kinds makeKinds() {
    Kinds k{};
    for (int b = 0; b < 256; ++b)
        if (b == '\t' || (b >= 0x20 && b != 0x7F)) k.of[b] |= kRunByte;
    for (char c : {'=', ',', ';', ':', '\t', '(', ')', '[', ']', '{', '}', '<', '>', '"', '\''})
        k.of[static_cast<std::uint8_t>(c)] |= kDelimiter;
    k.of[static_cast<std::uint8_t>(' ')] |= kBlank;
    k.of[static_cast<std::uint8_t>('\t')] |= kBlank;
    k.of[static_cast<std::uint8_t>('/')] |= kSeparator;
    k.of[static_cast<std::uint8_t>('\\')] |= kSeparator;
    k.of[static_cast<std::uint8_t>('.')] |= kDot;
    k.of[static_cast<std::uint8_t>('"')] |= kDoubleQuote;
    k.of[static_cast<std::uint8_t>('\'')] |= kSingleQuote;
    return k;
}

constexpr Kinds kKinds = makeKinds();

template <typename Sink>
struct Collector {
    const std::uint8_t* run;
    Sink& sink;

    void add(std::size_t start, std::size_t end) {
        const std::size_t length = end - start;
        if (length >= kMinNameLength && length <= kMaxNameLength) sink(start, length);
    }

    // The piece, trimmed of blanks, and its file name with and without
    // extension; kinds (of the piece's bytes) says which of those can differ.
    void piece(std::size_t start, std::size_t end, std::uint8_t kinds) {
        add(start, end);
        if (!(kinds & (kBlank | kSeparator | kDot))) return;
        const std::size_t from = start, to = end;
        while (start < end && (kKinds.of[run[start]] & kBlank)) ++start;
        while (end > start && (kKinds.of[run[end - 1]] & kBlank)) --end;
        if (start != from || end != to) add(start, end);
        std::size_t name = start;
        if (kinds & kSeparator) {
            name = end;
            while (name > start && !(kKinds.of[run[name - 1]] & kSeparator)) --name;
            if (name != start) add(name, end);
        }
        if (!(kinds & kDot)) return;
        std::size_t dot = end;
        while (dot > name && run[dot - 1] != '.') --dot;
        if (dot > name + 1) add(name, dot - 1);
    }

    // The pieces between the bytes of the kind. Between quotation marks, a
    // piece without other delimiters is left to the split at every delimiter,
    // which gives it too.
    void split(std::size_t size, std::uint8_t kind) {
        const bool quotes = kind != kDelimiter;
        std::size_t from = 0;
        std::uint8_t kinds = 0;
        for (std::size_t i = 0; i < size; ++i) {
            const std::uint8_t k = kKinds.of[run[i]];
            if (!(k & kind)) {
                kinds |= k;
                continue;
            }
            if (!quotes || (kinds & kDelimiter)) piece(from, i, kinds);
            from = i + 1;
            kinds = 0;
        }
        if (!quotes || (kinds & kDelimiter)) piece(from, size, kinds);
    }
};

}  // namespace detail

// Calls sink(start, length) for each candidate span of run; kinds is
// kindsOf(run, size). A run with quotation marks can give a file name twice.
template <typename Sink>
void forEachCandidateSpan(const std::uint8_t* run, std::size_t size, bool wholeRun, std::uint8_t kinds, Sink&& sink) {
    detail::Collector<Sink> c{run, sink};
    const bool delimiter = (kinds & kDelimiter) != 0;
    // A piece cut from a longer run ends at a delimiter: what lies between
    // its delimiters is all it offers.
    if (wholeRun || !delimiter) c.piece(0, size, kinds);
    if (kinds & kDoubleQuote) c.split(size, kDoubleQuote);
    if (kinds & kSingleQuote) c.split(size, kSingleQuote);
    if (delimiter) c.split(size, kDelimiter);
}

// The bytes of each kind of a run as bit masks, 64 bytes a word: plane p,
// word w at plane(p)[w]. Bits past the run's end are zero. Kept by the caller
// between runs so that its storage is reused.
struct RunMasks {
    enum Plane { kDelimiterPlane, kBlankPlane, kSeparatorPlane, kDotPlane, kDoubleQuotePlane, kSingleQuotePlane,
                 kShapePlane /* blank, separator or dot */, kPlanes };
    std::uint64_t one[kPlanes] = {};  // the planes of a run of at most 64 bytes
    std::vector<std::uint64_t> bits;  // of a longer run: plane p, word w at bits[p * words + w]
    std::size_t words = 0;
    std::uint8_t kinds = 0;  // the OR of the kinds of the run's bytes
    const std::uint64_t* plane(Plane p) const { return words == 1 ? one + p : bits.data() + p * words; }
};

// Fills masks for a run of more than 64 bytes, of which readable bytes (at
// least size) may be read.
void buildLongRunMasks(const std::uint8_t* run, std::size_t size, std::size_t readable, RunMasks& masks);

// Fills masks for a run of at most 64 bytes, of which readable bytes (at
// least size) may be read.
void buildShortRunMasks(const std::uint8_t* run, std::size_t size, std::size_t readable, RunMasks& masks);

// Fills masks for the run, of which readable bytes (at least size) may be read.
inline void buildRunMasks(const std::uint8_t* run, std::size_t size, std::size_t readable, RunMasks& masks) {
    if (size <= 64) buildShortRunMasks(run, size, readable, masks);
    else buildLongRunMasks(run, size, readable, masks);
}

namespace detail {

// Bits from to end - 1 of one word (from < 64, from < end <= 64).
inline std::uint64_t wordRange(std::size_t from, std::size_t end) {
    const std::uint64_t upTo = end >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << end) - 1;
    return upTo & (~std::uint64_t{0} << from);
}

// Whether a bit of w (each word XOR flip) is set in [from, to). OneWord:
// the masks are of one word, as for runs of at most 64 bytes.
template <bool OneWord>
inline bool anyIn(const std::uint64_t* w, std::size_t from, std::size_t to, std::uint64_t flip = 0) {
    if (from >= to) return false;
    if constexpr (OneWord) return ((w[0] ^ flip) & wordRange(from, to)) != 0;
    const std::size_t a = from >> 6, b = (to - 1) >> 6;
    if (a == b) return ((w[a] ^ flip) & wordRange(from & 63, ((to - 1) & 63) + 1)) != 0;
    if ((w[a] ^ flip) & wordRange(from & 63, 64)) return true;
    for (std::size_t i = a + 1; i < b; ++i)
        if (w[i] ^ flip) return true;
    return ((w[b] ^ flip) & wordRange(0, ((to - 1) & 63) + 1)) != 0;
}

// The lowest set bit in [from, to), or to.
template <bool OneWord>
inline std::size_t lowestIn(const std::uint64_t* w, std::size_t from, std::size_t to, std::uint64_t flip = 0) {
    if constexpr (OneWord) {
        const std::uint64_t x = from < to ? (w[0] ^ flip) & wordRange(from, to) : 0;
        return x ? static_cast<std::size_t>(__builtin_ctzll(x)) : to;
    }
    for (std::size_t at = from; at < to; at = (at | 63) + 1) {
        const std::size_t i = at >> 6, top = std::min<std::size_t>(64, to - (at & ~std::size_t{63}));
        if (const std::uint64_t x = (w[i] ^ flip) & wordRange(at & 63, top))
            return (i << 6) + static_cast<std::size_t>(__builtin_ctzll(x));
    }
    return to;
}

// The highest set bit in [from, to), or to when there is none.
template <bool OneWord>
inline std::size_t highestIn(const std::uint64_t* w, std::size_t from, std::size_t to, std::uint64_t flip = 0) {
    if constexpr (OneWord) {
        const std::uint64_t x = from < to ? (w[0] ^ flip) & wordRange(from, to) : 0;
        return x ? static_cast<std::size_t>(63 - __builtin_clzll(x)) : to;
    }
    for (std::size_t end = to; end > from; end = (end - 1) & ~std::size_t{63}) {
        const std::size_t i = (end - 1) >> 6, base = i << 6;
        const std::size_t low = from > base ? from - base : 0;
        if (const std::uint64_t x = (w[i] ^ flip) & wordRange(low, end - base))
            return base + static_cast<std::size_t>(63 - __builtin_clzll(x));
    }
    return to;
}

// Collector's pieces and splits with the run's bytes looked at once, as masks.
template <bool OneWord, typename Sink>
struct MaskCollector {
    Sink& sink;
    const RunMasks& m;

    const std::uint64_t* plane(RunMasks::Plane p) const {
        if constexpr (OneWord) return m.one + p;
        else return m.bits.data() + p * m.words;
    }

    void add(std::size_t start, std::size_t end) {
        const std::size_t length = end - start;
        if (length >= kMinNameLength && length <= kMaxNameLength) sink(start, length);
    }

    void piece(std::size_t start, std::size_t end) {
        add(start, end);
        if (!anyIn<OneWord>(plane(RunMasks::kShapePlane), start, end)) return;
        const std::uint64_t* blank = plane(RunMasks::kBlankPlane);
        const std::size_t from = lowestIn<OneWord>(blank, start, end, ~std::uint64_t{0});
        const std::size_t last = highestIn<OneWord>(blank, from, end, ~std::uint64_t{0});
        const std::size_t to = last == end ? end : last + 1;
        if (from != start || to != end) add(from, to);
        std::size_t name = from;
        if (const std::size_t separator = highestIn<OneWord>(plane(RunMasks::kSeparatorPlane), from, to); separator != to) {
            name = separator + 1;
            add(name, to);
        }
        const std::size_t dot = highestIn<OneWord>(plane(RunMasks::kDotPlane), name, to);
        if (dot != to && dot > name) add(name, dot);
    }

    // The pieces between the bits of at; between quotation marks, only those
    // holding a delimiter.
    void split(std::size_t size, const std::uint64_t* at, bool quotes) {
        const std::uint64_t* delimiter = plane(RunMasks::kDelimiterPlane);
        std::size_t from = 0;
        for (std::size_t w = 0; w < m.words; ++w) {
            for (std::uint64_t x = at[w]; x != 0; x &= x - 1) {
                const std::size_t i = (w << 6) + static_cast<std::size_t>(__builtin_ctzll(x));
                if (!quotes || anyIn<OneWord>(delimiter, from, i)) piece(from, i);
                from = i + 1;
            }
        }
        if (!quotes || anyIn<OneWord>(delimiter, from, size)) piece(from, size);
    }
};

}  // namespace detail

// The spans of forEachCandidateSpan(run, size, wholeRun, kindsOf(run, size)),
// in the same order, cut from masks (buildRunMasks of the run) rather than
// from the bytes one by one.
template <typename Sink>
void forEachCandidateSpanOfMasks(std::size_t size, bool wholeRun, const RunMasks& masks, Sink&& sink) {
    auto cut = [&](auto collector) {
        const bool delimiter = (masks.kinds & kDelimiter) != 0;
        if (wholeRun || !delimiter) collector.piece(0, size);
        if (masks.kinds & kDoubleQuote) collector.split(size, masks.plane(RunMasks::kDoubleQuotePlane), true);
        if (masks.kinds & kSingleQuote) collector.split(size, masks.plane(RunMasks::kSingleQuotePlane), true);
        if (delimiter) collector.split(size, masks.plane(RunMasks::kDelimiterPlane), false);
    };
    if (masks.words == 1) cut(detail::MaskCollector<true, Sink>{sink, masks});
    else cut(detail::MaskCollector<false, Sink>{sink, masks});
}

// The same for a whole run of at most 64 bytes.
template <typename Sink>
void forEachCandidateSpanOfShortRun(const std::uint8_t* run, std::size_t size, Sink&& sink) {
    RunMasks masks;
    buildRunMasks(run, size, size, masks);
    forEachCandidateSpanOfMasks(size, true, masks, sink);
}

// The kinds of every byte value.
const std::uint8_t (&nameByteKinds())[256];

// The OR of the kinds of the bytes.
std::uint8_t kindsOf(const std::uint8_t* run, std::size_t size);

// The candidate spans of run, sorted and without repeats, into spans (which
// is cleared first); kinds is kindsOf(run, size). wholeRun is false for a
// piece of a longer run cut at a delimiter: the piece itself is then not a
// candidate, only what lies between its delimiters.
void candidateSpans(const std::uint8_t* run, std::size_t size, bool wholeRun, std::uint8_t kinds,
                    std::vector<NameSpan>& spans);
inline void candidateSpans(const std::uint8_t* run, std::size_t size, bool wholeRun, std::vector<NameSpan>& spans) {
    candidateSpans(run, size, wholeRun, kindsOf(run, size), spans);
}

// Whether the byte splits a run into pieces (quotation marks included).
inline bool isNameDelimiter(std::uint8_t b) { return (nameByteKinds()[b] & kDelimiter) != 0; }

}  // namespace sonkrate::ids
