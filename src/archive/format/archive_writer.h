// The one writer of archives: given the new header, the records and the
// images (ranges of an open file, whole files, bytes in memory, or bytes
// made as they are written, a sound converted on its way in), it
// writes the archive in one forward pass into a file beside the target and
// puts it in the target's place only when complete. Every operation that
// makes or changes an archive is expressed through it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/format/tpa_format.h"
#include "io/file.h"
#include "io/outcome.h"
#include "io/progress.h"

namespace sonkrate::archive {

// Bytes that follow the table, in the order written.
struct ImagePiece {
    io::File* file = nullptr;  // a range of this open file
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    std::string path;  // or the whole file at path, which must still be length bytes long
    const std::vector<std::uint8_t>* bytes = nullptr;  // or these bytes
    // or the length bytes this writes to the archive as they are made
    std::function<io::Outcome(io::File&)> produce;

    static ImagePiece range(io::File& file, std::uint64_t offset, std::uint64_t length);
    static ImagePiece wholeFile(std::string path, std::uint64_t length);
    static ImagePiece memory(const std::vector<std::uint8_t>& bytes);
    static ImagePiece produced(std::function<io::Outcome(io::File&)> produce, std::uint64_t length);
};

struct ArchivePlan {
    TpaHeader header;
    std::vector<TpaEntry> records;  // written from offset 24 on, 56 bytes each
    std::vector<ImagePiece> pieces;
};

// 24 + 56 x records + the pieces' lengths.
std::uint64_t plannedSize(const ArchivePlan& plan);

struct ArchiveWriteOptions {
    // Force the new archive to the disk before it replaces the target.
    bool syncToDisk = true;
    // Told the bytes of pieces written and their total.
    io::ProgressCallback progress;
    // Told the pieces written and their number.
    io::ProgressCallback piecesProgress;
};

// Writes the plan over target. The files of range pieces are closed once
// their bytes are copied (one of them may be the target). Fails, leaving target as it was, when the
// archive would pass 4 GiB, a whole file changed size, or any read or write
// fails. What fails is said in a sentence naming the file.
io::Outcome writeArchive(const std::string& target, const ArchivePlan& plan, const ArchiveWriteOptions& options = {});

}  // namespace sonkrate::archive
