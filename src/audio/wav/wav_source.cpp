#include "audio/wav/wav_source.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/codec/a_law.h"
#include "audio/codec/ima_wav_block.h"
#include "audio/codec/ms_adpcm.h"
#include "audio/codec/mu_law.h"
#include "audio/wav/wav_reader.h"
#include "io/byte_order.h"

namespace sonkrate::audio {

namespace {

constexpr std::size_t kReadBuffer = 64 * 1024;

std::string why(const std::string& path, const std::string& what) { return "The sound " + path + " " + what; }

// The walk's refusal in the player's words.
io::Outcome walkRefusal(const std::string& path, const WavWalkResult& walked) {
    switch (walked.walk) {
    case WavWalk::Ok: return io::success();
    case WavWalk::ReadFailed: return io::failure(walked.ioReason);
    case WavWalk::TooShort:
    case WavWalk::NotRiffWave: return io::failure(why(path, "is not a RIFF WAVE file."));
    case WavWalk::FormatTooShort:
    case WavWalk::FormatTruncated: return io::failure(why(path, "has a format chunk shorter than 16 bytes."));
    case WavWalk::NoFormat: return io::failure(why(path, "has no format chunk."));
    case WavWalk::NoData: return io::failure(why(path, "has no sound data chunk."));
    }
    return io::failure(why(path, "cannot be read."));
}

}  // namespace

io::Outcome WavSource::open(const std::string& path) {
    if (io::Outcome o = file_.open(path, io::FileMode::Read); !o) return o;
    WavLayout layout;
    if (io::Outcome o = walkRefusal(path, walkWavChunks(file_, layout)); !o) return o;

    std::uint16_t tag = layout.formatTag;
    int channels = layout.channels;
    std::uint32_t rate = layout.sampleRate;
    blockAlign_ = layout.blockAlign;
    if (tag == kWavFormatExtensible) {
        // The sub-format's first two bytes are the plain format tag.
        if (!layout.hasSubFormatTag)
            return io::failure(why(path, "has an extensible format chunk that is too short."));
        tag = layout.subFormatTag;
    }
    if (channels < 1 || channels > 8) return io::failure(why(path, "has " + std::to_string(channels) + " channels."));
    if (rate < 1000 || rate > 768000) return io::failure(why(path, "has a sample rate of " + std::to_string(rate) + " Hz."));
    if (blockAlign_ == 0) return io::failure(why(path, "has a block alignment of 0."));

    format_ = {SampleType::S16, channels, rate};
    if (io::Outcome o = chooseCoding(path, tag, layout.bitsPerSample); !o) return o;

    remaining_ = layout.dataLength;
    if (io::Outcome o = file_.seek(layout.dataOffset); !o) return o;
    pending_.clear();
    pendingAt_ = 0;
    return io::success();
}

io::Outcome WavSource::chooseCoding(const std::string& path, std::uint16_t tag, unsigned bits) {
    const std::size_t channels = static_cast<std::size_t>(format_.channels);
    const std::size_t perChannel = blockAlign_ / channels;
    const bool wholeFrames = perChannel * channels == blockAlign_;
    switch (tag) {
    case kWavFormatPcm:
        coding_ = WavCoding::Pcm;
        // The container size decides; bits per sample may say less (12 in 16).
        if (!wholeFrames || perChannel < 1 || perChannel > 4)
            return io::failure(why(path, "has PCM samples of " + std::to_string(bits) + " bits that cannot be played."));
        containerBytes_ = perChannel;
        if (perChannel > 2) format_.type = SampleType::S32;
        return io::success();
    case kWavFormatFloat:
        coding_ = WavCoding::Float;
        if (!wholeFrames || (perChannel != 4 && perChannel != 8))
            return io::failure(why(path, "has floating-point samples of an unknown size."));
        containerBytes_ = perChannel;
        format_.type = SampleType::F32;
        return io::success();
    case kWavFormatALaw:
    case kWavFormatMuLaw:
        coding_ = tag == kWavFormatALaw ? WavCoding::ALaw : WavCoding::MuLaw;
        if (blockAlign_ != channels) return io::failure(why(path, "has G.711 samples that are not one byte each."));
        containerBytes_ = 1;
        return io::success();
    case kWavFormatImaAdpcm:
        coding_ = WavCoding::ImaAdpcm;
        if (!isImaWavBlockAlign(blockAlign_, channels))
            return io::failure(why(path, "has IMA ADPCM blocks of " + std::to_string(blockAlign_) + " bytes that cannot be cut."));
        return io::success();
    case kWavFormatMsAdpcm:
        coding_ = WavCoding::MsAdpcm;
        if (blockAlign_ < kMsAdpcmHeaderBytes * channels)
            return io::failure(why(path, "has Microsoft ADPCM blocks shorter than their header."));
        return io::success();
    default: {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%04X", tag);
        return io::failure(why(path, std::string("uses a sound format that cannot be played (format tag ") + hex + ")."));
    }
    }
}

void WavSource::putS16(std::int16_t v) {
    std::uint8_t b[2];
    std::memcpy(b, &v, 2);
    pending_.insert(pending_.end(), b, b + 2);
}

void WavSource::putS32(std::int32_t v) {
    std::uint8_t b[4];
    std::memcpy(b, &v, 4);
    pending_.insert(pending_.end(), b, b + 4);
}

void WavSource::putF32(float v) {
    std::uint8_t b[4];
    std::memcpy(b, &v, 4);
    pending_.insert(pending_.end(), b, b + 4);
}

void WavSource::convertSamples(const std::uint8_t* in, std::size_t frames) {
    std::size_t samples = frames * static_cast<std::size_t>(format_.channels);
    for (std::size_t i = 0; i < samples; ++i, in += containerBytes_) {
        switch (coding_) {
        case WavCoding::ALaw: putS16(aLawToLinear(*in)); break;
        case WavCoding::MuLaw: putS16(muLawToLinear(*in)); break;
        case WavCoding::Float:
            if (containerBytes_ == 4) {
                float f;
                std::uint32_t u = io::getU32(in);
                std::memcpy(&f, &u, 4);
                putF32(f);
            } else {
                std::uint64_t u = io::getU32(in) | (static_cast<std::uint64_t>(io::getU32(in + 4)) << 32);
                double d;
                std::memcpy(&d, &u, 8);
                putF32(static_cast<float>(d));
            }
            break;
        default:
            switch (containerBytes_) {
            case 1: putS16(static_cast<std::int16_t>((in[0] - 128) * 256)); break;
            case 2: putS16(io::getI16(in)); break;
            case 3: putS32(static_cast<std::int32_t>((static_cast<std::uint32_t>(in[0]) << 8) |
                                                     (static_cast<std::uint32_t>(in[1]) << 16) |
                                                     (static_cast<std::uint32_t>(in[2]) << 24)));
                break;
            default: putS32(static_cast<std::int32_t>(io::getU32(in))); break;
            }
        }
    }
}

// The ADPCM blocks among the got bytes of raw_, the last one possibly short.
void WavSource::decodeBlocks(std::size_t got) {
    const std::size_t channels = static_cast<std::size_t>(format_.channels);
    decoded_.clear();
    for (std::size_t at = 0; at < got; at += blockAlign_) {
        std::size_t n = std::min(blockAlign_, got - at);
        if (coding_ == WavCoding::ImaAdpcm)
            decodeImaWavBlock(raw_.data() + at, n, channels, decoded_);
        else
            decodeMsAdpcmBlock(raw_.data() + at, n, channels, decoded_);
    }
    // Native byte order, appended in one piece.
    std::size_t at = pending_.size();
    pending_.resize(at + decoded_.size() * 2);
    if (!decoded_.empty()) std::memcpy(pending_.data() + at, decoded_.data(), decoded_.size() * 2);
}

bool WavSource::refill() {
    pending_.clear();
    pendingAt_ = 0;
    const bool blocks = coding_ == WavCoding::ImaAdpcm || coding_ == WavCoding::MsAdpcm;
    const std::size_t unit = blocks ? blockAlign_ : containerBytes_ * static_cast<std::size_t>(format_.channels);
    while (pending_.empty() && remaining_ > 0) {
        // Whole blocks or frames only, at least one.
        std::size_t want = std::max(unit, (kReadBuffer / unit) * unit);
        want = static_cast<std::size_t>(std::min<std::uint64_t>(want, remaining_));
        raw_.resize(want);
        std::size_t got = file_.readSome(raw_.data(), want);
        if (got == 0) {
            remaining_ = 0;  // the file is shorter than its header says
            break;
        }
        remaining_ -= got;
        if (blocks)
            decodeBlocks(got);
        else
            convertSamples(raw_.data(), got / unit);
        if (got < want) remaining_ = 0;
    }
    return !pending_.empty();
}

std::size_t WavSource::read(std::uint8_t* out, std::size_t n) {
    std::size_t written = 0;
    while (written < n) {
        if (pendingAt_ >= pending_.size() && !refill()) break;
        std::size_t take = std::min(n - written, pending_.size() - pendingAt_);
        std::memcpy(out + written, pending_.data() + pendingAt_, take);
        pendingAt_ += take;
        written += take;
    }
    return written;
}

}  // namespace sonkrate::audio
