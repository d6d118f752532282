#include "import/pvf_reader.h"

#include "import/text_words.h"

namespace sonkrate::import {

namespace {

// The start of a header word up to its first character that is not plain text.
std::string printablePrefix(const std::string& text) {
    std::string shown;
    for (char c : text) {
        if (c < 0x20 || c > 0x7E || shown.size() == 8) break;
        shown.push_back(c);
    }
    return shown;
}

}  // namespace

ConversionResult convertPvf(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    ForeignSource source;
    if (!openSource(source, sourcePath, result)) return result;

    // Past "PVF1" and its newline: three words, each ending at the next blank.
    TextStream stream(source.file(), 5);
    TextWord channelWord, rateWord, widthWord;
    if (!readWord(stream, channelWord)) channelWord = {};
    if (!readWord(stream, rateWord)) rateWord = {};
    if (!readWord(stream, widthWord)) widthWord = {};
    const int channels = leadingInteger(channelWord.text);
    const std::uint32_t rate = static_cast<std::uint32_t>(leadingInteger(rateWord.text));
    // The width is known by its first digit: "16" gives 1, "8" gives 8, "32" gives 3.
    const int widthCode = leadingInteger(widthWord.first(1));

    const bool mono = channels == 1;
    const std::uint16_t written = mono ? 1 : 2;
    const std::uint32_t doubling = channels == 2 ? 2 : 1;
    const double halve = channels == 2 ? 2.0 : 1.0;
    // An odd file length counts one byte more of data.
    const std::int64_t cut = (source.length() % 2 == 0) ? 1024 : 1023;

    if (widthCode == 1 || widthCode == 8) {
        result.layout = widthCode == 1 ? "PVF 16-bit" : "PVF 8-bit";
        std::uint32_t size = 0;
        if (!source.holds(1024) || !dataSize(source, cut, result.layout, size, result)) {
            return readFailure(tooShortReason(source, result.layout, 1024), result.layout);
        }
        std::uint32_t writtenRate = rate;
        std::uint32_t byteRate = 2 * rate * doubling;
        if (widthCode == 8) {
            // Two 8-bit samples to a 16-bit sample, at half the rate (see COMPATIBILITY.md).
            writtenRate /= 2;
            byteRate /= 2;
        }
        PcmWavHeader header = makePcmWavHeader(written, writtenRate, byteRate, mono ? 2 : 4, 16, size);
        if (!writeOutput(source, outputPath, header, {1024, size, SampleStep::PairSwap}, result)) return result;
        setPlayTime(result, source.length(), 2.0 * writtenRate * halve);
        return result;
    }
    if (widthCode == 3) {
        result.layout = "PVF 32-bit";
        std::uint32_t size = 0;
        if (!source.holds(1024) || !dataSize(source, cut, result.layout, size, result)) {
            return readFailure(tooShortReason(source, result.layout, 1024), result.layout);
        }
        PcmWavHeader header = makePcmWavHeader(written, rate, 4 * rate * doubling, mono ? 4 : 8, 32, size);
        if (!writeOutput(source, outputPath, header, {1024, size, SampleStep::QuadReversal}, result)) return result;
        setPlayTime(result, source.length(), 4.0 * rate * halve);
        return result;
    }
    return readFailure(sourcePath + " is a PVF file of a sample width this player cannot convert (\"" +
                           printablePrefix(widthWord.text) + "\"; 8, 16 and 32 bits are converted).",
                       "PVF");
}

}  // namespace sonkrate::import
