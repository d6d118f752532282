#include "platform/fltk/wav_source.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "audio/ima_adpcm.h"
#include "audio/wav_reader.h"
#include "io/byte_order.h"

namespace sonkrate::platform::desktop {

namespace {

constexpr std::size_t kReadBuffer = 64 * 1024;
constexpr std::uint16_t kTagPcm = 1, kTagMsAdpcm = 2, kTagFloat = 3, kTagALaw = 6, kTagMuLaw = 7,
                        kTagImaAdpcm = 0x11, kTagExtensible = 0xFFFE;

constexpr std::array<int, 16> kMsAdaptation = {230, 230, 230, 230, 307, 409, 512, 614,
                                               768, 614, 512, 409, 307, 230, 230, 230};
constexpr std::array<std::array<int, 2>, 7> kMsCoefficients = {
    {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}};

std::string why(const std::string& path, const std::string& what) { return "The sound " + path + " " + what; }

// The bytes of the "fmt " chunk (up to 64 of them), found by walking the chunks.
io::Outcome readFmtChunk(io::File& file, const std::string& path, std::vector<std::uint8_t>& fmt) {
    std::uint64_t size = file.size();
    std::uint8_t riff[12];
    if (!file.readAt(0, riff, 12) || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return io::failure(why(path, "is not a RIFF WAVE file."));
    std::uint64_t at = 12;
    while (at + 8 <= size) {
        std::uint8_t head[8];
        if (!file.readAt(at, head, 8)) break;
        std::uint32_t length = io::getU32(head + 4);
        if (std::memcmp(head, "fmt ", 4) == 0) {
            std::uint64_t n = std::min<std::uint64_t>({length, 64, size - (at + 8)});
            if (n < 16) return io::failure(why(path, "has a format chunk shorter than 16 bytes."));
            fmt.resize(static_cast<std::size_t>(n));
            return file.readAt(at + 8, fmt.data(), fmt.size());
        }
        at += 8 + static_cast<std::uint64_t>(length) + (length & 1);
    }
    return io::failure(why(path, "has no format chunk."));
}

}  // namespace

std::int16_t aLawToLinear(std::uint8_t code) {
    code ^= 0x55;
    int t = (code & 0x0F) << 4;
    int segment = (code & 0x70) >> 4;
    if (segment == 0)
        t += 8;
    else
        t = (t + 0x108) << (segment - 1);
    return static_cast<std::int16_t>((code & 0x80) ? t : -t);
}

std::int16_t muLawToLinear(std::uint8_t code) {
    code = static_cast<std::uint8_t>(~code);
    int t = (((code & 0x0F) << 3) + 0x84) << ((code & 0x70) >> 4);
    return static_cast<std::int16_t>((code & 0x80) ? (0x84 - t) : (t - 0x84));
}

io::Outcome WavSource::open(const std::string& path) {
    if (io::Outcome o = file_.open(path, io::FileMode::Read); !o) return o;
    std::vector<std::uint8_t> fmt;
    if (io::Outcome o = readFmtChunk(file_, path, fmt); !o) return o;
    audio::WavLayout layout;
    if (io::Outcome o = audio::readWavLayout(file_, layout); !o) return o;

    std::uint16_t tag = io::getU16(fmt.data());
    int channels = io::getU16(fmt.data() + 2);
    std::uint32_t rate = io::getU32(fmt.data() + 4);
    blockAlign_ = io::getU16(fmt.data() + 12);
    unsigned bits = io::getU16(fmt.data() + 14);
    if (tag == kTagExtensible) {
        // The sub-format's first two bytes are the plain format tag.
        if (fmt.size() < 26) return io::failure(why(path, "has an extensible format chunk that is too short."));
        tag = io::getU16(fmt.data() + 24);
    }
    if (channels < 1 || channels > 8) return io::failure(why(path, "has " + std::to_string(channels) + " channels."));
    if (rate < 1000 || rate > 768000) return io::failure(why(path, "has a sample rate of " + std::to_string(rate) + " Hz."));
    if (blockAlign_ == 0) return io::failure(why(path, "has a block alignment of 0."));

    format_ = {SampleType::S16, channels, rate};
    std::size_t perChannel = blockAlign_ / static_cast<std::size_t>(channels);
    switch (tag) {
    case kTagPcm:
        coding_ = WavCoding::Pcm;
        // The container size decides; bits per sample may say less (12 in 16).
        if (perChannel * static_cast<std::size_t>(channels) != blockAlign_ || perChannel < 1 || perChannel > 4)
            return io::failure(why(path, "has PCM samples of " + std::to_string(bits) + " bits that cannot be played."));
        containerBytes_ = perChannel;
        if (perChannel > 2) format_.type = SampleType::S32;
        break;
    case kTagFloat:
        coding_ = WavCoding::Float;
        if (perChannel * static_cast<std::size_t>(channels) != blockAlign_ || (perChannel != 4 && perChannel != 8))
            return io::failure(why(path, "has floating-point samples of an unknown size."));
        containerBytes_ = perChannel;
        format_.type = SampleType::F32;
        break;
    case kTagALaw:
    case kTagMuLaw:
        coding_ = tag == kTagALaw ? WavCoding::ALaw : WavCoding::MuLaw;
        if (blockAlign_ != static_cast<std::size_t>(channels))
            return io::failure(why(path, "has G.711 samples that are not one byte each."));
        containerBytes_ = 1;
        break;
    case kTagImaAdpcm:
        coding_ = WavCoding::ImaAdpcm;
        // A block holds a 4-byte header per channel, then whole 4-byte groups per channel.
        if (blockAlign_ <= 4u * channels || (blockAlign_ - 4u * channels) % (4u * channels) != 0)
            return io::failure(why(path, "has IMA ADPCM blocks of " + std::to_string(blockAlign_) + " bytes that cannot be cut."));
        break;
    case kTagMsAdpcm:
        coding_ = WavCoding::MsAdpcm;
        if (blockAlign_ < 7u * channels)
            return io::failure(why(path, "has Microsoft ADPCM blocks shorter than their header."));
        break;
    default: {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%04X", tag);
        return io::failure(why(path, std::string("uses a sound format that cannot be played (format tag ") + hex + ")."));
    }
    }

    remaining_ = layout.dataLength;
    if (io::Outcome o = file_.seek(layout.dataOffset); !o) return o;
    pending_.clear();
    pendingAt_ = 0;
    return io::success();
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

void WavSource::convertPcm(const std::uint8_t* in, std::size_t frames) {
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

void WavSource::decodeImaBlock(const std::uint8_t* block, std::size_t bytes) {
    const std::size_t ch = static_cast<std::size_t>(format_.channels);
    if (bytes < 4 * ch) return;
    // The header's sample is the block's first frame; then each round of
    // groups (4 bytes per channel) gives 8 frames. A short last block gives
    // only its whole rounds.
    std::size_t rounds = (bytes - 4 * ch) / (4 * ch);
    std::size_t frames = 1 + 8 * rounds;
    std::vector<std::int16_t> out(frames * ch);
    std::vector<audio::ImaAdpcmDecoder> state(ch);
    for (std::size_t c = 0; c < ch; ++c) out[c] = io::getI16(block + 4 * c);
    const std::uint8_t* data = block + 4 * ch;
    if (ch == 1) {
        audio::decodeMonoBlock(state[0], block, out.data() + 1, data, 8 * rounds);
    } else if (ch == 2) {
        audio::decodeStereoBlock(state[0], state[1], block, out.data() + 2, data, 8 * rounds);
    } else {
        for (std::size_t c = 0; c < ch; ++c) audio::loadBlockHeader(state[c], block + 4 * c);
        for (std::size_t r = 0; r < rounds; ++r) {
            for (std::size_t c = 0; c < ch; ++c) {
                const std::uint8_t* group = data + (r * ch + c) * 4;
                for (std::size_t j = 0; j < 8; ++j) {
                    std::uint8_t b = group[j / 2];
                    std::uint8_t code = (j & 1) ? (b >> 4) : (b & 0x0F);
                    out[(1 + r * 8 + j) * ch + c] = audio::decodeNibble(state[c], code);
                }
            }
        }
    }
    // Native byte order, appended in one piece.
    std::size_t at = pending_.size();
    pending_.resize(at + out.size() * 2);
    std::memcpy(pending_.data() + at, out.data(), out.size() * 2);
}

void WavSource::decodeMsBlock(const std::uint8_t* block, std::size_t bytes) {
    const std::size_t ch = static_cast<std::size_t>(format_.channels);
    if (bytes < 7 * ch) return;
    struct Channel {
        int c1, c2, delta, s1, s2;
    };
    std::vector<Channel> st(ch);
    for (std::size_t c = 0; c < ch; ++c) {
        std::size_t predictor = std::min<std::size_t>(block[c], kMsCoefficients.size() - 1);
        st[c].c1 = kMsCoefficients[predictor][0];
        st[c].c2 = kMsCoefficients[predictor][1];
        st[c].delta = io::getI16(block + ch + 2 * c);
        st[c].s1 = io::getI16(block + 3 * ch + 2 * c);
        st[c].s2 = io::getI16(block + 5 * ch + 2 * c);
    }
    // The two header samples come first, the older one before the newer.
    for (std::size_t c = 0; c < ch; ++c) putS16(static_cast<std::int16_t>(st[c].s2));
    for (std::size_t c = 0; c < ch; ++c) putS16(static_cast<std::int16_t>(st[c].s1));
    std::size_t nibbles = (bytes - 7 * ch) * 2;
    nibbles -= nibbles % ch;
    const std::uint8_t* data = block + 7 * ch;
    for (std::size_t i = 0; i < nibbles; ++i) {
        Channel& s = st[i % ch];
        int code = (i & 1) ? (data[i / 2] & 0x0F) : (data[i / 2] >> 4);
        int signedCode = code >= 8 ? code - 16 : code;
        // The prediction is shifted, not divided: it rounds towards minus infinity.
        int predicted = ((s.s1 * s.c1 + s.s2 * s.c2) >> 8) + signedCode * s.delta;
        predicted = std::clamp(predicted, -32768, 32767);
        s.s2 = s.s1;
        s.s1 = predicted;
        s.delta = std::max(16, (kMsAdaptation[static_cast<std::size_t>(code)] * s.delta) >> 8);
        putS16(static_cast<std::int16_t>(predicted));
    }
}

bool WavSource::refill() {
    pending_.clear();
    pendingAt_ = 0;
    while (pending_.empty() && remaining_ > 0) {
        bool blocks = coding_ == WavCoding::ImaAdpcm || coding_ == WavCoding::MsAdpcm;
        std::size_t unit = blocks ? blockAlign_ : containerBytes_ * static_cast<std::size_t>(format_.channels);
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
        if (blocks) {
            for (std::size_t at = 0; at < got; at += blockAlign_) {
                std::size_t n = std::min(blockAlign_, got - at);
                if (coding_ == WavCoding::ImaAdpcm)
                    decodeImaBlock(raw_.data() + at, n);
                else
                    decodeMsBlock(raw_.data() + at, n);
            }
        } else {
            convertPcm(raw_.data(), got / unit);
        }
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

}  // namespace sonkrate::platform::desktop
