#include "ids/search/name_search.h"

#include <algorithm>
#include <array>

#include "ids/crc32_fast.h"

namespace sonkrate::ids {

namespace {

using Elements = std::vector<PatternElement>;

// A linear map of 32-bit vectors over GF(2), applied a byte at a time.
struct ByteTables {
    std::uint32_t t[4][256] = {};

    static ByteTables of(const std::array<std::uint32_t, 32>& columns) {
        ByteTables m;
        for (int k = 0; k < 4; ++k)
            for (int v = 0; v < 256; ++v)
                for (int bit = 0; bit < 8; ++bit)
                    if (v >> bit & 1) m.t[k][v] ^= columns[static_cast<std::size_t>(8 * k + bit)];
        return m;
    }
    std::uint32_t apply(std::uint32_t x) const {
        return t[0][x & 0xFF] ^ t[1][(x >> 8) & 0xFF] ^ t[2][(x >> 16) & 0xFF] ^ t[3][x >> 24];
    }
};

// The inverse of the map with these columns, or false when it has none.
bool invert(const std::array<std::uint32_t, 32>& columns, std::array<std::uint32_t, 32>& inverse) {
    std::array<std::uint32_t, 32> value{}, tag{};
    std::array<bool, 32> used{};
    for (int j = 0; j < 32; ++j) {
        std::uint32_t v = columns[static_cast<std::size_t>(j)], t = 1u << j;
        bool placed = false;
        for (int r = 31; r >= 0 && !placed; --r) {
            if (!(v >> r & 1)) continue;
            if (!used[r]) {
                used[r] = true, value[r] = v, tag[r] = t;
                placed = true;
            } else {
                v ^= value[r], t ^= tag[r];
            }
        }
        if (!placed) return false;  // this column depends on the others
    }
    for (int r = 0; r < 32; ++r) {
        for (int b = 0; b < r; ++b)
            if (value[r] >> b & 1) value[r] ^= value[b], tag[r] ^= tag[b];
        inverse[static_cast<std::size_t>(r)] = tag[r];
    }
    return true;
}

std::vector<std::size_t> unknownsOf(const Elements& e) {
    std::vector<std::size_t> u;
    for (std::size_t i = 0; i < e.size(); ++i)
        if (e[i].symbols != SymbolClass::Literal) u.push_back(i);
    return u;
}

// The running state after elements from `from` on, from state s, the four
// unknowns there taken from x (byte k for the k-th).
std::uint32_t runTail(const Elements& e, std::size_t from, std::uint32_t s, std::uint32_t x) {
    int k = 0;
    for (std::size_t i = from; i < e.size(); ++i) {
        const std::uint8_t b = e[i].symbols == SymbolClass::Literal ? e[i].literal
                                                                      : static_cast<std::uint8_t>(x >> (8 * k++));
        s = crcStep(s, b);
    }
    return s;
}

// The tail from the first of the last four unknowns: state and solved bytes
// as affine maps. final = c ^ A s ^ B x, so x = Binv(target ^ c) ^ (Binv A) s.
struct Tail {
    std::size_t from = 0;
    std::uint32_t c = 0;
    ByteTables solve;   // Binv
    ByteTables lead;    // Binv A
};

bool makeTail(const Elements& e, std::size_t from, Tail& tail) {
    tail.from = from;
    tail.c = runTail(e, from, 0, 0);
    std::array<std::uint32_t, 32> a{}, b{}, binv{}, g{};
    for (int i = 0; i < 32; ++i) {
        a[static_cast<std::size_t>(i)] = runTail(e, from, 1u << i, 0) ^ tail.c;
        b[static_cast<std::size_t>(i)] = runTail(e, from, 0, 1u << i) ^ tail.c;
    }
    if (!invert(b, binv)) return false;
    tail.solve = ByteTables::of(binv);
    for (std::size_t i = 0; i < 32; ++i) g[i] = tail.solve.apply(a[i]);
    tail.lead = ByteTables::of(g);
    return true;
}

class Search {
public:
    Search(const NamePattern& p, const SoughtIds& sought, GuessResult& result)
        : e_(p.elements), sought_(sought), result_(result), name_(e_.size(), '\0') {}

    void enumerateAll() {
        stop_ = e_.size();
        walk(0, kCrcStart);
    }

