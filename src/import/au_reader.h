// Sun/NeXT audio files (.au, .snd): linear PCM written as 16-bit PCM through a
// single channel, mu-law and A-law kept in their encoding under a G.711 header.
#pragma once

#include <string>

#include "import/conversion.h"

namespace sonkrate::import {

// Entry point and linear PCM (8-, 16- and 32-bit); mu-law and A-law go to convertAuG711.
ConversionResult convertAu(const std::string& sourcePath, const std::string& outputPath);
ConversionResult convertAuG711(const std::string& sourcePath, const std::string& outputPath);

}  // namespace sonkrate::import
