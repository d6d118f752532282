#include "io/program_path.h"

#include <vector>

#include "io/unicode_text.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace sonkrate::io {

std::string programPath() {
    // A path that fills the buffer may be cut short: grow it and ask again.
    for (std::size_t size = 4096; size <= 65536; size *= 2) {
#if defined(_WIN32)
        std::vector<wchar_t> buffer(size, L'\0');
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(size));
        if (n == 0) return {};
        if (n < size) return fromWide(std::wstring_view(buffer.data(), n));
#else
        std::vector<char> buffer(size, '\0');
        ssize_t n = readlink("/proc/self/exe", buffer.data(), size);
        if (n <= 0) return {};
        if (static_cast<std::size_t>(n) < size) return std::string(buffer.data(), static_cast<std::size_t>(n));
#endif
    }
    return {};
}

}  // namespace sonkrate::io
