// sonkrate-cli add: one sound appended to a retail archive, with the first
// add's backup, the optional log line and the optional name record.
#include <cstdio>

#include "archive/edit/add_sound.h"
#include "archive/edit/incoming_sound.h"
#include "archive/format/archive_reader.h"
#include "archive/format/tpa_loader.h"
#include "audio/convert/wav_to_cau.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/subrip_captions.h"
#include "ids/sound_id.h"
#include "io/game_text.h"
#include "io/paths.h"

namespace sonkrate::cli {
namespace {

// The entry of the archive that holds soundId, or -1 (also when the table
// cannot be read: the add itself then says why).
std::int64_t entryHolding(const std::string& archivePath, std::uint32_t soundId) {
    archive::ArchiveTable table;
    if (!archive::readArchiveTable(archivePath, table)) return -1;
    return archive::findSoundId(table.entries, soundId);
}

}  // namespace

int runAddCommand(const Arguments& args) {
    const std::string& archivePath = args.positional[0];
    const std::string& given = args.positional[1];
    // The name is hashed as the game hashes its own: in its code page.
    const std::string name = io::gameText(args.option("name").value_or(io::stripFromFirstDot(io::fileNameOf(given))));

    if (args.has("ima") && !io::endsWith(io::toLower(given), ".wav"))
        return usageError("add", "--ima encodes a .wav; " + given + " is not one");
    std::string captions;
    if (int code = captionBlockOf(args, "add", captions); code != kExitOk) return code;
    archive::IncomingSound sound;
    if (io::Outcome prepared = sound.prepare(given, args.has("to-game"), args.has("ima"), captions);
        !prepared)
        return failed(prepared);
    if (!sound.change().empty()) say(stdout, "%s: %s\n", given.c_str(), sound.change().c_str());
    const std::string& soundPath = sound.path();

    // The loader puts the backup beside the archive when the folder given is the archive's own.
    archive::TpaLoad load = archive::loadTpaArchive(archivePath, io::folderOf(archivePath));
    if (!load.outcome) return failed(load.outcome);
    const archive::TpaArchive& a = load.archive;

    archive::AddSoundRequest request;
    request.archivePath = archivePath;
    request.soundPath = soundPath;
    request.image = sound.image();
    request.soundName = name;
    if (auto db = args.option("db")) {
        request.updateSndIds = true;
        request.dbPath = *db;
    }
    request.logPath = args.option("log").value_or("");
    request.backupPath = args.option("backup").value_or(a.backupPath);

    // An identifier already in the archive is added all the same, but the
    // game's debug build refuses an archive that holds one twice.
    const std::int64_t holder = entryHolding(archivePath, ids::computeSoundId(io::toLower(name)));

    const bool effects = archive::usesEffectsAdd(a.archiveName, a.standardLayout);
    Progress progress("adding", ProgressUnit::Bytes);
    archive::AddSoundResult r = effects ? archive::addSoundEffects(request, progress.callback())
                                        : archive::addSoundGeneral(request, progress.callback());
    progress.finish();
    if (r.addResult != archive::AddOutcome::Done)
        return r.overwriteFailed ? failedLeftAsItWas(r.outcome, archivePath) : failed(r.outcome);
    if (!r.warning.empty()) warning(r.warning);
    if (holder >= 0)
        warning(archivePath + " already held \"" + io::shownText(r.name) + "\" (" + ids::formatSoundId(r.soundId) + ") as entry " +
                std::to_string(holder) +
                "; the archive now holds that identifier twice, which the game's debug build refuses (its "
                "release build plays the last one). To put a new sound in place of an entry, use: sonkrate-cli "
                "replace ARCHIVE NAME SOUND");
    say(stdout, "%s: added \"%s\" (%s) as entry %u at offset %u, %u bytes; now %u entries, %llu bytes\n",
        archivePath.c_str(), io::shownText(r.name).c_str(), ids::formatSoundId(r.soundId).c_str(), r.entryCount - 1, r.imageOffset,
        r.imageLength, r.entryCount, static_cast<unsigned long long>(r.fileSize));
    if (r.backupWritten) say(stdout, "backup of the archive as it was: %s\n", request.backupPath.c_str());
    return kExitOk;
}

const char* const kAddDetails =
    "Appends the sound image to the archive under NAME (default: the file's name\n"
    "without the four characters from its first \".\"); the sound's identifier is\n"
    "the CRC-32 of the lower-cased name. A SOUND ending in .wav is first wrapped as\n"
    "a .cau (PCM, or IMA ADPCM with block alignment 1028 or 2056), not kept.\n"
    "Archives named effects and ambient, and alteffects when its first sound\n"
    "follows its table, get the effects add (counts kept apart, a trailer kept in\n"
    "place, attenuation 1.5); all others the general add. Every sound already in\n"
    "the archive keeps its attenuation and master volume. The archive is rewritten\n"
    "beside itself and replaced only when the new one is complete.\n"
    "A general add keeps a backup of the archive as it was, made only when no\n"
    "backup exists yet: PATH, by default beside the archive (Game.tpa.backup for\n"
    "Game.tpa).\n"
    "--db also appends the name record to the name database SNDIDS.\n"
    "--log appends \" Ingame_ID (string sample): NAME\" to LOG.\n"
    "A .cau whose header does not describe the file is refused, and so is a .wav\n"
    "the game cannot play (with a way to convert it), unless --to-game first makes\n"
    "it 16-bit PCM as wav2cau --to-game does, or --ima (implying --to-game) IMA\n"
    "ADPCM in the game's blocks, checked by decoding it back, as wav2cau --ima does.\n"
    "A name the archive already holds is added again with a warning: the game's\n"
    "debug build refuses an archive that holds a name twice; replace changes a\n"
    "sound in place.\n"
    "--captions FILE.srt gives the sound timed captions from SubRip subtitles, as\n"
    "wav2cau --captions does; a .cau's own caption is replaced by them.";

}  // namespace sonkrate::cli
