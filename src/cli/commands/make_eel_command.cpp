// sonkrate-cli make-eel: an .eel list naming every .cau of a folder.
#include <cstdio>

#include "cli/cli.h"
#include "cli/commands.h"
#include "io/paths.h"
#include "lists/make_eel.h"

namespace sonkrate::cli {

int runMakeEel(const Arguments& args) {
    const std::string& folder = args.positional[0];
    const std::string& name = args.positional[1];
    if (name.empty()) return usageError("make-eel", "NAME must not be empty");
    for (char c : name)
        if (io::isSeparator(c) || c == '/') return usageError("make-eel", "NAME is a file name, without folders");

    lists::MakeEelResult r = lists::makeEelFromCaus(folder, name);
    if (!r.outcome) return failed(r.outcome);
    for (const std::string& skipped : r.skipped)
        warning("skipped " + skipped + ": its name is too short for a list entry");
    say(stdout, "%s: %zu sound%s listed\n", r.listPath.c_str(), r.listed, r.listed == 1 ? "" : "s");
    return kExitOk;
}

const char* const kMakeEelDetails =
    "Writes CAUDIR/NAME.eel: the placeholder listing MISSING first, then one listing\n"
    "per .cau file of the folder, named after the file without its last four\n"
    "characters. Files whose names would be shorter than 3 characters are skipped.";

}  // namespace sonkrate::cli
