// Psion A-law sound files (.wve): a 32-byte header whose text begins with
// "ALawSoundFile", then 8-bit A-law samples, kept in their encoding.
#pragma once

#include <string>

#include "import/conversion.h"

namespace sonkrate::import {

// True when the text from the start of the file up to its first "." (or its
// end), cut to four lower-cased characters when longer than five, is "alaw".
bool hasWveSignature(io::File& file);

ConversionResult convertWve(const std::string& sourcePath, const std::string& outputPath);

}  // namespace sonkrate::import
