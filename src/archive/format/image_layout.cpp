#include "archive/format/image_layout.h"

#include <map>

namespace sonkrate::archive {

io::Outcome layOutImages(const std::string& path, const std::vector<TpaEntry>& records, std::uint64_t fileSize,
                         ImageLayout& layout) {
    layout = ImageLayout{};
    layout.tableEnd = recordOffsetOf(TpaLayout::Retail, records.size());
    std::map<std::uint64_t, LaidImage> byOffset;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TpaEntry& e = records[i];
        if (std::uint64_t{e.imageOffset} + e.imageLength > fileSize)
            return io::failure(path + " is damaged: entry " + std::to_string(i) +
                               " claims an image that runs past the end of the file");
        LaidImage image{e.imageOffset, e.imageLength, 0, static_cast<std::uint32_t>(i)};
        auto [it, added] = byOffset.try_emplace(e.imageOffset, image);
        if (!added && it->second.length != e.imageLength)
            return io::failure(path + " has two entries whose images start at offset " +
                               std::to_string(e.imageOffset) + " with different lengths, so it cannot be unpacked");
    }
    std::uint64_t cursor = layout.tableEnd;
    std::map<std::uint64_t, std::uint32_t> indexOf;
    for (auto& [offset, image] : byOffset) {
        if (offset < cursor)
            return io::failure(path + " has an image at offset " + std::to_string(offset) +
                               " that overlaps its table or another image, so it cannot be unpacked");
        image.gapBefore = offset - cursor;
        layout.outsideBytes += image.gapBefore;
        indexOf[offset] = static_cast<std::uint32_t>(layout.images.size());
        layout.images.push_back(image);
        cursor = offset + image.length;
    }
    layout.trailingGap = fileSize - cursor;
    layout.outsideBytes += layout.trailingGap;
    layout.imageOfRecord.reserve(records.size());
    for (const TpaEntry& e : records) layout.imageOfRecord.push_back(indexOf[e.imageOffset]);
    return io::success();
}

}  // namespace sonkrate::archive
