// The two .wav headers Sonkrate writes: the 44-byte PCM header and the
// 60-byte IMA ADPCM header (fmt of 20 bytes, fact, data).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sonkrate::audio {

inline constexpr std::size_t kPcmWavHeaderSize = 44;
inline constexpr std::size_t kImaWavHeaderSize = 60;
// The samples-per-block value written into IMA ADPCM headers.
inline constexpr std::uint16_t kImaWavSamplesPerBlock = 2048;

// RIFF length dataLength + 36, bytes per second channels x rate x bits / 8,
// block alignment channels x bits / 8, data length dataLength.
std::array<std::uint8_t, kPcmWavHeaderSize> pcmWavHeader(std::uint16_t channels, std::uint32_t sampleRate,
                                                          std::uint16_t bitsPerSample, std::uint32_t dataLength);

// RIFF length dataLength + 52, format tag 0x11, bytes per second
// (channels x rate) >> 1, the low 16 bits of blockAlign, bits per sample the
// low byte of blockAlign / channels (4 for 1028 mono and 2056 stereo, 0 for
// 512 mono), 2 extra bytes holding 2048 samples per block, the fact value
// and the data length.
std::array<std::uint8_t, kImaWavHeaderSize> imaWavHeader(std::uint16_t channels, std::uint32_t sampleRate,
                                                          std::uint32_t blockAlign, std::uint32_t factValue,
                                                          std::uint32_t dataLength);

}  // namespace sonkrate::audio
