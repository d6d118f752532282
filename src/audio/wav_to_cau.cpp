#include "audio/wav_to_cau.h"

#include <algorithm>
#include <cstdio>

#include "io/file.h"
#include "io/replacement.h"

namespace sonkrate::audio {

namespace {

// Samples per channel that dataLength bytes of IMA ADPCM blocks decode to:
// per block the header's sample plus two per code byte of the channel.
std::uint32_t imaFrames(std::uint64_t dataLength, std::uint32_t blockAlign, std::uint32_t channels) {
    if (channels == 0 || blockAlign <= 4 * channels) return 0;
    auto framesIn = [&](std::uint64_t bytes) -> std::uint64_t {
        if (bytes < 4u * channels) return 0;
        return 1 + (bytes - 4u * channels) * 2 / channels;
    };
    std::uint64_t frames = (dataLength / blockAlign) * framesIn(blockAlign) + framesIn(dataLength % blockAlign);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(frames, UINT32_MAX));
}

CauHeader headerFor(const WavLayout& w, WavKind kind) {
    CauHeader h;
    h.blockAlign = kind == WavKind::Adpcm ? w.blockAlign : 0;
    h.dataSize = w.dataLength;
    h.sampleRate = w.sampleRate;
    h.channels = static_cast<std::uint8_t>(w.channels);
    if (kind == WavKind::Pcm) {
        h.decodedSize = w.dataLength;
        h.bitsPerSample = static_cast<std::uint8_t>(w.bitsPerSample);
        h.compression = 0;
    } else {
        // decodedSize is the fact value: samples per channel. Without a fact
        // chunk, or when the data was cut short, it is what the data holds.
        std::uint32_t held = imaFrames(w.dataLength, w.blockAlign, h.channels);
        h.decodedSize = !w.hasFact ? held : (w.dataClamped ? std::min(w.factValue, held) : w.factValue);
        h.bitsPerSample = 16;
        h.compression = 1;
    }
    return h;
}

WavToCauResult refuse(WavToCauResult r, WavKind kind, std::string reason) {
    r.status = WavToCauStatus::Refused;
    r.kind = kind;
    r.outcome = io::failure(std::move(reason));
    return r;
}

}  // namespace

WavKind classifyWav(std::uint32_t fmtChunkLength, std::uint16_t blockAlign) {
    if (fmtChunkLength == 16) return WavKind::Pcm;
    if (fmtChunkLength == 20)
        return blockAlign == kCauMonoBlockAlign || blockAlign == kCauStereoBlockAlign ? WavKind::Adpcm
                                                                                     : WavKind::BadBlockAlign;
    return WavKind::Unsupported;
}

WavToCauResult wavToCau(const std::string& source, const std::string& target, const std::string& captionText) {
    WavToCauResult r;
    io::File in;
    if (!(r.outcome = in.open(source, io::FileMode::Read))) return r;

    WavLayout w;
    if (io::Outcome read = readWavLayout(in, w); !read) {
        if (std::ferror(in.handle())) {
            r.outcome = read;
            return r;
        }
        return refuse(r, WavKind::Unsupported, read.reason);
    }
    WavKind kind = classifyWav(w);
    if (kind == WavKind::BadBlockAlign)
        return refuse(r, kind,
                      source + " has a block alignment of " + std::to_string(w.blockAlign) +
                          " bytes; only IMA ADPCM with 1028 (mono) or 2056 (stereo) can become a .cau.");
    if (kind == WavKind::Unsupported)
        return refuse(r, kind,
                      source + " has a format chunk of " + std::to_string(w.fmtChunkLength) +
                          " bytes; only PCM (16 bytes) or IMA ADPCM (20 bytes) can become a .cau.");
    r.kind = kind;
    r.dataClamped = w.dataClamped;
    r.declaredDataLength = w.declaredDataLength;

    r.header = headerFor(w, kind);
    std::string caption;
    if (!captionText.empty()) {
        caption = encodeCaptionBlock(captionText);
        r.header.captionOffset = kCaptionAtHeaderEnd;
        r.header.dataOffset = static_cast<std::uint32_t>(kCauHeaderSize + caption.size());
    }
    if (std::uint64_t{r.header.dataOffset} + r.header.dataSize > UINT32_MAX) {
        r.outcome = io::failure(source + " holds more sound data than a .cau file can.");
        return r;
    }

    io::ReplacementFile out;
    if (!(r.outcome = out.begin(target))) return r;
    auto header = serializeCauHeader(r.header);
    if (!(r.outcome = out.file().write(header.data(), header.size()))) return r;
    if (!(r.outcome = out.file().write(caption.data(), caption.size()))) return r;
    if (!(r.outcome = io::copyRange(in, w.dataOffset, w.dataLength, out.file()))) return r;
    if (!(r.outcome = out.commit())) return r;
    r.status = WavToCauStatus::Written;
    return r;
}

int wavToCauResultCode(const WavToCauResult& result) {
    if (!result.written()) return 3;
    return result.kind == WavKind::Pcm ? 0 : 1;
}

std::string addWavRefusalText(WavKind kind) {
    switch (kind) {
    case WavKind::BadBlockAlign: return kBadBlockAlignText;
    case WavKind::Unsupported: return kUnsupportedWavText;
    default: return {};
    }
}

}  // namespace sonkrate::audio
