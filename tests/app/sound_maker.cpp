#include "app/sound_maker.h"

#include <cmath>
#include <cstdint>

#include "archive/format/tpa_format.h"
#include "audio/cau/cau_header.h"
#include "audio/codec/ima_adpcm_encoder.h"
#include "ids/sound_id.h"

namespace shelltest {

using testkit::Bytes;
namespace archive = sonkrate::archive;
namespace audio = sonkrate::audio;

namespace {

std::vector<std::int16_t> toneSamples(const TestSound& s) {
    auto frames = static_cast<std::size_t>(s.seconds * s.rate);
    std::vector<std::int16_t> samples;
    samples.reserve(frames * s.channels);
    for (std::size_t i = 0; i < frames; ++i) {
        double v = std::sin(2.0 * 3.14159265358979 * s.frequency * static_cast<double>(i) / s.rate);
        for (unsigned c = 0; c < s.channels; ++c)
            samples.push_back(static_cast<std::int16_t>(v * (c == 0 ? 8000 : 4000)));
    }
    return samples;
}

audio::CauHeader headerFor(const TestSound& s, std::uint32_t dataSize, std::uint32_t captionBytes) {
    audio::CauHeader h;
    h.dataOffset = static_cast<std::uint32_t>(audio::kCauHeaderSize + captionBytes);
    h.dataSize = dataSize;
    h.sampleRate = s.rate;
    h.channels = static_cast<std::uint8_t>(s.channels);
    h.bitsPerSample = 16;
    if (s.adpcm) {
        h.blockAlign = s.channels == 2 ? 2056 : 1028;
        // The byte length of the decoded 16-bit PCM, as the game sizes its play buffer.
        h.decodedSize = static_cast<std::uint32_t>(s.seconds * s.rate) * 2u * static_cast<std::uint32_t>(s.channels);
        h.compression = 1;
    } else {
        h.decodedSize = dataSize;
    }
    h.captionOffset = s.caption.empty() ? 0 : audio::kCaptionAtHeaderEnd;
    return h;
}

struct Layout {
    std::size_t recordSize;
    std::uint32_t tag;
    std::size_t gap;  // bytes between the table and the first image
};

void writeAnyArchive(const std::string& path, const std::vector<TestSound>& sounds, Layout layout) {
    std::size_t count = sounds.size() + (layout.gap ? 1 : 0);
    std::size_t tableEnd = 24 + layout.recordSize * count;
    std::vector<Bytes> images;
    for (const auto& s : sounds) images.push_back(soundImage(s));
    std::size_t total = tableEnd + layout.gap;
    for (const auto& i : images) total += i.size();

    Bytes out(total, 0);
    archive::TpaHeader header;
    header.layoutTag = layout.tag;
    header.soundCount = static_cast<std::uint32_t>(count);
    header.soundDataEnd = static_cast<std::uint32_t>(total);
    header.entryCount = static_cast<std::uint32_t>(count);
    auto h = archive::serializeTpaHeader(header);
    std::copy(h.begin(), h.end(), out.begin());

    std::size_t at = tableEnd;
    std::size_t record = 24;
    auto putRecord = [&](std::uint32_t id, std::size_t offset, std::size_t length, const Bytes* image) {
        archive::TpaEntry e;
        e.soundId = id;
        e.imageOffset = static_cast<std::uint32_t>(offset);
        e.imageLength = static_cast<std::uint32_t>(length);
        if (image) std::copy(image->begin(), image->begin() + 36, e.cauHeader.begin());
        auto bytes = archive::serializeTpaEntry(e);
        std::copy(bytes.begin(), bytes.begin() + static_cast<long>(layout.recordSize), out.begin() + static_cast<long>(record));
        record += layout.recordSize;
    };
    if (layout.gap) {
        putRecord(0x12345678, at, layout.gap, nullptr);
        at += layout.gap;
    }
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        putRecord(sonkrate::ids::computeSoundId(sounds[i].name), at, images[i].size(), &images[i]);
        std::copy(images[i].begin(), images[i].end(), out.begin() + static_cast<long>(at));
        at += images[i].size();
    }
    testkit::writeFile(path, out);
}

}  // namespace

Bytes soundData(const TestSound& s) {
    std::vector<std::int16_t> samples = toneSamples(s);
    if (s.adpcm) return audio::encodeImaBlocks(samples, s.channels, s.channels == 2 ? 2056 : 1028);
    Bytes data(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) testkit::put16(data, i * 2, static_cast<std::uint16_t>(samples[i]));
    return data;
}

Bytes soundImage(const TestSound& s) {
    Bytes data = soundData(s);
    bool captioned = !s.caption.empty() || s.emptyCaption;
    std::string caption = captioned ? audio::encodeCaptionBlock(s.caption) : std::string();
    audio::CauHeader h = headerFor(s, static_cast<std::uint32_t>(data.size()), static_cast<std::uint32_t>(caption.size()));
    if (captioned) h.captionOffset = audio::kCaptionAtHeaderEnd;
    auto header = audio::serializeCauHeader(h);
    Bytes image(header.size() + caption.size() + data.size());
    std::copy(header.begin(), header.end(), image.begin());
    std::copy(caption.begin(), caption.end(), image.begin() + static_cast<long>(header.size()));
    std::copy(data.begin(), data.end(), image.begin() + static_cast<long>(header.size() + caption.size()));
    return image;
}

void writeCau(const std::string& path, const TestSound& sound) { testkit::writeFile(path, soundImage(sound)); }

void writeArchive(const std::string& path, const std::vector<TestSound>& sounds) {
    writeAnyArchive(path, sounds, {archive::kRetailRecordSize, archive::kRetailLayoutTag, 0});
}

void writeDemoStream(const std::string& path, const std::vector<TestSound>& sounds) {
    writeAnyArchive(path, sounds, {archive::kRetailRecordSize, archive::kRetailLayoutTag, 80});
}

void writeBeta24(const std::string& path, const std::vector<TestSound>& sounds) {
    writeAnyArchive(path, sounds, {archive::kBeta24RecordSize, archive::kBeta24LayoutTag, 0});
}

Bytes wavData(const Bytes& wav) {
    std::size_t at = 12;
    while (at + 8 <= wav.size()) {
        std::uint32_t length = testkit::u32(wav, at + 4);
        if (testkit::text(wav, at, 4) == "data") {
            std::size_t end = std::min(wav.size(), at + 8 + length);
            return Bytes(wav.begin() + static_cast<long>(at + 8), wav.begin() + static_cast<long>(end));
        }
        at += 8 + length + (length & 1);
    }
    return {};
}

}  // namespace shelltest
