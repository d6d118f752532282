#include "archive/edit/beta_to_retail.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "archive/format/archive_class.h"
#include "archive/format/archive_reader.h"
#include "archive/format/archive_writer.h"
#include "archive/format/tpa_format.h"
#include "audio/cau/cau_header.h"
#include "io/byte_order.h"
#include "io/file.h"
#include "io/paths.h"

namespace sonkrate::archive {

namespace {

// What a beta image gives the retail table: its first 32 header bytes.
constexpr std::size_t kBetaHeaderCopy = 32;
constexpr std::uint64_t kMaxOffset = std::numeric_limits<std::uint32_t>::max();

io::Outcome damaged(const std::string& path, const std::string& why) {
    return io::failure(path + " is damaged, so it was not converted: " + why);
}

// Where the copy's bytes come from: the source's header, its table end and
// the end of what is carried over (soundDataEnd, or the file's end when a
// trailer is flagged).
struct Source {
    ArchiveHeader info;
    std::uint64_t copiedEnd = 0;
    std::uint64_t growth = 0;
};

io::Outcome checkSource(io::File& in, Source& source) {
    const std::string& path = in.path();
    if (io::Outcome read = readArchiveHeader(in, source.info); !read) return read;
    const TpaHeader& header = source.info.header;
    if (source.info.layout == TpaLayout::Retail)
        return io::failure(path + " already has the retail layout; only beta archives are converted");
    const std::uint64_t size = source.info.fileSize, dataEnd = header.soundDataEnd;
    if (dataEnd < source.info.tableEnd || dataEnd > size)
        return damaged(path, "its header says the sound data ends at byte " + std::to_string(dataEnd) +
                                 ", outside the " + std::to_string(size) + "-byte file behind its table");
    // Without the trailer flag the bytes after soundDataEnd are not carried over.
    source.copiedEnd = header.trailerFlag != 0 ? size : dataEnd;
    source.growth = std::uint64_t{header.entryCount} * recordGrowthOf(source.info.layout);
    if (source.copiedEnd + source.growth > kMaxOffset)
        return io::failure("The retail copy of " + path + " would be larger than an archive can be (4 GiB)");
    return io::success();
}

// The header copy the game plays a beta image from. A 36-byte header keeps
// its first 32 bytes, then in place of captionOffset whether a caption
// follows it. The older 32-byte header would be misread in that layout (its
// format bytes land on the rate), so it is rewritten field by field.
std::array<std::uint8_t, audio::kCauHeaderSize> retailHeaderCopy(const std::uint8_t* image) {
    std::uint8_t bytes[audio::kCauHeaderSize] = {};
    std::copy(image, image + kBetaHeaderCopy, bytes);
    audio::CauHeader own = audio::parseCauHeader(bytes, true);
    if (!own.olderHeader) {
        const std::uint32_t caption = own.dataOffset > audio::kCauHeaderSize ? audio::kCaptionAtHeaderEnd : 0;
        io::putU32(bytes + kBetaHeaderCopy, caption);
        std::array<std::uint8_t, audio::kCauHeaderSize> copy{};
        std::copy(bytes, bytes + audio::kCauHeaderSize, copy.begin());
        return copy;
    }
    audio::CauHeader copy = own;
    copy.olderHeader = false;
    copy.magic = {'W', 'B', 'O', 'R'};
    copy.formatTag = audio::kCauFormatTag;
    copy.captionOffset = 0;
    copy.decodedSize = own.dataSize;  // the older header holds PCM only
    return audio::serializeCauHeader(copy);
}

// Record i of the copy, from the beta record and the first 32 bytes of its image.
io::Outcome retailRecord(io::File& in, const Source& source, std::uint64_t i, const TpaEntry& beta,
                         TpaEntry& entry) {
    const std::string& path = in.path();
    const std::string which = "entry " + std::to_string(i);
    if (beta.imageOffset < source.info.tableEnd || std::uint64_t{beta.imageOffset} + kBetaHeaderCopy > source.copiedEnd)
        return damaged(path, which + " claims a sound image at offset " + std::to_string(beta.imageOffset) +
                                 ", outside the sound data behind the table");
    std::uint8_t image[kBetaHeaderCopy];
    if (io::Outcome read = in.readAt(beta.imageOffset, image, sizeof image); !read) return read;
    entry = TpaEntry{};
    entry.cauHeader = retailHeaderCopy(image);
    // Record 0's length is taken from its own header; the others are kept.
    const std::uint64_t length =
        i == 0 ? std::uint64_t{io::getU32(entry.cauHeader.data() + 8)} + io::getU32(entry.cauHeader.data() + 16)
               : beta.imageLength;
    if (std::uint64_t{beta.imageOffset} + length > source.copiedEnd)
        return damaged(path, which + " claims a sound image of " + std::to_string(length) + " bytes at offset " +
                                 std::to_string(beta.imageOffset) + ", which runs past the sound data");
    entry.soundId = beta.soundId;
    entry.imageOffset = static_cast<std::uint32_t>(beta.imageOffset + source.growth);
    entry.imageLength = static_cast<std::uint32_t>(length);
    return io::success();
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
    result.outputPath = retailCopyPathOf(archive);
    io::File in;
    Source source;
    result.outcome = in.open(archive.archivePath, io::FileMode::Read);
    if (result.outcome) result.outcome = checkSource(in, source);
    std::vector<TpaEntry> beta;
    const std::uint64_t n = source.info.header.entryCount;
    if (result.outcome) result.outcome = readArchiveRecords(in, source.info, 0, n, false, beta);
    if (!result.outcome) return result;

    ArchivePlan plan;
    plan.header = source.info.header;
    plan.header.layoutTag = kRetailLayoutTag;
    plan.header.soundDataEnd = static_cast<std::uint32_t>(source.info.header.soundDataEnd + source.growth);
    plan.records.resize(beta.size());
    for (std::uint64_t i = 0; i < n && result.outcome; ++i)
        result.outcome = retailRecord(in, source, i, beta[i], plan.records[i]);
    if (!result.outcome) return result;
    // The images (from the end of the table, so every offset moves by exactly
    // the growth of the table) and, when flagged, the trailer.
    plan.pieces.push_back(ImagePiece::range(in, source.info.tableEnd, source.copiedEnd - source.info.tableEnd));
    ArchiveWriteOptions options;
    options.progress = progress;
    result.outcome = writeArchive(result.outputPath, plan, options);
    if (!result.outcome) return result;
    result.entryCount = plan.header.entryCount;
    result.fileSize = source.copiedEnd + source.growth;
    return result;
}

}  // namespace sonkrate::archive
