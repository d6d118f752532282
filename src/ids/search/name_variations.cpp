#include "ids/search/name_variations.h"

#include <deque>
#include <set>

#include "ids/crc32_fast.h"

namespace sonkrate::ids {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetterOrDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

constexpr char kLettersAndDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";

// Each run of 1 to 3 digits given every value of its width.
void digitRuns(const std::string& name, std::vector<std::string>& out) {
    std::size_t i = 0;
    while (i < name.size()) {
        if (!isDigit(name[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < name.size() && isDigit(name[end])) ++end;
        const std::size_t width = end - i;
        if (width <= 3) {
            int limit = width == 1 ? 10 : width == 2 ? 100 : 1000;
            std::string v = name;
            for (int n = 0; n < limit; ++n) {
                for (std::size_t k = 0, x = static_cast<std::size_t>(n); k < width; ++k, x /= 10)
                    v[end - 1 - k] = static_cast<char>('0' + x % 10);
                if (v != name) out.push_back(v);
            }
        }
        i = end;
    }
}

}  // namespace

std::vector<std::string> variationsOf(const std::string& name) {
    std::vector<std::string> out;
    digitRuns(name, out);
    std::size_t last = name.size();
    while (last > 0 && !isLetterOrDigit(name[last - 1])) --last;
    if (last > 0) {
        std::string v = name;
        const char own = static_cast<char>(lowerAsciiByte(static_cast<std::uint8_t>(name[last - 1])));
        for (const char* c = kLettersAndDigits; *c; ++c) {
            if (*c == own) continue;
            v[last - 1] = *c;
            out.push_back(v);
        }
    }
    return out;
}

VariationResult varyNames(NameMatches& matches, const SoughtIds& sought, const std::vector<std::string>& known,
                          std::uint64_t budget) {
    VariationResult result;
    std::deque<std::string> queue;
    std::set<std::string> seeds;
    auto seed = [&](const std::string& name) {
        if (seeds.insert(name).second) queue.push_back(name);
    };
    for (const auto& [id, names] : matches.byId()) {
        std::size_t guesses = 0;
        for (const NameMatch& m : names) guesses += m.how == NameHow::Guessed;
        for (const NameMatch& m : names)
            if (m.how != NameHow::Guessed || guesses == 1) seed(m.name);
    }
    // Known names as hashed: lower-cased, as found names are kept.
    for (const std::string& name : known) {
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(lowerAsciiByte(static_cast<std::uint8_t>(c)));
        if (!lower.empty()) seed(lower);
    }
    while (!queue.empty()) {
        const std::string name = std::move(queue.front());
        queue.pop_front();
        for (std::string& v : variationsOf(name)) {
            if (result.tried >= budget) {
                result.budgetReached = true;
                return result;
            }
            ++result.tried;
            const SoundId id = computeSoundId(v);
            if (!sought.contains(id) || matches.has(id, v)) continue;
            if (matches.add({id, v, NameHow::Varied, {}, 0})) {
                ++result.namesVaried;
                queue.push_back(std::move(v));
            }
        }
    }
    return result;
}

}  // namespace sonkrate::ids
