// A names search for a set of identifiers, as one piece of work another
// thread can run and cancel: the harvest over folders (file by file), the
// variations of what it found and the patterns' guesses, then one name
// chosen per identifier as `names` chooses it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ids/search/name_pattern.h"
#include "ids/sound_id.h"

namespace sonkrate::ids {

struct NameRunRequest {
    std::vector<SoundId> sought;       // identifiers without a name yet
    std::vector<std::string> folders;  // searched with every file below them
    std::vector<NamePattern> patterns;
    // Names known already (the database's): varied as the names found are.
    std::vector<std::string> known;
    bool vary = true;
};

struct NameRunProgress {
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    std::uint64_t filesDone = 0;
    std::uint64_t namesFound = 0;
};

struct NameRunResult {
    // The chosen name of each identifier named (lower-cased, as hashed);
    // names holding a quotation mark are left out (the database cannot hold them).
    std::map<SoundId, std::string> names;
    std::uint64_t filesRead = 0;
    std::vector<std::string> problems;  // files or folders that could not be read (the first 1000)
    std::uint64_t problemCount = 0;
    bool cancelled = false;             // nothing chosen
    bool guessesCut = false;            // a pattern matched too often
};

// Runs the search; cancel is looked at between files and between the steps.
NameRunResult runNameSearch(const NameRunRequest& request, const std::atomic<bool>& cancel,
                            const std::function<void(const NameRunProgress&)>& progress = {});

}  // namespace sonkrate::ids
