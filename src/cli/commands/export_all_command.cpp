// sonkrate-cli export-all: every entry of an archive as its own .cau or .wav.
#include <cstdio>

#include "archive/folder/export_all.h"
#include "archive/format/tpa_loader.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "io/file_system.h"

namespace sonkrate::cli {

int runExportAll(const Arguments& args) {
    const std::string& archivePath = args.positional[0];
    const std::string& outDir = args.positional[1];
    archive::TpaLoad load = archive::loadTpaArchive(archivePath, "");
    if (!load.outcome) return failed(load.outcome);
    if (io::Outcome made = io::createFolders(outDir); !made) return failed(made);

    const bool wav = args.has("wav");
    Progress progress("exporting", ProgressUnit::Entries);
    archive::ExportAllResult r =
        archive::exportAllEntries(load.archive, wav ? archive::ExportMode::Wav : archive::ExportMode::Cau, outDir,
                                  args.option("db").value_or(""), progress.callback());
    progress.finish();
    for (const std::string& failure : r.failures) reportError(failure);
    say(stdout, "%u of %u entries written into %s as %s files (%u numbered)\n", r.filesWritten, r.entryCount,
        outDir.c_str(), wav ? ".wav" : ".cau", r.numbered);
    if (!r.outcome) return failed(r.outcome);
    return kExitOk;
}

const char* const kExportAllDetails =
    "Writes each entry into OUTDIR (created when missing) as NAME.cau, the sound\n"
    "image with \"WBOR\" first, or with --wav as NAME.wav, a PCM .wav (IMA ADPCM\n"
    "decoded). NAME is the sound's name in the name database SNDIDS; an entry whose\n"
    "name is unknown, or cannot be a file name (a path separator, \"..\", a character\n"
    "Windows forbids, a control character), is named <archive name>_<index>.\n"
    "Existing files are replaced. Entries that cannot be written are reported and\n"
    "make the exit code 1; the others are still written.";

}  // namespace sonkrate::cli
