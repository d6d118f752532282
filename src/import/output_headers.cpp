#include "import/output_headers.h"

#include <cstring>

#include "io/byte_order.h"

namespace sonkrate::import {

namespace {

void putTag(std::uint8_t* p, const char* tag) { std::memcpy(p, tag, 4); }

}  // namespace

PcmWavHeader makePcmWavHeader(std::uint16_t channels, std::uint32_t sampleRate, std::uint32_t byteRate,
                              std::uint16_t blockAlign, std::uint16_t bitsPerSample, std::uint32_t dataSize) {
    PcmWavHeader h;
    h.riffSize = 36 + dataSize;
    h.channels = channels;
    h.sampleRate = sampleRate;
    h.byteRate = byteRate;
    h.blockAlign = blockAlign;
    h.bitsPerSample = bitsPerSample;
    h.dataSize = dataSize;
    return h;
}

G711WavHeader makeG711WavHeader(std::uint16_t formatTag, std::uint16_t channels, std::uint32_t sampleRate,
                                std::uint32_t byteRate, std::uint32_t dataSize) {
    G711WavHeader h;
    h.riffSize = 50 + dataSize;
    h.formatTag = formatTag;
    h.channels = channels;
    h.sampleRate = sampleRate;
    h.byteRate = byteRate;
    h.blockAlign = channels;
    h.sampleFrames = channels == 0 ? 0 : dataSize / channels;
    h.dataSize = dataSize;
    return h;
}

std::array<std::uint8_t, kPcmWavHeaderSize> serialize(const PcmWavHeader& h) {
    std::array<std::uint8_t, kPcmWavHeaderSize> b{};
    putTag(&b[0], "RIFF");
    io::putU32(&b[4], h.riffSize);
    putTag(&b[8], "WAVE");
    putTag(&b[12], "fmt ");
    io::putU32(&b[16], 16);
    io::putU16(&b[20], 1);
    io::putU16(&b[22], h.channels);
    io::putU32(&b[24], h.sampleRate);
    io::putU32(&b[28], h.byteRate);
    io::putU16(&b[32], h.blockAlign);
    io::putU16(&b[34], h.bitsPerSample);
    putTag(&b[36], "data");
    io::putU32(&b[40], h.dataSize);
    return b;
}

std::array<std::uint8_t, kG711WavHeaderSize> serialize(const G711WavHeader& h) {
    std::array<std::uint8_t, kG711WavHeaderSize> b{};
    putTag(&b[0], "RIFF");
    io::putU32(&b[4], h.riffSize);
    putTag(&b[8], "WAVE");
    putTag(&b[12], "fmt ");
    io::putU32(&b[16], 18);
    io::putU16(&b[20], h.formatTag);
    io::putU16(&b[22], h.channels);
    io::putU32(&b[24], h.sampleRate);
    io::putU32(&b[28], h.byteRate);
    io::putU16(&b[32], h.blockAlign);
    io::putU16(&b[34], 8);
    io::putU16(&b[36], 0);
    putTag(&b[38], "fact");
    io::putU32(&b[42], 4);
    io::putU32(&b[46], h.sampleFrames);
    putTag(&b[50], "data");
    io::putU32(&b[54], h.dataSize);
    return b;
}

}  // namespace sonkrate::import
