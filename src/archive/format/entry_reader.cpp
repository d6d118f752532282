#include "archive/format/entry_reader.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "archive/format/archive_reader.h"
#include "audio/cau/cau_reader.h"

namespace sonkrate::archive {

namespace {

std::string entryName(const TpaArchive& archive, std::uint32_t index) {
    return "entry " + std::to_string(index) + " of " + archive.archivePath;
}

io::Outcome damaged(const TpaArchive& archive, std::uint32_t index, const std::string& why) {
    return io::failure("The archive is damaged: " + entryName(archive, index) + " " + why);
}

// The header, caption and data position of the image of sound.entry.
void readImageOf(io::File& file, std::uint64_t size, EntrySound& sound) {
    audio::CauImage image;
    io::Outcome read = audio::readCauEntry(file, size, sound.entry.imageOffset, sound.entry.imageLength, image);
    if (!read) {
        std::string reason = read.reason;
        if (!reason.empty() && reason.back() == '.') reason.pop_back();
        sound.outcome = io::failure(reason + " (entry " + std::to_string(sound.index) + ")");
        return;
    }
    sound.header = image.header;
    sound.caption = image.captionText;
    sound.captionSections = std::move(image.captionSections);
    sound.captionFault = image.captionFault;
    sound.dataStart = image.dataStart;
    sound.dataSize = image.dataSize;
}

// Records are read this many at a time by the walk over every entry.
constexpr std::uint32_t kWalkBlock = 4096;

}  // namespace

EntryRead readTpaEntry(io::File& file, const TpaArchive& archive, std::uint32_t index) {
    EntryRead read;
    if (index >= archive.entryCount) {
        read.outcome = io::failure(archive.archivePath + " has no entry " + std::to_string(index) +
                                   ": it holds " + std::to_string(archive.entryCount) +
                                   (archive.entryCount == 1 ? " entry" : " entries"));
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
    if (end > size) read.outcome = imageOutsideFile(archive.archivePath, index, read.entry, size);
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
    if (sound.outcome) readImageOf(file, file.size(), sound);
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
    if (io::Outcome opened = file.open(archive.archivePath, io::FileMode::Read); !opened) return opened;
    // The table as the archive was loaded, read in blocks, checked against
    // the file as it is now.
    ArchiveHeader info;
    info.layout = archive.layout;
    info.fileSize = file.size();
    std::vector<TpaEntry> records;
    for (std::uint32_t first = 0; first < archive.entryCount; first += kWalkBlock) {
        const std::uint32_t count = std::min(kWalkBlock, archive.entryCount - first);
        records.clear();
        if (io::Outcome read = readArchiveRecords(file, info, first, count, false, records); !read) return read;
        for (std::uint32_t k = 0; k < count; ++k) {
            EntrySound sound;
            sound.index = first + k;
            sound.entry = records[k];
            if (std::uint64_t{sound.entry.imageOffset} + sound.entry.imageLength > info.fileSize)
                return imageOutsideFile(archive.archivePath, sound.index, sound.entry, info.fileSize);
            readImageOf(file, info.fileSize, sound);
            if (!sound.outcome) return sound.outcome;
            if (!visit(sound)) return io::success();
        }
    }
    return io::success();
}

}  // namespace sonkrate::archive
