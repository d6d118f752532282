// An archive's records as rows of facts for a table of every sound: read once
// from the record table (and, only where a sound has one, its caption block),
// never holding the images. Plain facts; the window chooses the words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/format/tpa_loader.h"
#include "io/outcome.h"

namespace sonkrate::archive {

// Why a record's sound cannot be decoded, as far as its facts tell.
enum class RowProblem : std::uint8_t {
    None,
    ImageOutsideFile,    // the image runs past the end of the archive
    DataOutsideImage,    // the header's dataSize does not fit in the image
    UnknownCompression,  // neither PCM nor IMA ADPCM
    UnsupportedLayout,   // not 1 or 2 channels of 8 or 16 bits (IMA ADPCM: 16)
    UnknownBlockAlign,   // IMA ADPCM in blocks the decoder does not take
};

struct ArchiveRow {
    std::uint32_t index = 0;
    std::uint32_t soundId = 0;
    std::uint32_t imageOffset = 0;
    std::uint32_t imageLength = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t dataSize = 0;
    std::uint32_t decodedSize = 0;
    std::uint32_t auxValue = 0;   // the attenuation, a float's bits
    std::uint32_t reserved = 0;   // the master volume, a float's bits
    std::uint8_t channels = 0;
    std::uint8_t bitsPerSample = 0;
    std::uint8_t compression = 0;  // 0 PCM, 1 IMA ADPCM
    bool shared = false;           // another record points at the same image
    bool hasCaption = false;
    RowProblem problem = RowProblem::None;
    // The play time the game computes: decodedSize / (rate x channels x bits / 8),
    // IMA ADPCM counted as the 16-bit PCM it decodes to.
    std::uint64_t lengthMs = 0;
    std::string caption;  // the sections' texts as shown; empty without a caption
};

struct ArchiveRows {
    io::Outcome outcome;  // failure: the header or the table cannot be read
    std::vector<ArchiveRow> rows;
    std::uint64_t fileSize = 0;
};

// The play time of decodedSize bytes in milliseconds; 0 when the format gives
// no bytes per second.
std::uint64_t playTimeMs(std::uint32_t decodedSize, std::uint32_t sampleRate, unsigned channels, unsigned bits,
                         bool adpcm);

// Every record of the loaded archive, in table order.
ArchiveRows readArchiveRows(const TpaArchive& archive);

}  // namespace sonkrate::archive
