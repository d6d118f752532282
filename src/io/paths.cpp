#include "io/paths.h"

#include <cctype>

namespace sonkrate::io {

bool isSeparator(char c) {
#if defined(_WIN32)
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

char separator() {
#if defined(_WIN32)
    return '\\';
#else
    return '/';
#endif
}

// Whether path starts with a drive letter and its colon ("C:").
static bool hasDrive(std::string_view path) {
#if defined(_WIN32)
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
#else
    (void)path;
    return false;
#endif
}

// Where the folder part ends: the last separator, or the drive's colon.
static std::size_t lastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (isSeparator(path[i - 1])) return i - 1;
    if (hasDrive(path)) return 1;
    return std::string_view::npos;
}

std::string fileNameOf(std::string_view path) {
    std::size_t at = lastSeparator(path);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

std::string folderOf(std::string_view path) {
    std::size_t at = lastSeparator(path);
    if (at == std::string_view::npos) return {};
    // A root keeps its separator: "/", "C:\\" and the bare drive "C:".
    if (at == 0) return std::string(path.substr(0, 1));
    if (hasDrive(path) && at <= 2) return std::string(path.substr(0, at + 1));
    return std::string(path.substr(0, at));
}

std::string joinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    std::string joined(folder);
    // "C:" + "x" stays "C:x", the file in the drive's current folder.
    bool bareDrive = joined.size() == 2 && hasDrive(joined);
    if (!isSeparator(joined.back()) && !bareDrive) joined += separator();
    joined += name;
    return joined;
}

std::string siblingPath(std::string_view path, std::string_view name) {
    std::size_t at = lastSeparator(path);
    std::string sibling(at == std::string_view::npos ? std::string_view() : path.substr(0, at + 1));
    sibling += name;
    return sibling;
}

static std::string stripFourAt(std::string_view name, std::size_t at) {
    if (at == std::string_view::npos) return std::string(name);
    std::string result(name.substr(0, at));
    if (at + 4 < name.size()) result += name.substr(at + 4);
    return result;
}

std::string stripFromFirstDot(std::string_view name) { return stripFourAt(name, name.find('.')); }

std::string stripFromLastDot(std::string_view name) { return stripFourAt(name, name.rfind('.')); }

std::string toLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string toUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace sonkrate::io
