// Core Audio Format files (.caf): the fields of the "desc" chunk that follows
// the 8-byte file header, and the sample data from a fixed offset near 4096,
// where files padded with a "free" chunk keep it (see COMPATIBILITY.md).
// Linear PCM keeps its width; 8-bit mu-law and A-law keep their encoding.
#pragma once

#include <string>

#include "import/conversion.h"

namespace sonkrate::import {

ConversionResult convertCaf(const std::string& sourcePath, const std::string& outputPath);

}  // namespace sonkrate::import
