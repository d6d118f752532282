// Ensoniq PARIS audio files (.paf): a 2048-byte big-endian header, then 16-bit
// samples (byte pairs swapped), 8-bit samples (moved by 127) or 24-bit mono
// samples in 32-byte blocks whose 2 padding bytes are left out.
#pragma once

#include <string>

#include "import/conversion.h"

namespace sonkrate::import {

ConversionResult convertPaf(const std::string& sourcePath, const std::string& outputPath);

}  // namespace sonkrate::import
