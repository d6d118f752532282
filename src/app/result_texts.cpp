#include "app/result_texts.h"

namespace sonkrate::app {

namespace {

constexpr const char* kPlayingExternalText = "Playing external wav . . . ";
constexpr const char* kReadFailText = "Read fail . . . cannot play audio ";

}  // namespace

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

std::string foreignConvertingText(import::ForeignFormat format) {
    // The SPHERE and WVE texts lack the trailing blank.
    if (format == import::ForeignFormat::Sphere || format == import::ForeignFormat::Wve)
        return "Playing external wav . . .";
    return kPlayingExternalText;
}

std::string foreignPlayStatusText(const import::ForeignPlayOutcome& outcome) {
    switch (outcome.result) {
    case import::ForeignPlayResult::Refused:
        return "Shared access violation. This file cannot be loaded while  sonkrate is in use.";
    case import::ForeignPlayResult::PlayAsIs:
    case import::ForeignPlayResult::Decoded: return kPlayingExternalText;
    case import::ForeignPlayResult::ReadFailed: {
        // A failed WVE conversion only beeps; the status keeps its text.
        const bool wve = outcome.row && outcome.row->format == import::ForeignFormat::Wve;
        return wve ? std::string() : kReadFailText;
    }
    case import::ForeignPlayResult::Nothing:
    case import::ForeignPlayResult::Converted:
    case import::ForeignPlayResult::NotPlayed: break;
    }
    return {};
}

ArchiveMenuStates archiveMenuStates(const archive::TpaArchive& archive) {
    ArchiveMenuStates states;
    states.addCau = archive::acceptsAdds(archive);
    states.addWav = states.addCau;
    states.betaToRetail = archive::isBetaLayout(archive);
    return states;
}

}  // namespace sonkrate::app
