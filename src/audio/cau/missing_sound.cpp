#include "audio/cau/missing_sound.h"

#include <algorithm>

#include "audio/codec/ima_adpcm_encoder.h"
#include "io/file.h"
#include "io/file_system.h"
#include "io/replacement.h"

namespace sonkrate::audio {

namespace {

constexpr std::uint32_t kRate = 22050;
constexpr std::uint32_t kBlockAlign = 2056;
constexpr std::uint32_t kDataSize = 22120;
// Ten full blocks of 2049 frames and a last block of 1560 bytes (194 groups
// of 8 codes per channel and its header frame).
constexpr std::size_t kFrames = 10 * 2049 + 1553;

// One channel of a soft tone: an integer oscillator (x, y rotated by a small
// angle each sample) under a linear fade in and out, so the bytes are the
// same on every system. step is the angle in 1/65536 radians.
void tone(std::vector<std::int16_t>& out, std::size_t channel, std::int32_t step, std::int32_t amplitude) {
    std::int32_t x = amplitude, y = 0;
    const std::size_t fade = 1500;
    for (std::size_t i = 0; i < kFrames; ++i) {
        x -= (step * y) >> 16;
        y += (step * x) >> 16;
        std::size_t edge = i < kFrames - 1 - i ? i : kFrames - 1 - i;
        std::int32_t gain = edge < fade ? static_cast<std::int32_t>(edge) : static_cast<std::int32_t>(fade);
        out[2 * i + channel] = static_cast<std::int16_t>(x * gain / static_cast<std::int32_t>(fade));
    }
}

}  // namespace

CauHeader missingSoundHeader() {
    CauHeader h;
    h.dataOffset = kCauHeaderSize;
    h.blockAlign = kBlockAlign;
    h.dataSize = kDataSize;
    h.decodedSize = 88200;
    h.sampleRate = kRate;
    h.bitsPerSample = 16;
    h.channels = 2;
    h.compression = 1;
    h.captionOffset = 0;
    return h;
}

std::vector<std::uint8_t> missingSoundImage() {
    std::vector<std::int16_t> samples(2 * kFrames);
    // 440 Hz on the left, 554 Hz (a major third above) on the right.
    tone(samples, 0, 8217, 9000);
    tone(samples, 1, 10346, 7000);
    std::vector<std::uint8_t> data = encodeImaBlocks(samples, 2, kBlockAlign);
    // The encoder yields exactly kDataSize bytes for kFrames; the image keeps to the header's word.
    auto header = serializeCauHeader(missingSoundHeader());
    std::vector<std::uint8_t> image(kMissingSoundSize, 0);
    std::copy(header.begin(), header.end(), image.begin());
    std::copy_n(data.begin(), std::min<std::size_t>(data.size(), kDataSize), image.begin() + kCauHeaderSize);
    return image;
}

io::Outcome writeMissingCauIfAbsent(const std::string& path, bool& written) {
    written = false;
    {
        io::File existing;
        if (existing.open(path, io::FileMode::Read)) return io::success();
    }
    if (io::pathExists(path))
        return io::failure(path + " exists but cannot be read; it is left as it is.");
    std::vector<std::uint8_t> image = missingSoundImage();
    io::ReplacementFile out;
    if (io::Outcome begun = out.begin(path); !begun) return begun;
    if (io::Outcome put = out.file().write(image.data(), image.size()); !put) return put;
    if (io::Outcome done = out.commit(); !done) return done;
    written = true;
    return io::success();
}

}  // namespace sonkrate::audio
