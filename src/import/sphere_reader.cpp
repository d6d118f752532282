#include "import/sphere_reader.h"

#include <array>

#include "import/text_words.h"

namespace sonkrate::import {

namespace {

constexpr int kWordsExamined = 10;
constexpr std::uint32_t kDataOffset = 1024;

bool isRateText(const std::string& q) {
    static const std::array<const char*, 9> kRates = {"11025", "22050", "44100", "88200", "8000",
                                                      "16000", "48000", "96000", "32000"};
    for (const char* r : kRates)
        if (q == r) return true;
    return false;
}

void takeIntegerValue(const TextWord& value, SphereScan& scan) {
    std::string q;
    if (!scan.channelFound) {
        q = value.first(1);
        if (q == "1" || q == "2") scan.channelFound = true;
    } else if (value.length > 5) {
        q = value.first(5);
        scan.lastSix = value.first(6);
        scan.lastTwo = value.first(2);
        if (scan.lastTwo == "24") scan.is24Bit = true;
    } else {
        q = value.text;
    }
    if (q == "1" || q == "2") scan.channelText = value.text;
    if (isRateText(q) || scan.lastSix == "176400") scan.rateText = scan.lastSix == "176400" ? scan.lastSix : q;
}

}  // namespace

int SphereScan::channels() const { return leadingInteger(channelText); }

int SphereScan::rate() const {
    int value = leadingInteger(rateText);
    return value == 0 ? 44100 : value;
}

SphereScan scanSphereHeader(io::File& file) {
    SphereScan scan;
    TextStream stream(file, 0);
    TextWord word, value;
    for (int examined = 0; examined < kWordsExamined; ++examined) {
        if (!readWord(stream, word)) break;
        if (word.is("-s4")) {
            if (!readWord(stream, value)) value = {};
            // A value shorter than four characters matches neither.
            if (value.length >= 4 && value.first(4) == "ulaw") scan.muLaw = true;
            if (value.length >= 4 && value.first(4) == "alaw") scan.aLaw = true;
        } else if (word.is("-i")) {
            if (!readWord(stream, value)) value = {};
            takeIntegerValue(value, scan);
        }
    }
    return scan;
}

ConversionResult convertSphere(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    ForeignSource source;
    if (!openSource(source, sourcePath, result)) return result;
    const SphereScan scan = scanSphereHeader(source.file());
    const int channels = scan.channels();
    const std::uint32_t rate = static_cast<std::uint32_t>(scan.rate());
    const bool mono = channels == 1;
    const std::uint16_t written = mono ? 1 : 2;
    const double halve = channels == 2 ? 2.0 : 1.0;

    std::uint32_t size = 0;
    if (scan.muLaw || scan.aLaw) {
        result.layout = scan.muLaw ? "SPHERE mu-law" : "SPHERE A-law";
        if (!dataSize(source, kDataOffset, result.layout, size, result)) return result;
        G711WavHeader header =
            makeG711WavHeader(scan.muLaw ? kFormatMuLaw : kFormatALaw, written, rate, mono ? rate : rate * 2, size);
        if (!writeOutput(source, outputPath, header, {kDataOffset, size, SampleStep::PairCopy}, result))
            return result;
        setPlayTime(result, source.length(), rate * halve);
        return result;
    }

    PcmWavHeader header;
    if (scan.is24Bit) {
        result.layout = "SPHERE 24-bit";
        if (!dataSize(source, kDataOffset, result.layout, size, result)) return result;
        std::uint32_t byteRate = rate * 3 * (scan.lastTwo == "24" ? 2 : 1);
        header = makePcmWavHeader(written, rate, byteRate, mono ? 3 : 6, 24, size);
    } else {
        // A "32" among the values plays 32-bit data as 16-bit samples at twice the rate.
        result.layout = "SPHERE 16-bit";
        if (!dataSize(source, kDataOffset, result.layout, size, result)) return result;
        const std::uint32_t twice = scan.lastTwo == "32" ? 2 : 1;
        std::uint32_t byteRate = (channels == 2 ? rate * 4 : rate * 2) * twice;
        header = makePcmWavHeader(written, rate * twice, byteRate, mono ? 2 : 4, 16, size);
    }
    if (!writeOutput(source, outputPath, header, {kDataOffset, size, SampleStep::PairCopy}, result)) return result;
    double perSecond = scan.lastTwo == "24" ? 3.0 * rate : scan.lastTwo == "32" ? 8.0 * rate : 2.0 * rate;
    setPlayTime(result, source.length(), perSecond * halve);
    return result;
}

}  // namespace sonkrate::import
