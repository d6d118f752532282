#include "ids/sound_id.h"

#include "ids/crc32_fast.h"

namespace sonkrate::ids {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

SoundId computeSoundId(std::string_view name) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(name.data());
    return crcUpdateLower(kCrcStart, bytes, name.size()) ^ kCrcStart;
}

std::string formatSoundId(SoundId id) {
    static const char digits[] = "0123456789abcdef";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = digits[id & 0xFu];
        id >>= 4;
    }
    return text;
}

std::optional<SoundId> parseSoundId(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty() || text.size() > 8) return std::nullopt;
    SoundId id = 0;
    for (char c : text) {
        int v = hexValue(c);
        if (v < 0) return std::nullopt;
        id = (id << 4) | static_cast<SoundId>(v);
    }
    return id;
}

}  // namespace sonkrate::ids
