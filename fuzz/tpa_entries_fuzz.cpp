// The archive loader and the record reader in all three layouts: every entry
// that reads back must lie inside the file.
#include "archive/format/entry_reader.h"
#include "archive/format/tpa_loader.h"
#include "fuzz/fuzz_support.h"
#include "io/file.h"

using namespace sonkrate;

SONKRATE_FUZZ_HARNESS(tpa_entries) {
    std::string path = fuzz::writeScratch("sounds.tpa", data, size);
    archive::TpaLoad load = archive::loadTpaArchive(path, fuzz::scratchFolder());
    if (!load.outcome) return;
    const archive::TpaArchive& a = load.archive;
    fuzz::check(a.fileSize == size, "the loader measured another size");
    fuzz::check(archive::recordOffsetOf(a.layout, a.entryCount) <= size, "a table past the end was accepted");
    io::File file;
    if (!file.open(path, io::FileMode::Read)) return;
    for (std::uint32_t i = 0; i <= a.entryCount && i < 4096; ++i) {
        archive::EntryRead read = archive::readTpaEntry(file, a, i);
        if (i == a.entryCount) {
            fuzz::check(!read.outcome, "a record past the table was read");
            break;
        }
        if (!read.outcome) continue;
        std::uint64_t end = std::uint64_t{read.entry.imageOffset} + read.entry.imageLength;
        fuzz::check(end <= size, "an image past the end of the file was accepted");
        archive::EntrySound sound = archive::readEntrySound(file, a, i);
        if (!sound.outcome) continue;
        fuzz::check(sound.dataStart + sound.dataSize <= size, "sound data past the end of the file was accepted");
        fuzz::check(sound.dataStart >= read.entry.imageOffset, "sound data before its image was accepted");
    }
}
