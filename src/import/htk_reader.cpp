#include "import/htk_reader.h"

namespace sonkrate::import {

ConversionResult convertHtk(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    ForeignSource source;
    if (!openSource(source, sourcePath, result)) return result;
    result.layout = "HTK 16-bit";
    // The low half of the big-endian sample period, in units of 100 ns.
    const RateRow row = lookupRate({{1250, 8000, 16000}, {907, 11025, 22050}, {625, 16000, 32000},
                                    {453, 22050, 44100}, {312, 32000, 64000}, {226, 44100, 88200},
                                    {208, 48000, 96000}, {113, 88200, 176400}, {104, 96000, 192000},
                                    {56, 176400, 352800}, {52, 192000, 384000}},
                                   {0, 22050, 44100}, source.wordBE(6));
    // The big-endian bytes per sample, read as a little-endian word: 512 is 2.
    const std::uint16_t sampleSize = source.word(8);
    if (sampleSize != 512) {
        std::uint16_t bytes = static_cast<std::uint16_t>((sampleSize >> 8) | (sampleSize << 8));
        return readFailure(sourcePath + " is an HTK file of " + std::to_string(bytes) +
                               "-byte samples; only 2-byte samples are converted.",
                           result.layout);
    }
    std::uint32_t size = 0;
    if (!dataSize(source, 12, result.layout, size, result)) return result;
    PcmWavHeader header = makePcmWavHeader(1, row.rate, row.byteRate, 2, 16, size);
    if (!writeOutput(source, outputPath, header, {12, size, SampleStep::PairSwap}, result)) return result;
    // Whole seconds: the quotient is taken in integers.
    setPlayTime(result, static_cast<double>(source.length() / row.byteRate), 1.0);
    return result;
}

}  // namespace sonkrate::import
