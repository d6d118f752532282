// Writing a new archive that holds only the default sound, the first step of
// New_Tpa and of building an archive from a sound list.
#pragma once

#include <string>

#include "io/outcome.h"

namespace sonkrate::archive {

struct CreateArchiveResult {
    io::Outcome outcome;
    bool created = false;       // the archive was written
    std::string targetPath;     // the archive that list items are then added to
    std::string buildLogPath;   // see buildLogPathFor
};

// The build log of a list build: the target's folder + its file name without
// the four characters from its first "." + "IDs_.txt" (x.tpa -> xIDs_.txt).
std::string buildLogPathFor(const std::string& targetPath);

// Writes the 88316-byte new archive to targetPath, replacing any file there
// only once the whole archive is written.
CreateArchiveResult createDefaultArchive(const std::string& targetPath);

}  // namespace sonkrate::archive
