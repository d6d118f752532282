// The first half of adding a .wav to an archive: the .wav becomes a .cau in
// the output folder, or is refused for its kind.
#pragma once

#include <string>

#include "audio/convert/wav_to_cau.h"

namespace sonkrate::audio {

struct AddWavConversion {
    bool made = false;         // a .cau was written at cauPath
    std::string cauPath;       // wavsDir + the .cau name of the source
    WavKind kind = WavKind::Unsupported;
    bool refused = false;      // the kind cannot become a .cau (BadBlockAlign or Unsupported)
    io::Outcome outcome;       // why nothing was made, naming the file
};

// Converts wavPath without caption into wavsDir, under wavToCauTargetName.
AddWavConversion convertWavForAdd(const std::string& wavPath, const std::string& wavsDir);

}  // namespace sonkrate::audio
