// A .cau file written again with another caption block: the header (its
// caption and data offsets moved to fit), the new block, the same sound data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::audio {

// The .cau with another caption block, as pieces: head (the header, then the
// block) followed by the dataSize bytes at dataStart of the file read.
struct RecaptionedCau {
    std::vector<std::uint8_t> head;
    std::uint64_t dataStart = 0;
    std::uint32_t dataSize = 0;
};

// Reads the .cau open as in and makes the pieces of it with captionBlock
// (empty: no caption). Fails, naming the file, when it is not a sound image
// or would grow past what a .cau can hold.
io::Outcome recaptionCau(io::File& in, const std::string& captionBlock, RecaptionedCau& made);

// Writes target (replaced safely) from the .cau at source with captionBlock
// (empty: no caption) in place of whatever caption source had.
io::Outcome recaptionCau(const std::string& source, const std::string& target, const std::string& captionBlock);

}  // namespace sonkrate::audio
