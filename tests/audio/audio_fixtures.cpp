#include "audio_fixtures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/codec/ima_adpcm_encoder.h"

namespace audiotest {

std::vector<std::int16_t> tone(std::size_t frames, unsigned channels, double amplitude) {
    std::vector<std::int16_t> out(frames * channels);
    for (std::size_t i = 0; i < frames; ++i) {
        for (unsigned c = 0; c < channels; ++c) {
            double period = c == 0 ? 50.0 : 37.0;
            out[i * channels + c] =
                static_cast<std::int16_t>(std::lround(amplitude * std::sin(2.0 * std::numbers::pi * static_cast<double>(i) / period)));
        }
    }
    return out;
}

Bytes cauImage(audio::CauHeader header, const Bytes& data, const std::string& caption) {
    std::string block;
    if (!caption.empty()) {
        block = audio::encodeCaptionBlock(caption);
        header.captionOffset = audio::kCaptionAtHeaderEnd;
        header.dataOffset = static_cast<std::uint32_t>(audio::kCauHeaderSize + block.size());
    }
    auto head = audio::serializeCauHeader(header);
    Bytes image(head.size() + block.size() + data.size());
    auto at = std::copy(head.begin(), head.end(), image.begin());
    at = std::copy(block.begin(), block.end(), at);
    std::copy(data.begin(), data.end(), at);
    return image;
}

Bytes imaCau(const std::vector<std::int16_t>& samples, unsigned channels, std::uint32_t blockAlign,
             std::uint32_t sampleRate) {
    Bytes data = audio::encodeImaBlocks(samples, channels, blockAlign);
    audio::CauHeader h;
    h.blockAlign = blockAlign;
    h.dataSize = static_cast<std::uint32_t>(data.size());
    h.decodedSize = static_cast<std::uint32_t>(samples.size() / channels);
    h.sampleRate = sampleRate;
    h.bitsPerSample = 16;
    h.channels = static_cast<std::uint8_t>(channels);
    h.compression = 1;
    return cauImage(h, data);
}

Bytes embed(const Bytes& image, std::size_t prefix, std::size_t suffix) {
    Bytes out(prefix, 0xA5);
    out.insert(out.end(), image.begin(), image.end());
    out.insert(out.end(), suffix, 0x5A);
    return out;
}

std::vector<std::int16_t> pcmSamples(const Bytes& wav) {
    std::vector<std::int16_t> out;
    for (std::size_t at = 44; at + 1 < wav.size(); at += 2)
        out.push_back(static_cast<std::int16_t>(testkit::u16(wav, at)));
    return out;
}

}  // namespace audiotest
