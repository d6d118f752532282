// Loading an archive: classifying its layout, class and size and counting
// its entries. Only the header, two probe words and the file size are read.
#pragma once

#include <cstdint>
#include <string>

#include "archive/format/archive_class.h"
#include "archive/format/tpa_format.h"
#include "io/outcome.h"

namespace sonkrate::archive {

// Archives above this size are still played, but no longer added to.
inline constexpr std::uint64_t kAddSizeLimit = 260000000;

struct TpaArchive {
    std::string archivePath;
    std::string archiveName;  // lower-cased, see archiveNameOf
    std::string backupPath;   // wavsDir + the name with its case kept + ".tpa.backup"
    TpaLayout layout = TpaLayout::Retail;
    std::uint32_t layoutTag = 0;
    std::uint32_t entryCount = 0;
    std::uint32_t soundCount = 0;
    std::uint32_t trailerFlag = 0;
    std::uint32_t soundDataEnd = 0;
    std::uint64_t fileSize = 0;
    // The first sound image follows a 56-byte-record table directly.
    bool standardLayout = false;
    // Not standard, and a sound image starts 80 bytes after such a table:
    // entry 0 is a block without sound.
    bool demoStream = false;
    ArchiveClass archiveClass = ArchiveClass::General;
};

struct TpaLoad {
    io::Outcome outcome;  // on failure nothing below is meaningful
    TpaArchive archive;
};

// Loads the archive at archivePath; wavsDir is the output folder in which
// the backup of a first add is kept. A file that cannot be opened, is shorter
// than its header, or shorter than the table its header claims fails with a
// sentence naming the file.
TpaLoad loadTpaArchive(const std::string& archivePath, const std::string& wavsDir);

// Sounds can be appended: a retail archive whose first image follows the
// table, no larger than kAddSizeLimit.
bool acceptsAdds(const TpaArchive& archive);

// A beta layout, which beta-to-retail conversion turns into a retail one.
inline bool isBetaLayout(const TpaArchive& archive) { return archive.layout != TpaLayout::Retail; }

}  // namespace sonkrate::archive
