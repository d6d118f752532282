#include "archive/check/archive_diff.h"

#include <algorithm>
#include <deque>
#include <map>
#include <unordered_map>
#include <utility>

#include "archive/format/entry_reader.h"
#include "archive/format/tpa_loader.h"
#include "audio/cau/caption_sections.h"

namespace sonkrate::archive {

namespace {

constexpr std::size_t kCompareBuffer = 64 * 1024;

// One archive's sounds as the diff needs them: records and image facts, no data.
struct Side {
    std::string path;
    io::File file;
    std::vector<EntrySound> sounds;
};

io::Outcome readSide(const std::string& path, Side& side) {
    side.path = path;
    TpaLoad load = loadTpaArchive(path, "");
    if (!load.outcome) return load.outcome;
    if (io::Outcome walked = forEachEntrySound(load.archive, [&](const EntrySound& e) {
            side.sounds.push_back(e);
            side.sounds.back().caption.shrink_to_fit();
            return true;
        });
        !walked)
        return walked;
    return side.file.open(path, io::FileMode::Read);
}

DiffSide factsOf(const EntrySound& e) {
    DiffSide s;
    s.index = e.index;
    s.attenuation = e.entry.auxValue;
    s.volume = e.entry.reserved;
    s.sampleRate = e.header.sampleRate;
    s.channels = e.header.channels;
    s.bitsPerSample = e.header.bitsPerSample;
    s.compression = e.header.compression;
    s.blockAlign = e.header.blockAlign;
    s.dataSize = e.dataSize;
    return s;
}

bool sameCaptions(const EntrySound& a, const EntrySound& b) {
    if (a.header.hasCaption() != b.header.hasCaption()) return false;
    if (!a.header.hasCaption()) return true;
    if (a.captionFault != b.captionFault) return false;
    if (a.captionFault != audio::CaptionFault::None) return a.caption == b.caption;
    if (a.captionSections.size() != b.captionSections.size()) return false;
    for (std::size_t i = 0; i < a.captionSections.size(); ++i)
        if (a.captionSections[i].fifths != b.captionSections[i].fifths ||
            a.captionSections[i].text != b.captionSections[i].text)
            return false;
    return true;
}

// Compares the sound data of the two entries buffer by buffer.
class DataComparer {
public:
    DataComparer(Side& a, Side& b) : a_(a), b_(b), bufferA_(kCompareBuffer), bufferB_(kCompareBuffer) {}

    io::Outcome same(const EntrySound& x, const EntrySound& y, bool& equal) {
        if (x.dataSize != y.dataSize) {
            equal = false;
            return io::success();
        }
        // Shared images are compared once.
        auto key = std::make_pair(x.dataStart, y.dataStart);
        if (auto known = seen_.find(key); known != seen_.end()) {
            equal = known->second;
            return io::success();
        }
        equal = true;
        for (std::uint64_t done = 0; done < x.dataSize && equal;) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kCompareBuffer, x.dataSize - done));
            if (io::Outcome got = a_.file.readAt(x.dataStart + done, bufferA_.data(), n); !got) {
                failedPath_ = a_.path;
                return got;
            }
            if (io::Outcome got = b_.file.readAt(y.dataStart + done, bufferB_.data(), n); !got) {
                failedPath_ = b_.path;
                return got;
            }
            equal = std::equal(bufferA_.begin(), bufferA_.begin() + static_cast<long>(n), bufferB_.begin());
            done += n;
        }
        seen_[key] = equal;
        return io::success();
    }

    // The archive whose read failed, after a failure.
    const std::string& failedPath() const { return failedPath_; }

private:
    Side& a_;
    Side& b_;
    std::vector<std::uint8_t> bufferA_, bufferB_;
    std::map<std::pair<std::uint64_t, std::uint64_t>, bool> seen_;
    std::string failedPath_;
};

io::Outcome compareBoth(const EntrySound& x, const EntrySound& y, DataComparer& data, ArchiveDiff& diff) {
    SoundDifference d;
    d.soundId = x.entry.soundId;
    d.a = factsOf(x);
    d.b = factsOf(y);
    SoundChanges& c = d.changes;
    bool sameData = false;
    if (io::Outcome compared = data.same(x, y, sameData); !compared) return compared;
    c.data = !sameData;
    c.attenuation = d.a->attenuation != d.b->attenuation;
    c.volume = d.a->volume != d.b->volume;
    c.captions = !sameCaptions(x, y);
    c.format = d.a->sampleRate != d.b->sampleRate || d.a->channels != d.b->channels ||
               d.a->bitsPerSample != d.b->bitsPerSample || d.a->compression != d.b->compression ||
               d.a->blockAlign != d.b->blockAlign;
    if (c.any()) diff.differences.push_back(std::move(d));
    else ++diff.unchanged;
    return io::success();
}

}  // namespace

ArchiveDiff diffArchives(const std::string& pathA, const std::string& pathB) {
    ArchiveDiff diff;
    Side a, b;
    diff.failedFile = pathA;
    if (!(diff.outcome = readSide(pathA, a))) return diff;
    diff.failedFile = pathB;
    if (!(diff.outcome = readSide(pathB, b))) return diff;
    diff.failedFile.clear();

    // B's records by identifier, each identifier's occurrences in record order.
    std::unordered_map<std::uint32_t, std::deque<std::size_t>> inB;
    for (std::size_t i = 0; i < b.sounds.size(); ++i) inB[b.sounds[i].entry.soundId].push_back(i);
    std::vector<bool> paired(b.sounds.size(), false);
    DataComparer data(a, b);
    for (const EntrySound& x : a.sounds) {
        auto found = inB.find(x.entry.soundId);
        if (found == inB.end() || found->second.empty()) {
            diff.differences.push_back({x.entry.soundId, SoundPresence::OnlyInA, factsOf(x), std::nullopt, {}});
            continue;
        }
        const std::size_t j = found->second.front();
        found->second.pop_front();
        paired[j] = true;
        if (!(diff.outcome = compareBoth(x, b.sounds[j], data, diff))) {
            diff.failedFile = data.failedPath();
            return diff;
        }
    }
    for (std::size_t j = 0; j < b.sounds.size(); ++j)
        if (!paired[j])
            diff.differences.push_back(
                {b.sounds[j].entry.soundId, SoundPresence::OnlyInB, std::nullopt, factsOf(b.sounds[j]), {}});
    return diff;
}

}  // namespace sonkrate::archive
