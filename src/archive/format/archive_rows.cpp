#include "archive/format/archive_rows.h"

#include <algorithm>
#include <numeric>

#include "archive/format/archive_reader.h"
#include "audio/cau/cau_header.h"
#include "audio/cau/cau_reader.h"
#include "audio/codec/ima_adpcm.h"
#include "io/file.h"
#include "io/game_text.h"

namespace sonkrate::archive {

namespace {

// Records are read this many at a time.
constexpr std::uint64_t kRowBlock = 4096;

RowProblem problemOf(const audio::CauHeader& h, const TpaEntry& e, std::uint64_t fileSize) {
    if (std::uint64_t{e.imageOffset} + e.imageLength > fileSize) return RowProblem::ImageOutsideFile;
    const std::uint64_t length = h.olderHeader ? h.imageLength : e.imageLength;
    if (h.dataSize > length || (h.olderHeader && length > e.imageLength)) return RowProblem::DataOutsideImage;
    if (h.compression > 1) return RowProblem::UnknownCompression;
    if ((h.channels != 1 && h.channels != 2) || (h.compression == 0 && h.bitsPerSample != 8 && h.bitsPerSample != 16))
        return RowProblem::UnsupportedLayout;
    if (h.compression == 1 && !audio::isKnownBlockAlign(h.blockAlign)) return RowProblem::UnknownBlockAlign;
    return RowProblem::None;
}

// The row of one record; the sound header is the table's copy in the retail
// layout (the game plays by it), the image's own in the beta layouts.
io::Outcome rowOf(io::File& file, const TpaArchive& archive, std::uint64_t fileSize, std::uint32_t index,
                  const TpaEntry& e, ArchiveRow& row) {
    row.index = index;
    row.soundId = e.soundId;
    row.imageOffset = e.imageOffset;
    row.imageLength = e.imageLength;
    row.auxValue = e.auxValue;
    row.reserved = e.reserved;
    std::uint8_t bytes[audio::kCauHeaderSize] = {};
    if (archive.layout == TpaLayout::Retail) {
        std::copy(e.cauHeader.begin(), e.cauHeader.end(), bytes);
    } else if (std::uint64_t{e.imageOffset} + sizeof bytes <= fileSize) {
        if (io::Outcome read = file.readAt(e.imageOffset, bytes, sizeof bytes); !read) return read;
    }
    const audio::CauHeader h = audio::parseCauHeader(bytes, true);
    row.sampleRate = h.sampleRate;
    row.dataSize = h.dataSize;
    row.decodedSize = h.decodedSize;
    row.channels = h.channels;
    row.bitsPerSample = h.compression == 1 ? 16 : h.bitsPerSample;
    row.compression = h.compression;
    row.problem = problemOf(h, e, fileSize);
    row.lengthMs = playTimeMs(h.decodedSize, h.sampleRate, h.channels, h.bitsPerSample, h.compression == 1);
    row.hasCaption = h.hasCaption();
    if (row.hasCaption && row.problem != RowProblem::ImageOutsideFile) {
        audio::CauImage image;
        if (audio::readCauEntry(file, fileSize, e.imageOffset, e.imageLength, image) && image.hasCaption)
            row.caption = io::shownText(image.captionText);
    }
    return io::success();
}

// Marks every row whose image another row points at too.
void markShared(std::vector<ArchiveRow>& rows) {
    std::vector<std::uint32_t> order(rows.size());
    std::iota(order.begin(), order.end(), 0u);
    auto key = [&](std::uint32_t i) { return std::pair{rows[i].imageOffset, rows[i].imageLength}; };
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
    for (std::size_t i = 1; i < order.size(); ++i)
        if (key(order[i]) == key(order[i - 1]) && rows[order[i]].imageLength > 0)
            rows[order[i]].shared = rows[order[i - 1]].shared = true;
}

}  // namespace

std::uint64_t playTimeMs(std::uint32_t decodedSize, std::uint32_t sampleRate, unsigned channels, unsigned bits,
                         bool adpcm) {
    const std::uint64_t bytesPerSecond = std::uint64_t{sampleRate} * channels * (adpcm ? 16u : bits) / 8;
    if (bytesPerSecond == 0) return 0;
    return std::uint64_t{decodedSize} * 1000 / bytesPerSecond;
}

ArchiveRows readArchiveRows(const TpaArchive& archive) {
    ArchiveRows result;
    io::File file;
    result.outcome = file.open(archive.archivePath, io::FileMode::Read);
    if (!result.outcome) return result;
    ArchiveHeader info;
    result.outcome = readArchiveHeader(file, info);
    if (!result.outcome) return result;
    result.fileSize = info.fileSize;
    const std::uint64_t count = info.header.entryCount;
    result.rows.resize(count);
    std::vector<TpaEntry> block;
    for (std::uint64_t first = 0; first < count; first += kRowBlock) {
        block.clear();
        const std::uint64_t n = std::min(kRowBlock, count - first);
        result.outcome = readArchiveRecords(file, info, first, n, false, block);
        for (std::uint64_t k = 0; result.outcome && k < n; ++k) {
            const auto index = static_cast<std::uint32_t>(first + k);
            result.outcome = rowOf(file, archive, info.fileSize, index, block[k], result.rows[index]);
        }
        if (!result.outcome) {
            result.rows.clear();
            return result;
        }
    }
    markShared(result.rows);
    return result;
}

}  // namespace sonkrate::archive
