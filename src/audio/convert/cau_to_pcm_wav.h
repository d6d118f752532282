// A .cau file or an archive entry as a PCM .wav: PCM data wrapped as it is,
// IMA ADPCM data decoded on the way. The target is replaced once, by the
// finished file; on any failure it stays as it was.
#pragma once

#include <cstdint>
#include <string>

#include "audio/convert/cau_to_wav.h"
#include "io/replacement.h"

namespace sonkrate::audio {

CauToWavResult cauToPcmWav(const std::string& cauPath, const std::string& wavPath, io::Durability durability);

CauToWavResult cauToPcmWav(const std::string& archivePath, std::uint64_t imageOffset, std::uint64_t imageLength,
                           const std::string& wavPath, io::Durability durability);

}  // namespace sonkrate::audio
