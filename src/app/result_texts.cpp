#include "app/result_texts.h"

namespace sonkrate::app {

std::string addWavRefusalText(audio::WavKind kind) {
    switch (kind) {
    case audio::WavKind::BadBlockAlign:
        return "Incorrect block alignment (no .cau file exported).  Selected .wav incompatible with Trespasser.";
    case audio::WavKind::Unsupported:
        return "Incorrect adpcm .wav type (no .cau file exported).  Selected .wav incompatible with Trespasser.";
    default: return {};
    }
}

std::string loadSummary(std::uint32_t entryCount) {
    return "There are " + std::to_string(entryCount) + " entries within selected tpa file . .. ";
}

std::string addStatusText(archive::AddOutcome outcome, bool wav, const std::string& failure) {
    switch (outcome) {
    case archive::AddOutcome::Done: return "Operation completed. ..  file reset to 1st entry";
    case archive::AddOutcome::Refused:
        return "Aborted (file closed) - tpa id'd as effects, ambient with mismatched no# of entries, or other "
               "incompatible tpa";
    case archive::AddOutcome::NothingDone: break;
    }
    if (!failure.empty()) return "Sound not added . . . " + failure;
    return wav ? "Operation canceled. .. (incompatible wav)  file reset to 1st entry"
               : "Operation canceled. ..  file reset to 1st entry";
}

std::string wavToCauStatusText(audio::WavToCauOutcome outcome, bool picked) {
    switch (outcome) {
    case audio::WavToCauOutcome::PcmWritten:
    case audio::WavToCauOutcome::AdpcmWritten: return "Cau export complete . .. ";
    case audio::WavToCauOutcome::NothingWritten: break;
    }
    return picked ? "Incompatible wav selected. No cau file exported . . ." : "User Canceled . .. No file selected.";
}

ArchiveMenuStates archiveMenuStates(const archive::TpaArchive& archive) {
    ArchiveMenuStates states;
    states.addCau = archive::acceptsAdds(archive);
    states.addWav = states.addCau;
    states.betaToRetail = archive::isBetaLayout(archive);
    return states;
}

}  // namespace sonkrate::app
