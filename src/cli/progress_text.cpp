#include "cli/progress_text.h"

#include <cmath>
#include <cstdio>

namespace sonkrate::cli {
namespace {

constexpr std::size_t kBarWidth = 24;
// 99:59:59: past this the estimate is shown as ">99 h".
constexpr double kLongestShown = 99.0 * 3600 + 59 * 60 + 59;

const char* unitWord(ProgressUnit unit) {
    switch (unit) {
    case ProgressUnit::Entries: return "entries";
    case ProgressUnit::Sounds: return "sounds";
    case ProgressUnit::Files: return "files";
    case ProgressUnit::Bytes: break;
    }
    return "bytes";
}

// The binary unit a byte count is best read in: its power of 1024 and name.
int byteScale(std::uint64_t bytes) {
    int scale = 0;
    while (scale < 3 && bytes >= (1024ull << (10 * scale))) ++scale;
    return scale;
}

const char* const kByteUnits[] = {"B", "KiB", "MiB", "GiB"};

// bytes in 1024^scale, one decimal (two for GiB), none for plain bytes.
std::string scaled(std::uint64_t bytes, int scale) {
    if (scale == 0) return std::to_string(bytes);
    char text[32];
    std::snprintf(text, sizeof text, scale == 3 ? "%.2f" : "%.1f",
                  static_cast<double>(bytes) / static_cast<double>(1ull << (10 * scale)));
    return text;
}

}  // namespace

std::string formatByteSize(std::uint64_t bytes) {
    const int scale = byteScale(bytes);
    return scaled(bytes, scale) + " " + kByteUnits[scale];
}

std::string formatProgressCount(std::uint64_t done, std::uint64_t total, ProgressUnit unit) {
    if (done > total) done = total;
    if (unit != ProgressUnit::Bytes) return std::to_string(done) + "/" + std::to_string(total) + " " + unitWord(unit);
    const int scale = byteScale(total);
    return scaled(done, scale) + "/" + scaled(total, scale) + " " + kByteUnits[scale];
}

std::string formatTimeLeft(double elapsedSeconds, std::uint64_t done, std::uint64_t total) {
    if (done == 0 || done >= total || !(elapsedSeconds >= 1.0)) return "";
    const double left = elapsedSeconds * static_cast<double>(total - done) / static_cast<double>(done);
    if (left > kLongestShown) return ">99 h left";
    const auto seconds = static_cast<std::uint64_t>(std::ceil(left));
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu left", static_cast<unsigned long long>(seconds / 3600),
                      static_cast<unsigned long long>(seconds / 60 % 60),
                      static_cast<unsigned long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%llu:%02llu left", static_cast<unsigned long long>(seconds / 60),
                      static_cast<unsigned long long>(seconds % 60));
    return text;
}

std::string progressBar(std::uint64_t done, std::uint64_t total, std::size_t width) {
    std::size_t filled = width;
    if (total > 0 && done < total)
        filled = static_cast<std::size_t>(static_cast<double>(done) / static_cast<double>(total) * width);
    return "[" + std::string(filled, '#') + std::string(width - filled, '-') + "]";
}

std::string progressLine(const std::string& label, std::uint64_t done, std::uint64_t total, ProgressUnit unit,
                         double elapsedSeconds) {
    std::string line = label + " " + progressBar(done, total, kBarWidth) + "  " + formatProgressCount(done, total, unit);
    const std::string left = formatTimeLeft(elapsedSeconds, done, total);
    if (!left.empty()) line += "  " + left;
    return line;
}

}  // namespace sonkrate::cli
