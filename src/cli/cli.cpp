#include "cli/cli.h"

#include <cstdarg>
#include <cstdio>

#include "io/game_text.h"
#include "io/process_text.h"

namespace sonkrate::cli {

bool Arguments::has(const std::string& flag) const {
    for (const auto& f : flags)
        if (f == flag) return true;
    return false;
}

std::optional<std::string> Arguments::option(const std::string& name) const {
    for (const auto& [key, value] : options)
        if (key == name) return value;
    return std::nullopt;
}

namespace {

bool jsonErrors = false;
bool quietRun = false;
std::optional<std::string> subjectFile;

void printJsonError(const std::string& reason, const std::optional<std::string>& file) {
    if (!jsonErrors) return;
    print(stdout, "{\"error\": %s, \"file\": %s}\n", jsonString(reason).c_str(),
                file ? jsonString(*file).c_str() : "null");
    std::fflush(stdout);
}

}  // namespace

void setJsonErrors(bool on) { jsonErrors = on; }
void setSubjectFile(std::optional<std::string> file) { subjectFile = std::move(file); }

int failedOn(const std::string& file, const std::string& reason) {
    reportError(reason);
    printJsonError(reason, file);
    return kExitFailed;
}

int failed(const std::string& reason) {
    reportError(reason);
    printJsonError(reason, subjectFile);
    return kExitFailed;
}

int failed(const io::Outcome& outcome) { return failed(outcome.reason); }

int usageError(const Command& command, const std::string& problem) {
    print(stderr, "sonkrate-cli %s: %s\nusage: sonkrate-cli %s\n", command.name.c_str(),
                 escapeControls(problem).c_str(), command.synopsis.c_str());
    printJsonError(problem, std::nullopt);
    return kExitUsage;
}

int usageError(const std::string& commandName, const std::string& problem) {
    for (const Command& c : commands())
        if (c.name == commandName) return usageError(c, problem);
    print(stderr, "sonkrate-cli %s: %s\n", escapeControls(commandName).c_str(), escapeControls(problem).c_str());
    printJsonError(problem, std::nullopt);
    return kExitUsage;
}

void reportError(const std::string& reason) { print(stderr, "sonkrate-cli: %s\n", escapeControls(reason).c_str()); }

int failedLeftAsItWas(const io::Outcome& outcome, const std::string& archivePath) {
    return failed(outcome.reason + "; " + archivePath + " was left as it was");
}

void setQuiet(bool on) { quietRun = on; }
bool quiet() { return quietRun; }

void warning(const std::string& text) {
    if (!quietRun) print(stderr, "sonkrate-cli: warning: %s\n", escapeControls(text).c_str());
}

namespace {

std::string formatted(const char* format, std::va_list args) {
    char small[512];
    std::va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(small, sizeof small, format, again);
    va_end(again);
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

}  // namespace

void print(std::FILE* to, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const std::string text = formatted(format, args);
    va_end(args);
    (void)io::writeText(to, escapeControls(text, true));
}

void say(std::FILE* to, const char* format, ...) {
    if (quietRun) return;
    std::va_list args;
    va_start(args, format);
    const std::string text = formatted(format, args);
    va_end(args);
    (void)io::writeText(to, escapeControls(text, true));
}

std::string escapeControls(std::string_view text, bool lineEnds) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool crlf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (lineEnds && (c == '\n' || c == '\t' || crlf)) {
            out += static_cast<char>(c);
        } else if (c == '\n' || c == '\r' || c == '\t') {
            out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            out += escape;
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // A C1 control in UTF-8 (U+0080 to U+009F): some terminals obey these too.
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(text[++i]));
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    // JSON is UTF-8: bytes from files in the game's code page are converted.
    for (unsigned char c : io::shownText(text)) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

}  // namespace sonkrate::cli
