#include "io/process_text.h"

#if defined(_WIN32)
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "io/unicode_text.h"
#endif

namespace sonkrate::io {

#if defined(_WIN32)

namespace {

UINT savedOutputPage = 0;

void restoreOutputPage() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (savedOutputPage != 0) SetConsoleOutputCP(savedOutputPage);
}

bool isConsole(DWORD which) {
    DWORD mode = 0;
    HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

}  // namespace

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    // The C runtime's argv is the fallback when the wide line cannot be split.
    if (!wide || count != argc) {
        if (wide) LocalFree(wide);
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) arguments.push_back(fromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}

void showUtf8OnConsole() {
    if (savedOutputPage != 0) return;
    if (!isConsole(STD_OUTPUT_HANDLE) && !isConsole(STD_ERROR_HANDLE)) return;
    const UINT page = GetConsoleOutputCP();
    if (page == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8)) return;
    savedOutputPage = page;
    std::atexit(restoreOutputPage);
}

namespace {

// The console that stream writes to, or nullptr when it writes elsewhere.
HANDLE consoleOf(std::FILE* stream) {
    DWORD which = stream == stdout ? STD_OUTPUT_HANDLE : stream == stderr ? STD_ERROR_HANDLE : 0;
    return which != 0 && isConsole(which) ? GetStdHandle(which) : nullptr;
}

// Console writes go in pieces; a piece never ends between the two halves of a pair.
bool writeConsole(HANDLE console, const std::wstring& text) {
    constexpr std::size_t kPiece = 8192;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t n = std::min(kPiece, text.size() - at);
        if (at + n < text.size() && text[at + n] >= 0xDC00 && text[at + n] <= 0xDFFF) --n;
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data() + at, static_cast<DWORD>(n), &written, nullptr) || written == 0)
            return false;
        at += written;
    }
    return true;
}

}  // namespace

bool writeText(std::FILE* stream, std::string_view utf8) {
    HANDLE console = consoleOf(stream);
    if (console == nullptr) return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
    std::wstring text;
    for (wchar_t c : toWide(utf8)) {
        if (c == L'\n') text += L'\r';
        text += c;
    }
    // What the C runtime still holds for this stream goes first.
    std::fflush(stream);
    return writeConsole(console, text);
}

#else

bool writeText(std::FILE* stream, std::string_view utf8) {
    return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
}

std::vector<std::string> utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

void showUtf8OnConsole() {}

#endif

std::vector<char*> argumentPointers(std::vector<std::string>& arguments) {
    std::vector<char*> pointers;
    pointers.reserve(arguments.size() + 1);
    for (std::string& a : arguments) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace sonkrate::io
