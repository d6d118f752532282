#include "io/unicode_text.h"

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace sonkrate::io {

namespace {

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The code point of the sequence at text[at], its length in length; nothing
// for a sequence that is cut short, overlong or past U+10FFFF.
std::optional<char32_t> decodeOne(std::string_view text, std::size_t at, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    char32_t code = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        length = 1;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() - at < length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[at + i]);
        if (!continuation(c)) return std::nullopt;
        code = (code << 6) | (c & 0x3F);
    }
    if (code < least || code > 0x10FFFF) return std::nullopt;
    return code;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool highSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool lowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::optional<std::u16string> utf16FromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        std::size_t length = 0;
        std::optional<char32_t> code = decodeOne(utf8, at, length);
        if (!code) return std::nullopt;
        if (*code < 0x10000) {
            out += static_cast<char16_t>(*code);
        } else {
            const char32_t v = *code - 0x10000;
            out += static_cast<char16_t>(0xD800 | (v >> 10));
            out += static_cast<char16_t>(0xDC00 | (v & 0x3FF));
        }
        at += length;
    }
    return out;
}

std::string utf8FromUtf16(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (std::size_t at = 0; at < utf16.size(); ++at) {
        char32_t code = utf16[at];
        if (highSurrogate(code) && at + 1 < utf16.size() && lowSurrogate(utf16[at + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (utf16[at + 1] - 0xDC00);
            ++at;
        }
        appendUtf8(out, code);
    }
    return out;
}

#if defined(_WIN32)

std::wstring toWide(std::string_view utf8) {
    if (std::optional<std::u16string> wide = utf16FromUtf8(utf8)) return std::wstring(wide->begin(), wide->end());
    // Not UTF-8: a name in the ANSI code page.
    const int size = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, utf8.data(), size, wide.data(), n);
    return wide;
}

std::string fromWide(std::wstring_view wide) {
    return utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::filesystem::path nativePath(std::string_view utf8) { return std::filesystem::path(toWide(utf8)); }

std::string utf8Path(const std::filesystem::path& path) { return fromWide(path.native()); }

#else

std::filesystem::path nativePath(std::string_view utf8) { return std::filesystem::path(utf8); }

std::string utf8Path(const std::filesystem::path& path) { return path.native(); }

#endif

}  // namespace sonkrate::io
