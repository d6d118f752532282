// Removing sounds from a retail archive: the records of the identifiers go,
// and the images no other record uses; every other entry and the collision
// table stay byte for byte (their offsets moved). The default sound
// "missing", which the game plays in place of any sound it cannot find,
// stays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/outcome.h"
#include "io/progress.h"

namespace sonkrate::archive {

struct RemoveSoundsResult {
    io::Outcome outcome;  // on failure the archive is as it was
    std::uint32_t recordsRemoved = 0;
    std::uint32_t imagesRemoved = 0;
    std::uint32_t entryCount = 0;  // after
    std::uint64_t fileSize = 0;
    bool backupWritten = false;
};

// Fails, changing nothing, when an identifier is the default sound's or is
// not in the archive. backupPath as for the general add.
RemoveSoundsResult removeSounds(const std::string& archivePath, const std::vector<std::uint32_t>& soundIds,
                                const std::string& backupPath, const io::ProgressCallback& progress = {});

}  // namespace sonkrate::archive
