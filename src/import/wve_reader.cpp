#include "import/wve_reader.h"

#include "import/text_words.h"
#include "io/paths.h"

namespace sonkrate::import {

bool hasWveSignature(io::File& file) {
    // Only whether the text is longer than five characters matters beyond its
    // first six, so no more than six are read.
    TextStream stream(file, 0);
    std::string text;
    while (text.size() < 6) {
        int c = stream.get();
        if (c < 0 || c == '.') break;
        text.push_back(static_cast<char>(c));
    }
    if (text.size() > 5) text = io::toLower(text.substr(0, 4));
    return text == "alaw";
}

ConversionResult convertWve(const std::string& sourcePath, const std::string& outputPath) {
    ConversionResult result;
    ForeignSource source;
    if (!openSource(source, sourcePath, result)) return result;
    result.layout = "WVE A-law";
    if (!hasWveSignature(source.file())) {
        return readFailure(sourcePath + " does not begin with \"ALawSoundFile\", so it is not a WVE file.",
                           result.layout);
    }
    const std::uint32_t rate = lookupRate({{3762, 8000, 0}, {25135, 11025, 0}, {22860, 16000, 0},
                                           {50154, 22050, 0}, {15677, 32000, 0}, {34517, 44100, 0},
                                           {5921, 48000, 0}, {51275, 88200, 0}, {41702, 96000, 0}},
                                          {0, 8000, 0}, source.word(20))
                                   .rate;
    std::uint32_t size = 0;
    if (!dataSize(source, 32, result.layout, size, result)) return result;
    G711WavHeader header = makeG711WavHeader(kFormatALaw, 1, rate, rate, size);
    if (!writeOutput(source, outputPath, header, {32, size, SampleStep::PairCopy}, result)) return result;
    setPlayTime(result, source.length(), rate);
    return result;
}

}  // namespace sonkrate::import
