#include "import/paf_reader.h"

namespace sonkrate::import {

namespace {

constexpr std::uint32_t kDataOffset = 2048;
constexpr std::uint16_t kFormat16 = 0;
constexpr std::uint16_t kFormat24 = 256;
constexpr std::uint16_t kFormat8 = 512;
constexpr std::uint16_t kMono = 256;
constexpr std::uint16_t kStereo = 512;

// The low half of the big-endian rate, in file order.
std::uint32_t rateOfKey(std::uint16_t key) {
    return lookupRate({{0x1F40, 8000, 0}, {0x2B11, 11025, 0}, {0x3E80, 16000, 0}, {0x5622, 22050, 0},
                       {0x7D00, 32000, 0}, {0xAC44, 44100, 0}, {0xBB80, 48000, 0}, {0x5888, 88200, 0},
                       {0x7700, 96000, 0}, {0xB110, 176400, 0}},
                      {0, 192000, 0}, key)
        .rate;
}

}  // namespace

ConversionResult convertPaf(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    ForeignSource source;
    if (!openSource(source, sourcePath, result)) return result;
    const std::uint16_t channelWord = source.word(22);
    const std::uint16_t formatWord = source.word(18);
    const std::uint32_t keyRate = rateOfKey(source.wordBE(14));
    const std::uint32_t fullRate = source.u32BE(12);  // the whole big-endian rate, decoded straight
    const bool stereo = channelWord == kStereo;
    const std::uint16_t channels = channelWord == kMono ? 1 : 2;
    const double halve = stereo ? 2.0 : 1.0;
    std::uint32_t size = 0;

    if (formatWord == kFormat8) {
        result.layout = "PAF 8-bit";
        if (!dataSize(source, kDataOffset, result.layout, size, result)) return result;
        std::uint32_t byteRate = stereo ? keyRate * 2 : keyRate;
        PcmWavHeader header = makePcmWavHeader(channels, keyRate, byteRate, channels == 1 ? 1 : 2, 8, size);
        if (!writeOutput(source, outputPath, header, {kDataOffset, size, SampleStep::PairPlusMinus}, result))
            return result;
        setPlayTime(result, source.length(), keyRate * halve);
        return result;
    }
    if (formatWord == kFormat24 && channelWord == kMono) {
        result.layout = "PAF 24-bit";
        if (!dataSize(source, kDataOffset, result.layout, size, result)) return result;
        std::uint32_t rate = fullRate;
        std::uint32_t byteRate = 3 * fullRate;
        if (rate == 0) rate = byteRate = 22050;
        // The sizes are those of what the copy writes: 30 of every 32 bytes.
        const std::uint64_t written = convertedLength(SampleStep::PairCopyThirtyOfThirtyTwo, size);
        const std::uint32_t dataLength = static_cast<std::uint32_t>(written);
        PcmWavHeader header = makePcmWavHeader(1, rate, byteRate, 3, 24, dataLength);
        if (!writeOutput(source, outputPath, header,
                         {kDataOffset, size, SampleStep::PairCopyThirtyOfThirtyTwo}, result))
            return result;
        setPlayTime(result, dataLength, 3.0 * rate);
        return result;
    }
    if (formatWord == kFormat16) {
        result.layout = "PAF 16-bit";
        if (!dataSize(source, kDataOffset, result.layout, size, result)) return result;
        std::uint32_t byteRate = 2 * keyRate * (stereo ? 2 : 1);
        PcmWavHeader header = makePcmWavHeader(channels, keyRate, byteRate, channels == 1 ? 2 : 4, 16, size);
        if (!writeOutput(source, outputPath, header, {kDataOffset, size, SampleStep::PairSwap}, result))
            return result;
        setPlayTime(result, source.length(), 2.0 * keyRate * halve);
        return result;
    }
    if (formatWord == kFormat24) {
        return readFailure(sourcePath + " is a 24-bit PAF file with more than one channel, which this player "
                                        "cannot convert.",
                           "PAF 24-bit");
    }
    return readFailure(sourcePath + " is a PAF file of a sample format this player cannot convert (format word " +
                           std::to_string(formatWord) + ").",
                       "PAF");
}

}  // namespace sonkrate::import
