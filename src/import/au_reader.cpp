#include "import/au_reader.h"

namespace sonkrate::import {

namespace {

constexpr std::uint8_t kMuLaw = 1;
constexpr std::uint8_t kLinear8 = 2;
constexpr std::uint8_t kLinear16 = 3;
constexpr std::uint8_t kLinear32 = 5;
constexpr std::uint8_t kALaw = 27;

// The encoding is the low byte of the big-endian field at 12, the rate the
// big-endian 32-bit field at 16, decoded straight from the header bytes.
std::uint8_t encodingOf(const ForeignSource& source) { return source.byte(15); }
std::uint32_t rateOf(const ForeignSource& source) { return source.u32BE(16); }
bool hasSignature(const ForeignSource& source) { return source.chars(1, 3) == "snd"; }

ConversionResult unsupported(const std::string& path, std::uint8_t encoding, bool signature) {
    if (!signature && (encoding == kLinear32 || encoding == kALaw))
        return readFailure(path + " does not begin with \".snd\", so its encoding " + std::to_string(encoding) +
                               " is not trusted.",
                           "AU");
    return readFailure(path + " holds AU encoding " + std::to_string(encoding) +
                           ", which this player cannot convert (8-, 16- and 32-bit linear, mu-law and A-law are).",
                       "AU");
}

}  // namespace

ConversionResult convertAu(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    std::uint8_t encoding = 0;
    bool signature = false;
    {
        ForeignSource source;
        if (!openSource(source, sourcePath, result)) return result;
        signature = hasSignature(source);
        encoding = encodingOf(source);
        const std::uint32_t sampleRate = rateOf(source);
        const std::uint16_t channelWord = source.word(22);

        std::uint32_t rate = 0, byteRate = 0;
        bool linear = true;
        switch (encoding) {
        case kLinear8:  // two samples to a 16-bit sample, at half the rate (see COMPATIBILITY.md)
            rate = sampleRate / 2;
            byteRate = sampleRate;
            result.layout = "AU 8-bit";
            break;
        case kLinear16:
            rate = sampleRate;
            byteRate = 2 * sampleRate;
            result.layout = "AU 16-bit";
            break;
        case kLinear32:  // each sample as its two halves, at twice the rate
            rate = 2 * sampleRate;
            byteRate = 4 * sampleRate;
            result.layout = "AU 32-bit";
            linear = signature;
            break;
        default: linear = false; break;
        }
        if (linear) {
            std::uint32_t size = 0;
            if (!dataSize(source, 32, result.layout, size, result)) return result;
            // Stereo is played as one channel at twice the rate.
            if (channelWord == 512) {
                rate *= 2;
                byteRate *= 2;
            }
            PcmWavHeader header = makePcmWavHeader(1, rate, byteRate, 2, 16, size);
            if (!writeOutput(source, outputPath, header, {32, size, SampleStep::PairSwap}, result)) return result;
            setPlayTime(result, source.length(), 2.0 * rate);
            return result;
        }
    }
    if (encoding == kMuLaw || (encoding == kALaw && signature)) return convertAuG711(sourcePath, outputPath);
    return unsupported(sourcePath, encoding, signature);
}

ConversionResult convertAuG711(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    ForeignSource source;
    if (!openSource(source, sourcePath, result)) return result;
    const std::uint8_t encoding = encodingOf(source);
    const std::uint32_t rate = rateOf(source);
    const std::uint8_t channelByte = source.byte(23);
    if (encoding != kMuLaw && encoding != kALaw) return unsupported(sourcePath, encoding, true);
    result.layout = encoding == kMuLaw ? "AU mu-law" : "AU A-law";

    std::uint32_t size = 0;
    if (!dataSize(source, 24, result.layout, size, result)) return result;
    const std::uint32_t byteRate = channelByte == 2 ? rate * 2 : rate;
    const std::uint16_t channels = channelByte == 1 ? 1 : 2;
    G711WavHeader header =
        makeG711WavHeader(encoding == kMuLaw ? kFormatMuLaw : kFormatALaw, channels, rate, byteRate, size);
    if (!writeOutput(source, outputPath, header, {24, size, SampleStep::PairCopy}, result)) return result;
    setPlayTime(result, source.length(), channelByte == 2 ? rate * 2.0 : static_cast<double>(rate));
    return result;
}

}  // namespace sonkrate::import
