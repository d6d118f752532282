// Building an archive in one pass from every .cau file of a folder: the
// default sound first, then the files in name order, and the list file of
// their identifiers beside the archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/outcome.h"
#include "io/progress.h"

namespace sonkrate::archive {

// How far a folder build went.
enum class CauDirBuildState {
    NotTried,    // the folder could not be listed
    Tried,       // the folder held enough files; outcome says whether the build succeeded
    TooFewCaus,  // fewer than kMinBuildCaus files: nothing was written
};

inline constexpr std::size_t kMinBuildCaus = 3;

struct BuildFromCauDirResult {
    CauDirBuildState buildState = CauDirBuildState::NotTried;
    io::Outcome outcome;  // success only when the archive and its list file were written
    std::string targetPath;
    std::string listPath;  // <base>_SampleIDs_list.txt in the target's folder
    std::vector<std::string> cauFiles;  // the files added, in table order
    std::uint32_t entryCount = 0;       // files + 1
    std::uint64_t fileSize = 0;
};

// The .cau files of a folder (names ending in ".cau" in any case, regular
// files only), sorted by name.
std::vector<std::string> listCauFiles(const std::string& folder, io::Outcome& outcome);

// The log whose list file the build leaves: the target's folder + the target's
// name without its last four characters + "_SampleIDs.txt".
std::string sampleIdsLogPathFor(const std::string& targetPath);

// Writes the archive: entry 0 the default sound at 56 x n + 80, entries 1..n
// the files with imageLength their size and auxValue 0. A file whose header
// does not describe it (dataOffset + dataSize differs from its size) fails the
// build. progress counts the files copied.
BuildFromCauDirResult buildArchiveFromCauDir(const std::string& sourceFolder, const std::string& targetPath,
                                             const io::ProgressCallback& progress = {});

}  // namespace sonkrate::archive
