// Where the images of a retail archive lie and what lies between them: the
// distinct images in file order (records that share an image share its
// offset and length) and the bytes outside them (a gap after the table,
// between images, the effects archive's collision table at the end). Unpack
// keeps those bytes; pack puts them back in the same order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/format/tpa_format.h"
#include "io/outcome.h"

namespace sonkrate::archive {

struct LaidImage {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    std::uint64_t gapBefore = 0;  // bytes outside any image right before it
    std::uint32_t firstRecord = 0;  // the first record of the table on this image
};

struct ImageLayout {
    std::uint64_t tableEnd = 0;
    std::vector<LaidImage> images;            // in file order
    std::vector<std::uint32_t> imageOfRecord;  // index into images, by record
    std::uint64_t trailingGap = 0;             // after the last image, to the end of the file
    std::uint64_t outsideBytes = 0;            // every gap added up
};

// Fails, naming path, when images overlap without being the same image or
// reach into the table.
io::Outcome layOutImages(const std::string& path, const std::vector<TpaEntry>& records, std::uint64_t fileSize,
                         ImageLayout& layout);

}  // namespace sonkrate::archive
