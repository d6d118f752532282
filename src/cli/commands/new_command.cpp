// sonkrate-cli new: an archive holding only the default sound.
#include <cstdio>

#include "archive/edit/create_archive.h"
#include "archive/edit/default_sound.h"
#include "cli/cli.h"
#include "cli/commands.h"

namespace sonkrate::cli {

int runNew(const Arguments& args) {
    archive::CreateArchiveResult r = archive::createDefaultArchive(args.positional[0]);
    if (!r.created) return failed(r.outcome);
    say(stdout, "%s: new archive, 1 entry (the default sound \"%s\"), %u bytes\n", r.targetPath.c_str(),
        archive::kDefaultSoundName, archive::kNewArchiveSize);
    return kExitOk;
}

const char* const kNewDetails =
    "Writes a retail archive of 88316 bytes whose one entry is the built-in default\n"
    "sound \"missing\" (one second of a 1 kHz tone). An existing OUT is replaced,\n"
    "but only once the new archive is completely written.";

}  // namespace sonkrate::cli
