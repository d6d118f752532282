// sonkrate-cli remove: sounds dropped from an archive with the images no
// other entry uses.
#include <cstdio>
#include <vector>

#include "archive/edit/remove_sounds.h"
#include "archive/format/tpa_loader.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/sound_argument.h"
#include "io/paths.h"

namespace sonkrate::cli {

int runRemove(const Arguments& args) {
    const std::string& archivePath = args.positional[0];
    std::vector<std::uint32_t> ids;
    for (std::size_t i = 1; i < args.positional.size(); ++i) ids.push_back(soundArgument(args.positional[i]).soundId);
    archive::TpaLoad load = archive::loadTpaArchive(archivePath, io::folderOf(archivePath));
    if (!load.outcome) return failed(load.outcome);
    const std::string backup = args.option("backup").value_or(load.archive.backupPath);

    Progress progress("removing", ProgressUnit::Bytes);
    archive::RemoveSoundsResult r = archive::removeSounds(archivePath, ids, backup, progress.callback());
    progress.finish();
    if (!r.outcome) return failed(r.outcome);
    say(stdout, "%s: removed %u entr%s and %u image%s; now %u entries, %llu bytes\n", archivePath.c_str(),
        r.recordsRemoved, r.recordsRemoved == 1 ? "y" : "ies", r.imagesRemoved, r.imagesRemoved == 1 ? "" : "s",
        r.entryCount, static_cast<unsigned long long>(r.fileSize));
    if (r.backupWritten) say(stdout, "backup of the archive as it was: %s\n", backup.c_str());
    return kExitOk;
}

const char* const kRemoveDetails =
    "Drops every entry of each sound NAME (or identifier ID, 8 hexadecimal\n"
    "digits) and the images no other entry uses. Every other entry and the\n"
    "effects archive's collision table stay byte for byte, at offsets moved by\n"
    "the change. \"missing\", the sound the game plays in place of any it cannot\n"
    "find, cannot be removed. A name not in the archive fails the command and\n"
    "nothing is removed. Works on general, ambient and effects archives of the\n"
    "retail layout; rewritten and backed up as by replace.";

}  // namespace sonkrate::cli
