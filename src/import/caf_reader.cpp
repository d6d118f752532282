#include "import/caf_reader.h"

namespace sonkrate::import {

namespace {

// The bits-per-channel field (big-endian 32-bit at 48) by its last two bytes.
constexpr std::uint16_t kBits8 = 2048;
constexpr std::uint16_t kBits16 = 4096;
constexpr std::uint16_t kBits24 = 6144;
constexpr std::uint16_t kBits32 = 8192;
constexpr std::uint16_t kFreeChunk = 29286;  // "fr"
constexpr std::uint16_t kStereo = 512;

// The first two bytes of the big-endian 64-bit real rate.
std::uint32_t rateOf(std::uint16_t key) {
    return lookupRate({{0x40BF, 8000, 0}, {0x40C5, 11025, 0}, {0x40CF, 16000, 0}, {0x40D5, 22050, 0},
                       {0x40DF, 32000, 0}, {0x40E5, 44100, 0}, {0x40E7, 48000, 0}, {0x40F5, 88200, 0},
                       {0x40F7, 96000, 0}, {0x4105, 176400, 0}},
                      {0, 192000, 0}, key)
        .rate;
}

// The fields every layout uses. channels is 1 only for the mono word; the
// byte rate doubles (and the playing time halves) only for the stereo word.
struct CafFacts {
    std::uint16_t channels = 2;
    std::uint32_t rate = 0;
    std::uint32_t doubling = 1;
    double halve = 1.0;
};

// A linear PCM layout: its samples start at dataOffset, width bytes each.
struct CafPcmLayout {
    const char* name;
    std::int64_t dataOffset;
    std::uint32_t width;
    SampleStep step;
};

ConversionResult convertPcm(ForeignSource& source, const std::string& outputPath, const CafFacts& f,
                            const CafPcmLayout& pcm) {
    ConversionResult result;
    result.layout = pcm.name;
    std::uint32_t size = 0;
    if (!dataSize(source, pcm.dataOffset, result.layout, size, result)) return result;
    const std::uint32_t w = pcm.width;
    PcmWavHeader header = makePcmWavHeader(f.channels, f.rate, w * f.rate * f.doubling,
                                           static_cast<std::uint16_t>(f.channels == 1 ? w : 2 * w),
                                           static_cast<std::uint16_t>(8 * w), size);
    const CopyPlan plan{static_cast<std::uint64_t>(pcm.dataOffset), size, pcm.step};
    if (!writeOutput(source, outputPath, header, plan, result)) return result;
    setPlayTime(result, source.length(), w * f.rate * f.halve);
    return result;
}

// 8-bit mu-law or A-law, kept in its encoding.
ConversionResult convertG711(ForeignSource& source, const std::string& outputPath, const CafFacts& f, bool muLaw) {
    ConversionResult result;
    result.layout = muLaw ? "CAF mu-law" : "CAF A-law";
    std::uint32_t size = 0;
    if (!dataSize(source, 4096, result.layout, size, result)) return result;
    G711WavHeader header =
        makeG711WavHeader(muLaw ? kFormatMuLaw : kFormatALaw, f.channels, f.rate, f.rate * f.doubling, size);
    if (!writeOutput(source, outputPath, header, {4096, size, SampleStep::PairCopy}, result)) return result;
    setPlayTime(result, source.length(), f.rate * f.halve);
    return result;
}

}  // namespace

ConversionResult convertCaf(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    ForeignSource source;
    if (!openSource(source, sourcePath, result)) return result;
    const std::uint16_t channelWord = source.word(46);
    const std::uint16_t bitsWord = source.word(50);
    const std::uint16_t nextChunk = source.word(52);
    const std::string format = source.chars(28, 4);
    CafFacts f;
    f.channels = channelWord == 256 ? 1 : 2;
    f.rate = rateOf(source.wordBE(20));
    f.doubling = channelWord == kStereo ? 2 : 1;
    f.halve = channelWord == kStereo ? 2.0 : 1.0;

    if (bitsWord == kBits16)
        return convertPcm(source, outputPath, f, {"CAF 16-bit", 4094, 2, SampleStep::PairSwap});
    if (bitsWord == kBits32 && nextChunk == kFreeChunk)
        return convertPcm(source, outputPath, f, {"CAF 32-bit", 4094, 4, SampleStep::QuadReversal});
    if (bitsWord == kBits24)
        return convertPcm(source, outputPath, f, {"CAF 24-bit", 4096, 3, SampleStep::TripleReversal});
    if (bitsWord == kBits8 && (format == "ulaw" || format == "alaw"))
        return convertG711(source, outputPath, f, format == "ulaw");
    // Signed 8-bit samples moved into the unsigned range of an 8-bit .wav.
    if (bitsWord == kBits8)
        return convertPcm(source, outputPath, f, {"CAF 8-bit", 4094, 1, SampleStep::SignedPairSwap});
    if (bitsWord == kBits32) {
        return readFailure(sourcePath + " is a 32-bit CAF file whose description is not followed by a \"free\" "
                                        "chunk, which this player cannot convert.",
                           "CAF 32-bit");
    }
    std::uint16_t bits = static_cast<std::uint16_t>((bitsWord >> 8) | (bitsWord << 8));
    return readFailure(sourcePath + " is a CAF file of " + std::to_string(bits) +
                           "-bit samples, which this player cannot convert (8, 16, 24 and 32 bits are).",
                       "CAF");
}

}  // namespace sonkrate::import
