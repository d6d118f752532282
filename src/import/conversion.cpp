#include "import/conversion.h"

#include <cmath>
#include <limits>

#include "io/byte_order.h"
#include "io/replacement.h"

namespace sonkrate::import {

io::Outcome ForeignSource::open(const std::string& path) {
    io::Outcome opened = file_.open(path, io::FileMode::Read);
    if (!opened) return opened;
    std::uint64_t size = file_.size();
    if (size > kLargestSource)
        return io::failure(path + " is too large to convert (2 GiB or more)");
    length_ = static_cast<std::uint32_t>(size);
    head_.fill(0);
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, head_.size()));
    if (want > 0) {
        io::Outcome read = file_.readAt(0, head_.data(), want);
        if (!read) return read;
    }
    return io::success();
}

std::uint16_t ForeignSource::word(std::size_t at) const {
    std::uint8_t b[2] = {byte(at), byte(at + 1)};
    return io::getU16(b);
}

std::uint16_t ForeignSource::wordBE(std::size_t at) const {
    std::uint8_t b[2] = {byte(at), byte(at + 1)};
    return io::getU16BE(b);
}

std::uint32_t ForeignSource::u32(std::size_t at) const {
    std::uint8_t b[4] = {byte(at), byte(at + 1), byte(at + 2), byte(at + 3)};
    return io::getU32(b);
}

std::uint32_t ForeignSource::u32BE(std::size_t at) const {
    std::uint8_t b[4] = {byte(at), byte(at + 1), byte(at + 2), byte(at + 3)};
    return io::getU32BE(b);
}

std::string ForeignSource::chars(std::size_t at, std::size_t n) const {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) text.push_back(static_cast<char>(byte(at + i)));
    return text;
}

RateRow lookupRate(std::initializer_list<RateRow> rows, RateRow fallback, std::uint32_t key) {
    for (const RateRow& row : rows)
        if (row.key == key) return row;
    return fallback;
}

io::Outcome writeConversion(ForeignSource& source, const std::string& outputPath, const std::uint8_t* header,
                            std::size_t headerSize, const CopyPlan& plan) {
    io::ReplacementFile output;
    io::Outcome begun = output.begin(outputPath);
    if (!begun) return io::failure("Cannot create " + outputPath + " (" + begun.reason + ")");
    io::Outcome put = output.file().write(header, headerSize);
    if (!put) return put;
    io::Outcome copied = copySteps(source.file(), source.length(), plan.offset, plan.count, plan.step, output.file());
    if (!copied) return copied;
    // Synced: the caller may move it over a file the user keeps.
    io::Outcome committed = output.commit();
    if (!committed) return io::failure("Cannot write " + outputPath + " (" + committed.reason + ")");
    return io::success();
}

namespace {

template <std::size_t N>
bool writeWith(ForeignSource& source, const std::string& outputPath, const std::array<std::uint8_t, N>& header,
               const CopyPlan& plan, ConversionResult& result) {
    io::Outcome written = writeConversion(source, outputPath, header, plan);
    if (!written) {
        result = readFailure(written.reason, result.layout);
        return false;
    }
    result.outputWritten = true;
    return true;
}

}  // namespace

bool writeOutput(ForeignSource& source, const std::string& outputPath, const PcmWavHeader& header,
                 const CopyPlan& plan, ConversionResult& result) {
    return writeWith(source, outputPath, serialize(header), plan, result);
}

bool writeOutput(ForeignSource& source, const std::string& outputPath, const G711WavHeader& header,
                 const CopyPlan& plan, ConversionResult& result) {
    return writeWith(source, outputPath, serialize(header), plan, result);
}

void setPlayTime(ConversionResult& result, double numerator, double divisor) {
    double seconds = divisor == 0.0 ? 0.0 : numerator / divisor;
    if (!std::isfinite(seconds)) seconds = 0.0;
    double whole = std::trunc(seconds) * 1000.0;
    constexpr double kMost = static_cast<double>(std::numeric_limits<int>::max());
    result.playTimeSet = true;
    result.playTimeSeconds = seconds;
    result.playTimeCount = static_cast<int>(whole > kMost ? kMost : (whole < -kMost ? -kMost : whole));
}

ConversionResult readFailure(std::string reason, std::string layout) {
    ConversionResult result;
    result.readFailed = true;
    result.reason = std::move(reason);
    result.layout = std::move(layout);
    return result;
}

std::string tooShortReason(const ForeignSource& source, const std::string& layout, std::int64_t needed) {
    return source.path() + " is too short for a " + layout + " file: it holds " + std::to_string(source.length()) +
           " bytes, and its sound data would need at least " + std::to_string(needed) + ".";
}

bool openSource(ForeignSource& source, const std::string& path, ConversionResult& failed) {
    io::Outcome opened = source.open(path);
    if (opened) return true;
    failed = readFailure(opened.reason);
    return false;
}

bool dataSize(const ForeignSource& source, std::int64_t cut, const std::string& layout, std::uint32_t& size,
              ConversionResult& failed) {
    std::int64_t value = static_cast<std::int64_t>(source.length()) - cut;
    if (value < 0) {
        failed = readFailure(tooShortReason(source, layout, cut), layout);
        return false;
    }
    size = static_cast<std::uint32_t>(value);
    return true;
}

}  // namespace sonkrate::import
