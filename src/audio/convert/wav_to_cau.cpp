#include "audio/convert/wav_to_cau.h"

#include <algorithm>
#include <cstdio>

#include "audio/cau/caption_sections.h"
#include "audio/codec/ima_frames.h"
#include "io/file.h"
#include "io/paths.h"
#include "io/replacement.h"

namespace sonkrate::audio {

namespace {

// Samples per channel of the sound: the fact value when the data holds it
// (it lies within the last block), else what the blocks decode to.
std::uint64_t imaSoundFrames(const WavLayout& w) {
    const std::uint64_t held = imaDataFrames(w.dataLength, w.blockAlign, w.channels);
    const std::uint64_t before = imaFramesBeforeLastBlock(w.dataLength, w.blockAlign, w.channels);
    if (w.hasFact && w.factValue <= held && (w.factValue > before || held == 0)) return w.factValue;
    return held;
}

CauHeader headerFor(const WavLayout& w, WavKind kind) {
    CauHeader h;
    h.blockAlign = kind == WavKind::Adpcm ? w.blockAlign : 0;
    h.dataSize = w.dataLength;
    h.sampleRate = w.sampleRate;
    h.channels = static_cast<std::uint8_t>(w.channels);
    if (kind == WavKind::Pcm) {
        // The game plays PCM in its own width: decodedSize bytes of 8- or 16-bit samples.
        h.decodedSize = w.dataLength;
        h.bitsPerSample = static_cast<std::uint8_t>(w.bitsPerSample);
        h.compression = 0;
    } else {
        // The game plays decodedSize bytes of decoded 16-bit PCM.
        h.decodedSize = decodedPcmBytes(imaSoundFrames(w), h.channels);
        h.bitsPerSample = 16;
        h.compression = 1;
    }
    return h;
}

// The kind of sound a format tag stands for, in words.
std::string formatName(const WavLayout& w) {
    const std::string bits = std::to_string(w.bitsPerSample) + "-bit ";
    switch (w.formatTag) {
    case 1: return bits + "PCM";
    case 2: return "Microsoft ADPCM";
    case 3: return bits + "floating-point samples";
    case 6: return "A-law";
    case 7: return "u-law";
    case 0x11: return "IMA ADPCM";
    case 0xFFFE: return bits + "sound in the extensible format";
    default: return "sound of format " + std::to_string(w.formatTag);
    }
}

// What a .wav holds that the game cannot play, in words; empty when it can
// play it. The game plays 8- or 16-bit PCM and IMA ADPCM, mono or stereo.
std::string unplayable(const WavLayout& w, WavKind kind) {
    const std::string tag = formatName(w);
    switch (kind) {
    case WavKind::Pcm:
        if (w.formatTag != kWavFormatPcm) return tag;
        if (w.bitsPerSample != 8 && w.bitsPerSample != 16) return std::to_string(w.bitsPerSample) + "-bit PCM";
        break;
    case WavKind::Adpcm:
        if (w.formatTag != kWavFormatImaAdpcm) return tag + " with the format chunk of IMA ADPCM";
        break;
    case WavKind::BadBlockAlign:
        return "IMA ADPCM in blocks of " + std::to_string(w.blockAlign) +
               " bytes (the game takes 1028 bytes mono, 2056 stereo)";
    case WavKind::Unsupported:
        return tag + " (a format chunk of " + std::to_string(w.fmtChunkLength) + " bytes)";
    }
    if (w.channels != 1 && w.channels != 2) return "sound of " + std::to_string(w.channels) + " channels";
    return {};
}

std::string refusalSentence(const std::string& source, const std::string& held, const WavLayout& w) {
    const std::string converted = io::siblingPath(source, io::stripFromLastDot(io::fileNameOf(source)) + "-16bit.wav");
    return source + " holds " + held +
           "; the game plays only 8- or 16-bit PCM or IMA ADPCM, mono or stereo. Convert it first, "
           "for example with: sox \"" + source + "\" -b 16 " + (w.channels > 2 ? "-c 2 " : "") + "\"" +
           converted + "\"";
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

WavToCauResult planWavToCau(const std::string& source, const WavLayout& w, const std::string& caption) {
    WavToCauResult r;
    const WavKind kind = classifyWav(w);
    if (std::string held = unplayable(w, kind); !held.empty()) {
        const WavKind refusedAs = kind == WavKind::BadBlockAlign ? kind : WavKind::Unsupported;
        return refuse(r, refusedAs, refusalSentence(source, held, w));
    }
    r.kind = kind;
    r.dataClamped = w.dataClamped;
    r.declaredDataLength = w.declaredDataLength;

    r.header = headerFor(w, kind);
    if (!caption.empty()) {
        r.header.captionOffset = kCaptionAtHeaderEnd;
        r.header.dataOffset = static_cast<std::uint32_t>(kCauHeaderSize + caption.size());
    }
    if (std::uint64_t{r.header.dataOffset} + r.header.dataSize > UINT32_MAX) {
        r.outcome = io::failure(source + " holds more sound data than a .cau file can.");
        return r;
    }
    r.outcome = io::success();
    return r;
}

WavToCauResult wavToCau(const std::string& source, const std::string& target, const std::string& captionText) {
    return wavToCauWithCaptionBlock(source, target, captionText.empty() ? std::string() : encodeCaptionBlock(captionText));
}

WavToCauResult wavToCauWithCaptionBlock(const std::string& source, const std::string& target,
                                        const std::string& caption) {
    WavToCauResult r;
    if (io::Outcome fits = checkCaptionBlock(caption, target); !fits) return refuse(r, WavKind::Unsupported, fits.reason);
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
    if (r = planWavToCau(source, w, caption); !r.outcome) return r;

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

WavToCauOutcome wavToCauOutcome(const WavToCauResult& result) {
    if (!result.written()) return WavToCauOutcome::NothingWritten;
    return result.kind == WavKind::Pcm ? WavToCauOutcome::PcmWritten : WavToCauOutcome::AdpcmWritten;
}

}  // namespace sonkrate::audio
