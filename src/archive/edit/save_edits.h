// Saving staged edits: one new archive written through the archive writer,
// the images no kept record uses dropped, each staged image in the place of
// the image it stands in for (else after the rest), every other byte kept:
// the gaps, the collision records, and each record not edited byte for byte.
#pragma once

#include <cstdint>
#include <string>

#include "archive/edit/staged_edits.h"
#include "io/outcome.h"
#include "io/progress.h"

namespace sonkrate::archive {

struct SaveEditsOptions {
    bool syncToDisk = true;
    io::ProgressCallback progress;
};

struct SaveEditsResult {
    io::Outcome outcome;  // on failure the target is as it was
    std::uint32_t records = 0;
    std::uint32_t images = 0;
    std::uint64_t fileSize = 0;
};

// Writes the archive the edits make to target (the archive opened, or another file).
SaveEditsResult saveEdits(StagedEdits& edits, const std::string& target, const SaveEditsOptions& options = {});

// What identifies the archive file as it was read: its size, its time of
// change and a hash of its header and table. A file that another program
// changed since differs in one of them.
struct ArchiveStamp {
    std::uint64_t size = 0;
    std::int64_t changed = 0;
    std::uint64_t tableHash = 0;
    bool operator==(const ArchiveStamp&) const = default;
};
io::Outcome stampArchive(const std::string& path, ArchiveStamp& stamp);

}  // namespace sonkrate::archive
