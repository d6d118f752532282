// The built-in missing sound: a 22156-byte stereo IMA ADPCM .cau image of
// about one second, made by code, and the writer of missing.cau.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/cau/cau_header.h"
#include "io/outcome.h"

namespace sonkrate::audio {

inline constexpr std::size_t kMissingSoundSize = 22156;

// The header {"WBOR", 110, 36, 2056, 22120, 88200, 22050, 16, 2, 1, 0, 0}.
CauHeader missingSoundHeader();
// The whole image, header first; the same bytes on every run and system.
std::vector<std::uint8_t> missingSoundImage();

// Writes the image to path only when path cannot be opened for reading; an
// existing file is never touched. written tells whether the file was made.
io::Outcome writeMissingCauIfAbsent(const std::string& path, bool& written);

}  // namespace sonkrate::audio
