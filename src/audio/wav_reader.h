// Reading the layout of a .wav file by walking its RIFF chunks: the "fmt "
// fields, the "fact" value and where the "data" chunk lies, clamped to the
// bytes the file really holds.
#pragma once

#include <cstdint>
#include <string>

#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::audio {

inline constexpr std::uint16_t kWavFormatPcm = 1;
inline constexpr std::uint16_t kWavFormatImaAdpcm = 0x0011;
inline constexpr std::uint16_t kWavFormatFloat = 0x0003;
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
    // WAVE_FORMAT_EXTENSIBLE (0xFFFE): the format code that opens its sub-format GUID
    std::uint16_t subFormat = 0;
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

// Walks the chunks of an open file from the start. Fails with a sentence
// naming the file when it is not a RIFF WAVE file or lacks "fmt " or "data".
io::Outcome readWavLayout(io::File& file, WavLayout& layout);
// The same for a path.
io::Outcome readWavLayout(const std::string& path, WavLayout& layout);

}  // namespace sonkrate::audio
