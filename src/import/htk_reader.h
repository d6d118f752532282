// HTK speech toolkit waveform files (.htk): a 12-byte big-endian header and
// 16-bit samples, written as 16-bit mono PCM; the rate comes from the sample period.
#pragma once

#include <string>

#include "import/conversion.h"

namespace sonkrate::import {

ConversionResult convertHtk(const std::string& sourcePath, const std::string& outputPath);

}  // namespace sonkrate::import
