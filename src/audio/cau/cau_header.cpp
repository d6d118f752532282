#include "audio/cau/cau_header.h"

#include "audio/cau/caption_sections.h"
#include "io/byte_order.h"

namespace sonkrate::audio {

using io::getU32;
using io::putU32;

namespace {

// Values at offset 24 that mark the older 32-byte PCM header: bits, channels,
// compression and reserved bytes 16/2/0/0, 16/1/0/0 or 8/1/0/0.
bool isOlderHeader(std::uint32_t at24) { return at24 == 0x210 || at24 == 0x110 || at24 == 0x108; }

}  // namespace

CauHeader parseCauHeader(const std::uint8_t* b, bool recogniseOlder) {
    CauHeader h;
    for (int i = 0; i < 4; ++i) h.magic[static_cast<std::size_t>(i)] = static_cast<char>(b[i]);
    h.formatTag = getU32(b + 4);
    if (recogniseOlder && isOlderHeader(getU32(b + 24))) {
        h.olderHeader = true;
        h.dataOffset = 32;
        h.imageLength = getU32(b + 12);
        h.blockAlign = 0;
        h.dataSize = getU32(b + 16);
        h.decodedSize = h.dataSize;
        h.sampleRate = getU32(b + 20);
        h.bitsPerSample = b[24];
        h.channels = b[25];
        h.compression = b[26];
        h.reserved = b[27];
        h.captionOffset = getU32(b + 28);
        return h;
    }
    h.dataOffset = getU32(b + 8);
    h.blockAlign = getU32(b + 12);
    h.dataSize = getU32(b + 16);
    h.decodedSize = getU32(b + 20);
    h.sampleRate = getU32(b + 24);
    h.bitsPerSample = b[28];
    h.channels = b[29];
    h.compression = b[30];
    h.reserved = b[31];
    h.captionOffset = getU32(b + 32);
    return h;
}

std::array<std::uint8_t, kCauHeaderSize> serializeCauHeader(const CauHeader& h) {
    std::array<std::uint8_t, kCauHeaderSize> b{};
    for (int i = 0; i < 4; ++i) b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(h.magic[static_cast<std::size_t>(i)]);
    putU32(&b[4], h.formatTag);
    putU32(&b[8], h.dataOffset);
    putU32(&b[12], h.blockAlign);
    putU32(&b[16], h.dataSize);
    putU32(&b[20], h.decodedSize);
    putU32(&b[24], h.sampleRate);
    b[28] = h.bitsPerSample;
    b[29] = h.channels;
    b[30] = h.compression;
    b[31] = h.reserved;
    putU32(&b[32], h.captionOffset);
    return b;
}

std::string encodeCaptionBlock(const std::string& captionText) {
    std::string text;
    std::uint32_t lines = 1;
    for (char c : captionText) {
        if (c == '\n') {
            text.append("\0\x0E\0\0\0", 5);
            ++lines;
        } else if (c != '\r' && c != '\0') {
            text += c;
        }
    }
    std::uint8_t word[4];
    std::string block;
    // Block length counts from the line count to the end: dataOffset - 40.
    putU32(word, static_cast<std::uint32_t>(text.size() + 13));
    block.append(reinterpret_cast<char*>(word), 4);
    putU32(word, lines);
    block.append(reinterpret_cast<char*>(word), 4);
    putU32(word, 10);
    block.append(reinterpret_cast<char*>(word), 4);
    block += text;
    block.append(5, '\0');
    return block;
}

std::string decodeCaptionText(const std::uint8_t* block, std::size_t available) {
    CaptionSectionsRead read = readCaptionSections(block, available);
    if (read.ok()) return captionShownText(read.sections);
    return decodeCaptionBytes(block, available);
}

std::string decodeCaptionBytes(const std::uint8_t* block, std::size_t available) {
    if (available < 4) return {};
    std::uint32_t length = getU32(block);
    if (length < 8) return {};
    std::size_t textBytes = length - 8;
    // The text follows the length and the line count.
    if (available < 8) return {};
    if (textBytes > available - 8) textBytes = available - 8;
    std::string text;
    for (std::size_t i = 0; i < textBytes; ++i) {
        std::uint8_t c = block[8 + i];
        if (c >= 32) text += static_cast<char>(c);
        else if (c >= 1 && c <= 30) text += ' ';
    }
    return text;
}

}  // namespace sonkrate::audio
