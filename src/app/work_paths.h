// The working file paths: computed once at start-up from the program's
// folder (or a per-user data folder when that folder is not writable) and
// the user's documents folder, where the output folder Tpa_Wavs is made.
#pragma once

#include <array>
#include <string>

#include "platform/platform.h"

namespace sonkrate::app {

struct WorkPaths {
    std::string exeDir;         // the program's folder: the kill switch and the help file
    std::string workDir;        // where the working files live: exeDir, or the data folder
    std::string entriesWav;     // an extracted sound as .wav (PCM or IMA ADPCM)
    std::string decodedWav;     // PCM decoded from an IMA ADPCM entriesWav
    std::string tmpConfIni;     // the auto-play stop flag shared with the kill switch
    std::string killSwitchExe;  // the kill switch program
    std::string helpFile;
    std::string tempEel;        // the sound list being edited
    std::string eelEdit;        // scratch copy while the list is edited
    std::string tpaData;        // scratch archive of the list build
    std::string missingCau;     // the built-in replacement sound
    std::string sndIdsDat;      // the sound-name database
    std::string wavsDir;        // documents/Tpa_Wavs: saved and exported sounds
    std::string streamTpa;      // an archive New_Tpa must not overwrite while loaded
    std::string logFile;        // the log of sounds added to archives
    std::string tempWav;        // scratch file of the foreign-format readers
    std::string conversionWav;  // PCM .wav made by the foreign-format readers
    std::string auSampRaw;      // raw-sample scratch file of the foreign-format readers

    // The six working files removed when the window closes.
    std::array<std::string, 6> filesDeletedAtExit() const {
        return {entriesWav, decodedWav, tmpConfIni, eelEdit, tempEel, conversionWav};
    }
};

// The file an installer puts beside the program: its folder is then an
// installation, and the working files live in the user's data folder even
// when the folder could be written.
inline constexpr const char* kInstalledMarker = "sonkrate.installed";
bool installedIn(const std::string& folder);

// Derives every path and makes sure the Tpa_Wavs folder exists (an entry of
// that name, even a file, counts as existing). Failures to create folders
// are not reported here: the commands that need them fail in their own way.
WorkPaths computeWorkPaths(platform::Platform& platform);

// The paths for a given program folder, working folder and documents
// folder; nothing is created.
WorkPaths workPathsFor(const std::string& exeDir, const std::string& workDir, const std::string& documents);

}  // namespace sonkrate::app
