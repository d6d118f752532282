#include "archive/format/archive_reader.h"

#include <algorithm>

namespace sonkrate::archive {

namespace {

// Records are read this many at a time: 56 KiB per read in the retail layout.
constexpr std::size_t kRecordsPerBlock = 1024;

}  // namespace

io::Outcome archiveTooShort(const std::string& path, std::uint64_t size) {
    return io::failure(path + " is not a sound archive: it is " + std::to_string(size) +
                       " bytes long, shorter than the 24-byte archive header");
}

io::Outcome tableOutsideFile(const std::string& path, std::uint64_t entryCount, std::uint64_t tableEnd,
                             std::uint64_t size) {
    return io::failure(path + " is damaged or not a sound archive: its header lists " + std::to_string(entryCount) +
                       " entries, whose table needs " + std::to_string(tableEnd) + " bytes, but the file is only " +
                       std::to_string(size) + " bytes long");
}

io::Outcome imageOutsideFile(const std::string& path, std::uint64_t index, const TpaEntry& entry,
                             std::uint64_t size) {
    return io::failure("The archive is damaged: entry " + std::to_string(index) + " of " + path +
                       " claims a sound image at offset " + std::to_string(entry.imageOffset) + " of " +
                       std::to_string(entry.imageLength) + " bytes, which runs past the end of the file (" +
                       std::to_string(size) + " bytes)");
}

io::Outcome readArchiveHeader(io::File& file, ArchiveHeader& info) {
    info = ArchiveHeader{};
    info.fileSize = file.size();
    if (info.fileSize < kTpaHeaderSize) return archiveTooShort(file.path(), info.fileSize);
    std::uint8_t bytes[kTpaHeaderSize];
    if (io::Outcome read = file.readAt(0, bytes, sizeof bytes); !read) return read;
    info.header = parseTpaHeader(bytes);
    info.layout = layoutOfTag(info.header.layoutTag);
    info.tableEnd = recordOffsetOf(info.layout, info.header.entryCount);
    if (info.tableEnd > info.fileSize)
        return tableOutsideFile(file.path(), info.header.entryCount, info.tableEnd, info.fileSize);
    return io::success();
}

io::Outcome readArchiveRecords(io::File& file, const ArchiveHeader& info, std::uint64_t first, std::uint64_t count,
                               bool imagesChecked, std::vector<TpaEntry>& entries) {
    const std::size_t recordSize = recordSizeOf(info.layout);
    const std::uint64_t end = recordOffsetOf(info.layout, first + count);
    if (end > info.fileSize) return tableOutsideFile(file.path(), first + count, end, info.fileSize);
    std::vector<std::uint8_t> block(std::min<std::uint64_t>(count, kRecordsPerBlock) * recordSize);
    entries.reserve(entries.size() + count);
    for (std::uint64_t done = 0; done < count;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kRecordsPerBlock, count - done));
        if (io::Outcome read = file.readAt(recordOffsetOf(info.layout, first + done), block.data(), n * recordSize);
            !read)
            return read;
        for (std::size_t i = 0; i < n; ++i) {
            TpaEntry entry = parseTpaEntry(block.data() + i * recordSize, info.layout);
            if (imagesChecked && std::uint64_t{entry.imageOffset} + entry.imageLength > info.fileSize)
                return imageOutsideFile(file.path(), first + done + i, entry, info.fileSize);
            entries.push_back(entry);
        }
        done += n;
    }
    return io::success();
}

io::Outcome readArchiveTable(io::File& file, ArchiveTable& table) {
    table.entries.clear();
    if (io::Outcome read = readArchiveHeader(file, table.info); !read) return read;
    return readArchiveRecords(file, table.info, 0, table.info.header.entryCount, true, table.entries);
}

io::Outcome readArchiveTable(const std::string& path, ArchiveTable& table) {
    io::File file;
    if (io::Outcome opened = file.open(path, io::FileMode::Read); !opened) return opened;
    return readArchiveTable(file, table);
}

std::int64_t findSoundId(const std::vector<TpaEntry>& entries, std::uint32_t soundId) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].soundId == soundId) return static_cast<std::int64_t>(i);
    return -1;
}

}  // namespace sonkrate::archive
