// AIFF and AIFC files: plain AIFF with 8-, 16-, 24- and 32-bit samples whose
// COMM chunk follows the FORM header, and AIFC files (FVER first) with A-law,
// mu-law or uncompressed 8-bit data. Fields are taken at fixed offsets
// (kept on purpose: see COMPATIBILITY.md).
#pragma once

#include <string>

#include "import/conversion.h"

namespace sonkrate::import {

// Entry point: 16-bit samples itself, the other widths through the three below.
ConversionResult convertAiff(const std::string& sourcePath, const std::string& outputPath);
ConversionResult convertAiff24(const std::string& sourcePath, const std::string& outputPath);
ConversionResult convertAiff32(const std::string& sourcePath, const std::string& outputPath);
ConversionResult convertAiff8OrAifc(const std::string& sourcePath, const std::string& outputPath);

}  // namespace sonkrate::import
