#include "audio/convert/game_frames.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "io/byte_order.h"

namespace sonkrate::audio {
namespace {

// Frames converted between two reads of the source.
constexpr std::size_t kFramesPerRead = 16384;

// One sample as a value in [-1, 1).
double sampleValue(const std::uint8_t* p, bool isFloat, unsigned bytes) {
    if (isFloat) {
        if (bytes == 4) {
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
    if (bytes == 1) return (p[0] - 128) / 128.0;
    std::uint32_t raw = 0;
    for (unsigned i = 0; i < bytes; ++i) raw |= static_cast<std::uint32_t>(p[i]) << (8 * (4 - bytes + i));
    return static_cast<std::int32_t>(raw) / 2147483648.0;
}

// The dither's generator: a 64-bit linear congruential step, and the same
// two steps at once, so that both values of a sample come from one state side
// by side rather than one after the other.
constexpr std::uint64_t kLcgMul = 6364136223846793005ull, kLcgAdd = 1442695040888963407ull;
constexpr std::uint64_t kLcgMul2 = kLcgMul * kLcgMul, kLcgAdd2 = kLcgMul * kLcgAdd + kLcgAdd;

// A state as a uniform value in [-0.5, 0.5): its top 53 bits, below 2^53, so
// the signed conversion gives the same value in one instruction.
inline double uniformOf(std::uint64_t state) {
    return static_cast<double>(static_cast<std::int64_t>(state >> 11)) / 9007199254740992.0 - 0.5;
}

// Triangular dither from two uniform values, in units of the 16-bit step.
inline double ditherNoise(std::uint64_t& state) {
    const std::uint64_t first = state * kLcgMul + kLcgAdd, second = state * kLcgMul2 + kLcgAdd2;
    state = second;
    return uniformOf(first) + uniformOf(second);
}

// A value already in units of the 16-bit step, dithered, rounded half up and
// clamped: the floor of scaled + 0.5, taken by truncation within the 16-bit
// range (the same value, without a call).
inline std::int16_t scaledToInt16(double scaled, bool dither, std::uint64_t& state) {
    const double noise = dither ? ditherNoise(state) : 0.0;
    const double half = scaled + noise + 0.5;
    if (half >= 32768.0) return 32767;
    if (half < -32768.0) return -32768;
    // Truncation rounds a negative fraction up; one less then, without a
    // branch, as the sign of a noisy sample is a coin toss.
    const int truncated = static_cast<int>(half);
    return static_cast<std::int16_t>(truncated - (static_cast<double>(truncated) > half ? 1 : 0));
}

inline std::int16_t toInt16(double value, bool dither, std::uint64_t& state) {
    return scaledToInt16(value * 32768.0, dither, state);
}

// An integer sample in units of the 16-bit step: the value sampleValue gives
// times 32768, in one exact multiplication by a power of two.
template <unsigned Bytes>
double scaledInteger(const std::uint8_t* p) {
    if constexpr (Bytes == 1) return (p[0] - 128) * 256.0;
    std::uint32_t raw = 0;
    for (unsigned i = 0; i < Bytes; ++i) raw |= static_cast<std::uint32_t>(p[i]) << (8 * (4 - Bytes + i));
    return static_cast<std::int32_t>(raw) * (1.0 / 65536.0);
}

// One or two channels of samples of one format, each taken as it is.
template <bool IsFloat, unsigned Bytes>
void convertPlain(const std::uint8_t* in, std::size_t samples, bool dither, std::uint64_t& state, std::int16_t* out) {
    for (std::size_t i = 0; i < samples; ++i) {
        if constexpr (IsFloat)
            out[i] = toInt16(sampleValue(in + i * Bytes, IsFloat, Bytes), dither, state);
        else
            out[i] = scaledToInt16(scaledInteger<Bytes>(in + i * Bytes), dither, state);
    }
}

using PlainConverter = void (*)(const std::uint8_t*, std::size_t, bool, std::uint64_t&, std::int16_t*);

PlainConverter plainConverter(bool isFloat, unsigned bytes) {
    if (isFloat) return bytes == 4 ? convertPlain<true, 4> : convertPlain<true, 8>;
    switch (bytes) {
    case 1: return convertPlain<false, 1>;
    case 2: return convertPlain<false, 2>;
    case 3: return convertPlain<false, 3>;
    default: return convertPlain<false, 4>;
    }
}

std::string describe(bool isFloat, unsigned bytes, unsigned rate, unsigned channels, const char* intWord) {
    return std::to_string(bytes * 8) + "-bit " + (isFloat ? "float" : intWord) + ", " +
           describeRateAndChannels(rate, channels);
}

}  // namespace

std::string describeRateAndChannels(unsigned rate, unsigned channels) {
    return std::to_string(rate) + " Hz, " +
           (channels == 1 ? "mono" : channels == 2 ? "stereo" : std::to_string(channels) + " channels");
}

io::Outcome GameFrameSource::open(const std::string& path) {
    path_ = path;
    if (io::Outcome opened = file_.open(path, io::FileMode::Read); !opened) return opened;
    if (io::Outcome read = readWavLayout(file_, layout_); !read) return read;
    const WavLayout& w = layout_;
    if (w.formatTag == kWavFormatImaAdpcm) {
        ima_ = true;
        return io::success();
    }
    const std::uint16_t code = w.formatTag == kWavFormatExtensible ? w.subFormat : w.formatTag;
    if ((code == kWavFormatPcm || code == kWavFormatFloat) && w.channels != 0 && w.blockAlign % w.channels == 0) {
        const unsigned bytes = w.blockAlign / w.channels;
        const bool isFloat = code == kWavFormatFloat;
        if (isFloat ? (bytes == 4 || bytes == 8) : (bytes >= 1 && bytes <= 4)) isFloat_ = isFloat, bytes_ = bytes;
    }
    if (bytes_ == 0)
        return io::failure(path + " holds neither integer nor float samples (format " + std::to_string(w.formatTag) +
                           "), so it cannot be made ready for the game.");
    converts_ = !(w.formatTag == kWavFormatPcm && w.fmtChunkLength == 16 && bytes_ <= 2 && w.channels <= 2);
    return io::success();
}

unsigned GameFrameSource::channels() const { return layout_.channels > 2 ? 2 : layout_.channels; }

std::string GameFrameSource::before() const {
    return describe(isFloat_, bytes_, layout_.sampleRate, layout_.channels, "integer");
}

std::string GameFrameSource::after() const { return describe(false, 2, layout_.sampleRate, channels(), "PCM"); }

io::Outcome GameFrameSource::start() {
    if (!converts_) {
        (void)file_.close();
        return plain_.open(path_);
    }
    raw_.resize(kFramesPerRead * layout_.blockAlign);
    mixed_.assign(channels(), 0.0);
    ditherState_ = kDitherSeed;
    return file_.seek(layout_.dataOffset);
}

io::Outcome GameFrameSource::read(std::int16_t* out, std::size_t n) {
    if (!converts_) return plain_.read(out, n);
    for (std::size_t done = 0; done < n;) {
        const std::size_t part = std::min(kFramesPerRead, n - done);
        if (io::Outcome got = convert(out + done * channels(), part); !got) return got;
        done += part;
    }
    return io::success();
}

// Beyond two channels, even channels go left and odd ones right, averaged.
io::Outcome GameFrameSource::convert(std::int16_t* out, std::size_t n) {
    const std::size_t inFrame = layout_.blockAlign;
    const unsigned inChannels = layout_.channels, outChannels = channels();
    const bool dither = isFloat_ || bytes_ > 2;
    if (io::Outcome got = file_.readExact(raw_.data(), n * inFrame); !got) return got;
    if (inChannels <= 2) {
        // Nothing to mix: each sample alone, as the mix of one would give it.
        plainConverter(isFloat_, bytes_)(raw_.data(), n * inChannels, dither, ditherState_, out);
        return io::success();
    }
    for (std::size_t i = 0; i < n; ++i) {
        std::fill(mixed_.begin(), mixed_.end(), 0.0);
        for (unsigned c = 0; c < inChannels; ++c)
            mixed_[c % outChannels] += sampleValue(&raw_[i * inFrame + c * bytes_], isFloat_, bytes_);
        for (unsigned o = 0; o < outChannels; ++o) {
            const unsigned share = (inChannels + outChannels - 1 - o) / outChannels;
            *out++ = toInt16(mixed_[o] / share, dither, ditherState_);
        }
    }
    return io::success();
}

}  // namespace sonkrate::audio
