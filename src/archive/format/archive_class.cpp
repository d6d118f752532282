#include "archive/format/archive_class.h"

#include "io/paths.h"

namespace sonkrate::archive {

std::string archiveBaseNameOf(std::string_view archivePath) {
    return io::stripFromFirstDot(io::fileNameOf(archivePath));
}

std::string archiveNameOf(std::string_view archivePath) {
    return io::toLower(archiveBaseNameOf(archivePath));
}

ArchiveClass archiveClassOf(std::string_view archiveName) {
    if (archiveName == "effects" || archiveName == "alteffects") return ArchiveClass::EffectsClass;
    if (archiveName == "ambient") return ArchiveClass::Ambient;
    return ArchiveClass::General;
}

const char* archiveClassText(ArchiveClass archiveClass) {
    switch (archiveClass) {
    case ArchiveClass::EffectsClass: return "effects";
    case ArchiveClass::Ambient: return "ambient";
    case ArchiveClass::General: break;
    }
    return "general";
}

}  // namespace sonkrate::archive
