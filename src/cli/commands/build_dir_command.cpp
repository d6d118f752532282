// sonkrate-cli build-dir: an archive from every .cau of a folder, with the
// list file of their identifiers.
#include <cstdio>

#include "archive/edit/build_from_cau_dir.h"
#include "cli/cli.h"
#include "cli/commands.h"

namespace sonkrate::cli {

int runBuildDir(const Arguments& args) {
    Progress progress("building", ProgressUnit::Files);
    archive::BuildFromCauDirResult r =
        archive::buildArchiveFromCauDir(args.positional[0], args.positional[1], progress.callback());
    progress.finish();
    // Also when the archive stands and only its list file is missing.
    if (!r.outcome) return failed(r.outcome);
    say(stdout, "%s: the default sound and %zu sounds, %u entries, %llu bytes\n", r.targetPath.c_str(),
        r.cauFiles.size(), r.entryCount, static_cast<unsigned long long>(r.fileSize));
    say(stdout, "identifiers: %s\n", r.listPath.c_str());
    return kExitOk;
}

const char* const kBuildDirDetails =
    "Writes a retail archive whose entry 0 is the default sound, followed by every\n"
    ".cau file of CAUDIR in name order, each named after its file name without the\n"
    "last four characters. At least 3 .cau files are needed, and every one must be\n"
    "a whole sound image. Beside OUT goes the identifier list\n"
    "<OUT without its last four characters>_SampleIDs_list.txt. OUT is replaced only\n"
    "once the whole archive is written.";

}  // namespace sonkrate::cli
