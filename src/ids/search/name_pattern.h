// Patterns of names: '#' stands for a digit, '@' for a letter, '?' for a
// letter, a digit, a blank, '-' or '_'; '\' makes the next character stand
// for itself; every other character stands for itself, without regard to case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sonkrate::ids {

enum class SymbolClass : std::uint8_t { Literal, Digit, Letter, Any };

struct PatternElement {
    SymbolClass symbols = SymbolClass::Literal;
    std::uint8_t literal = 0;  // lower-cased, for a literal
};

struct NamePattern {
    std::vector<PatternElement> elements;
    // How many names the pattern stands for.
    std::uint64_t names = 1;
};

enum class PatternProblem {
    None,
    Empty,
    TooLong,        // longer than a name can be
    NotPrintable,   // a control character
    LoneEscape,     // '\' at the end
    TooManyNames,   // more than kMaxPatternNames
};

// A pattern may stand for at most this many names.
inline constexpr std::uint64_t kMaxPatternNames = 1'000'000'000'000ull;

struct PatternParse {
    PatternProblem problem = PatternProblem::None;
    std::size_t at = 0;  // the byte of the text the problem is at
    NamePattern pattern;
};

PatternParse parseNamePattern(std::string_view text);

// The lower-case bytes a class stands for ("0123456789" for digits ...).
std::string_view symbolsOf(SymbolClass symbols);

}  // namespace sonkrate::ids
