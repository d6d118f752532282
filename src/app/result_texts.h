// The window's words for what the core reports, and the menu items a loaded
// archive allows. The texts are the ones users and the help file know, odd
// spacing included (see COMPATIBILITY.md).
#pragma once

#include <cstdint>
#include <string>

#include "archive/edit/add_sound.h"
#include "archive/format/tpa_loader.h"
#include "audio/convert/wav_to_cau.h"
#include "import/play_foreign.h"

namespace sonkrate::app {

// The message box of a failed overwrite (caption "SONKRATE", information icon).
inline constexpr const char* kOverwriteFailedText =
    "File overwrite has failed. .. (check file attributes make certain file is not marked 'read only')";
// The status of a folder build refused for holding too few .cau files.
inline constexpr const char* kTooFewCausText =
    " Operation Canceled! 3 or more .cau files must exist within the chosen directory . . .";
// The message box after a list build with missing sounds (caption "SONKRATE").
inline constexpr const char* kMissingReplacedText = "1 or more files not found! Replaced with Missing Sample . . .";
// The title of the error boxes: a .wav refused by Add_Wav, an unknown block alignment.
inline constexpr const char* kErrorTitle = "Sonkrate - Error";
// The box shown when an IMA ADPCM sound's block alignment is outside 512..2056.
inline constexpr const char* kBlockAlignUnknownText = "Block alignment is unknown.  Conversion may fail . ..";

// The box text for a .wav Add_Wav refuses; empty for kinds it takes.
std::string addWavRefusalText(audio::WavKind kind);

// The status after a load: "There are N entries within selected tpa file . .. "
std::string loadSummary(std::uint32_t entryCount);

// The status after an add that ended in outcome. failure is the reason a
// sound could not be added, empty when the user canceled or the overwrite
// failed (the box has said so).
std::string addStatusText(archive::AddOutcome outcome, bool wav, const std::string& failure);

// The status after a Wav_to_Cau that read and wrote what it could; picked is
// false when the dialog was canceled.
std::string wavToCauStatusText(audio::WavToCauOutcome outcome, bool picked);

// Play_Wav's status while a foreign file is converted (set and shown at once,
// before the conversion blocks the window).
std::string foreignConvertingText(import::ForeignFormat format);
// Play_Wav's status after the work; empty: the status line keeps its text.
std::string foreignPlayStatusText(const import::ForeignPlayOutcome& outcome);

// The archive menu items a loaded archive enables.
struct ArchiveMenuStates {
    bool addCau = false;
    bool addWav = false;
    bool betaToRetail = false;
};
ArchiveMenuStates archiveMenuStates(const archive::TpaArchive& archive);

}  // namespace sonkrate::app
