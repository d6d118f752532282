// Saving one archive entry as a .cau file: "WBOR" and then bytes 4 .. length-1
// of the entry's image, streamed.
#pragma once

#include <cstdint>
#include <string>

#include "io/outcome.h"

namespace sonkrate::audio {

// Writes the imageLength bytes at imageOffset of the archive to targetPath
// (replaced safely), with "WBOR" in place of the first four bytes.
io::Outcome exportEntryAsCau(const std::string& archivePath, std::uint64_t imageOffset, std::uint64_t imageLength,
                             const std::string& targetPath);

}  // namespace sonkrate::audio
