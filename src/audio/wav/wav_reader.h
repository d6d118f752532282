// Reading a .wav file's layout, the one place that does: the RIFF chunk walk
// (the "fmt " fields, the "fact" value and where the "data" chunk lies,
// clamped to the bytes the file really holds), and the fields of the
// canonical 44-byte header read at their fixed offsets without a walk.
#pragma once

#include <cstdint>
#include <string>

#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::audio {

inline constexpr std::uint16_t kWavFormatPcm = 1;
inline constexpr std::uint16_t kWavFormatMsAdpcm = 0x0002;
inline constexpr std::uint16_t kWavFormatFloat = 0x0003;
inline constexpr std::uint16_t kWavFormatALaw = 0x0006;
inline constexpr std::uint16_t kWavFormatMuLaw = 0x0007;
inline constexpr std::uint16_t kWavFormatImaAdpcm = 0x0011;
inline constexpr std::uint16_t kWavFormatExtensible = 0xFFFE;

struct WavLayout {
    // "fmt " chunk
    std::uint32_t fmtChunkLength = 0;
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t bytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    bool hasSamplesPerBlock = false;  // an extension of at least 2 bytes is present
    std::uint16_t samplesPerBlock = 0;
    // WAVE_FORMAT_EXTENSIBLE (0xFFFE): the format code that opens its
    // sub-format GUID, set only for a chunk of the full 40 bytes.
    std::uint16_t subFormat = 0;
    // The same two bytes whenever the chunk reaches them (26 bytes or more).
    bool hasSubFormatTag = false;
    std::uint16_t subFormatTag = 0;
    // "fact" chunk
    bool hasFact = false;
    std::uint32_t factValue = 0;
    // "data" chunk
    std::uint64_t dataOffset = 0;     // file offset of the first data byte
    std::uint32_t declaredDataLength = 0;  // as the chunk header says
    std::uint32_t dataLength = 0;     // what the file really holds of it
    bool dataClamped = false;         // the chunk header claimed more than the file holds
    std::uint64_t fileSize = 0;
};

// What the chunk walk found, so that each caller words its own refusal.
enum class WavWalk {
    Ok,
    ReadFailed,       // an I/O error; the reason is the file layer's sentence
    TooShort,         // fewer than the 12 bytes of a RIFF WAVE header
    NotRiffWave,      // the first 12 bytes are not "RIFF" .... "WAVE"
    FormatTooShort,   // the format chunk says it holds fewer than 16 bytes
    FormatTruncated,  // the file ends inside the first 16 bytes of the format chunk
    NoFormat,         // no "fmt " chunk
    NoData,           // no "data" chunk
};

struct WavWalkResult {
    WavWalk walk = WavWalk::Ok;
    std::string ioReason;  // for ReadFailed

    bool ok() const { return walk == WavWalk::Ok; }
};

// Walks the chunks of an open file from the start up to its real end (the
// RIFF length is often wrong); the first "fmt ", "fact" and "data" count.
WavWalkResult walkWavChunks(io::File& file, WavLayout& layout);

// The walk, failing with a sentence naming the file when it is not a RIFF
// WAVE file or lacks "fmt " or "data".
io::Outcome readWavLayout(io::File& file, WavLayout& layout);
// The same for a path.
io::Outcome readWavLayout(const std::string& path, WavLayout& layout);

// The fields of a .wav read at the fixed offsets of the canonical header,
// without looking at the chunk tags: how a played .wav is taken (kept on
// purpose, see COMPATIBILITY.md).
struct CanonicalWavHeader {
    std::uint32_t riffSize = 0;       // at 4
    std::uint32_t fmtSize = 0;        // at 16
    std::int16_t formatTag = 0;       // at 20
    std::int16_t channels = 0;        // at 22
    std::uint32_t sampleRate = 0;     // at 24
    std::uint16_t blockAlign = 0;     // at 32
    std::uint16_t bitsPerSample = 0;  // at 34
};

// Reads those fields; a file shorter than the header gives zeros for the
// fields it lacks. Fails only when the file cannot be opened.
io::Outcome readCanonicalWavHeader(const std::string& path, CanonicalWavHeader& header);

}  // namespace sonkrate::audio
