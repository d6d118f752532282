#include "archive/edit/built_archive_plan.h"

#include <algorithm>

#include "archive/edit/default_sound.h"

namespace sonkrate::archive {

std::uint64_t builtArchiveSize(const std::vector<PlannedImage>& images) {
    std::uint64_t size = recordOffsetOf(TpaLayout::Retail, images.size() + 1) + kDefaultSoundImageSize;
    for (const PlannedImage& image : images) size += image.facts.size;
    return size;
}

ArchivePlan planBuiltArchive(const std::vector<PlannedImage>& images, const std::vector<std::uint8_t>& defaultImage) {
    const std::uint64_t n = images.size();
    const std::uint64_t tableEnd = recordOffsetOf(TpaLayout::Retail, n + 1);  // 56 n + 80
    ArchivePlan plan;
    plan.header.soundCount = static_cast<std::uint32_t>(n + 1);
    plan.header.trailerFlag = 0;
    plan.header.soundDataEnd = static_cast<std::uint32_t>(builtArchiveSize(images));
    plan.header.entryCount = static_cast<std::uint32_t>(n + 1);
    TpaEntry entry;
    entry.soundId = kDefaultSoundId;
    entry.imageOffset = static_cast<std::uint32_t>(tableEnd);
    entry.imageLength = kDefaultSoundImageSize;
    std::copy(defaultImage.begin(), defaultImage.begin() + audio::kCauHeaderSize, entry.cauHeader.begin());
    plan.records.reserve(n + 1);
    plan.pieces.reserve(n + 1);
    plan.records.push_back(entry);
    plan.pieces.push_back(ImagePiece::memory(defaultImage));
    std::uint64_t offset = tableEnd + kDefaultSoundImageSize;
    for (const PlannedImage& image : images) {
        TpaEntry record;
        record.soundId = image.soundId;
        record.imageOffset = static_cast<std::uint32_t>(offset);
        record.imageLength = static_cast<std::uint32_t>(image.facts.size);
        std::copy(image.facts.header.begin(), image.facts.header.end(), record.cauHeader.begin());
        plan.records.push_back(record);
        plan.pieces.push_back(ImagePiece::wholeFile(image.path, image.facts.size));
        offset += image.facts.size;
    }
    return plan;
}

}  // namespace sonkrate::archive
