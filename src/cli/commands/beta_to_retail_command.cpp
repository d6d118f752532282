// sonkrate-cli beta-to-retail: the retail-layout copy of a beta archive.
#include <cstdio>

#include "archive/edit/beta_to_retail.h"
#include "archive/format/tpa_loader.h"
#include "cli/cli.h"
#include "cli/commands.h"

namespace sonkrate::cli {

int runBetaToRetail(const Arguments& args) {
    archive::TpaLoad load = archive::loadTpaArchive(args.positional[0], "");
    if (!load.outcome) return failed(load.outcome);
    if (load.archive.layout == archive::TpaLayout::Retail)
        return failed(args.positional[0] + " already has the retail layout; only beta archives are converted");
    Progress progress("converting", ProgressUnit::Bytes);
    archive::BetaToRetailResult r = archive::convertBetaToRetail(load.archive, progress.callback());
    progress.finish();
    if (!r.outcome) return failed(r.outcome);
    say(stdout, "%s: retail layout, %u entries, %llu bytes\n", r.outputPath.c_str(), r.entryCount,
        static_cast<unsigned long long>(r.fileSize));
    return kExitOk;
}

const char* const kBetaToRetailDetails =
    "Rewrites an archive of a beta layout (24- or 16-byte records) in the retail\n"
    "layout as alt<archive name>.tpa in the same folder: the header and table are\n"
    "rebuilt, the sound images copied unchanged, and a trailer copied when the\n"
    "header's trailer flag is set. An existing file of that name is replaced only\n"
    "once the copy is complete.";

}  // namespace sonkrate::cli
