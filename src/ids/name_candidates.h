// The pieces of one run of printable bytes that are tried as names: the run,
// the run trimmed of blanks, the pieces between quotation marks, the pieces
// between delimiters (= , ; : tab brackets braces), and of each piece that is
// a path its file name with and without its extension.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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
