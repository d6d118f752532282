#include "platform/win32/win32_text.h"

#include <shellapi.h>

#include "io/game_text.h"
#include "io/unicode_text.h"

namespace sonkrate::platform::win32 {

std::wstring shownWide(const std::string& text) { return io::toWide(io::shownText(text)); }

std::string withWindowsLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

std::string withoutWindowsLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

std::string windowText(HWND window) {
    if (!window) return {};
    int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    int got = GetWindowTextW(window, buffer.data(), length + 1);
    return io::fromWide(std::wstring_view(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0));
}

std::vector<std::string> droppedFiles(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::wstring path(length + 1, L'\0');
        const UINT got = DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(got);
        if (!path.empty()) paths.push_back(io::fromWide(path));
    }
    DragFinish(drop);
    return paths;
}

}  // namespace sonkrate::platform::win32
