// Reading a sound image, from a .cau file or from an archive entry: its
// header, its caption and where its sound data lies, every offset checked
// against the real size of the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/cau/caption_sections.h"
#include "audio/cau/cau_header.h"
#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::audio {

struct CauImage {
    CauHeader header;
    bool hasCaption = false;   // captionOffset is 36
    std::string captionText;   // the caption as shown, when hasCaption
    // The caption's timed sections, when hasCaption and the block reads as
    // sections; captionFault says why not otherwise.
    std::vector<CaptionSection> captionSections;
    CaptionFault captionFault = CaptionFault::None;
    std::uint64_t dataStart = 0;  // absolute offset of the sound data in the file read
    std::uint32_t dataSize = 0;   // header.dataSize, known to lie inside the file
};

// Where the data of a .cau file starts: at dataOffset.
inline std::uint64_t cauFileDataStart(const CauHeader& header) { return header.dataOffset; }

// Where the data of an archive entry starts: its last dataSize bytes. For the
// older 32-byte header the length stored at offset 12 stands for imageLength.
// The caller checks dataSize against the length first.
inline std::uint64_t entryDataStart(const CauHeader& header, std::uint64_t imageOffset, std::uint64_t imageLength) {
    std::uint64_t length = header.olderHeader ? header.imageLength : imageLength;
    return imageOffset + length - header.dataSize;
}

// Reads a whole .cau file's header and caption and locates its data. Fails
// when the header or the data lies past the end of the file.
io::Outcome readCauFile(io::File& file, CauImage& image);
io::Outcome readCauFile(const std::string& path, CauImage& image);

// The same for the image of imageLength bytes at imageOffset of an archive;
// the older 32-byte PCM header is recognised.
io::Outcome readCauEntry(io::File& archive, std::uint64_t imageOffset, std::uint64_t imageLength, CauImage& image);
// The same with the archive's size known (measured once for many entries).
io::Outcome readCauEntry(io::File& archive, std::uint64_t archiveSize, std::uint64_t imageOffset,
                         std::uint64_t imageLength, CauImage& image);
io::Outcome readCauEntry(const std::string& archivePath, std::uint64_t imageOffset, std::uint64_t imageLength,
                         CauImage& image);

}  // namespace sonkrate::audio
