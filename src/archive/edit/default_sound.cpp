#include "archive/edit/default_sound.h"

#include <algorithm>
#include <cmath>

#include "archive/format/tpa_format.h"
#include "io/byte_order.h"
#include "archive/format/archive_writer.h"

namespace sonkrate::archive {

namespace {

// One period of the tone. The half-sample phase puts samples 5 and 16 on the
// crests, so the peak is exactly +-kDefaultSoundPeak; every other value lies
// far enough from a rounding boundary to come out the same with any libm.
struct SinePeriod {
    std::int16_t value[kDefaultSoundPeriod];
    SinePeriod() {
        const double pi = 3.14159265358979323846;
        for (int n = 0; n < kDefaultSoundPeriod; ++n) {
            double phase = 2.0 * pi * (n + 0.5) / kDefaultSoundPeriod;
            value[n] = static_cast<std::int16_t>(std::lround(kDefaultSoundPeak * std::sin(phase)));
        }
    }
};

}  // namespace

audio::CauHeader defaultSoundHeader() {
    audio::CauHeader h;
    h.formatTag = audio::kCauFormatTag;
    h.dataOffset = 36;
    h.blockAlign = 0;
    h.dataSize = kDefaultSoundDataSize;
    h.decodedSize = kDefaultSoundDataSize;
    h.sampleRate = kDefaultSoundRate;
    h.bitsPerSample = 16;
    h.channels = 2;
    h.compression = 0;
    h.reserved = 0;
    h.captionOffset = 0;
    return h;
}

std::int16_t defaultSoundSample(std::uint32_t frame) {
    static const SinePeriod period;
    return period.value[frame % kDefaultSoundPeriod];
}

std::vector<std::uint8_t> defaultSoundImage() {
    std::vector<std::uint8_t> image(kDefaultSoundImageSize);
    auto header = audio::serializeCauHeader(defaultSoundHeader());
    std::copy(header.begin(), header.end(), image.begin());
    std::uint8_t* p = image.data() + audio::kCauHeaderSize;
    for (std::uint32_t frame = 0; frame < kDefaultSoundFrames; ++frame, p += 4) {
        std::int16_t s = defaultSoundSample(frame);
        io::putI16(p, s);      // left
        io::putI16(p + 2, s);  // right
    }
    return image;
}

std::vector<std::uint8_t> newArchiveImage() {
    std::vector<std::uint8_t> image = defaultSoundImage();
    TpaHeader header;
    header.layoutTag = kRetailLayoutTag;
    header.soundCount = 1;
    header.tableOffset = kTableOffset;
    header.trailerFlag = 0;
    header.soundDataEnd = kNewArchiveSize;
    header.entryCount = 1;
    TpaEntry entry;
    entry.soundId = kDefaultSoundId;
    entry.imageOffset = kNewArchiveTableEnd;
    entry.imageLength = kDefaultSoundImageSize;
    std::copy(image.begin(), image.begin() + 36, entry.cauHeader.begin());

    auto headerBytes = serializeTpaHeader(header);
    auto recordBytes = serializeTpaEntry(entry);
    image.insert(image.begin(), recordBytes.begin(), recordBytes.end());
    image.insert(image.begin(), headerBytes.begin(), headerBytes.end());
    return image;
}

io::Outcome writeNewArchive(const std::string& path) {
    const std::vector<std::uint8_t> image = defaultSoundImage();
    ArchivePlan plan;
    plan.header.soundCount = 1;
    plan.header.soundDataEnd = kNewArchiveSize;
    plan.header.entryCount = 1;
    TpaEntry entry;
    entry.soundId = kDefaultSoundId;
    entry.imageOffset = kNewArchiveTableEnd;
    entry.imageLength = kDefaultSoundImageSize;
    std::copy(image.begin(), image.begin() + audio::kCauHeaderSize, entry.cauHeader.begin());
    plan.records.push_back(entry);
    plan.pieces.push_back(ImagePiece::memory(image));
    return writeArchive(path, plan);
}

}  // namespace sonkrate::archive
