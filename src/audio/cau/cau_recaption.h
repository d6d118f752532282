// A .cau file written again with another caption block: the header (its
// caption and data offsets moved to fit), the new block, the same sound data.
#pragma once

#include <string>

#include "io/outcome.h"

namespace sonkrate::audio {

// Writes target (replaced safely) from the .cau at source with captionBlock
// (empty: no caption) in place of whatever caption source had.
io::Outcome recaptionCau(const std::string& source, const std::string& target, const std::string& captionBlock);

}  // namespace sonkrate::audio
