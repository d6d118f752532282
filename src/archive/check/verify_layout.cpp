// The checks across the records of an archive: identifiers used twice, the
// sound count, and how the images lie in the file.
#include <algorithm>

#include "archive/check/verify_checks.h"

namespace sonkrate::archive::verify_detail {

namespace {

std::string num(std::uint64_t value) { return std::to_string(value); }

void checkDuplicateIds(std::vector<ImageRef>& images, FindingSink& sink) {
    std::sort(images.begin(), images.end(), [](const ImageRef& a, const ImageRef& b) {
        return a.soundId != b.soundId ? a.soundId < b.soundId : a.index < b.index;
    });
    for (std::size_t i = 1; i < images.size(); ++i) {
        std::size_t first = i - 1;
        while (first > 0 && images[first - 1].soundId == images[i].soundId) --first;
        if (images[first].soundId != images[i].soundId) continue;
        sink.addFor(images[i].index, images[i].soundId, Severity::Warning, "duplicate-id",
                    "the identifier is also held by entry " + num(images[first].index) +
                        "; the game's debug build refuses the archive and its release build plays the last record");
    }
}

struct Span {
    std::uint64_t begin, end;
};

// Reports the ranges of [0, fileSize) that no span covers.
void checkGaps(std::vector<Span> spans, std::uint64_t fileSize, FindingSink& sink) {
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.begin < b.begin; });
    std::uint64_t covered = 0;
    spans.push_back({fileSize, fileSize});
    for (const Span& s : spans) {
        if (s.begin > covered)
            sink.warning("gap", num(s.begin - covered) + " bytes at offset " + num(covered) +
                                    " belong to no image, table or collision table");
        covered = std::max(covered, s.end);
    }
}

}  // namespace

void checkImageLayout(const TpaHeader& header, std::uint64_t fileSize, std::vector<ImageRef>& images,
                      FindingSink& sink) {
    checkDuplicateIds(images, sink);
    std::sort(images.begin(), images.end(), [](const ImageRef& a, const ImageRef& b) {
        return a.offset != b.offset ? a.offset < b.offset : a.length != b.length ? a.length < b.length : a.index < b.index;
    });
    const std::uint64_t tableEnd = std::uint64_t{header.tableOffset} + kRetailRecordSize * std::uint64_t{header.entryCount};
    std::vector<Span> spans{{0, kTpaHeaderSize}, {header.tableOffset, tableEnd}};
    if (header.trailerFlag != 0)
        spans.push_back({header.soundDataEnd, header.soundDataEnd + kCollisionRecordSize * std::uint64_t{header.trailerFlag}});
    std::uint64_t distinct = 0;
    const ImageRef* previous = nullptr;  // the image reaching furthest so far
    const ImageRef* last = nullptr;      // the one just before, in file order
    for (const ImageRef& image : images) {
        if (!image.inFile) continue;
        const std::uint64_t end = std::uint64_t{image.offset} + image.length;
        const bool shared = last && last->offset == image.offset && last->length == image.length;
        last = &image;
        if (shared) continue;  // several records may play one image
        ++distinct;
        spans.push_back({image.offset, end});
        if (image.offset < tableEnd && end > header.tableOffset)
            sink.addFor(image.index, image.soundId, Severity::Warning, "image-overlap",
                        "the image at offset " + num(image.offset) + " overlaps the table");
        if (previous && image.offset < std::uint64_t{previous->offset} + previous->length)
            sink.addFor(image.index, image.soundId, Severity::Warning, "image-overlap",
                        "the image at offset " + num(image.offset) + " (" + num(image.length) +
                            " bytes) overlaps the image of entry " + num(previous->index) + " at offset " +
                            num(previous->offset) + " (" + num(previous->length) + " bytes)");
        if (!previous || end > std::uint64_t{previous->offset} + previous->length) previous = &image;
    }
    if (distinct != header.soundCount)
        sink.warning("count-mismatch", "soundCount is " + num(header.soundCount) + ", but the records point at " +
                                           num(distinct) + " distinct images");
    checkGaps(std::move(spans), fileSize, sink);
}

}  // namespace sonkrate::archive::verify_detail
