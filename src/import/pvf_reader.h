// Portable Voice Format files (.pvf): "PVF1" on a line of its own, then the
// channel count, the rate and the sample width as text; the samples are taken
// from offset 1024 (see COMPATIBILITY.md).
#pragma once

#include <string>

#include "import/conversion.h"

namespace sonkrate::import {

ConversionResult convertPvf(const std::string& sourcePath, const std::string& outputPath);

}  // namespace sonkrate::import
