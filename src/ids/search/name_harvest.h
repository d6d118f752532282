// Names found in files: every run of printable bytes (and of UTF-16LE
// characters) of any file is cut into candidates, each hashed as the game
// hashes names and kept when its identifier is sought. Files are streamed in
// fixed buffers, several at once; only the matches are kept.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ids/crc32_fast.h"
#include "ids/search/name_candidates.h"
#include "ids/search/name_matches.h"

namespace sonkrate::ids {

// The scanner of one stream of bytes, fed in pieces of any size: a run that
// crosses the end of one piece goes on in the next.
class NameScanner {
public:
    NameScanner(const SoughtIds& sought, NameMatches& matches);
    // Starts a new stream; offsets count from its first byte.
    void begin(std::string sourcePath);
    void feed(const std::uint8_t* data, std::size_t size);
    // Ends the stream: the runs still open are tried.
    void finish();
    std::uint64_t candidates() const { return candidates_; }
    std::uint64_t matchesAdded() const { return added_; }

private:
    struct WideRun {
        std::vector<std::uint8_t> bytes;  // the low bytes of the characters
        std::uint64_t offset = 0;         // of the first character
    };
    void scanRuns(const std::uint8_t* data, std::size_t size, std::size_t base, std::size_t runStart);
    // cutAt: the one byte of the run that gives it pieces, when it has one and is known; or -1.
    void runEnds(const std::uint8_t* data, std::size_t start, std::size_t end, bool cutting, int cutAt = -1);
    void oneCutRun(const std::uint8_t* run, std::size_t size, std::uint64_t offset, std::size_t at);
    void narrowRun(const std::uint8_t* run, std::size_t size, std::uint64_t offset, std::uint8_t kinds);
    void carry(const std::uint8_t* data, std::size_t size, std::uint64_t offset, std::uint8_t kinds);
    void flushCarry();
    void wideCharacter(std::uint8_t low, std::uint64_t offset);
    void flushWide(WideRun& run);
    void tryRun(const std::uint8_t* run, std::size_t size, std::uint64_t offset, unsigned stride, bool wholeRun);
    // A run with nothing to cut: the run is its one candidate.
    void tryWhole(const std::uint8_t* run, std::size_t size, std::uint64_t offset);
    // The identifier of a candidate, by the quickest way its buffer allows.
    SoundId hash(const std::uint8_t* name, std::size_t length) const;
    void keep(SoundId id, const std::uint8_t* bytes, std::size_t size, std::uint64_t offset);

    const SoughtIds& sought_;
    NameMatches& matches_;
    ShortCrc shortCrc_, shortCrc32_, shortCrc64_;
    std::string path_;
    std::uint64_t position_ = 0;  // stream offset of the next byte fed
    std::vector<std::uint8_t> carry_;
    std::uint64_t carryOffset_ = 0;
    bool carryIsRunStart_ = true;
    std::uint8_t carryKinds_ = 0;
    int previous_ = -1;  // the byte before the next one fed, or -1
    // While a run of the piece fed is tried: its first byte, before which the
    // short names' hash may read. Null for runs in other buffers.
    const std::uint8_t* readable_ = nullptr;
    const std::uint8_t* readableEnd_ = nullptr;  // the end of the piece fed
    WideRun wide_[2];    // by the parity of their offsets
    RunMasks masks_;     // of the run being cut
    std::uint64_t candidates_ = 0;
    std::uint64_t added_ = 0;
};

struct HarvestProgress {
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    std::uint64_t filesDone = 0;
    std::uint64_t namesFound = 0;
};

struct HarvestResult {
    std::uint64_t bytesRead = 0;
    std::uint64_t filesRead = 0;
    std::uint64_t candidates = 0;
    std::uint64_t namesFound = 0;
    // A sentence naming the file or folder for each that could not be read
    // (the first kMaxProblemsKept), and how many there were in all.
    std::vector<std::string> problems;
    std::uint64_t problemCount = 0;
    bool cancelled = false;  // stopped by cancel before every file was read
};

inline constexpr std::size_t kMaxProblemsKept = 1000;

struct HarvestHooks {
    // Hears the bytes read so far, a few times a second and after each file.
    std::function<void(const HarvestProgress&)> progress;
    // Hears each problem as it happens, in the order of the walk.
    std::function<void(const std::string&)> onProblem;
    // Looked at during the walk and between the reads; when set, the harvest
    // stops with what the files taken so far gave.
    const std::atomic<bool>* cancel = nullptr;
    // Files read at once, each by a thread of its own; 0 for one per
    // processor core (at most kMaxHarvestThreads).
    unsigned threads = 0;
};

inline constexpr unsigned kMaxHarvestThreads = 16;

// Scans every file below paths (recursively) once, several files at a time.
// The matches, problems and progress are taken in the order of the walk, so
// that they are the same whatever the number of threads: each name keeps the
// first place where the walk meets it. All the calls of hooks come from the
// calling thread.
HarvestResult harvestNames(const std::vector<std::string>& paths, const SoughtIds& sought, NameMatches& matches,
                           const HarvestHooks& hooks = {});

}  // namespace sonkrate::ids
