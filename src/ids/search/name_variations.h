// Names next to the names found and known: every run of up to three digits
// replaced by every number of the same width, and the last letter or digit
// replaced by every letter and digit. A variation that matches a sought
// identifier is kept as "varied" and is varied in turn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ids/search/name_matches.h"

namespace sonkrate::ids {

// Candidates tried at most in one run.
inline constexpr std::uint64_t kMaxVariations = 10'000'000;

struct VariationResult {
    std::uint64_t tried = 0;
    std::uint64_t namesVaried = 0;
    bool budgetReached = false;
};

// Every variation of name, in order, without the name itself.
std::vector<std::string> variationsOf(const std::string& name);

// Varies every name in matches (found, varied, or guessed and alone for its
// identifier), then the known names (those a name database already holds),
// and adds the variations that match a sought identifier.
VariationResult varyNames(NameMatches& matches, const SoughtIds& sought, const std::vector<std::string>& known,
                          std::uint64_t budget = kMaxVariations);
inline VariationResult varyNames(NameMatches& matches, const SoughtIds& sought, std::uint64_t budget = kMaxVariations) {
    return varyNames(matches, sought, {}, budget);
}

}  // namespace sonkrate::ids
