#include "archive/entry_reader.h"

#include <algorithm>
#include <vector>

#include "io/byte_order.h"

namespace sonkrate::archive {

namespace {

// Captions are a line or two; a block claiming more is read only this far.
constexpr std::size_t kMaxCaptionBlock = 64 * 1024;
constexpr std::uint32_t kOlderHeaderSize = 32;

std::string entryName(const TpaArchive& archive, std::uint32_t index) {
    return "entry " + std::to_string(index) + " of " + archive.archivePath;
}

io::Outcome damaged(const TpaArchive& archive, std::uint32_t index, const std::string& why) {
    return io::failure("The archive is damaged: " + entryName(archive, index) + " " + why);
}

}  // namespace

EntryRead readTpaEntry(io::File& file, const TpaArchive& archive, std::uint32_t index) {
    EntryRead read;
    if (index >= archive.entryCount) {
        read.outcome = io::failure(archive.archivePath + " has no entry " + std::to_string(index) +
                                   ": it holds " + std::to_string(archive.entryCount) + " entries");
        return read;
    }
    // Measured now: the file may have changed since it was loaded.
    const std::uint64_t size = file.size();
    const std::size_t recordSize = recordSizeOf(archive.layout);
    const std::uint64_t at = recordOffsetOf(archive.layout, index);
    if (at + recordSize > size) {
        read.outcome = damaged(archive, index, "lies past the end of the table (the file is " +
                                                   std::to_string(size) + " bytes long)");
        return read;
    }
    std::uint8_t record[kRetailRecordSize];
    read.outcome = file.readAt(at, record, recordSize);
    if (!read.outcome) return read;
    read.entry = parseTpaEntry(record, archive.layout);
    const std::uint64_t end = std::uint64_t{read.entry.imageOffset} + read.entry.imageLength;
    if (end > size) {
        read.outcome = damaged(archive, index,
                               "claims a sound image at offset " + std::to_string(read.entry.imageOffset) +
                                   " of " + std::to_string(read.entry.imageLength) +
                                   " bytes, which runs past the end of the file (" + std::to_string(size) +
                                   " bytes)");
        return read;
    }
    return read;
}

EntryRead readTpaEntry(const TpaArchive& archive, std::uint32_t index) {
    io::File file;
    io::Outcome opened = file.open(archive.archivePath, io::FileMode::Read);
    if (!opened) return {opened, {}};
    return readTpaEntry(file, archive, index);
}

EntrySound readEntrySound(io::File& file, const TpaArchive& archive, std::uint32_t index) {
    EntrySound sound;
    sound.index = index;
    EntryRead record = readTpaEntry(file, archive, index);
    sound.outcome = record.outcome;
    sound.entry = record.entry;
    if (!sound.outcome) return sound;
    const TpaEntry& e = sound.entry;

    if (e.imageLength < kOlderHeaderSize) {
        sound.outcome = damaged(archive, index, "is " + std::to_string(e.imageLength) +
                                                    " bytes long, too short to hold a sound header");
        return sound;
    }
    // The image lies inside the file (checked above); a 32-byte older header
    // may be followed by fewer than 4 bytes, which are then read as zeros.
    std::uint8_t headerBytes[audio::kCauHeaderSize] = {};
    std::size_t headerRead = std::min<std::size_t>(audio::kCauHeaderSize, e.imageLength);
    sound.outcome = file.readAt(e.imageOffset, headerBytes, headerRead);
    if (!sound.outcome) return sound;
    sound.header = audio::parseCauHeader(headerBytes, true);
    const audio::CauHeader& h = sound.header;
    if (!h.olderHeader && e.imageLength < audio::kCauHeaderSize) {
        sound.outcome = damaged(archive, index, "is " + std::to_string(e.imageLength) +
                                                    " bytes long, too short to hold a sound header");
        return sound;
    }

    // The data is the last dataSize bytes of the image; the older header
    // states the image's length itself, which must still end inside the file.
    const std::uint32_t headerSize = h.olderHeader ? kOlderHeaderSize : audio::kCauHeaderSize;
    const std::uint32_t imageLength = h.olderHeader ? h.imageLength : e.imageLength;
    if (h.olderHeader) {
        const std::uint64_t size = file.size();
        if (std::uint64_t{e.imageOffset} + imageLength > size) {
            sound.outcome = damaged(archive, index, "has a sound header stating an image of " +
                                                        std::to_string(imageLength) +
                                                        " bytes, which runs past the end of the file (" +
                                                        std::to_string(size) + " bytes)");
            return sound;
        }
    }
    if (h.dataSize > imageLength) {
        sound.outcome = damaged(archive, index, "has a sound header stating " + std::to_string(h.dataSize) +
                                                    " bytes of sound data, more than its image of " +
                                                    std::to_string(imageLength) + " bytes holds");
        return sound;
    }
    sound.dataSize = h.dataSize;
    sound.dataStart = std::uint64_t{e.imageOffset} + imageLength - h.dataSize;

    if (h.hasCaption()) {
        // The block follows the header; only what lies within the image is read.
        const std::uint64_t blockAt = std::uint64_t{e.imageOffset} + headerSize;
        std::size_t available = e.imageLength > headerSize ? e.imageLength - headerSize : 0;
        if (available >= 4) {
            std::uint8_t lengthBytes[4];
            sound.outcome = file.readAt(blockAt, lengthBytes, 4);
            if (!sound.outcome) return sound;
            std::size_t claimed = io::getU32(lengthBytes);
            available = std::min({available, std::max<std::size_t>(claimed, 4), kMaxCaptionBlock});
            std::vector<std::uint8_t> block(available);
            sound.outcome = file.readAt(blockAt, block.data(), available);
            if (!sound.outcome) return sound;
            sound.caption = audio::decodeCaptionText(block.data(), available);
        }
    }
    return sound;
}

EntrySound readEntrySound(const TpaArchive& archive, std::uint32_t index) {
    io::File file;
    io::Outcome opened = file.open(archive.archivePath, io::FileMode::Read);
    if (!opened) {
        EntrySound sound;
        sound.index = index;
        sound.outcome = opened;
        return sound;
    }
    return readEntrySound(file, archive, index);
}

io::Outcome forEachEntrySound(const TpaArchive& archive,
                              const std::function<bool(const EntrySound&)>& visit) {
    io::File file;
    io::Outcome opened = file.open(archive.archivePath, io::FileMode::Read);
    if (!opened) return opened;
    for (std::uint32_t i = 0; i < archive.entryCount; ++i) {
        EntrySound sound = readEntrySound(file, archive, i);
        if (!sound.outcome) return sound.outcome;
        if (!visit(sound)) break;
    }
    return io::success();
}

}  // namespace sonkrate::archive
