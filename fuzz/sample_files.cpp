#include "fuzz/sample_files.h"

#include "archive/folder/unpack_archive.h"
#include "audio/cau/cau_header.h"
#include "audio/wav/wav_headers.h"
#include "ids/sound_id.h"
#include "io/byte_order.h"

namespace sonkrate::fuzz {

namespace {

void append(Bytes& to, const std::uint8_t* from, std::size_t n) { to.insert(to.end(), from, from + n); }

Bytes tone(std::uint32_t samples) {
    Bytes data(samples * 2);
    for (std::uint32_t i = 0; i < samples; ++i)
        io::putI16(&data[i * 2], static_cast<std::int16_t>((i % 32) * 1000 - 16000));
    return data;
}

// Blocks of a quiet IMA ADPCM stream: per channel a header of predictor 0,
// step index 0, then codes alternating up and down.
Bytes adpcmBlocks(std::uint16_t channels, std::uint32_t blocks, std::uint32_t blockAlign) {
    Bytes data(static_cast<std::size_t>(blocks) * blockAlign, 0x19);
    for (std::uint32_t b = 0; b < blocks; ++b)
        for (std::uint16_t c = 0; c < channels; ++c)
            io::putU32(&data[b * blockAlign + c * 4u], 0);
    return data;
}

}  // namespace

Bytes smallPcmCau(std::uint32_t frames, const std::string& caption) {
    audio::CauHeader h;
    h.sampleRate = 22050;
    h.channels = 1;
    h.bitsPerSample = 16;
    h.dataSize = frames * 2;
    h.decodedSize = h.dataSize;
    std::string block = caption.empty() ? std::string() : audio::encodeCaptionBlock(caption);
    h.captionOffset = caption.empty() ? 0 : audio::kCaptionAtHeaderEnd;
    h.dataOffset = static_cast<std::uint32_t>(audio::kCauHeaderSize + block.size());
    auto header = audio::serializeCauHeader(h);
    Bytes image(header.begin(), header.end());
    append(image, reinterpret_cast<const std::uint8_t*>(block.data()), block.size());
    Bytes data = tone(frames);
    append(image, data.data(), data.size());
    return image;
}

Bytes smallAdpcmCau(std::uint16_t channels, std::uint32_t blocks) {
    const std::uint32_t blockAlign = channels == 2 ? 2056 : 1028;
    audio::CauHeader h;
    h.sampleRate = 22050;
    h.channels = static_cast<std::uint8_t>(channels);
    h.bitsPerSample = 16;
    h.compression = 1;
    h.blockAlign = blockAlign;
    h.dataSize = blocks * blockAlign;
    h.decodedSize = blocks * (1 + (blockAlign - 4u * channels) * 2 / channels);
    auto header = audio::serializeCauHeader(h);
    Bytes image(header.begin(), header.end());
    Bytes data = adpcmBlocks(channels, blocks, blockAlign);
    append(image, data.data(), data.size());
    return image;
}

Bytes smallArchive(archive::TpaLayout layout, const std::vector<Bytes>& images) {
    const std::size_t recordSize = archive::recordSizeOf(layout);
    const std::uint32_t count = static_cast<std::uint32_t>(images.size());
    std::uint32_t offset = static_cast<std::uint32_t>(archive::recordOffsetOf(layout, count));
    Bytes table, body;
    for (std::uint32_t i = 0; i < count; ++i) {
        archive::TpaEntry entry;
        entry.soundId = ids::computeSoundId("sound " + std::to_string(i));
        entry.imageOffset = offset;
        entry.imageLength = static_cast<std::uint32_t>(images[i].size());
        for (std::size_t b = 0; b < entry.cauHeader.size() && b < images[i].size(); ++b)
            entry.cauHeader[b] = images[i][b];
        auto record = archive::serializeTpaEntry(entry);
        append(table, record.data(), recordSize);
        append(body, images[i].data(), images[i].size());
        offset += entry.imageLength;
    }
    archive::TpaHeader header;
    header.layoutTag = layout == archive::TpaLayout::Retail   ? archive::kRetailLayoutTag
                       : layout == archive::TpaLayout::Beta24 ? archive::kBeta24LayoutTag
                                                              : archive::kBeta16LayoutTag;
    header.soundCount = count;
    header.entryCount = count;
    header.soundDataEnd = offset;
    auto headerBytes = archive::serializeTpaHeader(header);
    Bytes out(headerBytes.begin(), headerBytes.end());
    append(out, table.data(), table.size());
    append(out, body.data(), body.size());
    return out;
}

Bytes smallPcmWav(std::uint16_t channels, std::uint32_t frames) {
    Bytes data = tone(frames * channels);
    auto header = audio::pcmWavHeader(channels, 22050, 16, static_cast<std::uint32_t>(data.size()));
    Bytes out(header.begin(), header.end());
    append(out, data.data(), data.size());
    return out;
}

Bytes smallAdpcmWav(std::uint16_t channels, std::uint32_t blocks) {
    const std::uint32_t blockAlign = channels == 2 ? 2056 : 1028;
    Bytes data = adpcmBlocks(channels, blocks, blockAlign);
    std::uint32_t frames = blocks * (1 + (blockAlign - 4u * channels) * 2 / channels);
    auto header = audio::imaWavHeader(channels, 22050, blockAlign, frames, static_cast<std::uint32_t>(data.size()));
    Bytes out(header.begin(), header.end());
    append(out, data.data(), data.size());
    return out;
}

const std::vector<FolderFile>& unpackedSample() {
    static const std::vector<FolderFile> files = [] {
        Bytes tpa = smallArchive(archive::TpaLayout::Retail,
                                 {smallPcmCau(40), smallPcmCau(24, "a\nb"), smallAdpcmCau(1, 1), smallPcmCau(8)});
        io::putU32(&tpa[24 + 56 * 3 + 4], io::getU32(&tpa[24 + 56 + 4]));  // the last record shares an image
        io::putU32(&tpa[24 + 56 * 3 + 8], io::getU32(&tpa[24 + 56 + 8]));
        const std::string archivePath = writeScratch("sample.tpa", tpa), dir = scratchPath("sample");
        archive::UnpackOptions options;
        options.cauForm = true;
        std::vector<FolderFile> out;
        if (!archive::unpackArchive(archivePath, dir, options).outcome) fail("the sample archive does not unpack");
        for (const std::string& name : filesBelow(dir)) out.push_back({name, readWhole(dir + "/" + name)});
        clearScratch();
        return out;
    }();
    return files;
}

}  // namespace sonkrate::fuzz
