#include "audio/game_ready_wav.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "audio/wav_reader.h"
#include "io/byte_order.h"
#include "io/file.h"
#include "io/replacement.h"

namespace sonkrate::audio {
namespace {

struct SampleFormat {
    bool isFloat = false;
    unsigned bytes = 0;  // container bytes per sample
};

std::string describe(const SampleFormat& f, unsigned rate, unsigned channels, const char* intWord) {
    return std::to_string(f.bytes * 8) + "-bit " + (f.isFloat ? "float" : intWord) + ", " +
           describeRateAndChannels(rate, channels);
}

// The sample format of a layout, or bytes 0 when it is not plain integer or float samples.
SampleFormat sampleFormatOf(const WavLayout& w) {
    std::uint16_t code = w.formatTag == kWavFormatExtensible ? w.subFormat : w.formatTag;
    SampleFormat f;
    if (code != kWavFormatPcm && code != kWavFormatFloat) return f;
    if (w.channels == 0 || w.blockAlign % w.channels != 0) return f;
    unsigned bytes = w.blockAlign / w.channels;
    bool fits = code == kWavFormatFloat ? (bytes == 4 || bytes == 8) : (bytes >= 1 && bytes <= 4);
    if (fits) f = {code == kWavFormatFloat, bytes};
    return f;
}

// One sample as a value in [-1, 1).
double sampleValue(const std::uint8_t* p, const SampleFormat& f) {
    if (f.isFloat) {
        if (f.bytes == 4) {
            std::uint32_t bits = io::getU32(p);
            float v;
            std::memcpy(&v, &bits, 4);
            return std::isfinite(v) ? v : 0.0;
        }
        std::uint64_t bits = io::getU32(p) | (static_cast<std::uint64_t>(io::getU32(p + 4)) << 32);
        double v;
        std::memcpy(&v, &bits, 8);
        return std::isfinite(v) ? v : 0.0;
    }
    if (f.bytes == 1) return (p[0] - 128) / 128.0;
    std::uint32_t raw = 0;
    for (unsigned i = 0; i < f.bytes; ++i) raw |= static_cast<std::uint32_t>(p[i]) << (8 * (4 - f.bytes + i));
    return static_cast<std::int32_t>(raw) / 2147483648.0;
}

// Triangular dither from two uniform values, in units of the 16-bit step.
class Dither {
public:
    double next() { return uniform() + uniform(); }

private:
    double uniform() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state_ >> 11) / 9007199254740992.0 - 0.5;
    }
    std::uint64_t state_ = 0x5EED;
};

std::int16_t toInt16(double value, bool dither, Dither& d) {
    double scaled = value * 32768.0 + (dither ? d.next() : 0.0);
    scaled = std::floor(scaled + 0.5);
    if (scaled > 32767.0) return 32767;
    if (scaled < -32768.0) return -32768;
    return static_cast<std::int16_t>(scaled);
}

void putHeader(std::uint8_t* h, std::uint32_t rate, std::uint16_t channels, std::uint32_t dataBytes) {
    std::memcpy(h, "RIFF", 4);
    io::putU32(h + 4, 36 + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    io::putU32(h + 16, 16);
    io::putU16(h + 20, kWavFormatPcm);
    io::putU16(h + 22, channels);
    io::putU32(h + 24, rate);
    io::putU32(h + 28, rate * channels * 2u);
    io::putU16(h + 32, static_cast<std::uint16_t>(channels * 2));
    io::putU16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    io::putU32(h + 40, dataBytes);
}

}  // namespace

namespace {

// Streams the frames of in into 16-bit frames of outChannels on out.
io::Outcome convertFrames(io::File& in, const WavLayout& w, const SampleFormat& f, unsigned outChannels,
                          io::File& out) {
    const std::size_t inFrame = w.blockAlign, frames = w.dataLength / inFrame;
    const bool dither = f.isFloat || f.bytes > 2;
    const std::size_t perBuffer = std::max<std::size_t>(1, io::kCopyBufferSize / inFrame);
    std::vector<std::uint8_t> src(perBuffer * inFrame), dst(perBuffer * outChannels * 2);
    std::vector<double> mixed(outChannels);
    Dither d;
    if (io::Outcome sought = in.seek(w.dataOffset); !sought) return sought;
    for (std::size_t done = 0; done < frames;) {
        std::size_t n = std::min(perBuffer, frames - done);
        if (io::Outcome got = in.readExact(src.data(), n * inFrame); !got) return got;
        for (std::size_t i = 0; i < n; ++i) {
            std::fill(mixed.begin(), mixed.end(), 0.0);
            // Beyond two channels, even channels go left and odd ones right, averaged.
            for (unsigned c = 0; c < w.channels; ++c)
                mixed[c % outChannels] += sampleValue(&src[i * inFrame + c * f.bytes], f);
            for (unsigned o = 0; o < outChannels; ++o) {
                unsigned share = (w.channels + outChannels - 1 - o) / outChannels;
                io::putI16(&dst[(i * outChannels + o) * 2], toInt16(mixed[o] / share, dither, d));
            }
        }
        if (io::Outcome put = out.write(dst.data(), n * outChannels * 2); !put) return put;
        done += n;
    }
    return io::success();
}

}  // namespace

std::string describeRateAndChannels(unsigned rate, unsigned channels) {
    return std::to_string(rate) + " Hz, " +
           (channels == 1 ? "mono" : channels == 2 ? "stereo" : std::to_string(channels) + " channels");
}

GameReadyResult makeGameReadyWav(const std::string& source, const std::string& target) {
    GameReadyResult r;
    io::File in;
    WavLayout w;
    if ((r.outcome = in.open(source, io::FileMode::Read)); !r.outcome) return r;
    if ((r.outcome = readWavLayout(in, w)); !r.outcome) return r;
    if (w.formatTag == kWavFormatImaAdpcm) return r;  // the wrapping judges it
    const SampleFormat f = sampleFormatOf(w);
    if (f.bytes == 0) {
        r.outcome = io::failure(source + " holds neither integer nor float samples (format " +
                                std::to_string(w.formatTag) + "), so it cannot be made ready for the game.");
        return r;
    }
    if (w.formatTag == kWavFormatPcm && w.fmtChunkLength == 16 && f.bytes <= 2 && w.channels <= 2) return r;
    const unsigned outChannels = w.channels > 2 ? 2 : w.channels;
    const std::uint64_t dataBytes = static_cast<std::uint64_t>(w.dataLength / w.blockAlign) * outChannels * 2;
    if (dataBytes > 0xFFFFFFFFull - 36) {
        r.outcome = io::failure(source + " holds more sound than a 16-bit .wav can.");
        return r;
    }
    r.before = describe(f, w.sampleRate, w.channels, "integer");
    r.after = describe({false, 2}, w.sampleRate, outChannels, "PCM");

    io::ReplacementFile out;
    if ((r.outcome = out.begin(target)); !r.outcome) return r;
    std::uint8_t header[44];
    putHeader(header, w.sampleRate, static_cast<std::uint16_t>(outChannels), static_cast<std::uint32_t>(dataBytes));
    if ((r.outcome = out.file().write(header, sizeof header)); !r.outcome) return r;
    if ((r.outcome = convertFrames(in, w, f, outChannels, out.file())); !r.outcome) return r;
    if ((r.outcome = out.commit()); !r.outcome) return r;
    r.converted = true;
    return r;
}

}  // namespace sonkrate::audio
