// Archives and sound images put together byte by byte for the archive tests,
// independently of the code that writes them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "testkit/testkit.h"

namespace archive_test {

using testkit::Bytes;

struct Image {
    std::uint32_t soundId = 0;
    Bytes bytes;
};

// A 36-byte-header PCM image with dataSize bytes of a ramp; with a caption
// the block "ab" CR LF "c" follows the header.
inline Bytes pcmImage(std::uint32_t rate, std::uint8_t channels, std::uint32_t dataSize, bool caption = false) {
    Bytes captionBlock;
    if (caption) {
        // length 21, 2 lines, 10, "ab", 00 0E 00 00 00, "c", five zeros
        captionBlock = {21, 0, 0, 0, 2, 0, 0, 0, 10, 0, 0, 0, 'a', 'b', 0, 0x0E, 0, 0, 0, 'c', 0, 0, 0, 0, 0};
    }
    Bytes b(36 + captionBlock.size() + dataSize);
    b[0] = 'W', b[1] = 'B', b[2] = 'O', b[3] = 'R';
    testkit::put32(b, 4, 110);
    testkit::put32(b, 8, static_cast<std::uint32_t>(36 + captionBlock.size()));
    testkit::put32(b, 12, 0);
    testkit::put32(b, 16, dataSize);
    testkit::put32(b, 20, dataSize);
    testkit::put32(b, 24, rate);
    b[28] = 16, b[29] = channels, b[30] = 0, b[31] = 0;
    testkit::put32(b, 32, caption ? 36 : 0);
    std::copy(captionBlock.begin(), captionBlock.end(), b.begin() + 36);
    for (std::uint32_t i = 0; i < dataSize; ++i) b[36 + captionBlock.size() + i] = static_cast<std::uint8_t>(i * 3 + 1);
    return b;
}

// The older 32-byte PCM header: total length at 12, dataSize 16, rate 20,
// then 16 bits, mono, PCM (0x110 at offset 24), caption offset 0.
inline Bytes olderImage(std::uint32_t rate, std::uint32_t dataSize) {
    Bytes b(32 + dataSize);
    b[0] = 'X', b[1] = 'Y', b[2] = 'Z', b[3] = 'W';
    testkit::put32(b, 4, 7);
    testkit::put32(b, 8, 0);
    testkit::put32(b, 12, 32 + dataSize);
    testkit::put32(b, 16, dataSize);
    testkit::put32(b, 20, rate);
    b[24] = 16, b[25] = 1, b[26] = 0, b[27] = 0;
    testkit::put32(b, 28, 0);
    for (std::uint32_t i = 0; i < dataSize; ++i) b[32 + i] = static_cast<std::uint8_t>(0x80 + i);
    return b;
}

// layoutTag, soundCount, tableOffset 24, trailerFlag 0, soundDataEnd, entryCount.
inline void putHeader(Bytes& b, std::uint32_t tag, std::uint32_t count, std::uint32_t end) {
    testkit::put32(b, 0, tag);
    testkit::put32(b, 4, count);
    testkit::put32(b, 8, 24);
    testkit::put32(b, 12, 0);
    testkit::put32(b, 16, end);
    testkit::put32(b, 20, count);
}

// A retail archive (56-byte records with the header copy), images back to
// back after the table.
inline Bytes retailArchive(const std::vector<Image>& images) {
    std::size_t tableEnd = 24 + 56 * images.size();
    Bytes b(tableEnd);
    std::uint32_t offset = static_cast<std::uint32_t>(tableEnd);
    for (std::size_t i = 0; i < images.size(); ++i) {
        std::size_t r = 24 + 56 * i;
        testkit::put32(b, r, images[i].soundId);
        testkit::put32(b, r + 4, offset);
        testkit::put32(b, r + 8, static_cast<std::uint32_t>(images[i].bytes.size()));
        std::copy(images[i].bytes.begin(), images[i].bytes.begin() + 36, b.begin() + static_cast<long>(r + 20));
        offset += static_cast<std::uint32_t>(images[i].bytes.size());
        b.insert(b.end(), images[i].bytes.begin(), images[i].bytes.end());
    }
    putHeader(b, 0x150, static_cast<std::uint32_t>(images.size()), offset);
    return b;
}

// A beta archive: records of recordSize bytes (24 or 16), the lead fields
// followed by filler bytes 0xEE, images back to back after the table.
inline Bytes betaArchive(std::uint32_t tag, std::size_t recordSize, const std::vector<Image>& images) {
    std::size_t tableEnd = 24 + recordSize * images.size();
    Bytes b(tableEnd, 0xEE);
    std::uint32_t offset = static_cast<std::uint32_t>(tableEnd);
    for (std::size_t i = 0; i < images.size(); ++i) {
        std::size_t r = 24 + recordSize * i;
        testkit::put32(b, r, images[i].soundId);
        testkit::put32(b, r + 4, offset);
        testkit::put32(b, r + 8, static_cast<std::uint32_t>(images[i].bytes.size()));
        offset += static_cast<std::uint32_t>(images[i].bytes.size());
        b.insert(b.end(), images[i].bytes.begin(), images[i].bytes.end());
    }
    putHeader(b, tag, static_cast<std::uint32_t>(images.size()), offset);
    return b;
}

}  // namespace archive_test
