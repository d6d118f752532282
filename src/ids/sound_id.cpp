#include "ids/sound_id.h"

#include <array>

namespace sonkrate::ids {

namespace {

constexpr std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = makeCrcTable();

// ASCII only, so that the identifier does not depend on the locale.
constexpr std::uint8_t lowerAscii(std::uint8_t b) {
    return (b >= 'A' && b <= 'Z') ? static_cast<std::uint8_t>(b + ('a' - 'A')) : b;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

SoundId computeSoundId(std::string_view name) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char c : name) {
        std::uint8_t b = lowerAscii(static_cast<std::uint8_t>(c));
        crc = (crc >> 8) ^ kCrcTable[(crc ^ b) & 0xFFu];
    }
    return crc ^ 0xFFFFFFFFu;
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
