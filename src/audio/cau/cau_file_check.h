// Checking a .cau file before it goes into an archive: its size and its
// 36-byte header, which must describe the file (the data it announces ends
// exactly where the file ends).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "audio/cau/cau_header.h"
#include "io/outcome.h"

namespace sonkrate::audio {

struct CauFileFacts {
    std::uint64_t size = 0;
    std::array<std::uint8_t, kCauHeaderSize> header{};  // the first 36 bytes, as they are
};

// Reads the size and header of the .cau at path. Fails with a sentence naming
// the file when it cannot be read, is shorter than a header, or its
// dataOffset + dataSize is not its size.
io::Outcome inspectCauFile(const std::string& path, CauFileFacts& facts);

}  // namespace sonkrate::audio
