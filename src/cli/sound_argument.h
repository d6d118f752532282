// How replace and remove name a sound on the command line: 8 hexadecimal
// digits are an identifier, anything else a name whose identifier is the
// CRC-32 of its lower-cased text.
#pragma once

#include <cstdint>
#include <string>

namespace sonkrate::cli {

struct SoundArgument {
    std::uint32_t soundId = 0;
    std::string shown;  // "door (8ae5542d)" or "8ae5542d"
};

SoundArgument soundArgument(const std::string& text);

}  // namespace sonkrate::cli
