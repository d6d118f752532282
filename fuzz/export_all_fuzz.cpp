// Exporting every entry of a hostile archive under names from a hostile
// database, as .cau or .wav: nothing may be written outside the output
// folder. Input: a control byte, the archive, then the database.
#include <filesystem>

#include "archive/folder/export_all.h"
#include "archive/format/tpa_loader.h"
#include "fuzz/fuzz_support.h"

using namespace sonkrate;

SONKRATE_FUZZ_HARNESS(export_all) {
    if (size < 1) return;
    const archive::ExportMode mode = data[0] & 1 ? archive::ExportMode::Wav : archive::ExportMode::Cau;
    std::vector<fuzz::Bytes> parts = fuzz::splitParts(data + 1, size - 1, 2);
    std::string path = fuzz::writeScratch("sounds.tpa", parts[0]);
    std::string db = fuzz::writeScratch("SndIds.dat", parts[1]);
    std::string outDir = fuzz::scratchPath("out");
    std::error_code ec;
    std::filesystem::create_directory(outDir, ec);
    archive::TpaLoad load = archive::loadTpaArchive(path, fuzz::scratchFolder());
    if (!load.outcome) return;
    archive::ExportAllResult result = archive::exportAllEntries(load.archive, mode, outDir, db);
    std::vector<std::string> files = fuzz::filesBelow(fuzz::scratchFolder());
    std::size_t exported = 0;
    for (const std::string& file : files) {
        if (file.rfind("out/", 0) == 0) {
            fuzz::check(file.find('/', 4) == std::string::npos, "an entry was written into a folder: " + file);
            ++exported;
        } else {
            fuzz::check(file == "sounds.tpa" || file == "SndIds.dat", "an entry was written outside its folder: " + file);
        }
    }
    fuzz::check(exported <= result.filesWritten, "more files were written than reported");
    fuzz::check(result.filesWritten + result.filesFailed <= load.archive.entryCount, "more entries than the table holds");
}
