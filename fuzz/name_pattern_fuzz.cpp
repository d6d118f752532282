// The pattern parser on any text, and the solver of the last four unknowns
// against plain enumeration on every pattern small enough to enumerate.
// Input: the pattern; bytes after a zero byte are identifiers sought (4 each).
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "ids/search/name_pattern.h"
#include "ids/search/name_search.h"
#include "ids/sound_id.h"
#include "io/byte_order.h"

using namespace sonkrate;

namespace {

constexpr std::uint64_t kMaxEnumerated = 60000;

std::vector<std::string> expansions(const ids::NamePattern& p) {
    std::vector<std::string> all = {""};
    for (const ids::PatternElement& e : p.elements) {
        std::string symbols = e.symbols == ids::SymbolClass::Literal ? std::string(1, static_cast<char>(e.literal))
                                                                     : std::string(ids::symbolsOf(e.symbols));
        std::vector<std::string> next;
        for (const std::string& s : all)
            for (char c : symbols) next.push_back(s + c);
        all.swap(next);
    }
    return all;
}

}  // namespace

SONKRATE_FUZZ_HARNESS(name_pattern) {
    const std::uint8_t* zero = std::find(data, data + size, 0);
    const std::string text(reinterpret_cast<const char*>(data), static_cast<std::size_t>(zero - data));
    ids::PatternParse p = ids::parseNamePattern(text);
    if (p.problem != ids::PatternProblem::None) {
        fuzz::check(text.empty() || p.at < text.size(), "a refusal points past the pattern");
        return;
    }
    fuzz::check(!p.pattern.elements.empty() && p.pattern.elements.size() <= 128, "an accepted pattern has a bad length");
    fuzz::check(p.pattern.names >= 1 && p.pattern.names <= ids::kMaxPatternNames, "an accepted pattern has too many names");
    if (p.pattern.names > kMaxEnumerated) return;

    const std::vector<std::string> all = expansions(p.pattern);
    fuzz::check(all.size() == p.pattern.names, "the count of names is wrong");
    std::vector<ids::SoundId> sought;
    for (std::size_t i = 0; i < all.size(); i += 1 + all.size() / 7) sought.push_back(ids::computeSoundId(all[i]));
    for (const std::uint8_t* at = zero + (zero < data + size); at + 4 <= data + size; at += 4)
        sought.push_back(io::getU32(at));
    const ids::SoughtIds set(sought);
    std::set<std::pair<ids::SoundId, std::string>> expected, got;
    for (const std::string& s : all)
        if (set.contains(ids::computeSoundId(s))) expected.insert({ids::computeSoundId(s), s});
    ids::GuessResult r = ids::guessNames(p.pattern, set);
    for (const ids::GuessMatch& m : r.matches) got.insert({m.id, m.name});
    fuzz::check(got.size() == r.matches.size(), "a guess was reported twice");
    fuzz::check(got == expected, "the solver and plain enumeration disagree");
}
