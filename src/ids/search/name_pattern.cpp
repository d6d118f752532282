#include "ids/search/name_pattern.h"

#include "ids/crc32_fast.h"
#include "ids/search/name_candidates.h"

namespace sonkrate::ids {

std::string_view symbolsOf(SymbolClass symbols) {
    switch (symbols) {
    case SymbolClass::Digit: return "0123456789";
    case SymbolClass::Letter: return "abcdefghijklmnopqrstuvwxyz";
    case SymbolClass::Any: return "abcdefghijklmnopqrstuvwxyz0123456789 -_";
    case SymbolClass::Literal: break;
    }
    return {};
}

PatternParse parseNamePattern(std::string_view text) {
    PatternParse parse;
    if (text.empty()) {
        parse.problem = PatternProblem::Empty;
        return parse;
    }
    NamePattern& p = parse.pattern;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(text[i]);
        PatternElement e;
        if (b < 0x20 || b == 0x7F) {
            parse.problem = PatternProblem::NotPrintable;
            parse.at = i;
            return parse;
        }
        if (b == '\\') {
            if (i + 1 == text.size()) {
                parse.problem = PatternProblem::LoneEscape;
                parse.at = i;
                return parse;
            }
            e.literal = lowerAsciiByte(static_cast<std::uint8_t>(text[++i]));
        } else if (b == '#' || b == '@' || b == '?') {
            e.symbols = b == '#' ? SymbolClass::Digit : b == '@' ? SymbolClass::Letter : SymbolClass::Any;
            const std::uint64_t n = symbolsOf(e.symbols).size();
            if (p.names > kMaxPatternNames / n) {
                parse.problem = PatternProblem::TooManyNames;
                parse.at = i;
                return parse;
            }
            p.names *= n;
        } else {
            e.literal = lowerAsciiByte(b);
        }
        p.elements.push_back(e);
        if (p.elements.size() > kMaxNameLength) {
            parse.problem = PatternProblem::TooLong;
            parse.at = i;
            return parse;
        }
    }
    return parse;
}

}  // namespace sonkrate::ids
