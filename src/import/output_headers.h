// The two .wav headers a converted foreign sound is written under: the 44-byte
// PCM header and the 58-byte A-law / mu-law header (fmt of 18 bytes, fact, data).
// Every field is written as the reader gives it, even where rate, byte rate and
// block alignment do not agree with each other.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sonkrate::import {

inline constexpr std::size_t kPcmWavHeaderSize = 44;
inline constexpr std::size_t kG711WavHeaderSize = 58;

inline constexpr std::uint16_t kFormatALaw = 6;
inline constexpr std::uint16_t kFormatMuLaw = 7;

struct PcmWavHeader {
    std::uint32_t riffSize = 36;  // 36 + dataSize
    std::uint16_t channels = 1;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 16;
    std::uint32_t dataSize = 0;
};

struct G711WavHeader {
    std::uint32_t riffSize = 50;  // 50 + dataSize
    std::uint16_t formatTag = kFormatMuLaw;
    std::uint16_t channels = 1;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 1;  // = channels
    std::uint32_t sampleFrames = 0;  // dataSize / channels
    std::uint32_t dataSize = 0;
};

// A PCM header whose RIFF size follows from the data size.
PcmWavHeader makePcmWavHeader(std::uint16_t channels, std::uint32_t sampleRate, std::uint32_t byteRate,
                              std::uint16_t blockAlign, std::uint16_t bitsPerSample, std::uint32_t dataSize);
// A G.711 header whose RIFF size, block alignment and sample frames follow from
// the channel count and the data size.
G711WavHeader makeG711WavHeader(std::uint16_t formatTag, std::uint16_t channels, std::uint32_t sampleRate,
                                std::uint32_t byteRate, std::uint32_t dataSize);

std::array<std::uint8_t, kPcmWavHeaderSize> serialize(const PcmWavHeader& header);
std::array<std::uint8_t, kG711WavHeaderSize> serialize(const G711WavHeader& header);

}  // namespace sonkrate::import
