// Creative Voice files (.voc): the first sound block, expected right after the
// 26-byte file header. 16-bit sound from a type 9 block; 8-bit mono from a
// type 1 block and 8-bit stereo from a type 8 block, whose rate is a time
// constant. VOC data is already what a .wav holds, so bytes are copied as they are.
#pragma once

#include <string>

#include "import/conversion.h"

namespace sonkrate::import {

// Entry point and 16-bit sound; anything else goes to convertVoc8.
ConversionResult convertVoc(const std::string& sourcePath, const std::string& outputPath);
ConversionResult convertVoc8(const std::string& sourcePath, const std::string& outputPath);

}  // namespace sonkrate::import
