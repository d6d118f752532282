#include "io/process_text.h"

#if defined(_WIN32)
#include <windows.h>
#include <shellapi.h>

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

#else

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
