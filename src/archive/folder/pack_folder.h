// What pack reads from a folder made by unpack: the manifest as edited, the
// manifest as unpack wrote it, and the archive's own bytes kept in
// .original/, each checked against the others, against the files' sizes and
// against the hashes unpack recorded. Only regular files inside the folder
// are read: no link is followed, and no FIFO or device opened.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/format/image_layout.h"
#include "archive/folder/manifest_json.h"
#include "archive/format/tpa_format.h"
#include "io/outcome.h"

namespace sonkrate::archive {

struct PackedFolder {
    std::string dir;
    std::string manifestPath;
    Manifest edited;    // manifest.json
    Manifest original;  // .original/manifest.json
    TpaHeader header;   // .original/header.bin
    std::vector<TpaEntry> records;  // .original/table.bin
    ImageLayout layout;             // of the records in the archive unpacked
    std::string outsidePath;        // .original/outside.bin
};

io::Outcome loadPackedFolder(const std::string& dir, PackedFolder& folder);

// DIR/<name>, after checking that name is a plain file name of the folder
// (no folder part, not hidden).
io::Outcome soundFilePath(const PackedFolder& folder, const std::string& name, std::string& path);

// The bytes of the original image index: .original/<record>.img where unpack
// kept one (refused, naming it, when its bytes changed since), else file,
// the sound file found unchanged (under any name).
io::Outcome keptImagePath(const PackedFolder& folder, std::uint32_t image, const std::string& file,
                          std::string& path);

}  // namespace sonkrate::archive
