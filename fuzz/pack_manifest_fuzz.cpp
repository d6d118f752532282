// Packing a small unpacked folder with a hostile manifest.json. Input: the
// manifest's bytes. Pack either writes an archive whose table reads back and
// whose size it reported, or refuses and writes nothing.
#include <filesystem>

#include "archive/format/archive_reader.h"
#include "archive/folder/pack_archive.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/sample_files.h"

using namespace sonkrate;

SONKRATE_FUZZ_HARNESS(pack_manifest) {
    const std::vector<fuzz::FolderFile>& files = fuzz::unpackedSample();
    fuzz::clearScratch();
    const std::string dir = fuzz::scratchPath("sounds");
    for (const fuzz::FolderFile& f : files) {
        const std::string path = dir + "/" + f.name;
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
        fuzz::writeScratch("sounds/" + f.name, f.bytes);
    }
    fuzz::writeScratch("sounds/manifest.json", data, size);
    const std::string out = fuzz::scratchPath("out.tpa");
    archive::PackOptions options;
    options.syncToDisk = false;
    archive::PackResult r = archive::packArchive(dir, out, options);
    if (!r.outcome) {
        fuzz::check(!fuzz::exists(out), "a refused pack wrote " + out);
        fuzz::check(!r.outcome.reason.empty(), "a refused pack gave no reason");
        return;
    }
    archive::ArchiveTable table;
    io::Outcome read = archive::readArchiveTable(out, table);
    fuzz::check(static_cast<bool>(read), "the packed archive cannot be read: " + read.reason);
    fuzz::check(r.fileSize == fuzz::readWhole(out).size(), "pack reported another size");
    fuzz::check(table.entries.size() <= r.records, "pack wrote more records than it reported");
}
