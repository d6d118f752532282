#include "ids/name_harvest.h"

#include <algorithm>
#include <array>

#include "ids/crc32_fast.h"
#include "io/file.h"
#include "io/tree_walk.h"

namespace sonkrate::ids {

namespace {

// Longer runs are tried in segments of about this size, each cut after a delimiter.
constexpr std::size_t kSegment = 16 * 1024;

// Low bytes of UTF-16LE characters kept: printable ASCII, tab and Latin-1 letters.
constexpr std::array<bool, 256> makeWide() {
    std::array<bool, 256> wide{};
    for (int b = 0; b < 256; ++b) wide[b] = b == '\t' || (b >= 0x20 && b < 0x7F) || b >= 0xA0;
    return wide;
}

constexpr std::array<bool, 256> kWide = makeWide();

}  // namespace

NameScanner::NameScanner(const SoughtIds& sought, NameMatches& matches) : sought_(sought), matches_(matches) {
    carry_.reserve(3 * kSegment);
    spans_.reserve(256);
}

void NameScanner::begin(std::string sourcePath) {
    path_ = std::move(sourcePath);
    position_ = 0;
    carry_.clear();
    carryIsRunStart_ = true;
    previous_ = -1;
    for (WideRun& w : wide_) w.bytes.clear();
}

void NameScanner::feed(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t(&kinds)[256] = detail::kKinds.of;
    std::size_t i = 0;
    while (i < size) {
        std::size_t j = i;
        std::uint8_t runKinds = 0;
        for (std::uint8_t k; j < size && ((k = kinds[data[j]]) & kRunByte); ++j) runKinds |= k;
        if (j == size) {
            carry(data + i, j - i, position_ + i, runKinds);
            break;
        }
        if (!carry_.empty()) {
            carry(data + i, j - i, position_ + i, runKinds);
            flushCarry();
        } else if (j - i >= kMinNameLength) {
            narrowRun(data + i, j - i, position_ + i, runKinds);
        }
        // data[j] ends the run; a zero after a character may end a UTF-16 one.
        if (data[j] == 0) {
            const int before = j > 0 ? data[j - 1] : previous_;
            if (before >= 0 && kWide[static_cast<std::uint8_t>(before)]) wideCharacter(before, position_ + j - 1);
        }
        i = j + 1;
    }
    if (size > 0) previous_ = data[size - 1];
    position_ += size;
}

void NameScanner::finish() {
    if (!carry_.empty()) flushCarry();
    for (WideRun& w : wide_) flushWide(w);
}

void NameScanner::narrowRun(const std::uint8_t* run, std::size_t size, std::uint64_t offset, std::uint8_t kinds) {
    if (size <= kMaxNameLength && !(kinds & kCutting)) {
        tryWhole(run, size, offset);
        return;
    }
    if (size <= kSegment) {
        tryRun(run, size, offset, 1, true, kinds);
        return;
    }
    std::size_t at = 0;
    while (size - at > kSegment) {
        std::size_t cut = at + kSegment;
        while (cut > at && !isNameDelimiter(run[cut - 1])) --cut;
        if (cut == at) cut = at + kSegment;  // no delimiter: nothing in it is short enough to matter
        tryRun(run + at, cut - at, offset + at, 1, false, kindsOf(run + at, cut - at));
        at = cut;
    }
    tryRun(run + at, size - at, offset + at, 1, false, kindsOf(run + at, size - at));
}

void NameScanner::carry(const std::uint8_t* data, std::size_t size, std::uint64_t offset, std::uint8_t kinds) {
    if (carry_.empty()) {
        carryOffset_ = offset;
        carryKinds_ = 0;
    }
    carryKinds_ |= kinds;
    carry_.insert(carry_.end(), data, data + size);
    if (carry_.size() <= 2 * kSegment) return;
    // Too long to keep: the segments up to the last delimiter are tried now.
    std::size_t cut = carry_.size() - kSegment;
    while (cut > 0 && !isNameDelimiter(carry_[cut - 1])) --cut;
    if (cut == 0) cut = carry_.size() - kSegment;
    tryRun(carry_.data(), cut, carryOffset_, 1, false, kindsOf(carry_.data(), cut));
    carry_.erase(carry_.begin(), carry_.begin() + static_cast<std::ptrdiff_t>(cut));
    carryOffset_ += cut;
    carryIsRunStart_ = false;
    carryKinds_ = kindsOf(carry_.data(), carry_.size());
}

void NameScanner::flushCarry() {
    if (carryIsRunStart_) narrowRun(carry_.data(), carry_.size(), carryOffset_, carryKinds_);
    else tryRun(carry_.data(), carry_.size(), carryOffset_, 1, false, carryKinds_);
    carry_.clear();
    carryIsRunStart_ = true;
}

void NameScanner::wideCharacter(std::uint8_t low, std::uint64_t offset) {
    WideRun& run = wide_[offset & 1];
    if (!run.bytes.empty() && run.offset + 2 * run.bytes.size() != offset) flushWide(run);
    if (run.bytes.empty()) run.offset = offset;
    run.bytes.push_back(low);
    if (run.bytes.size() >= kSegment) flushWide(run);
}

void NameScanner::flushWide(WideRun& run) {
    if (run.bytes.size() >= kMinNameLength)
        tryRun(run.bytes.data(), run.bytes.size(), run.offset, 2, true, kindsOf(run.bytes.data(), run.bytes.size()));
    run.bytes.clear();
}

void NameScanner::tryRun(const std::uint8_t* run, std::size_t size, std::uint64_t offset, unsigned stride,
                         bool wholeRun, std::uint8_t kinds) {
    if (size < kMinNameLength) return;
    auto tryOne = [&](std::size_t start, std::size_t length) {
        const SoundId id = crcUpdateLower(kCrcStart, run + start, length) ^ kCrcStart;
        if (sought_.contains(id)) keep(id, run + start, length, offset + std::uint64_t{start} * stride);
    };
    if (!(kinds & (kDoubleQuote | kSingleQuote))) {
        // Without quotation marks no span comes twice.
        forEachCandidateSpan(run, size, wholeRun, kinds, [&](std::size_t start, std::size_t length) {
            ++candidates_;
            tryOne(start, length);
        });
        return;
    }
    candidateSpans(run, size, wholeRun, kinds, spans_);
    candidates_ += spans_.size();
    for (const NameSpan& s : spans_) tryOne(s.start, s.length);
}

void NameScanner::tryWhole(const std::uint8_t* run, std::size_t size, std::uint64_t offset) {
    ++candidates_;
    const SoundId id = crcUpdateLower(kCrcStart, run, size) ^ kCrcStart;
    if (sought_.contains(id)) keep(id, run, size, offset);
}

void NameScanner::keep(SoundId id, const std::uint8_t* bytes, std::size_t size, std::uint64_t offset) {
    std::string name(reinterpret_cast<const char*>(bytes), size);
    for (char& c : name) c = static_cast<char>(lowerAsciiByte(static_cast<std::uint8_t>(c)));
    if (matches_.add({id, std::move(name), NameHow::Found, path_, offset})) ++added_;
}

namespace {

void noteProblem(HarvestResult& result, const std::string& sentence,
                 const std::function<void(const std::string&)>& onProblem) {
    if (result.problems.size() < kMaxProblemsKept) result.problems.push_back(sentence);
    ++result.problemCount;
    if (onProblem) onProblem(sentence);
}

}  // namespace

HarvestResult harvestNames(const std::vector<std::string>& paths, const SoughtIds& sought, NameMatches& matches,
                           const std::function<void(const HarvestProgress&)>& progress,
                           const std::function<void(const std::string&)>& onProblem) {
    HarvestResult result;
    HarvestProgress shown;
    if (progress)
        io::walkFiles(paths, [&](const io::WalkedFile& f) { shown.bytesTotal += f.size; return true; },
                      [](const std::string&) {});
    NameScanner scanner(sought, matches);
    std::vector<std::uint8_t> buffer(io::kCopyBufferSize);
    auto scanFile = [&](const io::WalkedFile& f) {
        io::File file;
        if (io::Outcome opened = file.open(f.path, io::FileMode::Read); !opened) {
            noteProblem(result, opened.reason, onProblem);
            return true;
        }
        scanner.begin(f.path);
        for (;;) {
            const std::size_t got = file.readSome(buffer.data(), buffer.size());
            if (got == 0) break;
            scanner.feed(buffer.data(), got);
            result.bytesRead += got;
            shown.bytesDone += got;
            shown.namesFound = matches.count();
            if (progress) progress(shown);
        }
        scanner.finish();
        if (file.failed()) noteProblem(result, io::systemError("Cannot read", f.path), onProblem);
        ++result.filesRead;
        ++shown.filesDone;
        return true;
    };
    io::walkFiles(paths, scanFile, [&](const std::string& s) { noteProblem(result, s, onProblem); });
    result.candidates = scanner.candidates();
    result.namesFound = scanner.matchesAdded();
    shown.namesFound = matches.count();
    if (progress) progress(shown);
    return result;
}

}  // namespace sonkrate::ids
