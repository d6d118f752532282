// Building an archive from the listings of a sound list in one pass: the
// default sound, then every listed sound in list order, a listed file that
// cannot be found (or is not a sound image) replaced by the missing sound and
// named in the missing-sounds report, and the identifier list of the build
// log. The bytes are those that appending the listings one by one to a new
// archive gives. The target is replaced only when the archive is complete.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "io/item_progress.h"
#include "io/outcome.h"

namespace sonkrate::archive {

inline constexpr const char* kMissingReportStart = "SoundIDs Missing: ";

struct ListedSound {
    std::string name;
    std::string path;
};

struct ListBuildResult {
    io::Outcome outcome;          // failed: the target is as it was
    bool archiveWritten = false;  // the target now holds the new archive
    std::size_t appended = 0;     // listings built, their own sound or the replacement
    // Listings whose sound was replaced by the missing sound, in list order:
    // files that cannot be found (paths of 7 or more characters) and files
    // that are no sound image, whose reasons are in problems.
    std::vector<std::string> missingNames;
    std::string missingReportPath;  // written (appended to) when missingNames is not empty
    std::string idListPath;         // the identifier list made from the build log
    std::vector<std::string> problems;  // sentences about listings and the logs; the build went on
};

// The report beside the build log: its file name less the four characters
// from its first "." + "_missing.txt" (xIDs_.txt -> xIDs__missing.txt).
std::string missingReportPathFor(const std::string& buildLogPath);

// Builds targetPath from listings. A listing whose path names no file and
// has fewer than 7 characters is passed over. The missing sound is written
// to missingCauPath first when it is needed and no file is there. progress
// is told after each listing built (listings done, total, the name); total
// is progressTotal, or the listings' number when that is larger.
ListBuildResult buildArchiveFromList(const std::vector<ListedSound>& listings, const std::string& targetPath,
                                     const std::string& missingCauPath, std::size_t progressTotal = 0,
                                     const io::ItemProgressCallback& progress = {});

}  // namespace sonkrate::archive
