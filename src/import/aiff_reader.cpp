#include "import/aiff_reader.h"

namespace sonkrate::import {

namespace {

// The sample-size field (big-endian 16-bit at 26) read as a little-endian word.
constexpr std::uint16_t kSize8 = 2048;
constexpr std::uint16_t kSize16 = 4096;
constexpr std::uint16_t kSize24 = 6144;
constexpr std::uint16_t kSize32 = 8192;
constexpr std::uint16_t kSizeAifc = 19789;  // "MM", the end of "COMM" in an AIFC file
constexpr std::uint16_t kMono = 256;
constexpr std::uint16_t kStereo = 512;

// The first four bytes of the 80-bit extended sample rate, in file order.
constexpr std::uint32_t k8000 = 0x400BFA00, k11025 = 0x400CAC44, k16000 = 0x400CFA00, k22050 = 0x400DAC44,
                        k32000 = 0x400DFA00, k44100 = 0x400EAC44, k48000 = 0x400EBB80, k88200 = 0x400FAC44,
                        k96000 = 0x400FBB80, k176400 = 0x4010AC44;

RateRow rate16(std::uint32_t key) {
    return lookupRate({{k8000, 8000, 16000}, {k11025, 11025, 22050}, {k16000, 16000, 32000},
                       {k22050, 22050, 44100}, {k32000, 32000, 64000}, {k44100, 44100, 88200},
                       {k48000, 48000, 96000}, {k88200, 88200, 176400}, {k96000, 96000, 192000},
                       {k176400, 176400, 352800}},
                      {0, 22050, 44100}, key);
}

RateRow rate24(std::uint32_t key) {
    return lookupRate({{k8000, 8000, 24000}, {k11025, 11025, 33075}, {k16000, 16000, 48000},
                       {k22050, 22050, 66150}, {k32000, 32000, 96000}, {k44100, 44100, 132300},
                       {k48000, 48000, 144000}, {k88200, 88200, 264600}, {k96000, 96000, 288000},
                       {k176400, 176400, 529200}},
                      {0, 192000, 576000}, key);
}

RateRow rate32(std::uint32_t key) {
    return lookupRate({{k8000, 16000, 32000}, {k11025, 22050, 44100}, {k16000, 32000, 64000},
                       {k22050, 44100, 88200}, {k32000, 64000, 128000}, {k44100, 88200, 176400},
                       {k48000, 96000, 192000}, {k88200, 176400, 352800}},
                      {0, 192000, 384000}, key);
}

// 8-bit data is played at half the rate, two samples to a 16-bit sample; the
// 11025 Hz row plays at 6000 Hz. Kept on purpose: see COMPATIBILITY.md.
RateRow rate8(std::uint32_t key) {
    return lookupRate({{k8000, 4000, 8000}, {k11025, 6000, 12000}, {k16000, 8000, 16000},
                       {k22050, 11025, 22050}, {k32000, 16000, 32000}, {k44100, 22050, 44100},
                       {k48000, 24000, 48000}, {k88200, 44100, 88200}},
                      {0, 22050, 44100}, key);
}

RateRow rateAifc(std::uint32_t key) {
    return lookupRate({{k8000, 8000, 8000}, {k11025, 12000, 12000}, {k16000, 16000, 16000},
                       {k22050, 22050, 22050}, {k32000, 32000, 32000}, {k44100, 44100, 44100},
                       {k48000, 48000, 48000}, {k88200, 88200, 88200}, {k96000, 96000, 96000}},
                      {0, 176400, 176400}, key);
}

std::uint16_t channelsOf(std::uint16_t channelWord) { return channelWord == kMono ? 1 : 2; }

}  // namespace

ConversionResult convertAiff(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    std::uint16_t sampleSize = 0;
    {
        ForeignSource source;
        if (!openSource(source, sourcePath, result)) return result;
        const std::uint16_t channelWord = source.word(20);
        sampleSize = source.word(26);
        if (sampleSize == kSize16) {
            result.layout = "AIFF 16-bit";
            std::uint32_t size = 0;
            if (!dataSize(source, 58, result.layout, size, result)) return result;
            RateRow row = rate16(source.u32BE(28));
            std::uint32_t byteRate = channelWord == kStereo ? row.byteRate * 2 : row.byteRate;
            std::uint16_t channels = channelsOf(channelWord);
            PcmWavHeader header = makePcmWavHeader(channels, row.rate, byteRate, channels == 1 ? 2 : 4, 16, size);
            if (!writeOutput(source, outputPath, header, {58, size, SampleStep::PairSwap}, result)) return result;
            setPlayTime(result, source.length(), byteRate);
            return result;
        }
    }
    switch (sampleSize) {
    case kSize8:
    case kSizeAifc: return convertAiff8OrAifc(sourcePath, outputPath);
    case kSize32: return convertAiff32(sourcePath, outputPath);
    case kSize24: return convertAiff24(sourcePath, outputPath);
    default: break;
    }
    std::uint16_t bits = static_cast<std::uint16_t>((sampleSize >> 8) | (sampleSize << 8));
    return readFailure(sourcePath + " is not an AIFF file this player can convert: its samples are " +
                           std::to_string(bits) + "-bit (8, 16, 24 and 32 are converted).",
                       "AIFF");
}

ConversionResult convertAiff24(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    result.layout = "AIFF 24-bit";
    ForeignSource source;
    if (!openSource(source, sourcePath, result)) return result;
    const std::uint16_t channelWord = source.word(20);
    std::uint32_t size = 0;
    if (!dataSize(source, 54, result.layout, size, result)) return result;
    RateRow row = rate24(source.u32BE(28));
    std::uint32_t byteRate = channelWord == kStereo ? row.byteRate * 2 : row.byteRate;
    std::uint16_t channels = channelsOf(channelWord);
    PcmWavHeader header = makePcmWavHeader(channels, row.rate, byteRate, channels == 1 ? 3 : 6, 24, size);
    if (!writeOutput(source, outputPath, header, {54, size, SampleStep::DoubleTripleReversal}, result)) return result;
    setPlayTime(result, source.length(), channelWord == kStereo ? row.rate * 6.0 : row.rate * 3.0);
    return result;
}

ConversionResult convertAiff32(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    result.layout = "AIFF 32-bit";
    ForeignSource source;
    if (!openSource(source, sourcePath, result)) return result;
    const std::uint16_t channelWord = source.word(20);
    std::uint32_t size = 0;
    if (!dataSize(source, 58, result.layout, size, result)) return result;
    // Each sample becomes its top 16 bits and a zero sample, at twice the rate;
    // the byte rate is not doubled for stereo.
    RateRow row = rate32(source.u32BE(28));
    std::uint16_t channels = channelsOf(channelWord);
    PcmWavHeader header = makePcmWavHeader(channels, row.rate, row.byteRate, channels == 1 ? 2 : 4, 16, size);
    if (!writeOutput(source, outputPath, header, {58, size, SampleStep::HighHalfSplit}, result)) return result;
    std::uint32_t bitsPerFrame = channelWord == kStereo ? 64 : 32;
    setPlayTime(result, 2.0 * source.length(), static_cast<double>((row.rate * bitsPerFrame) / 8));
    return result;
}

ConversionResult convertAiff8OrAifc(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    ForeignSource source;
    if (!openSource(source, sourcePath, result)) return result;
    const std::uint16_t channelWord = source.word(20);
    const std::uint16_t sampleSize = source.word(26);
    const std::string compression = source.chars(50, 4);
    const bool floating = compression == "FL32" || compression == "FL64";

    if (sampleSize == kSize8) {
        result.layout = "AIFF 8-bit";
        std::uint32_t size = 0;
        if (!dataSize(source, 58, result.layout, size, result)) return result;
        RateRow row = rate8(source.u32BE(28));
        std::uint32_t byteRate = channelWord == kStereo ? row.byteRate * 2 : row.byteRate;
        std::uint16_t channels = channelsOf(channelWord);
        PcmWavHeader header = makePcmWavHeader(channels, row.rate, byteRate, channels == 1 ? 2 : 4, 16, size);
        if (!writeOutput(source, outputPath, header, {58, size, SampleStep::PairSwap}, result)) return result;
        setPlayTime(result, source.length(), byteRate);
        // The compression field is looked at after any width.
        if (floating) {
            result.readFailed = true;
            result.reason = sourcePath + " says its samples are floating point (" + compression +
                            "), which this player cannot convert.";
        }
        return result;
    }
    if (floating) {
        return readFailure(sourcePath + " is an AIFC file of floating-point samples (" + compression +
                               "), which this player cannot convert.",
                           "AIFC " + compression);
    }
    if (sampleSize != kSizeAifc) {
        return readFailure(sourcePath + " is neither an 8-bit AIFF nor an AIFC file.", "AIFF");
    }

    const std::uint16_t aifcChannelWord = source.word(32);
    RateRow row = rateAifc(source.u32BE(40));
    std::uint32_t byteRate = aifcChannelWord == kStereo ? row.rate * 2 : row.rate;
    std::uint16_t channels = channelsOf(aifcChannelWord);
    const bool aLaw = compression == "alaw";
    const bool muLaw = compression == "ulaw";
    result.layout = aLaw ? "AIFC A-law" : muLaw ? "AIFC mu-law" : "AIFC uncompressed";
    std::uint32_t size = 0;
    if (!dataSize(source, 74, result.layout, size, result)) return result;

    if (aLaw || muLaw) {
        G711WavHeader header =
            makeG711WavHeader(aLaw ? kFormatALaw : kFormatMuLaw, channels, row.rate, byteRate, size);
        if (!writeOutput(source, outputPath, header, {72, size, SampleStep::PairCopy}, result)) return result;
    } else {
        // Uncompressed data of any other type is taken as 8-bit: each pair of
        // samples becomes one signed 16-bit sample, played at half the rate.
        std::uint32_t rate = aifcChannelWord == kMono ? row.rate / 2 : row.rate;
        PcmWavHeader header = makePcmWavHeader(1, rate, byteRate, 2, 16, size);
        if (!writeOutput(source, outputPath, header, {72, size, SampleStep::WordOffset}, result)) return result;
    }
    setPlayTime(result, source.length(), byteRate);
    return result;
}

}  // namespace sonkrate::import
