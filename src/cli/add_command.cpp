// sonkrate-cli add: one sound appended to a retail archive, with the first
// add's backup, the optional log line and the optional name record.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "archive/add_sound.h"
#include "archive/tpa_loader.h"
#include "cli/cli.h"
#include "ids/sound_id.h"
#include "io/paths.h"

namespace sonkrate::cli {
namespace {

int runAdd(const Arguments& args) {
    const std::string& archivePath = args.positional[0];
    const std::string& soundPath = args.positional[1];
    if (io::endsWith(io::toLower(soundPath), ".wav"))
        return failed(soundPath + " is a .wav file; convert it with wav2cau first and add the .cau");

    // The loader puts the backup beside the archive when the folder given is the archive's own.
    archive::TpaLoad load = archive::loadTpaArchive(archivePath, io::folderOf(archivePath));
    if (!load.outcome) return failed(load.outcome);
    const archive::TpaArchive& a = load.archive;

    archive::AddSoundRequest request;
    request.archivePath = archivePath;
    request.soundPath = soundPath;
    request.soundName = args.option("name").value_or(io::stripFromFirstDot(io::fileNameOf(soundPath)));
    if (auto db = args.option("db")) {
        request.updateSndIds = true;
        request.dbPath = *db;
    }
    request.logPath = args.option("log").value_or("");
    request.backupPath = args.option("backup").value_or(a.backupPath);

    const bool effects = archive::usesEffectsAdd(a.archiveName, a.standardLayout);
    archive::AddSoundResult r;
    {
        Progress progress("adding");
        auto report = [&](std::uint64_t done, std::uint64_t total) { progress.update(done, total); };
        r = effects ? archive::addSoundEffects(request, report) : archive::addSoundGeneral(request, report);
    }
    if (r.addResult != archive::kAddDone) {
        if (r.overwriteFailed) return failed(r.outcome.reason + "; " + archivePath + " was left as it was");
        return failed(r.outcome);
    }
    if (!r.warning.empty()) std::fprintf(stderr, "sonkrate-cli: warning: %s\n", r.warning.c_str());
    std::printf("%s: added \"%s\" (%s) as entry %u at offset %u, %u bytes; now %u entries, %llu bytes\n",
                archivePath.c_str(), r.name.c_str(), ids::formatSoundId(r.soundId).c_str(), r.entryCount - 1,
                r.imageOffset, r.imageLength, r.entryCount, static_cast<unsigned long long>(r.fileSize));
    if (r.backupWritten) std::printf("backup of the archive as it was: %s\n", request.backupPath.c_str());
    return kExitOk;
}

const Registration add{{
    "add", "add ARCHIVE SOUND.cau [--name NAME] [--db SNDIDS] [--log LOG] [--backup PATH]",
    "append a .cau sound to an archive",
    "Appends the sound image to the archive under NAME (default: the file's name\n"
    "without the four characters from its first \".\"); its identifier is the CRC-32\n"
    "of the lower-cased name. Archives named effects and ambient, and alteffects when\n"
    "its first sound follows its table, get the effects add (counts kept apart, a\n"
    "trailer kept in place, auxValue 1.5); all others the general add. The archive is rewritten beside itself and replaced\n"
    "only when the new one is complete.\n"
    "A general add keeps a backup of the archive as it was, made only when no\n"
    "backup exists yet: PATH, by default NAME.tpa.backup beside the archive.\n"
    "--db also appends the name record to the name database SNDIDS.\n"
    "--log appends \" Ingame_ID (string sample): NAME\" to LOG.\n"
    "A .cau whose header does not describe the file is refused.",
    {}, {"name", "db", "log", "backup"}, 2, 2, runAdd}};

}  // namespace
}  // namespace sonkrate::cli
