// Two archives compared sound by sound, by identifier: which sounds one has
// and the other has not, and for those in both which of their data,
// attenuation, volume, captions and format differ. The sound data is
// compared in fixed buffers, never a whole archive in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/outcome.h"

namespace sonkrate::archive {

enum class SoundPresence { Both, OnlyInA, OnlyInB };

// What differs of a sound both archives hold.
struct SoundChanges {
    bool data = false;         // the sound data bytes
    bool attenuation = false;  // record +12
    bool volume = false;       // record +16
    bool captions = false;     // the caption's sections (or its bytes, when not sections)
    bool format = false;       // rate, channels, bits, compression or block alignment
    bool any() const { return data || attenuation || volume || captions || format; }
};

// The facts of one sound in one archive, as far as a diff names them.
struct DiffSide {
    std::uint32_t index = 0;
    std::uint32_t attenuation = 0;  // the record's bits (an IEEE single)
    std::uint32_t volume = 0;       // the record's bits (an IEEE single)
    std::uint32_t sampleRate = 0;
    std::uint8_t channels = 0;
    std::uint8_t bitsPerSample = 0;
    std::uint8_t compression = 0;
    std::uint32_t blockAlign = 0;
    std::uint32_t dataSize = 0;
};

// A sound that differs: added (only in B), removed (only in A) or changed.
struct SoundDifference {
    std::uint32_t soundId = 0;
    SoundPresence presence = SoundPresence::Both;
    std::optional<DiffSide> a, b;
    SoundChanges changes;  // for Both
};

struct ArchiveDiff {
    io::Outcome outcome;     // on failure, why, naming the file
    std::string failedFile;  // on failure, the path of the file that could not be read
    std::vector<SoundDifference> differences;  // A's record order, then sounds only in B in B's order
    std::size_t unchanged = 0;                 // sounds in both, the same in every respect
    bool sameSounds() const { return outcome && differences.empty(); }
};

// Compares the archives at pathA and pathB. An identifier held twice is
// paired occurrence by occurrence, in record order.
ArchiveDiff diffArchives(const std::string& pathA, const std::string& pathB);

}  // namespace sonkrate::archive