    void solveLastFour(const Tail& tail, const std::vector<std::size_t>& unknowns) {
        tail_ = &tail;
        stop_ = tail.from;
        for (int k = 0; k < 4; ++k) {
            const std::size_t at = unknowns[unknowns.size() - 4 + static_cast<std::size_t>(k)];
            solved_[k] = at;
            for (char c : symbolsOf(e_[at].symbols)) allowed_[k][static_cast<std::uint8_t>(c)] = true;
        }
        // The targets by the first solved byte they need at a zero lead, so
        // that a prefix looks only at those its first symbol can reach.
        for (SoundId id : sought_.ids()) targets_.push_back({tail.solve.apply((id ^ kCrcStart) ^ tail.c), id});
        std::sort(targets_.begin(), targets_.end(),
                  [](const Target& a, const Target& b) { return (a.y & 0xFF) < (b.y & 0xFF); });
        std::size_t t = 0;
        for (int v = 0; v < 256; ++v) {
            bucket_[v] = t;
            while (t < targets_.size() && (targets_[t].y & 0xFF) == static_cast<std::uint32_t>(v)) ++t;
        }
        bucket_[256] = t;
        firstSymbols_ = symbolsOf(e_[solved_[0]].symbols);
        walk(0, kCrcStart);
    }

private:
    struct Target {
        std::uint32_t y;
        SoundId id;
    };

    void walk(std::size_t i, std::uint32_t s) {
        for (; i < stop_ && e_[i].symbols == SymbolClass::Literal; ++i) {
            name_[i] = static_cast<char>(e_[i].literal);
            s = crcStep(s, e_[i].literal);
        }
        if (i == stop_) {
            tail_ ? atPrefix(s) : atName(s);
            return;
        }
        for (char c : symbolsOf(e_[i].symbols)) {
            if (result_.matchesCut) return;
            name_[i] = c;
            walk(i + 1, crcStep(s, static_cast<std::uint8_t>(c)));
        }
    }

    void atName(std::uint32_t s) {
        const SoundId id = s ^ kCrcStart;
        if (sought_.contains(id)) keep(id);
    }

    void atPrefix(std::uint32_t s) {
        const std::uint32_t w = tail_->lead.apply(s);
        for (char c : firstSymbols_) {
            const std::uint32_t need = static_cast<std::uint8_t>(c) ^ (w & 0xFF);
            for (std::size_t t = bucket_[need]; t < bucket_[need + 1]; ++t) {
                const std::uint32_t x = targets_[t].y ^ w;
                if (!allowed_[1][(x >> 8) & 0xFF] || !allowed_[2][(x >> 16) & 0xFF] || !allowed_[3][x >> 24])
                    continue;
                std::size_t k = 0;
                for (std::size_t i = tail_->from; i < e_.size(); ++i)
                    name_[i] = e_[i].symbols == SymbolClass::Literal ? static_cast<char>(e_[i].literal)
                                                                      : static_cast<char>(x >> (8 * k++));
                keep(targets_[t].id);
            }
        }
    }

    void keep(SoundId id) {
        if (computeSoundId(name_) != id) return;  // cannot happen; a wrong name is never reported
        if (result_.matches.size() >= kMaxGuessMatches) {
            result_.matchesCut = true;
            return;
        }
        result_.matches.push_back({id, name_});
    }

    const Elements& e_;
    const SoughtIds& sought_;
    GuessResult& result_;
    std::string name_;
    std::size_t stop_ = 0;
    const Tail* tail_ = nullptr;
    std::size_t solved_[4] = {};
    bool allowed_[4][256] = {};
    std::vector<Target> targets_;
    std::size_t bucket_[257] = {};
    std::string_view firstSymbols_;
};

}  // namespace

bool patternSolvable(const NamePattern& pattern) {
    const std::vector<std::size_t> u = unknownsOf(pattern.elements);
    if (u.size() < 4) return true;
    Tail tail;
    return makeTail(pattern.elements, u[u.size() - 4], tail);
}

GuessResult guessNames(const NamePattern& pattern, const SoughtIds& sought) {
    GuessResult result;
    result.namesTried = pattern.names;
    if (sought.size() == 0) return result;
    const std::vector<std::size_t> u = unknownsOf(pattern.elements);
    Search search(pattern, sought, result);
    Tail tail;
    if (u.size() >= 4 && makeTail(pattern.elements, u[u.size() - 4], tail)) {
        search.solveLastFour(tail, u);
    } else if (pattern.names <= kMaxEnumeratedNames) {
        search.enumerateAll();
    }
    return result;
}

}  // namespace sonkrate::ids
