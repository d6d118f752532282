// Reading the entries of a loaded archive by position in its table, in all
// three layouts: the record, the sound header of its image and where its
// sound data lies. Every offset and length is checked against the file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/format/tpa_format.h"
#include "archive/format/tpa_loader.h"
#include "audio/cau/caption_sections.h"
#include "audio/cau/cau_header.h"
#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::archive {

struct EntryRead {
    io::Outcome outcome;
    TpaEntry entry;
};

// Record index of the archive, read from file (open on archive.archivePath).
// Fails when index is not below entryCount, when the record lies past the end
// of the file, or when imageOffset + imageLength does.
EntryRead readTpaEntry(io::File& file, const TpaArchive& archive, std::uint32_t index);
// The same, opening and closing the archive itself.
EntryRead readTpaEntry(const TpaArchive& archive, std::uint32_t index);

struct EntrySound {
    io::Outcome outcome;
    std::uint32_t index = 0;
    TpaEntry entry;
    audio::CauHeader header;  // the older 32-byte header is recognised
    std::string caption;      // when header.hasCaption()
    // The caption's timed sections, when it reads as sections (else captionFault says why).
    std::vector<audio::CaptionSection> captionSections;
    audio::CaptionFault captionFault = audio::CaptionFault::None;
    // The sound data: the last dataSize bytes of the image (for the older
    // header, of the length its offset 12 states).
    std::uint64_t dataStart = 0;
    std::uint32_t dataSize = 0;
};

// Record index and the header, caption and data position of its image.
EntrySound readEntrySound(io::File& file, const TpaArchive& archive, std::uint32_t index);
EntrySound readEntrySound(const TpaArchive& archive, std::uint32_t index);

// Visits every entry in table order with the file opened once; visit returns
// false to stop early. The first entry that cannot be read ends the walk
// with its failure.
io::Outcome forEachEntrySound(const TpaArchive& archive,
                              const std::function<bool(const EntrySound&)>& visit);

}  // namespace sonkrate::archive
