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

}  // namespace

ConversionResult convertCaf(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    ForeignSource source;
    if (!openSource(source, sourcePath, result)) return result;
    const std::uint16_t channelWord = source.word(46);
    const std::uint16_t bitsWord = source.word(50);
    const std::uint16_t nextChunk = source.word(52);
    const std::uint32_t rate = rateOf(source.wordBE(20));
    const std::string format = source.chars(28, 4);

    const std::uint16_t channels = channelWord == 256 ? 1 : 2;
    const bool mono = channels == 1;
    const bool stereo = channelWord == kStereo;
    const double halve = stereo ? 2.0 : 1.0;
    const std::uint32_t doubling = stereo ? 2 : 1;
    std::uint32_t size = 0;

    if (bitsWord == kBits16) {
        result.layout = "CAF 16-bit";
        if (!dataSize(source, 4094, result.layout, size, result)) return result;
        std::uint32_t byteRate = 2 * rate * doubling;
        PcmWavHeader header = makePcmWavHeader(channels, rate, byteRate, mono ? 2 : 4, 16, size);
        if (!writeOutput(source, outputPath, header, {4094, size, SampleStep::PairSwap}, result)) return result;
        setPlayTime(result, source.length(), byteRate);
        return result;
    }
    if (bitsWord == kBits32 && nextChunk == kFreeChunk) {
        result.layout = "CAF 32-bit";
        if (!dataSize(source, 4094, result.layout, size, result)) return result;
        PcmWavHeader header = makePcmWavHeader(channels, rate, 4 * rate * doubling, mono ? 4 : 8, 32, size);
        if (!writeOutput(source, outputPath, header, {4094, size, SampleStep::QuadReversal}, result)) return result;
        setPlayTime(result, source.length(), 4.0 * rate * halve);
        return result;
    }
    if (bitsWord == kBits24) {
        result.layout = "CAF 24-bit";
        if (!dataSize(source, 4096, result.layout, size, result)) return result;
        PcmWavHeader header = makePcmWavHeader(channels, rate, 3 * rate * doubling, mono ? 3 : 6, 24, size);
        if (!writeOutput(source, outputPath, header, {4096, size, SampleStep::TripleReversal}, result))
            return result;
        setPlayTime(result, source.length(), 3.0 * rate * halve);
        return result;
    }
    if (bitsWord == kBits8 && (format == "ulaw" || format == "alaw")) {
        const bool muLaw = format == "ulaw";
        result.layout = muLaw ? "CAF mu-law" : "CAF A-law";
        if (!dataSize(source, 4096, result.layout, size, result)) return result;
        G711WavHeader header =
            makeG711WavHeader(muLaw ? kFormatMuLaw : kFormatALaw, channels, rate, rate * doubling, size);
        if (!writeOutput(source, outputPath, header, {4096, size, SampleStep::PairCopy}, result)) return result;
        setPlayTime(result, source.length(), rate * halve);
        return result;
    }
    if (bitsWord == kBits8) {
        // Signed 8-bit samples moved into the unsigned range of an 8-bit .wav.
        result.layout = "CAF 8-bit";
        if (!dataSize(source, 4094, result.layout, size, result)) return result;
        PcmWavHeader header = makePcmWavHeader(channels, rate, rate * doubling, mono ? 1 : 2, 8, size);
        if (!writeOutput(source, outputPath, header, {4094, size, SampleStep::SignedPairSwap}, result))
            return result;
        setPlayTime(result, source.length(), rate * halve);
        return result;
    }
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
