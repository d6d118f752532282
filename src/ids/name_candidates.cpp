#include "ids/name_candidates.h"

#include <algorithm>
#include <array>

namespace sonkrate::ids {

namespace {

enum : std::uint8_t { kDelimiter = 1, kBlank = 2, kSeparator = 4 };

constexpr std::array<std::uint8_t, 256> makeKinds() {
    std::array<std::uint8_t, 256> kinds{};
    for (char c : {'=', ',', ';', ':', '\t', '(', ')', '[', ']', '{', '}', '<', '>', '"', '\''})
        kinds[static_cast<std::uint8_t>(c)] |= kDelimiter;
    kinds[' '] |= kBlank;
    kinds['\t'] |= kBlank;
    kinds['/'] |= kSeparator;
    kinds['\\'] |= kSeparator;
    return kinds;
}

constexpr std::array<std::uint8_t, 256> kKinds = makeKinds();

struct Collector {
    const std::uint8_t* run;
    std::vector<NameSpan>& spans;

    void add(std::size_t start, std::size_t end) {
        const std::size_t length = end - start;
        if (length >= kMinNameLength && length <= kMaxNameLength)
            spans.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length)});
    }

    // The piece, trimmed of blanks, and its file name with and without extension.
    void piece(std::size_t start, std::size_t end) {
        add(start, end);
        while (start < end && (kKinds[run[start]] & kBlank)) ++start;
        while (end > start && (kKinds[run[end - 1]] & kBlank)) --end;
        add(start, end);
        std::size_t name = end;
        while (name > start && !(kKinds[run[name - 1]] & kSeparator)) --name;
        add(name, end);
        std::size_t dot = end;
        while (dot > name && run[dot - 1] != '.') --dot;
        if (dot > name + 1) add(name, dot - 1);
    }

    // The pieces between the bytes for which cut holds.
    template <typename Cut>
    void split(std::size_t size, Cut cut) {
        std::size_t from = 0;
        for (std::size_t i = 0; i < size; ++i) {
            if (!cut(run[i])) continue;
            piece(from, i);
            from = i + 1;
        }
        piece(from, size);
    }
};

}  // namespace

bool isNameDelimiter(std::uint8_t b) { return (kKinds[b] & kDelimiter) != 0; }

void candidateSpans(const std::uint8_t* run, std::size_t size, bool wholeRun, std::vector<NameSpan>& spans) {
    spans.clear();
    Collector c{run, spans};
    bool doubleQuote = false, singleQuote = false, delimiter = false;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = run[i];
        doubleQuote |= b == '"';
        singleQuote |= b == '\'';
        delimiter |= (kKinds[b] & kDelimiter) != 0;
    }
    // A piece cut from a longer run ends at a delimiter: what lies between
    // its delimiters is all it offers.
    if (wholeRun || !delimiter) c.piece(0, size);
    if (doubleQuote) c.split(size, [](std::uint8_t b) { return b == '"'; });
    if (singleQuote) c.split(size, [](std::uint8_t b) { return b == '\''; });
    if (delimiter) c.split(size, [](std::uint8_t b) { return (kKinds[b] & kDelimiter) != 0; });
    if (spans.size() > 1) {
        std::sort(spans.begin(), spans.end(), [](const NameSpan& a, const NameSpan& b) {
            return a.start != b.start ? a.start < b.start : a.length < b.length;
        });
        spans.erase(std::unique(spans.begin(), spans.end()), spans.end());
    }
}

}  // namespace sonkrate::ids
