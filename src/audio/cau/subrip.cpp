#include "audio/cau/subrip.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

namespace sonkrate::audio {

namespace {

constexpr std::uint64_t kMillisPerFifth = 200;

// The text cut into lines, CR LF or LF ends (and any CR before them), the BOM gone.
std::vector<std::string_view> linesOf(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

bool isBlank(std::string_view line) { return line.find_first_not_of(" \t\r") == std::string_view::npos; }

// The lines of a section's text that a cue can hold: a blank line would end it.
std::string cueLines(std::string_view text) {
    std::string lines;
    while (!text.empty()) {
        std::string_view line = text.substr(0, text.find('\n'));
        text.remove_prefix(std::min(text.size(), line.size() + 1));
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!isBlank(line)) lines.append(line).append("\r\n");
    }
    return lines;
}

void skipBlanks(std::string_view& s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
}

// Up to maxDigits decimal digits; at least one.
std::optional<std::uint64_t> digits(std::string_view& s, std::size_t maxDigits, std::size_t* count = nullptr) {
    std::size_t n = 0;
    std::uint64_t v = 0;
    while (n < s.size() && n < maxDigits && s[n] >= '0' && s[n] <= '9') v = v * 10 + static_cast<unsigned>(s[n++] - '0');
    if (n == 0) return std::nullopt;
    s.remove_prefix(n);
    if (count) *count = n;
    return v;
}

// "H:MM:SS,mmm" (a full stop also taken for the comma) in milliseconds.
std::optional<std::uint64_t> readTime(std::string_view& s) {
    skipBlanks(s);
    auto h = digits(s, 9);
    if (!h || s.empty() || s.front() != ':') return std::nullopt;
    s.remove_prefix(1);
    auto m = digits(s, 2);
    if (!m || *m > 59 || s.empty() || s.front() != ':') return std::nullopt;
    s.remove_prefix(1);
    auto sec = digits(s, 2);
    if (!sec || *sec > 59 || s.empty() || (s.front() != ',' && s.front() != '.')) return std::nullopt;
    s.remove_prefix(1);
    std::size_t n = 0;
    auto ms = digits(s, 3, &n);
    if (!ms) return std::nullopt;
    while (n++ < 3) *ms *= 10;  // ",5" is half a second
    return ((*h * 60 + *m) * 60 + *sec) * 1000 + *ms;
}

struct Timing {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};

std::optional<Timing> readTiming(std::string_view line) {
    auto start = readTime(line);
    skipBlanks(line);
    if (!start || line.substr(0, 3) != "-->") return std::nullopt;
    line.remove_prefix(3);
    auto end = readTime(line);
    if (!end) return std::nullopt;
    // Anything after the end time (a position) is ignored.
    return Timing{*start, *end};
}

bool isNumber(std::string_view line) {
    skipBlanks(line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return !line.empty() && line.find_first_not_of("0123456789") == std::string_view::npos;
}

std::uint64_t toFifths(std::uint64_t millis) { return (millis + kMillisPerFifth / 2) / kMillisPerFifth; }

SubRipRead fault(SubRipRead r, SubRipFault f, std::size_t cue, std::size_t line) {
    r.fault = f;
    r.cue = cue;
    r.line = line + 1;
    r.sections.clear();
    return r;
}

// Whether the cue that starts at line i is a timing line, or a number
// followed by one.
bool startsCue(const std::vector<std::string_view>& lines, std::size_t i) {
    if (readTiming(lines[i])) return true;
    return isNumber(lines[i]) && i + 1 < lines.size() && readTiming(lines[i + 1]).has_value();
}

// Text in an encoding or with line ends the reader does not take.
std::optional<SubRipRead> refusedText(std::string_view text) {
    SubRipRead r;
    const bool utf16Mark = text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF";
    if (utf16Mark || text.find('\0') != std::string_view::npos) return fault(r, SubRipFault::Utf16, 0, 0);
    // CR LF, and CR CR LF as some tools write, end lines; a CR before anything else does not.
    std::size_t line = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') ++line;
        if (text[i] != '\r') continue;
        std::size_t next = text.find_first_not_of('\r', i);
        if (next == std::string_view::npos) break;  // the end of the last line
        if (text[next] != '\n') return fault(r, SubRipFault::CrLineEnds, 0, line);
        i = next - 1;
    }
    return std::nullopt;
}

}  // namespace

SubRipRead readSubRip(std::string_view text) {
    if (std::optional<SubRipRead> refused = refusedText(text)) return *refused;
    SubRipRead r;
    const std::vector<std::string_view> lines = linesOf(text);
    std::uint64_t lastEnd = 0;  // milliseconds
    std::uint64_t cursor = 0;   // fifths
    std::size_t cue = 0;
    for (std::size_t i = 0; i < lines.size();) {
        if (isBlank(lines[i])) {
            ++i;
            continue;
        }
        ++cue;
        // The cue's number is optional; its timing line is not.
        if (isNumber(lines[i]) && i + 1 < lines.size() && lines[i + 1].find("-->") != std::string_view::npos) ++i;
        const std::size_t timingLine = i;
        std::optional<Timing> t = readTiming(lines[i++]);
        if (!t) return fault(r, SubRipFault::BadTiming, cue, timingLine);
        std::string cueText;
        for (bool first = true; i < lines.size() && !isBlank(lines[i]) && !startsCue(lines, i); ++i, first = false) {
            if (!first) cueText += '\n';
            cueText.append(lines[i]);
        }
        if (t->end < t->start) return fault(r, SubRipFault::Backwards, cue, timingLine);
        if (t->start < lastEnd) return fault(r, SubRipFault::Overlapping, cue, timingLine);
        const std::uint64_t start = toFifths(t->start), end = toFifths(t->end);
        if (end > std::numeric_limits<std::uint32_t>::max()) return fault(r, SubRipFault::TimeTooLarge, cue, timingLine);
        if (start > cursor) r.sections.push_back({static_cast<std::uint32_t>(start - cursor), ""});
        r.sections.push_back({static_cast<std::uint32_t>(end - start), std::move(cueText)});
        cursor = end;
        lastEnd = t->end;
    }
    if (cue == 0) return fault(r, SubRipFault::NoCues, 0, lines.size());
    return r;
}

std::string subRipTime(std::uint64_t fifths) {
    const std::uint64_t ms = fifths * kMillisPerFifth;
    char text[48];
    std::snprintf(text, sizeof text, "%02llu:%02u:%02u,%03u", static_cast<unsigned long long>(ms / 3600000),
                  static_cast<unsigned>(ms / 60000 % 60), static_cast<unsigned>(ms / 1000 % 60),
                  static_cast<unsigned>(ms % 1000));
    return text;
}

std::string writeSubRip(const std::vector<CaptionSection>& sections) {
    std::string out;
    std::uint64_t start = 0;
    std::size_t cue = 0;
    for (const CaptionSection& s : sections) {
        const std::uint64_t end = start + s.fifths;
        // A section without a line to show is a pause and gets no cue.
        if (std::string lines = cueLines(s.text); !lines.empty())
            out += std::to_string(++cue) + "\r\n" + subRipTime(start) + " --> " + subRipTime(end) + "\r\n" + lines +
                   "\r\n";
        start = end;
    }
    return out;
}

}  // namespace sonkrate::audio
