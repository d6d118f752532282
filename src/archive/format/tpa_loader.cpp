#include "archive/format/tpa_loader.h"

#include "archive/format/archive_reader.h"
#include "io/byte_order.h"
#include "io/file.h"
#include "io/paths.h"

namespace sonkrate::archive {

namespace {

// Where the first image of a retail archive without a gap would carry its
// formatTag (4 bytes into the image) and where a second image would begin
// when the first entry is an 80-byte block without a sound header.
constexpr std::uint64_t kFormatTagProbe = 28;
constexpr std::uint64_t kDemoStreamProbe = 104;

// Reads n bytes at offset when they lie wholly inside a file of size bytes;
// a probe past the end simply does not match.
bool probe(io::File& file, std::uint64_t size, std::uint64_t offset, std::uint8_t* out, std::size_t n) {
    if (offset > size || size - offset < n) return false;
    return static_cast<bool>(file.readAt(offset, out, n));
}

}  // namespace

bool acceptsAdds(const TpaArchive& archive) {
    return archive.layout == TpaLayout::Retail && archive.standardLayout && archive.fileSize <= kAddSizeLimit;
}

TpaLoad loadTpaArchive(const std::string& archivePath, const std::string& wavsDir) {
    TpaLoad load;
    io::File file;
    io::Outcome opened = file.open(archivePath, io::FileMode::Read);
    if (!opened) {
        load.outcome = opened;
        return load;
    }
    ArchiveHeader info;
    if (io::Outcome read = readArchiveHeader(file, info); !read) {
        load.outcome = read;
        return load;
    }
    const TpaHeader& header = info.header;
    const TpaLayout layout = info.layout;
    const std::uint64_t size = info.fileSize;

    TpaArchive& a = load.archive;
    a.archivePath = archivePath;
    a.layout = layout;
    a.layoutTag = header.layoutTag;
    a.entryCount = header.entryCount;
    a.soundCount = header.soundCount;
    a.trailerFlag = header.trailerFlag;
    a.soundDataEnd = header.soundDataEnd;
    a.fileSize = size;

    // Both probes assume 56-byte records whatever the layout: they ask
    // whether the data region starts where a retail table would end.
    const std::uint64_t retailTableEnd = recordOffsetOf(TpaLayout::Retail, header.entryCount);
    std::uint8_t word[4];
    if (probe(file, size, retailTableEnd + (kFormatTagProbe - kTableOffset), word, 4) &&
        io::getU32(word) == 110) {
        a.standardLayout = true;
    } else if (probe(file, size, retailTableEnd + (kDemoStreamProbe - kTableOffset), word, 2) && word[0] == 'W' &&
               word[1] == 'B') {
        a.demoStream = true;
    }

    std::string baseName = archiveBaseNameOf(archivePath);
    a.backupPath = io::joinPath(wavsDir, baseName + ".tpa.backup");
    a.archiveName = io::toLower(baseName);
    a.archiveClass = archiveClassOf(a.archiveName);

    (void)file.close();  // read only: nothing to lose
    load.outcome = io::success();
    return load;
}

}  // namespace sonkrate::archive
