// The 32-bit identifier by which the game addresses a sound: the CRC-32 of
// the sound's lower-cased name, and its text forms.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sonkrate::ids {

using SoundId = std::uint32_t;

// CRC-32 (reflected polynomial 0xEDB88320, initial and final value
// 0xFFFFFFFF) over the bytes of name with ASCII letters lower-cased. The name
// is hashed as given otherwise: no trimming, no extension removed.
SoundId computeSoundId(std::string_view name);

// Exactly 8 lower-case hexadecimal digits, with leading zeros.
std::string formatSoundId(SoundId id);

// Reads 1 to 8 hexadecimal digits of either case, optionally after "0x";
// nothing else is accepted.
std::optional<SoundId> parseSoundId(std::string_view text);

}  // namespace sonkrate::ids
