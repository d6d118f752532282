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

// The candidate spans of run, sorted and without repeats, into spans (which
// is cleared first). wholeRun is false for a piece of a longer run cut at a
// delimiter: the piece itself is then not a candidate, only what lies
// between its delimiters.
void candidateSpans(const std::uint8_t* run, std::size_t size, bool wholeRun, std::vector<NameSpan>& spans);

// Whether the byte splits a run into pieces (quotation marks included).
bool isNameDelimiter(std::uint8_t b);

}  // namespace sonkrate::ids
