#include "archive/edit/image_rewrite.h"

#include <algorithm>

#include "archive/format/archive_writer.h"

namespace sonkrate::archive {

namespace {

struct Image {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    bool kept = false;  // some kept record uses it
};

// The distinct images of the table in file order. Records that share an
// image share its offset and length; anything else that overlaps is refused.
io::Outcome distinctImages(const std::string& path, const ArchiveTable& table, const ImageRewrite& edit,
                           std::vector<Image>& images) {
    std::map<std::uint64_t, Image> byOffset;
    for (std::size_t i = 0; i < table.entries.size(); ++i) {
        const TpaEntry& e = table.entries[i];
        const bool kept = i >= edit.dropRecord.size() || !edit.dropRecord[i];
        auto [it, added] = byOffset.try_emplace(e.imageOffset, Image{e.imageOffset, e.imageLength, kept});
        if (!added && it->second.length != e.imageLength)
            return io::failure(path + " has two entries whose images start at offset " +
                               std::to_string(e.imageOffset) + " with different lengths, so it cannot be rewritten");
        it->second.kept = it->second.kept || kept;
    }
    std::uint64_t cursor = recordOffsetOf(TpaLayout::Retail, table.entries.size());
    for (const auto& [offset, image] : byOffset) {
        if (offset < cursor)
            return io::failure(path + " has an image at offset " + std::to_string(offset) +
                               " that overlaps its table or another image, so it cannot be rewritten");
        images.push_back(image);
        cursor = offset + image.length;
    }
    return io::success();
}

// Where a byte of the old archive lies in the new one: moved by the change
// of the table and of every image that ends at or before it.
struct OffsetMap {
    std::vector<std::pair<std::uint64_t, std::int64_t>> shiftFrom;  // (old position, shift from there on)
    std::int64_t start = 0;

    std::uint64_t map(std::uint64_t old) const {
        std::int64_t shift = start;
        for (const auto& [from, s] : shiftFrom) {
            if (from > old) break;
            shift = s;
        }
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(old) + shift);
    }
};

}  // namespace

io::Outcome readEditableTable(io::File& file, ArchiveTable& table) {
    table.entries.clear();
    if (io::Outcome read = readArchiveHeader(file, table.info); !read) return read;
    const TpaHeader& h = table.info.header;
    if (table.info.layout != TpaLayout::Retail)
        return io::failure(file.path() + " has a beta layout, which the game does not read; convert it with "
                                         "beta-to-retail first and edit the copy");
    if (io::Outcome read = readArchiveRecords(file, table.info, 0, h.entryCount, true, table.entries); !read)
        return read;
    if (h.soundCount <= h.entryCount) return io::success();
    // Records beyond entryCount, kept by the adds, when they lie before every image.
    std::uint64_t firstImage = table.info.fileSize;
    for (const TpaEntry& e : table.entries) firstImage = std::min<std::uint64_t>(firstImage, e.imageOffset);
    if (recordOffsetOf(TpaLayout::Retail, h.soundCount) > firstImage) return io::success();
    return readArchiveRecords(file, table.info, h.entryCount, h.soundCount - h.entryCount, true, table.entries);
}

namespace {

// Each record points at its image's new place; a replaced image gives its
// length and header.
void pointRecordsAtImages(std::vector<TpaEntry>& records, std::map<std::uint64_t, std::uint64_t>& newOffset,
                          const ImageRewrite& edit) {
    for (TpaEntry& record : records) {
        const std::uint32_t old = record.imageOffset;
        record.imageOffset = static_cast<std::uint32_t>(newOffset[old]);
        if (auto r = edit.replace.find(old); r != edit.replace.end()) {
            record.imageLength = static_cast<std::uint32_t>(r->second.facts.size);
            std::copy(r->second.facts.header.begin(), r->second.facts.header.end(), record.cauHeader.begin());
        }
    }
}

}  // namespace

ImageRewriteResult rewriteImages(io::File& in, const ArchiveTable& table, const ImageRewrite& edit,
                                 const io::ProgressCallback& progress) {
    ImageRewriteResult result;
    std::vector<Image> images;
    if (!(result.outcome = distinctImages(in.path(), table, edit, images))) return result;

    ArchivePlan plan;
    for (std::size_t i = 0; i < table.entries.size(); ++i)
        if (i >= edit.dropRecord.size() || !edit.dropRecord[i]) plan.records.push_back(table.entries[i]);
    result.recordsDropped = static_cast<std::uint32_t>(table.entries.size() - plan.records.size());

    // The bytes after the table in order: gaps unchanged, images kept,
    // replaced or left out.
    const std::uint64_t oldTableEnd = recordOffsetOf(TpaLayout::Retail, table.entries.size());
    std::uint64_t cursor = oldTableEnd, out = recordOffsetOf(TpaLayout::Retail, plan.records.size());
    OffsetMap moved;
    moved.start = static_cast<std::int64_t>(out) - static_cast<std::int64_t>(oldTableEnd);
    std::map<std::uint64_t, std::uint64_t> newOffset;
    for (const Image& image : images) {
        plan.pieces.push_back(ImagePiece::range(in, cursor, image.offset - cursor));
        out += image.offset - cursor;
        std::uint64_t length = image.length;
        if (!image.kept) {
            length = 0;
            ++result.imagesDropped;
        } else if (auto r = edit.replace.find(static_cast<std::uint32_t>(image.offset)); r != edit.replace.end()) {
            length = r->second.facts.size;
            const std::vector<ImagePiece>& made = r->second.pieces;
            if (made.empty()) plan.pieces.push_back(ImagePiece::wholeFile(r->second.path, length));
            plan.pieces.insert(plan.pieces.end(), made.begin(), made.end());
        } else {
            plan.pieces.push_back(ImagePiece::range(in, image.offset, image.length));
        }
        newOffset[image.offset] = out;
        out += length;
        cursor = image.offset + image.length;
        moved.shiftFrom.emplace_back(cursor, static_cast<std::int64_t>(out) - static_cast<std::int64_t>(cursor));
    }
    plan.pieces.push_back(ImagePiece::range(in, cursor, table.info.fileSize - cursor));

    pointRecordsAtImages(plan.records, newOffset, edit);
    plan.header = table.info.header;
    plan.header.entryCount -= std::min(plan.header.entryCount, result.recordsDropped);
    plan.header.soundCount -= std::min(plan.header.soundCount, result.imagesDropped);
    // The collision table (or the end of the file) moves with the bytes before it.
    plan.header.soundDataEnd = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(moved.map(plan.header.soundDataEnd), UINT32_MAX));

    ArchiveWriteOptions options;
    options.progress = progress;
    result.outcome = writeArchive(in.path(), plan, options);
    result.fileSize = plannedSize(plan);
    return result;
}

}  // namespace sonkrate::archive
