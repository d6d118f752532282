#include "audio/wav/wav_headers.h"

#include <cstring>

#include "io/byte_order.h"

namespace sonkrate::audio {

using io::putU16;
using io::putU32;

namespace {

void putTag(std::uint8_t* p, const char* tag) { std::memcpy(p, tag, 4); }

}  // namespace

std::array<std::uint8_t, kPcmWavHeaderSize> pcmWavHeader(std::uint16_t channels, std::uint32_t sampleRate,
                                                          std::uint16_t bitsPerSample, std::uint32_t dataLength) {
    std::array<std::uint8_t, kPcmWavHeaderSize> h{};
    std::uint64_t bytesPerSecond = (std::uint64_t{channels} * sampleRate * bitsPerSample) >> 3;
    putTag(&h[0], "RIFF");
    putU32(&h[4], dataLength + 36);
    putTag(&h[8], "WAVE");
    putTag(&h[12], "fmt ");
    putU32(&h[16], 16);
    putU16(&h[20], 1);
    putU16(&h[22], channels);
    putU32(&h[24], sampleRate);
    putU32(&h[28], static_cast<std::uint32_t>(bytesPerSecond));
    putU16(&h[32], static_cast<std::uint16_t>((channels * bitsPerSample) / 8));
    putU16(&h[34], bitsPerSample);
    putTag(&h[36], "data");
    putU32(&h[40], dataLength);
    return h;
}

std::array<std::uint8_t, kImaWavHeaderSize> imaWavHeader(std::uint16_t channels, std::uint32_t sampleRate,
                                                          std::uint32_t blockAlign, std::uint32_t factValue,
                                                          std::uint32_t dataLength) {
    std::array<std::uint8_t, kImaWavHeaderSize> h{};
    std::uint64_t bytesPerSecond = (std::uint64_t{channels} * sampleRate) >> 1;
    // The low byte of blockAlign / channels: 4 for the game's 1028 mono and
    // 2056 stereo blocks. Readers of these files do not depend on it.
    std::uint8_t bits = channels ? static_cast<std::uint8_t>(blockAlign / channels) : 0;
    putTag(&h[0], "RIFF");
    putU32(&h[4], dataLength + 52);
    putTag(&h[8], "WAVE");
    putTag(&h[12], "fmt ");
    putU32(&h[16], 20);
    putU16(&h[20], 0x0011);
    putU16(&h[22], channels);
    putU32(&h[24], sampleRate);
    putU32(&h[28], static_cast<std::uint32_t>(bytesPerSecond));
    putU16(&h[32], static_cast<std::uint16_t>(blockAlign));
    putU16(&h[34], bits);
    putU16(&h[36], 2);
    putU16(&h[38], kImaWavSamplesPerBlock);
    putTag(&h[40], "fact");
    putU32(&h[44], 4);
    putU32(&h[48], factValue);
    putTag(&h[52], "data");
    putU32(&h[56], dataLength);
    return h;
}

}  // namespace sonkrate::audio
