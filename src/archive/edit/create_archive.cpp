#include "archive/edit/create_archive.h"

#include "archive/edit/default_sound.h"
#include "io/paths.h"

namespace sonkrate::archive {

std::string buildLogPathFor(const std::string& targetPath) {
    return io::siblingPath(targetPath, io::stripFromFirstDot(io::fileNameOf(targetPath)) + "IDs_.txt");
}

CreateArchiveResult createDefaultArchive(const std::string& targetPath) {
    CreateArchiveResult result;
    result.targetPath = targetPath;
    result.buildLogPath = buildLogPathFor(targetPath);
    result.outcome = writeNewArchive(targetPath);
    result.created = result.outcome.ok;
    return result;
}

}  // namespace sonkrate::archive
