#include "io/game_text.h"

#include <optional>

#include "io/unicode_text.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace sonkrate::io {

namespace {

bool asciiOnly(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

// The length of the UTF-8 sequence of two or more bytes at text[at], or 0.
// An encoded surrogate is not UTF-8 here: JSON readers and displays refuse it.
std::size_t multiByteSequence(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    if (length == 0 || text.size() - at < length) return 0;
    if (lead == 0xED && static_cast<unsigned char>(text[at + 1]) >= 0xA0) return 0;
    return utf16FromUtf8(text.substr(at, length)) ? length : 0;
}

bool strictUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = static_cast<unsigned char>(text[at]) < 0x80 ? 1 : multiByteSequence(text, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

#if defined(_WIN32)

std::string ansiFromWide(const std::wstring& wide) {
    const UINT codePage = GetACP();
    const int size = static_cast<int>(wide.size());
    if (codePage == CP_UTF8 || size == 0) return {};
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr,
                                      &usedDefault);
    if (n <= 0 || usedDefault) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), n, nullptr,
                            &usedDefault) != n ||
        usedDefault)
        return {};
    return out;
}

// A run of bytes that are not UTF-8, read in the ANSI code page. Runs keep
// the ASCII bytes around them, so a double-byte code page sees whole pairs.
void appendCodePageRun(std::string& out, std::string_view run) {
    const int size = static_cast<int>(run.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, run.data(), size, nullptr, 0);
    if (n <= 0) return;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, run.data(), size, wide.data(), n);
    out += fromWide(wide);
}

#else

// Windows-1252: 0x80..0x9F as below (the five unassigned bytes as the C1
// controls, as Windows reads them), Latin-1 above.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendCodePageRun(std::string& out, std::string_view run) {
    std::u16string wide;
    wide.reserve(run.size());
    for (unsigned char c : run) wide += c >= 0x80 && c < 0xA0 ? kWindows1252High[c - 0x80] : char16_t{c};
    out += utf8FromUtf16(wide);
}

#endif

}  // namespace

std::string gameText(std::string_view typed) {
#if defined(_WIN32)
    if (!asciiOnly(typed)) {
        if (std::optional<std::u16string> wide = utf16FromUtf8(typed)) {
            std::string ansi = ansiFromWide(std::wstring(wide->begin(), wide->end()));
            if (!ansi.empty()) return ansi;
        }
    }
#endif
    return std::string(typed);
}

std::string shownText(std::string_view bytes) {
    if (asciiOnly(bytes) || strictUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    std::size_t runStart = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = static_cast<unsigned char>(bytes[at]) >= 0x80 ? multiByteSequence(bytes, at) : 0;
        if (length == 0) {
            ++at;
            continue;
        }
        appendCodePageRun(out, bytes.substr(runStart, at - runStart));
        out.append(bytes.substr(at, length));
        at += length;
        runStart = at;
    }
    appendCodePageRun(out, bytes.substr(runStart));
    return out;
}

}  // namespace sonkrate::io
