#include "archive/beta_to_retail.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "archive/archive_class.h"
#include "archive/tpa_format.h"
#include "audio/cau_header.h"
#include "io/byte_order.h"
#include "io/file.h"
#include "io/paths.h"
#include "io/replacement.h"

namespace sonkrate::archive {

namespace {

// What a beta image gives the retail table: its first 32 header bytes.
constexpr std::size_t kBetaHeaderCopy = 32;
constexpr std::size_t kRecordsPerBlock = 1024;
constexpr std::uint64_t kProgressPiece = 16u << 20;
constexpr std::uint64_t kMaxOffset = std::numeric_limits<std::uint32_t>::max();

io::Outcome damaged(const std::string& path, const std::string& why) {
    return io::failure(path + " is damaged, so it was not converted: " + why);
}

}  // namespace

std::string retailCopyPathOf(const TpaArchive& archive) {
    const std::string name = archive.archiveName.empty() ? archiveNameOf(archive.archivePath) : archive.archiveName;
    return io::siblingPath(archive.archivePath, "alt" + name + ".tpa");
}

std::uint32_t recordGrowthOf(TpaLayout layout) {
    return static_cast<std::uint32_t>(kRetailRecordSize - recordSizeOf(layout));
}

BetaToRetailResult convertBetaToRetail(const TpaArchive& archive, const io::ProgressCallback& progress) {
    BetaToRetailResult result;
    const std::string& path = archive.archivePath;
    result.outputPath = retailCopyPathOf(archive);

    io::File in;
    if (io::Outcome opened = in.open(path, io::FileMode::Read); !opened) {
        result.outcome = opened;
        return result;
    }
    const std::uint64_t size = in.size();
    std::uint8_t headerBytes[kTpaHeaderSize];
    if (size < kTpaHeaderSize) {
        result.outcome = damaged(path, "it is shorter than the 24-byte archive header");
        return result;
    }
    if (io::Outcome read = in.readAt(0, headerBytes, sizeof headerBytes); !read) {
        result.outcome = read;
        return result;
    }
    TpaHeader header = parseTpaHeader(headerBytes);
    const TpaLayout layout = layoutOfTag(header.layoutTag);
    if (layout == TpaLayout::Retail) {
        result.outcome = io::failure(path + " already has the retail layout; only beta archives are converted");
        return result;
    }

    const std::uint64_t n = header.entryCount;
    const std::size_t recordSize = recordSizeOf(layout);
    const std::uint64_t tableEnd = recordOffsetOf(layout, n);
    const std::uint64_t growth = n * recordGrowthOf(layout);
    const std::uint64_t dataEnd = header.soundDataEnd;
    if (tableEnd > size) {
        result.outcome = damaged(path, "its header counts " + std::to_string(n) +
                                           " entries, whose table runs past the end of the file (" +
                                           std::to_string(size) + " bytes)");
        return result;
    }
    if (dataEnd < tableEnd || dataEnd > size) {
        result.outcome = damaged(path, "its header says the sound data ends at byte " + std::to_string(dataEnd) +
                                           ", outside the " + std::to_string(size) + "-byte file behind its table");
        return result;
    }
    // Without the trailer flag the bytes after soundDataEnd are not carried over.
    const std::uint64_t copiedEnd = header.trailerFlag != 0 ? size : dataEnd;
    const std::uint64_t outputSize = copiedEnd + growth;
    if (outputSize > kMaxOffset) {
        result.outcome = io::failure("The retail copy of " + path + " would be larger than an archive can be (4 GiB)");
        return result;
    }

    io::ReplacementFile out;
    if (io::Outcome begun = out.begin(result.outputPath); !begun) {
        result.outcome = begun;
        return result;
    }
    header.layoutTag = kRetailLayoutTag;
    header.soundDataEnd = static_cast<std::uint32_t>(dataEnd + growth);
    auto headerOut = serializeTpaHeader(header);
    result.outcome = out.file().write(headerOut.data(), headerOut.size());

    std::vector<std::uint8_t> block(kRecordsPerBlock * recordSize);
    std::vector<std::uint8_t> records;
    records.reserve(kRecordsPerBlock * kRetailRecordSize);
    for (std::uint64_t first = 0; first < n && result.outcome; first += kRecordsPerBlock) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(kRecordsPerBlock, n - first));
        result.outcome = in.readAt(recordOffsetOf(layout, first), block.data(), count * recordSize);
        records.clear();
        for (std::size_t k = 0; k < count && result.outcome; ++k) {
            const std::uint64_t i = first + k;
            const TpaEntry source = parseTpaEntry(block.data() + k * recordSize, layout);
            const std::string which = "entry " + std::to_string(i);
            if (source.imageOffset < tableEnd || std::uint64_t{source.imageOffset} + kBetaHeaderCopy > copiedEnd) {
                result.outcome = damaged(path, which + " claims a sound image at offset " +
                                                   std::to_string(source.imageOffset) +
                                                   ", outside the sound data behind the table");
                break;
            }
            std::uint8_t image[kBetaHeaderCopy];
            result.outcome = in.readAt(source.imageOffset, image, sizeof image);
            if (!result.outcome) break;
            const std::uint32_t dataOffset = io::getU32(image + 8);
            TpaEntry entry;
            entry.soundId = source.soundId;
            entry.imageOffset = static_cast<std::uint32_t>(source.imageOffset + growth);
            // Record 0's length is taken from its own header; the others are kept.
            const std::uint64_t length =
                i == 0 ? std::uint64_t{dataOffset} + io::getU32(image + 16) : source.imageLength;
            if (std::uint64_t{source.imageOffset} + length > copiedEnd) {
                result.outcome = damaged(path, which + " claims a sound image of " + std::to_string(length) +
                                                   " bytes at offset " + std::to_string(source.imageOffset) +
                                                   ", which runs past the sound data");
                break;
            }
            entry.imageLength = static_cast<std::uint32_t>(length);
            entry.auxValue = 0;
            entry.reserved = 0;
            std::copy(image, image + kBetaHeaderCopy, entry.cauHeader.begin());
            // In place of captionOffset: whether a caption follows the header;
            // always 0 in the last record.
            const std::uint32_t captionWord =
                (i + 1 < n && dataOffset > audio::kCauHeaderSize) ? audio::kCaptionAtHeaderEnd : 0;
            io::putU32(entry.cauHeader.data() + kBetaHeaderCopy, captionWord);
            auto bytes = serializeTpaEntry(entry);
            records.insert(records.end(), bytes.begin(), bytes.end());
        }
        if (result.outcome) result.outcome = out.file().write(records.data(), records.size());
    }

    // The images (from the end of the table, so every offset moves by exactly
    // the growth of the table) and, when flagged, the trailer.
    const std::uint64_t total = copiedEnd - tableEnd;
    std::uint64_t done = 0;
    io::reportProgress(progress, 0, total);
    while (result.outcome && done < total) {
        const std::uint64_t piece = std::min(total - done, kProgressPiece);
        result.outcome = io::copyRange(in, tableEnd + done, piece, out.file());
        done += piece;
        io::reportProgress(progress, done, total);
    }
    if (!result.outcome) return result;  // out removes its temporary file
    in.close();
    result.outcome = out.commit();
    if (!result.outcome) return result;
    result.entryCount = header.entryCount;
    result.fileSize = outputSize;
    return result;
}

}  // namespace sonkrate::archive
