// Replacing the sound of an identifier in a retail archive: the image of the
// records holding it becomes a .cau file (or an image made on its way in), every record that shared that image
// follows, attenuation and volume are kept, every other entry and the
// collision table stay byte for byte (their offsets moved).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/edit/add_sound.h"
#include "io/outcome.h"
#include "io/progress.h"

namespace sonkrate::archive {

struct ReplaceSoundResult {
    io::Outcome outcome;  // on failure the archive is as it was
    std::vector<std::uint32_t> entries;  // indices of the records now on the new image
    std::uint32_t oldLength = 0;
    std::uint32_t newLength = 0;
    std::uint64_t fileSize = 0;
    bool backupWritten = false;
};

// backupPath as for the general add: made only when no file is there yet.
ReplaceSoundResult replaceSound(const std::string& archivePath, std::uint32_t soundId, const std::string& cauPath,
                                const std::string& backupPath, const io::ProgressCallback& progress = {});
// The same with an image made as it is written (a .wav converted on its way
// in); soundPath only names it.
ReplaceSoundResult replaceSound(const std::string& archivePath, std::uint32_t soundId, const std::string& soundPath,
                                const SoundImageSource& image, const std::string& backupPath,
                                const io::ProgressCallback& progress = {});

}  // namespace sonkrate::archive
