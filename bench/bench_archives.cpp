#include "bench_archives.h"

#include <algorithm>

#include "archive/format/tpa_format.h"
#include "audio/cau/cau_header.h"
#include "io/byte_order.h"
#include "io/file.h"

namespace sonkrate::bench {

std::vector<std::uint8_t> cauImage(std::uint32_t dataSize) {
    std::vector<std::uint8_t> b(audio::kCauHeaderSize + dataSize, 0x40);
    std::copy_n("WBOR", 4, b.begin());
    io::putU32(&b[4], 110);
    io::putU32(&b[8], audio::kCauHeaderSize);
    io::putU32(&b[12], 0);
    io::putU32(&b[16], dataSize);
    io::putU32(&b[20], dataSize);
    io::putU32(&b[24], 22050);
    b[28] = 16, b[29] = 1, b[30] = 0, b[31] = 0;
    io::putU32(&b[32], 0);
    return b;
}

bool writeRepeatedArchive(const std::string& path, std::uint32_t count, std::uint32_t imageSize) {
    const std::vector<std::uint8_t> image = cauImage(imageSize - audio::kCauHeaderSize);
    const std::uint32_t tableEnd = 24 + 56 * count;
    std::vector<std::uint8_t> head(tableEnd, 0);
    io::putU32(&head[0], archive::kRetailLayoutTag);
    io::putU32(&head[4], count);
    io::putU32(&head[8], 24);
    io::putU32(&head[16], tableEnd + count * imageSize);
    io::putU32(&head[20], count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t* r = &head[24 + 56 * i];
        io::putU32(r, 0x10000 + i);
        io::putU32(r + 4, tableEnd + i * imageSize);
        io::putU32(r + 8, imageSize);
        std::copy_n(image.begin(), audio::kCauHeaderSize, r + 20);
    }
    io::File out;
    if (!out.open(path, io::FileMode::Write) || !out.write(head.data(), head.size())) return false;
    for (std::uint32_t i = 0; i < count; ++i)
        if (!out.write(image.data(), image.size())) return false;
    return out.close().ok;
}

}  // namespace sonkrate::bench
