#include "audio/convert/add_wav_conversion.h"

#include "audio/convert/target_names.h"
#include "io/paths.h"

namespace sonkrate::audio {

AddWavConversion convertWavForAdd(const std::string& wavPath, const std::string& wavsDir) {
    AddWavConversion c;
    c.cauPath = io::joinPath(wavsDir, wavToCauTargetName(wavPath));
    WavToCauResult r = wavToCau(wavPath, c.cauPath, "");
    c.made = r.written();
    c.kind = r.kind;
    c.outcome = r.outcome;
    c.refused = r.status == WavToCauStatus::Refused;
    return c;
}

}  // namespace sonkrate::audio
