// Converting every .wav of a folder into a .cau beside it: each name ending
// in "wav" goes through wavToCau without caption; a file that cannot be
// converted is counted and skipped, never stopping the loop.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "audio/convert/wav_to_cau.h"
#include "io/item_progress.h"
#include "io/outcome.h"

namespace sonkrate::audio {

struct DirToCausItem {
    std::string wavPath;
    std::string cauPath;
    WavToCauStatus status = WavToCauStatus::Failed;
    WavKind kind = WavKind::Unsupported;
    std::string reason;  // why nothing was written, naming the file
};

struct DirToCausResult {
    io::Outcome outcome;  // fails only when the folder cannot be listed
    std::size_t converted = 0;
    std::size_t refused = 0;  // not convertible: kind 2 or 3, or not a .wav
    std::size_t failed = 0;   // could not be read or the .cau not written
    std::vector<DirToCausItem> items;  // every file handed to the conversion, in order
};

// The names of folder that the loop takes: regular files whose names end in
// "wav" in any letter case, sorted, so that runs are repeatable. Folders are
// skipped.
io::Outcome listWavNames(const std::string& folder, std::vector<std::string>& names);

// Converts each listed file to its dirToCausTarget. progress is told before
// each file (done so far, total, the file's name) and once at the end.
DirToCausResult dirToCaus(const std::string& folder, const io::ItemProgressCallback& progress = {});

}  // namespace sonkrate::audio
