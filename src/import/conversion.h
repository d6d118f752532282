// What the foreign-format readers share: the result each returns, the source
// file measured once with its first header bytes at hand, the rate tables
// with their fallback rows, writing the output behind a safe replacement, and
// the playing-time rule.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "import/output_headers.h"
#include "import/sample_steps.h"
#include "io/file.h"
#include "io/outcome.h"

namespace sonkrate::import {

// The result of one reader: the shell's ReadFailed, PlayTimeSeconds and
// PlayTimeCount, and whether the output file was written. A few layouts are
// written and still reported as failed (an 8-bit VOC whose time constant is
// unknown); the caller then does not play them.
struct ConversionResult {
    bool readFailed = false;
    std::string reason;           // why, naming the file, when readFailed
    bool outputWritten = false;   // the output file now holds this conversion
    bool playTimeSet = false;     // the two playing-time values below were computed
    double playTimeSeconds = 0.0;
    int playTimeCount = 0;        // whole seconds x 1000
    std::string layout;           // what the file was taken for, e.g. "AIFF 16-bit"

    bool ok() const { return !readFailed; }
};

// Every reader has this shape: the source path and the output path.
using ReaderFunction = ConversionResult (*)(const std::string& sourcePath, const std::string& outputPath);

// Sizes and fields are 32-bit; longer files are refused.
inline constexpr std::uint64_t kLargestSource = 0x7FFFFFFFu;
// Bytes of the source kept at hand for the header fields (the readers read
// nothing beyond byte 54).
inline constexpr std::size_t kHeaderBytes = 64;

// The source file, open for reading, measured, with its first header bytes.
// Fields beyond the end of a short file read as zero.
class ForeignSource {
public:
    io::Outcome open(const std::string& path);

    const std::string& path() const { return file_.path(); }
    // L: the whole file length, header included.
    std::uint32_t length() const { return length_; }
    io::File& file() { return file_; }

    std::uint8_t byte(std::size_t at) const { return at < head_.size() ? head_[at] : 0; }
    // Two bytes as a little-endian word, as the readers compare them.
    std::uint16_t word(std::size_t at) const;
    std::uint16_t wordBE(std::size_t at) const;
    std::uint32_t u32(std::size_t at) const;
    std::uint32_t u32BE(std::size_t at) const;
    std::string chars(std::size_t at, std::size_t n) const;

    // True when the file holds at least `end` bytes.
    bool holds(std::int64_t end) const { return end >= 0 && static_cast<std::uint64_t>(end) <= length_; }

private:
    io::File file_;
    std::uint32_t length_ = 0;
    std::array<std::uint8_t, kHeaderBytes> head_{};
};

struct RateRow {
    std::uint32_t key;
    std::uint32_t rate;
    std::uint32_t byteRate;
};

// The row whose key matches, else the fallback row.
RateRow lookupRate(std::initializer_list<RateRow> rows, RateRow fallback, std::uint32_t key);

// The data to copy after the header: count bytes stepped over from offset.
struct CopyPlan {
    std::uint64_t offset = 0;
    std::uint64_t count = 0;
    SampleStep step = SampleStep::PairCopy;
};

// Writes header + converted data to outputPath (replaced only when complete).
io::Outcome writeConversion(ForeignSource& source, const std::string& outputPath, const std::uint8_t* header,
                            std::size_t headerSize, const CopyPlan& plan);
template <std::size_t N>
io::Outcome writeConversion(ForeignSource& source, const std::string& outputPath,
                            const std::array<std::uint8_t, N>& header, const CopyPlan& plan) {
    return writeConversion(source, outputPath, header.data(), N, plan);
}

// Writes the output under one of the two headers and marks the result as
// written; false, with the read failure in result, when it could not be written.
bool writeOutput(ForeignSource& source, const std::string& outputPath, const PcmWavHeader& header,
                 const CopyPlan& plan, ConversionResult& result);
bool writeOutput(ForeignSource& source, const std::string& outputPath, const G711WavHeader& header,
                 const CopyPlan& plan, ConversionResult& result);

// The readers' playing-time rule: numerator / divisor seconds (0 for a zero
// divisor), PlayTimeCount the whole seconds x 1000.
void setPlayTime(ConversionResult& result, double numerator, double divisor);

ConversionResult readFailure(std::string reason, std::string layout = {});
// The sentence for a file that ends before its sound data can start.
std::string tooShortReason(const ForeignSource& source, const std::string& layout, std::int64_t needed);
// Opens the source or gives the read failure for it.
bool openSource(ForeignSource& source, const std::string& path, ConversionResult& failed);
// The data size L - cut, or a read failure when the file is shorter than that needs.
bool dataSize(const ForeignSource& source, std::int64_t cut, const std::string& layout, std::uint32_t& size,
              ConversionResult& failed);

}  // namespace sonkrate::import
