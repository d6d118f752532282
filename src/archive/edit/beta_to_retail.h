// Rewriting an archive of the beta layouts (24- or 16-byte records) in the
// retail layout beside it as "alt" + its name + ".tpa": the header and table
// rebuilt, the sound images and any trailer copied unchanged.
#pragma once

#include <cstdint>
#include <string>

#include "archive/format/tpa_loader.h"
#include "io/outcome.h"
#include "io/progress.h"

namespace sonkrate::archive {

struct BetaToRetailResult {
    io::Outcome outcome;
    std::string outputPath;
    std::uint32_t entryCount = 0;
    std::uint64_t fileSize = 0;  // of the output
};

// The folder of the archive + "alt" + archiveName + ".tpa".
std::string retailCopyPathOf(const TpaArchive& archive);

// Bytes by which each record grows: 32 (Beta24), 40 (Beta16), 0 (Retail).
std::uint32_t recordGrowthOf(TpaLayout layout);

// Converts the loaded beta archive. The source's records are checked against
// its size first; the output replaces any file of its name only when complete.
// progress counts the bytes copied.
BetaToRetailResult convertBetaToRetail(const TpaArchive& archive, const io::ProgressCallback& progress = {});

}  // namespace sonkrate::archive
