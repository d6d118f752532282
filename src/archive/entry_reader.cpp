#include "archive/entry_reader.h"

#include "audio/cau_reader.h"

namespace sonkrate::archive {

namespace {

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

    audio::CauImage image;
    io::Outcome read = audio::readCauEntry(file, sound.entry.imageOffset, sound.entry.imageLength, image);
    if (!read) {
        std::string reason = read.reason;
        if (!reason.empty() && reason.back() == '.') reason.pop_back();
        sound.outcome = io::failure(reason + " (entry " + std::to_string(index) + ")");
        return sound;
    }
    sound.header = image.header;
    sound.caption = image.captionText;
    sound.dataStart = image.dataStart;
    sound.dataSize = image.dataSize;
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
