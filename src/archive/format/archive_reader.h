// Opening an archive: its header and its table read and checked against the
// file's real size in one place, with one sentence for each kind of damage.
// The table is read in large blocks from the one open file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/format/tpa_format.h"
#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::archive {

// An archive's header as read, with what the file's size allows.
struct ArchiveHeader {
    TpaHeader header;
    TpaLayout layout = TpaLayout::Retail;
    std::uint64_t fileSize = 0;
    std::uint64_t tableEnd = 0;  // end of the entryCount records the header announces
};

// Reads the header of the archive open in file and checks that the table it
// announces lies inside the file.
io::Outcome readArchiveHeader(io::File& file, ArchiveHeader& header);

// Reads count records from index first on, in blocks, appending them to
// entries. The records must lie inside the file (first + count records of
// the layout). With imagesChecked each record's image must too.
io::Outcome readArchiveRecords(io::File& file, const ArchiveHeader& header, std::uint64_t first,
                               std::uint64_t count, bool imagesChecked, std::vector<TpaEntry>& entries);

// An archive opened and its whole table read, every image checked to lie
// inside the file.
struct ArchiveTable {
    ArchiveHeader info;
    std::vector<TpaEntry> entries;
};
io::Outcome readArchiveTable(io::File& file, ArchiveTable& table);
io::Outcome readArchiveTable(const std::string& path, ArchiveTable& table);

// The sentences of the kinds of damage, shared by every reader of archives.
io::Outcome archiveTooShort(const std::string& path, std::uint64_t size);
io::Outcome tableOutsideFile(const std::string& path, std::uint64_t entryCount, std::uint64_t tableEnd,
                             std::uint64_t size);
io::Outcome imageOutsideFile(const std::string& path, std::uint64_t index, const TpaEntry& entry,
                             std::uint64_t size);

// The index of the first record holding soundId, or -1.
std::int64_t findSoundId(const std::vector<TpaEntry>& entries, std::uint32_t soundId);

}  // namespace sonkrate::archive
