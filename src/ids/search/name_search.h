// The names of a pattern whose identifiers are sought. The last four unknown
// characters are not enumerated: CRC-32 is linear, so the running state after
// the rest of the name and the identifier sought fix those four bytes, which
// are solved for and kept when each is one the pattern allows there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ids/search/name_matches.h"
#include "ids/search/name_pattern.h"

namespace sonkrate::ids {

struct GuessMatch {
    SoundId id = 0;
    std::string name;  // lower-cased
};

struct GuessResult {
    std::uint64_t namesTried = 0;  // the names the pattern stands for
    std::vector<GuessMatch> matches;
    bool matchesCut = false;       // more than kMaxGuessMatches matched
};

inline constexpr std::size_t kMaxGuessMatches = 100'000;
// A pattern whose last four unknowns cannot be solved together is enumerated
// in full, up to this many names.
inline constexpr std::uint64_t kMaxEnumeratedNames = 1'000'000'000ull;

// Whether the last four unknowns of the pattern can be solved for (always
// when they stand together; almost always otherwise), or it has fewer than four.
bool patternSolvable(const NamePattern& pattern);

// Every name of the pattern whose identifier is sought. A pattern that is not
// solvable and stands for more than kMaxEnumeratedNames names gives nothing.
GuessResult guessNames(const NamePattern& pattern, const SoughtIds& sought);

}  // namespace sonkrate::ids
