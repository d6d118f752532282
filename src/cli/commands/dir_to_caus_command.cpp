// sonkrate-cli dir-to-caus: every convertible .wav of a folder as a .cau beside it.
#include <cstdio>

#include "audio/convert/dir_to_caus.h"
#include "cli/cli.h"
#include "cli/commands.h"

namespace sonkrate::cli {

int runDirToCaus(const Arguments& args) {
    const std::string& folder = args.positional[0];
    Progress progress("converting", ProgressUnit::Files);
    audio::DirToCausResult r = audio::dirToCaus(folder, progress.itemCallback());
    progress.finish();
    if (!r.outcome) return failed(r.outcome);
    for (const audio::DirToCausItem& item : r.items) {
        if (item.status == audio::WavToCauStatus::Written) say(stdout, "%s\n", item.cauPath.c_str());
        else if (item.status == audio::WavToCauStatus::Refused) warning("skipped: " + item.reason);
        else reportError("failed: " + item.reason);
    }
    say(stdout, "%zu converted, %zu skipped, %zu failed\n", r.converted, r.refused, r.failed);
    return r.failed == 0 ? kExitOk : kExitFailed;
}

const char* const kDirToCausDetails =
    "Every file whose name ends in \"wav\" is converted as wav2cau would, without\n"
    "caption, to the same name with its last three letters replaced by \"cau\".\n"
    "Files that cannot become a .cau are skipped and named on stderr. The exit\n"
    "code is 1 when a file could not be read or its .cau not written.";

}  // namespace sonkrate::cli
