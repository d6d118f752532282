// Writing what Play_Wav would play to a path of the caller's choice: the
// converted foreign file, the decoded IMA ADPCM file, or a copy of a .wav
// that is played as it is. For the command line and for scripts.
#pragma once

#include <string>

#include "import/play_foreign.h"
#include "io/outcome.h"

namespace sonkrate::import {

struct PlayableWavResult {
    // On failure the reason names the file, and the output is left as it was.
    io::Outcome outcome;
    bool readFailed = false;  // the file could not be read, converted or decoded
    ForeignRoute route = ForeignRoute::NoMatch;
    std::string layout;              // what the file was taken for
    double playTimeSeconds = 0.0;
    int playTimeCount = 0;           // x1000 for a converted file, whole seconds for a .wav

    bool ok() const { return outcome.ok; }
};

PlayableWavResult writePlayableWav(const std::string& sourcePath, const std::string& outputPath);

}  // namespace sonkrate::import
