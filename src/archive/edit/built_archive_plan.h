// The layout of a built archive (from a folder or from a sound list): entry 0
// the default sound right after the table, then the images in order, each
// record's length its file's size and auxValue 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/format/archive_writer.h"
#include "audio/cau/cau_file_check.h"

namespace sonkrate::archive {

struct PlannedImage {
    std::uint32_t soundId = 0;
    std::string path;
    audio::CauFileFacts facts;
};

// The size of the built archive: 24 + 56 x (images + 1) + the default
// sound + the images.
std::uint64_t builtArchiveSize(const std::vector<PlannedImage>& images);

// defaultImage must outlive the plan.
ArchivePlan planBuiltArchive(const std::vector<PlannedImage>& images, const std::vector<std::uint8_t>& defaultImage);

}  // namespace sonkrate::archive
