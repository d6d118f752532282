// Rewriting an archive whose images change: some images replaced by .cau
// files or images made as they are written, some records dropped with the images no kept record uses. The bytes
// between images (a gap after the table, the effects archive's collision
// table) are kept, every offset behind a change moves with it, and each
// record keeps its other fields byte for byte.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "archive/format/archive_reader.h"
#include "archive/format/archive_writer.h"
#include "audio/cau/cau_file_check.h"
#include "io/file.h"
#include "io/outcome.h"
#include "io/progress.h"

namespace sonkrate::archive {

struct ImageReplacement {
    std::string path;  // the .cau put in place of the image
    audio::CauFileFacts facts;
    // When not empty, the image's bytes written in its place instead of path's.
    std::vector<ImagePiece> pieces;
};

struct ImageRewrite {
    std::vector<bool> dropRecord;                      // by table index; absent means kept
    std::map<std::uint32_t, ImageReplacement> replace;  // by the old image's offset
};

struct ImageRewriteResult {
    io::Outcome outcome;
    std::uint32_t recordsDropped = 0;
    std::uint32_t imagesDropped = 0;
    std::uint64_t fileSize = 0;  // of the new archive
};

// The table an edit works on: the records of the larger of the two counts
// when they fit before the first image (records kept beyond entryCount),
// else entryCount records; retail layout only. Fails with the reason for a
// beta layout or a damaged table.
io::Outcome readEditableTable(io::File& file, ArchiveTable& table);

// Writes the rewritten archive over in's path. Fails, leaving it as it was,
// when images overlap without being the same image or reach into the table.
ImageRewriteResult rewriteImages(io::File& in, const ArchiveTable& table, const ImageRewrite& edit,
                                 const io::ProgressCallback& progress = {});

}  // namespace sonkrate::archive
