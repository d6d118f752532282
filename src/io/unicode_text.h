// Text in the program is UTF-8; Windows names files in UTF-16. These are
// the conversions between the two, and between a UTF-8 string and a
// std::filesystem::path, used wherever a name crosses to the system.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sonkrate::io {

// UTF-16 from UTF-8; nothing when the bytes are not UTF-8. Encoded
// surrogates (a name Windows allows with an unpaired one) are taken back as
// they were, so that every UTF-16 name survives the round trip.
std::optional<std::u16string> utf16FromUtf8(std::string_view utf8);

// UTF-8 from UTF-16. An unpaired surrogate is kept as its own three bytes.
std::string utf8FromUtf16(std::u16string_view utf16);

// The file-system path of a UTF-8 name. On Windows, bytes that are not
// UTF-8 are taken in the ANSI code page, as in lists written by older tools.
std::filesystem::path nativePath(std::string_view utf8);

// The UTF-8 name of a file-system path.
std::string utf8Path(const std::filesystem::path& path);

#if defined(_WIN32)
// The UTF-16 form of a UTF-8 string for the wide calls of Windows (with the
// same ANSI fallback as nativePath), and back.
std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view wide);
#endif

}  // namespace sonkrate::io
