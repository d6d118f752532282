#include "platform/fltk/desktop_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "io/file.h"
#include "io/paths.h"
#include "io/program_path.h"

namespace sonkrate::platform::desktop {

namespace {

std::string envOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

std::string trimmed(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return std::string(s.substr(b, e - b));
}

// A small text file read whole (the user-dirs file is a few hundred bytes;
// anything beyond 64 KiB is not such a file).
std::string readSmallFile(const std::string& path) {
    io::File file;
    if (!file.open(path, io::FileMode::Read)) return {};
    std::vector<char> buffer(64 * 1024);
    std::size_t got = file.readSome(buffer.data(), buffer.size());
    return std::string(buffer.data(), got);
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

std::string documentsFolderFromUserDirs(std::string_view text, const std::string& home) {
    std::string found;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string line = trimmed(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == '#') continue;
        std::size_t eq = line.find('=');
        if (eq == std::string::npos || trimmed(std::string_view(line).substr(0, eq)) != "XDG_DOCUMENTS_DIR") continue;
        std::string value = trimmed(std::string_view(line).substr(eq + 1));
        // The value is a quoted string in which a backslash quotes the next
        // character; "$HOME" may only stand at its start.
        if (value.size() < 2 || value.front() != '"') continue;
        std::string unquoted;
        bool closed = false;
        for (std::size_t i = 1; i < value.size(); ++i) {
            char c = value[i];
            if (c == '\\' && i + 1 < value.size()) {
                unquoted += value[++i];
            } else if (c == '"') {
                closed = true;
                break;
            } else {
                unquoted += c;
            }
        }
        if (!closed) continue;
        std::string path;
        if (unquoted.rfind("$HOME", 0) == 0 && (unquoted.size() == 5 || unquoted[5] == '/'))
            path = home + unquoted.substr(5);
        else if (!unquoted.empty() && unquoted[0] == '/')
            path = unquoted;
        else
            continue;
        found = withoutTrailingSlash(path);  // the last assignment counts, as in a shell
    }
    if (found.empty() || found == withoutTrailingSlash(home)) return {};
    return found;
}

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The path of one line of a drop; empty when it names no local file.
std::string droppedPath(std::string_view line) {
    constexpr std::string_view scheme = "file://";
    if (!line.empty() && line.front() == '/') return std::string(line);
    if (line.substr(0, scheme.size()) != scheme) return {};
    line.remove_prefix(scheme.size());
    std::size_t slash = line.find('/');
    if (slash == std::string_view::npos) return {};
    std::string_view host = line.substr(0, slash);
    if (!host.empty() && host != "localhost") return {};
    std::string path;
    for (std::size_t i = slash; i < line.size(); ++i) {
        int high = i + 2 < line.size() ? hexDigit(line[i + 1]) : -1;
        int low = i + 2 < line.size() ? hexDigit(line[i + 2]) : -1;
        if (line[i] == '%' && high >= 0 && low >= 0) {
            path += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            path += line[i];
        }
    }
    // An escaped NUL would cut the name short where the system reads it.
    if (path.find('\0') != std::string::npos) return {};
    return path;
}

}  // namespace

std::vector<std::string> droppedPaths(std::string_view dropText) {
    std::vector<std::string> paths;
    while (!dropText.empty()) {
        std::size_t end = dropText.find('\n');
        std::string_view line = dropText.substr(0, end);
        dropText.remove_prefix(end == std::string_view::npos ? dropText.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\0')) line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        if (std::string path = droppedPath(line); !path.empty()) paths.push_back(std::move(path));
    }
    return paths;
}

std::string homeFolder() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

std::string documentsFolder() {
    std::string home = homeFolder();
    std::string config = envOr("XDG_CONFIG_HOME", io::joinPath(home, ".config"));
    std::string fromFile = documentsFolderFromUserDirs(readSmallFile(io::joinPath(config, "user-dirs.dirs")), home);
    return fromFile.empty() ? io::joinPath(home, "Documents") : fromFile;
}

std::string userDataFolder() {
    std::string data = envOr("XDG_DATA_HOME", io::joinPath(homeFolder(), ".local/share"));
    return io::joinPath(data, "sonkrate");
}

std::string executablePath() { return io::programPath(); }

}  // namespace sonkrate::platform::desktop
