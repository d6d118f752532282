#include "audio/cau/cau_reader.h"

#include <algorithm>
#include <vector>

#include "io/byte_order.h"

namespace sonkrate::audio {

namespace {

std::string number(std::uint64_t v) { return std::to_string(v); }

// Reads the caption block at blockStart into image; the block may not reach past end.
io::Outcome readCaption(io::File& file, std::uint64_t blockStart, std::uint64_t end, CauImage& image) {
    std::string& text = image.captionText;
    text.clear();
    image.captionFault = CaptionFault::NoRoom;
    if (blockStart + 4 > end) return io::success();  // flagged, but there is no room for a block
    std::uint8_t word[4];
    if (io::Outcome got = file.readAt(blockStart, word, 4); !got) return got;
    std::uint32_t length = io::getU32(word);
    // Length word, line count, then length - 8 bytes of text.
    std::uint64_t wanted = std::min<std::uint64_t>(std::uint64_t{length}, kMaxCaptionBytes) + 4;
    std::uint64_t avail = std::min<std::uint64_t>(wanted, end - blockStart);
    std::vector<std::uint8_t> block(static_cast<std::size_t>(avail));
    if (io::Outcome got = file.readAt(blockStart, block.data(), block.size()); !got) return got;
    // The block's own length word is kept; the readers bound themselves by what was read.
    CaptionSectionsRead sections = readCaptionSections(block.data(), block.size());
    image.captionFault = sections.fault;
    image.captionSections = std::move(sections.sections);
    // Only the first kMaxCaptionBytes were read: the block is too large, not cut short.
    if (length > kMaxCaptionBytes && length + std::uint64_t{4} <= end - blockStart) {
        image.captionFault = CaptionFault::TooLarge;
        image.captionSections.clear();
    }
    text = decodeCaptionText(block.data(), block.size());
    return io::success();
}

}  // namespace

io::Outcome readCauFile(io::File& file, CauImage& image) {
    image = CauImage{};
    const std::string& path = file.path();
    std::uint64_t size = file.size();
    if (size < kCauHeaderSize)
        return io::failure(path + " is too short for a sound image: it has " + number(size) +
                           " bytes and the header alone takes 36.");
    std::uint8_t bytes[kCauHeaderSize];
    if (io::Outcome got = file.readAt(0, bytes, sizeof bytes); !got) return got;
    image.header = parseCauHeader(bytes, false);
    const CauHeader& h = image.header;
    if (h.dataOffset > size || h.dataSize > size - h.dataOffset)
        return io::failure(path + " is damaged: its header puts " + number(h.dataSize) +
                           " bytes of sound data at offset " + number(h.dataOffset) + ", but the file has only " +
                           number(size) + " bytes.");
    image.dataStart = cauFileDataStart(h);
    image.dataSize = h.dataSize;
    if (h.hasCaption()) {
        image.hasCaption = true;
        if (io::Outcome got = readCaption(file, kCauHeaderSize, size, image); !got) return got;
    }
    return io::success();
}

io::Outcome readCauFile(const std::string& path, CauImage& image) {
    io::File file;
    if (io::Outcome opened = file.open(path, io::FileMode::Read); !opened) return opened;
    return readCauFile(file, image);
}

io::Outcome readCauEntry(io::File& archive, std::uint64_t imageOffset, std::uint64_t imageLength, CauImage& image) {
    return readCauEntry(archive, archive.size(), imageOffset, imageLength, image);
}

io::Outcome readCauEntry(io::File& archive, std::uint64_t size, std::uint64_t imageOffset, std::uint64_t imageLength,
                         CauImage& image) {
    image = CauImage{};
    const std::string& path = archive.path();
    std::string entry = "the entry at offset " + number(imageOffset);
    if (imageOffset > size || imageLength > size - imageOffset)
        return io::failure(path + " is damaged: " + entry + " claims " + number(imageLength) +
                           " bytes, past the end of the archive (" + number(size) + " bytes).");
    // The older header takes 32 bytes; the bytes past an entry that short read as zeros.
    std::uint8_t bytes[kCauHeaderSize] = {};
    std::size_t have = static_cast<std::size_t>(std::min<std::uint64_t>(kCauHeaderSize, imageLength));
    if (have < 32)
        return io::failure(path + " is damaged: " + entry + " is only " + number(imageLength) +
                           " bytes long, too short for a sound image.");
    if (io::Outcome got = archive.readAt(imageOffset, bytes, have); !got) return got;
    image.header = parseCauHeader(bytes, true);
    const CauHeader& h = image.header;
    if (!h.olderHeader && have < kCauHeaderSize)
        return io::failure(path + " is damaged: " + entry + " is only " + number(imageLength) +
                           " bytes long, too short for a sound image.");
    std::uint64_t length = imageLength;
    if (h.olderHeader) {
        length = h.imageLength;
        if (length > size - imageOffset)
            return io::failure(path + " is damaged: " + entry + " gives its length as " +
                               number(length) + " bytes, past the end of the archive (" + number(size) +
                               " bytes).");
    }
    if (h.dataSize > length)
        return io::failure(path + " is damaged: " + entry + " is " + number(length) +
                           " bytes long but says it holds " + number(h.dataSize) + " bytes of sound data.");
    image.dataStart = entryDataStart(h, imageOffset, imageLength);
    image.dataSize = h.dataSize;
    if (h.hasCaption()) {
        image.hasCaption = true;
        std::uint64_t headerBytes = h.olderHeader ? 32 : kCauHeaderSize;
        if (io::Outcome got = readCaption(archive, imageOffset + headerBytes, imageOffset + length, image);
            !got)
            return got;
    }
    return io::success();
}

io::Outcome readCauEntry(const std::string& archivePath, std::uint64_t imageOffset, std::uint64_t imageLength,
                         CauImage& image) {
    io::File file;
    if (io::Outcome opened = file.open(archivePath, io::FileMode::Read); !opened) return opened;
    return readCauEntry(file, imageOffset, imageLength, image);
}

}  // namespace sonkrate::audio
