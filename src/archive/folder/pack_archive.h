// A folder made by unpack, back into an archive through the one archive
// writer: what is unchanged gives the same bytes, and each edit of the
// folder (a sound file changed, a row of manifest.json changed, removed or
// added) changes just what it names.
#pragma once

#include <cstdint>
#include <string>

#include "io/outcome.h"
#include "io/progress.h"

namespace sonkrate::archive {

struct PackOptions {
    bool syncToDisk = true;
    io::ProgressCallback progress;  // bytes written and their total
};

struct PackResult {
    // On failure nothing was written; the reason names manifest.json or the file.
    io::Outcome outcome;
    std::uint32_t records = 0;
    std::uint32_t images = 0;
    std::uint32_t imagesKept = 0;     // written as they were unpacked
    std::uint32_t imagesChanged = 0;  // from a changed file or with new captions
    std::uint32_t recordsAdded = 0;
    std::uint32_t recordsRemoved = 0;
    std::uint64_t fileSize = 0;
};

PackResult packArchive(const std::string& dir, const std::string& outPath, const PackOptions& options = {});

}  // namespace sonkrate::archive
