// The first half of adding a .wav to an archive: the .wav becomes a .cau in
// the output folder, or is refused with the text the shell shows.
#pragma once

#include <string>

#include "audio/wav_to_cau.h"

namespace sonkrate::audio {

struct AddWavConversion {
    bool made = false;         // a .cau was written at cauPath
    std::string cauPath;       // wavsDir + the .cau name of the source
    WavKind kind = WavKind::Unsupported;
    std::string refusalText;   // for a refused kind: the message box text (title kWavRefusalTitle)
    io::Outcome outcome;       // why nothing was made, naming the file
};

// Converts wavPath without caption into wavsDir, under wavToCauTargetName.
AddWavConversion convertWavForAdd(const std::string& wavPath, const std::string& wavsDir);

}  // namespace sonkrate::audio
