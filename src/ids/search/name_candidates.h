// The pieces of one run of printable bytes that are tried as names: the run,
// the run trimmed of blanks, the pieces between quotation marks, the pieces
// between delimiters (= , ; : tab brackets braces), and of each piece that is
// a path its file name with and without its extension.
#pragma once

#include <cstddef>
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

namespace detail {

// The bytes of each kind of a run of at most 64 bytes, as bit masks.
struct RunMasks {
    std::uint64_t delimiter = 0, blank = 0, separator = 0, dot = 0, doubleQuote = 0, singleQuote = 0;
};

inline RunMasks runMasks(const std::uint8_t* run, std::size_t size) {
    RunMasks m;
#if defined(__SSE2__)
    // The kinds byte by byte, then each kind's bit gathered sixteen bytes at a time.
    alignas(16) std::uint8_t kinds[64];
    const std::size_t chunks = (size + 15) / 16;
    for (std::size_t c = 0; c < chunks; ++c) _mm_store_si128(reinterpret_cast<__m128i*>(kinds + 16 * c), _mm_setzero_si128());
    for (std::size_t i = 0; i < size; ++i) kinds[i] = kKinds.of[run[i]];
    for (std::size_t c = 0; c < chunks; ++c) {
        const __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(kinds + 16 * c));
        auto plane = [&](int bit) {
            return static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_slli_epi16(k, 7 - bit))))
                   << (16 * c);
        };
        m.delimiter |= plane(1), m.blank |= plane(2), m.separator |= plane(3);
        m.dot |= plane(4), m.doubleQuote |= plane(5), m.singleQuote |= plane(6);
    }
#else
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint64_t k = kKinds.of[run[i]];
        m.delimiter |= ((k >> 1) & 1) << i;
        m.blank |= ((k >> 2) & 1) << i;
        m.separator |= ((k >> 3) & 1) << i;
        m.dot |= ((k >> 4) & 1) << i;
        m.doubleQuote |= ((k >> 5) & 1) << i;
        m.singleQuote |= ((k >> 6) & 1) << i;
    }
#endif
    return m;
}

// Bits from to end - 1 (end at most 64).
inline std::uint64_t bitRange(std::size_t from, std::size_t end) {
    const std::uint64_t upTo = end >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << end) - 1;
    return from >= 64 ? 0 : upTo & ~((std::uint64_t{1} << from) - 1);
}

inline std::size_t lowestBit(std::uint64_t x) { return static_cast<std::size_t>(__builtin_ctzll(x)); }
inline std::size_t highestBit(std::uint64_t x) { return static_cast<std::size_t>(63 - __builtin_clzll(x)); }

// Collector's pieces and splits with the run's bytes looked at once, as masks.
template <typename Sink>
struct MaskCollector {
    Sink& sink;
    RunMasks m;

    void add(std::size_t start, std::size_t end) {
        const std::size_t length = end - start;
        if (length >= kMinNameLength && length <= kMaxNameLength) sink(start, length);
    }

    void piece(std::size_t start, std::size_t end) {
        add(start, end);
        const std::uint64_t in = bitRange(start, end);
        if (!((m.blank | m.separator | m.dot) & in)) return;
        const std::uint64_t filled = ~m.blank & in;
        const std::size_t from = filled ? lowestBit(filled) : end, to = filled ? highestBit(filled) + 1 : end;
        if (from != start || to != end) add(from, to);
        std::size_t name = from;
        if (const std::uint64_t separators = m.separator & bitRange(from, to)) {
            name = highestBit(separators) + 1;
            add(name, to);
        }
        if (!(m.dot & in)) return;
        if (const std::uint64_t dots = m.dot & bitRange(name, to); dots && highestBit(dots) > name)
            add(name, highestBit(dots));
    }

    void split(std::size_t size, std::uint64_t at, bool quotes) {
        std::size_t from = 0;
        for (; at != 0; at &= at - 1) {
            const std::size_t i = lowestBit(at);
            if (!quotes || (m.delimiter & bitRange(from, i))) piece(from, i);
            from = i + 1;
        }
        if (!quotes || (m.delimiter & bitRange(from, size))) piece(from, size);
    }
};

}  // namespace detail

// The spans of forEachCandidateSpan(run, size, true, kindsOf(run, size)), in
// the same order, for a run of at most 64 bytes: its bytes' kinds are read
// once into bit masks, and the pieces are found from those.
template <typename Sink>
void forEachCandidateSpanOfShortRun(const std::uint8_t* run, std::size_t size, Sink&& sink) {
    detail::MaskCollector<Sink> c{sink, detail::runMasks(run, size)};
    c.piece(0, size);
    if (c.m.doubleQuote) c.split(size, c.m.doubleQuote, true);
    if (c.m.singleQuote) c.split(size, c.m.singleQuote, true);
    if (c.m.delimiter) c.split(size, c.m.delimiter, false);
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
