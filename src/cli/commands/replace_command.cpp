// sonkrate-cli replace: the sound of an identifier in an archive replaced by
// a .cau (or a .wav, converted first).
#include <cstdio>

#include "archive/edit/incoming_sound.h"
#include "archive/edit/replace_sound.h"
#include "archive/format/tpa_loader.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/sound_argument.h"
#include "cli/subrip_captions.h"
#include "io/paths.h"

namespace sonkrate::cli {

int runReplace(const Arguments& args) {
    const std::string& archivePath = args.positional[0];
    const SoundArgument target = soundArgument(args.positional[1]);
    const std::string& given = args.positional[2];
    if (args.has("ima") && !io::endsWith(io::toLower(given), ".wav"))
        return usageError("replace", "--ima encodes a .wav; " + given + " is not one");
    std::string captions;
    if (int code = captionBlockOf(args, "replace", captions); code != kExitOk) return code;
    archive::IncomingSound sound;
    if (io::Outcome prepared = sound.prepare(given, args.has("to-game"), args.has("ima"), captions); !prepared)
        return failed(prepared);
    if (!sound.change().empty()) say(stdout, "%s: %s\n", given.c_str(), sound.change().c_str());
    // The loader puts the backup beside the archive when the folder given is the archive's own.
    archive::TpaLoad load = archive::loadTpaArchive(archivePath, io::folderOf(archivePath));
    if (!load.outcome) return failed(load.outcome);
    const std::string backup = args.option("backup").value_or(load.archive.backupPath);

    Progress progress("replacing", ProgressUnit::Bytes);
    archive::ReplaceSoundResult r =
        sound.image() != nullptr
            ? archive::replaceSound(archivePath, target.soundId, sound.path(), *sound.image(), backup,
                                    progress.callback())
            : archive::replaceSound(archivePath, target.soundId, sound.path(), backup, progress.callback());
    progress.finish();
    if (!r.outcome) return failedLeftAsItWas(r.outcome, archivePath);
    std::string entries;
    for (std::size_t i = 0; i < r.entries.size(); ++i) entries += (i ? ", " : "") + std::to_string(r.entries[i]);
    say(stdout, "%s: replaced %s in %zu entr%s (%s): %u bytes, was %u; now %llu bytes\n", archivePath.c_str(),
        target.shown.c_str(), r.entries.size(), r.entries.size() == 1 ? "y" : "ies", entries.c_str(), r.newLength,
        r.oldLength, static_cast<unsigned long long>(r.fileSize));
    if (r.backupWritten) say(stdout, "backup of the archive as it was: %s\n", backup.c_str());
    return kExitOk;
}

const char* const kReplaceDetails =
    "Puts SOUND (a .cau, or a .wav the game plays, wrapped first) in place of the\n"
    "image of the sound NAME (or of the identifier ID, 8 hexadecimal digits).\n"
    "Every entry that shared that image follows the new one; the entries keep\n"
    "their attenuation and volume; every other entry and the effects archive's\n"
    "collision table stay byte for byte, at offsets moved by the change. Works\n"
    "on general, ambient and effects archives of the retail layout. The archive\n"
    "is rewritten beside itself and replaced only when the new one is complete;\n"
    "a backup is kept as by add (PATH, by default Game.tpa.backup beside\n"
    "Game.tpa, made only when none exists yet). --to-game first makes a .wav the\n"
    "game cannot play 16-bit PCM, as wav2cau --to-game does; --ima (implying\n"
    "--to-game) makes a .wav IMA ADPCM in the game's blocks, as wav2cau --ima does.\n"
    "--captions FILE.srt gives the new sound timed captions from SubRip subtitles,\n"
    "as wav2cau --captions does; a .cau's own caption is replaced by them.";

}  // namespace sonkrate::cli
