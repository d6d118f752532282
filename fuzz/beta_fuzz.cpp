// The conversion of a beta archive (24- or 16-byte records) to the retail
// layout: a copy reported as made must load with every entry inside it.
#include "archive/edit/beta_to_retail.h"
#include "archive/format/entry_reader.h"
#include "archive/format/tpa_loader.h"
#include "fuzz/fuzz_support.h"

using namespace sonkrate;

SONKRATE_FUZZ_HARNESS(beta) {
    std::string path = fuzz::writeScratch("sounds.tpa", data, size);
    archive::TpaLoad load = archive::loadTpaArchive(path, fuzz::scratchFolder());
    if (!load.outcome || !archive::isBetaLayout(load.archive)) return;
    archive::BetaToRetailResult made = archive::convertBetaToRetail(load.archive);
    if (!made.outcome) {
        fuzz::check(!fuzz::exists(made.outputPath), "a failed conversion left a copy");
        return;
    }
    archive::TpaLoad copy = archive::loadTpaArchive(made.outputPath, fuzz::scratchFolder());
    fuzz::check(static_cast<bool>(copy.outcome), "the retail copy cannot be loaded: " + copy.outcome.reason);
    fuzz::check(copy.archive.layout == archive::TpaLayout::Retail, "the copy is not in the retail layout");
    fuzz::check(copy.archive.entryCount == load.archive.entryCount, "the copy holds another number of entries");
    fuzz::check(copy.archive.fileSize == made.fileSize, "the copy has another size than reported");
    for (std::uint32_t i = 0; i < copy.archive.entryCount && i < 4096; ++i) {
        archive::EntryRead read = archive::readTpaEntry(copy.archive, i);
        fuzz::check(static_cast<bool>(read.outcome), "an entry of the copy cannot be read: " + read.outcome.reason);
    }
}
