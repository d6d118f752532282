#include "import/voc_reader.h"

namespace sonkrate::import {

ConversionResult convertVoc(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    {
        ForeignSource source;
        if (!openSource(source, sourcePath, result)) return result;
        const std::uint32_t rate = source.u32(30);
        const std::uint8_t bits = source.byte(34);
        const std::uint8_t channelByte = source.byte(35);
        if (bits == 16) {
            result.layout = "VOC 16-bit";
            std::uint32_t size = 0;
            if (!dataSize(source, 40, result.layout, size, result)) return result;
            const bool mono = channelByte == 1;
            PcmWavHeader header =
                makePcmWavHeader(mono ? 1 : 2, rate, mono ? rate * 2 : rate * 4, mono ? 2 : 4, 16, size);
            if (!writeOutput(source, outputPath, header, {40, size, SampleStep::ByteCopy}, result)) return result;
            // The divisor is worked out in 32 bits, as the header fields are.
            std::uint32_t bytesPerSecond = (channelByte * rate * 16u) / 8u;
            setPlayTime(result, source.length(), bytesPerSecond);
            return result;
        }
    }
    return convertVoc8(sourcePath, outputPath);
}

ConversionResult convertVoc8(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    ForeignSource source;
    if (!openSource(source, sourcePath, result)) return result;
    // A type 1 block: time constant + 256 x packing; a type 8 block: its
    // 16-bit time constant, which is above 32767 for stereo.
    const std::int16_t key = static_cast<std::int16_t>(source.word(30));
    if (key == 0) {
        return readFailure(sourcePath + " has no rate this player knows in its first sound block (time constant 0).",
                           "VOC 8-bit");
    }
    const bool mono = key > 0;
    result.layout = mono ? "VOC 8-bit mono" : "VOC 8-bit stereo";
    std::uint32_t size = 0;
    if (!dataSize(source, 41, result.layout, size, result)) return result;

    constexpr std::uint32_t kUnknown = 0;
    std::uint32_t rate = 0;
    if (mono) {
        rate = lookupRate({{131, 8000, 0}, {166, 11025, 0}, {194, 16000, 0}, {211, 22050, 0},
                           {225, 32000, 0}, {234, 44100, 0}, {236, 48000, 0}, {245, 88200, 0}},
                          {0, kUnknown, 0}, static_cast<std::uint32_t>(key))
                   .rate;
    } else {
        // 63936 is taken for 8000 Hz rather than the 49536 of the usual formula.
        rate = lookupRate({{63936, 8000, 0}, {53927, 11025, 0}, {57536, 16000, 0}, {59732, 22050, 0},
                           {61536, 32000, 0}, {62634, 44100, 0}, {62870, 48000, 0}, {64085, 88200, 0},
                           {64203, 96000, 0}},
                          {0, 22050, 0}, static_cast<std::uint16_t>(key))
                   .rate;
    }
    // An unknown mono time constant (4-bit ADPCM, for one) is written at
    // 22050 Hz but reported as a failure, so that it is not played.
    const bool unknownMono = rate == kUnknown;
    if (unknownMono) rate = 22050;

    PcmWavHeader header =
        mono ? makePcmWavHeader(1, rate, rate, 1, 8, size) : makePcmWavHeader(2, rate, 2 * rate, 2, 8, size);
    // The last byte of the file is not copied.
    if (!writeOutput(source, outputPath, header, {40, size, SampleStep::ByteCopy}, result)) return result;
    setPlayTime(result, source.length(), mono ? rate : 2.0 * rate);
    if (unknownMono) {
        result.readFailed = true;
        result.reason = sourcePath + " has an 8-bit sound block with time constant " + std::to_string(key) +
                        ", which this player does not know; it was converted at 22050 Hz but is not played.";
    }
    return result;
}

}  // namespace sonkrate::import
