#include "app/archive_window_texts.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "io/game_text.h"

namespace sonkrate::app {

std::string countText(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string lengthText(std::uint64_t ms) {
    char text[48];
    std::snprintf(text, sizeof text, "%llu:%02llu.%03llu", static_cast<unsigned long long>(ms / 60000),
                  static_cast<unsigned long long>(ms / 1000 % 60), static_cast<unsigned long long>(ms % 1000));
    return text;
}

std::string floatText(std::uint32_t bits) {
    const float value = std::bit_cast<float>(bits);
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char text[32];
    auto [end, error] = std::to_chars(text, text + sizeof text, value);
    if (error != std::errc()) return "?";
    return std::string(text, end);
}

std::string formatText(const archive::ArchiveRow& row) {
    if (row.compression == 0) return "PCM";
    if (row.compression == 1) return "IMA ADPCM";
    return "compression " + std::to_string(row.compression);
}

std::string formatKey(const archive::ArchiveRow& row) {
    return row.compression == 0 ? "pcm" : row.compression == 1 ? "ima-adpcm" : "other";
}

std::string archiveStatusText(std::size_t records, std::size_t named, std::size_t shown, bool filtered,
                              std::uint64_t fileSize) {
    char size[32];
    std::snprintf(size, sizeof size, "%.1f MB", static_cast<double>(fileSize) / 1e6);
    std::string text = std::to_string(records) + (records == 1 ? " sound, " : " sounds, ") + std::to_string(named) +
                       " named, " + std::to_string(records - named) + " unknown, " + size;
    if (filtered) text = std::to_string(shown) + " of " + std::to_string(records) + " shown - " + text;
    return text;
}

namespace {

// Fifths of a second as "m:ss.s".
std::string fifthsText(std::uint64_t fifths) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02llu.%llu", static_cast<unsigned long long>(fifths / 300),
                  static_cast<unsigned long long>(fifths / 5 % 60), static_cast<unsigned long long>(fifths % 5 * 2));
    return text;
}

}  // namespace

std::string captionLines(const std::vector<audio::CaptionSection>& sections) {
    std::string text;
    std::uint64_t start = 0;
    for (const audio::CaptionSection& s : sections) {
        if (!text.empty()) text += "\n";
        text += fifthsText(start) + " - " + fifthsText(start + s.fifths) + "  " +
                (s.text.empty() ? std::string("(pause)") : io::shownText(s.text));
        start += s.fifths;
    }
    return text;
}

std::string rowProblemText(archive::RowProblem problem) {
    switch (problem) {
    case archive::RowProblem::None: return "";
    case archive::RowProblem::ImageOutsideFile: return "its sound image runs past the end of the archive";
    case archive::RowProblem::DataOutsideImage: return "its sound data does not fit in its image";
    case archive::RowProblem::UnknownCompression: return "its compression is neither PCM nor IMA ADPCM";
    case archive::RowProblem::UnsupportedLayout: return "it is not a mono or stereo sound of 8 or 16 bits";
    case archive::RowProblem::UnknownBlockAlign: return "its IMA ADPCM blocks have a size the decoder does not take";
    }
    return "";
}

std::string findingLine(const archive::Finding& finding) {
    return std::string(archive::severityText(finding.severity)) + ": " + finding.message;
}

}  // namespace sonkrate::app
