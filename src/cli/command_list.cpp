// Every command of sonkrate-cli, in the order --help, the manual page and the
// bash completion list them: reading archives, converting, then writing
// archives and lists, then checking. A command's run function and the longer
// text of its --help are in its own file, <name>_command.cpp.
#include <utility>

#include "cli/cli.h"
#include "cli/commands.h"

namespace sonkrate::cli {

namespace {

// Reading archives: their facts, their entries, one entry or all.
std::vector<Command> readingArchives() {
    return {
        {.name = "info",
         .synopsis = "info ARCHIVE [--json]",
         .summary = "layout, class, counts and size of a .tpa archive",
         .details = kInfoDetails,
         .flagNames = {"json"},
         .minPositional = 1,
         .maxPositional = 1,
         .run = runInfo},
        {.name = "list",
         .synopsis = "list ARCHIVE [--db SNDIDS] [--json]",
         .summary = "one row per entry of a .tpa archive",
         .details = kListDetails,
         .flagNames = {"json"},
         .optionNames = {"db"},
         .minPositional = 1,
         .maxPositional = 1,
         .run = runList},
        {.name = "extract",
         .synopsis = "extract ARCHIVE INDEX OUT [--cau]",
         .summary = "one entry as a .cau image or a playable .wav",
         .details = kExtractDetails,
         .flagNames = {"cau"},
         .minPositional = 3,
         .maxPositional = 3,
         .run = runExtract},
        {.name = "captions",
         .synopsis = "captions FILE... [--srt] [--db SNDIDS]",
         .summary = "the captions of archives and .cau files as the game shows them",
         .details = kCaptionsDetails,
         .flagNames = {"srt"},
         .optionNames = {"db"},
         .minPositional = 1,
         .maxPositional = kNoLimit,
         .run = runCaptions},
        {.name = "export-all",
         .synopsis = "export-all ARCHIVE OUTDIR [--wav] [--db SNDIDS]",
         .summary = "every entry as a .cau or .wav file",
         .details = kExportAllDetails,
         .flagNames = {"wav"},
         .optionNames = {"db"},
         .minPositional = 2,
         .maxPositional = 2,
         .run = runExportAll},
    };
}

// Converting single sounds, and naming them.
std::vector<Command> converting() {
    return {
        {.name = "cau2wav",
         .synopsis = "cau2wav IN.cau [OUT.wav]",
         .summary = "a .cau sound as a PCM .wav",
         .details = kCauToWavDetails,
         .minPositional = 1,
         .maxPositional = 2,
         .run = runCauToWav},
        {.name = "wav2cau",
         .synopsis = "wav2cau IN.wav [OUT.cau] [--caption TEXT | --captions FILE.srt] [--to-game] [--ima]",
         .summary = "a .wav wrapped as a .cau sound image",
         .details = kWavToCauDetails,
         .flagNames = {"to-game", "ima"},
         .optionNames = {"caption", "captions"},
         .minPositional = 1,
         .maxPositional = 2,
         .run = runWavToCau},
        {.name = "convert",
         .synopsis = "convert FOREIGN [OUT.wav]",
         .summary = "a foreign sound file as the .wav that would be played",
         .details = kConvertDetails,
         .minPositional = 1,
         .maxPositional = 2,
         .run = runConvert},
        {.name = "id",
         .synopsis = "id NAME...",
         .summary = "the sound identifier of each name",
         .details = kIdDetails,
         .minPositional = 1,
         .maxPositional = kNoLimit,
         .run = runId},
        {.name = "names",
         .synopsis = "names ARCHIVE... [--from PATH]... [--guess PATTERN]... [--db SNDIDS] [--no-vary] [--json]",
         .summary = "names for the archives' identifiers, found in files, varied or guessed",
         .details = kNamesDetails,
         .flagNames = {"no-vary", "json"},
         .optionNames = {"from", "guess", "db"},
         .minPositional = 1,
         .maxPositional = kNoLimit,
         .run = runNamesCommand},
        {.name = "lookup",
         .synopsis = "lookup ID --db SNDIDS",
         .summary = "the name stored for an identifier",
         .details = kLookupDetails,
         .optionNames = {"db"},
         .minPositional = 1,
         .maxPositional = 1,
         .run = runLookup},
    };
}

// Making an archive and changing its sounds.
std::vector<Command> changingArchives() {
    return {
        {.name = "new",
         .synopsis = "new OUT.tpa",
         .summary = "a new archive holding the default sound",
         .details = kNewDetails,
         .minPositional = 1,
         .maxPositional = 1,
         .run = runNew},
        {.name = "add",
         .synopsis = "add ARCHIVE SOUND [--name NAME] [--db SNDIDS] [--log LOG] [--backup PATH] [--to-game] [--ima] "
                     "[--captions FILE.srt]",
         .summary = "append a .cau (or a .wav, converted first) to an archive",
         .details = kAddDetails,
         .flagNames = {"to-game", "ima"},
         .optionNames = {"name", "db", "log", "backup", "captions"},
         .minPositional = 2,
         .maxPositional = 2,
         .run = runAddCommand},
        {.name = "replace",
         .synopsis = "replace ARCHIVE NAME|ID SOUND [--backup PATH] [--to-game] [--ima] [--captions FILE.srt]",
         .summary = "replace the sound of an identifier in an archive",
         .details = kReplaceDetails,
         .flagNames = {"to-game", "ima"},
         .optionNames = {"backup", "captions"},
         .minPositional = 3,
         .maxPositional = 3,
         .run = runReplace},
        {.name = "remove",
         .synopsis = "remove ARCHIVE NAME|ID... [--backup PATH]",
         .summary = "drop sounds from an archive",
         .details = kRemoveDetails,
         .optionNames = {"backup"},
         .minPositional = 2,
         .maxPositional = 1000000,
         .run = runRemove},
    };
}

// Building archives and sound lists from folders and lists, and the retail copy of a beta archive.
std::vector<Command> building() {
    return {
        {.name = "build-dir",
         .synopsis = "build-dir CAUDIR OUT.tpa",
         .summary = "an archive from every .cau of a folder",
         .details = kBuildDirDetails,
         .minPositional = 2,
         .maxPositional = 2,
         .run = runBuildDir},
        {.name = "make-eel",
         .synopsis = "make-eel CAUDIR NAME",
         .summary = "an .eel list naming every .cau of a folder",
         .details = kMakeEelDetails,
         .minPositional = 2,
         .maxPositional = 2,
         .run = runMakeEel},
        {.name = "build-eel",
         .synopsis = "build-eel LIST.eel OUT.tpa [--missing CAU]",
         .summary = "an archive from an .eel list",
         .details = kBuildEelDetails,
         .optionNames = {"missing"},
         .minPositional = 2,
         .maxPositional = 2,
         .run = runBuildEel},
        {.name = "dir-to-caus",
         .synopsis = "dir-to-caus WAVDIR",
         .summary = "every convertible .wav of a folder as a .cau beside it",
         .details = kDirToCausDetails,
         .minPositional = 1,
         .maxPositional = 1,
         .run = runDirToCaus},
        {.name = "beta-to-retail",
         .synopsis = "beta-to-retail ARCHIVE",
         .summary = "the retail-layout copy alt<name>.tpa of a beta archive",
         .details = kBetaToRetailDetails,
         .minPositional = 1,
         .maxPositional = 1,
         .run = runBetaToRetail},
        {.name = "unpack",
         .synopsis = "unpack ARCHIVE DIR [--db SNDIDS] [--cau]",
         .summary = "an archive as a folder of sounds and manifest.json",
         .details = kUnpackDetails,
         .flagNames = {"cau"},
         .optionNames = {"db"},
         .minPositional = 2,
         .maxPositional = 2,
         .run = runUnpack},
        {.name = "pack",
         .synopsis = "pack DIR OUT.tpa",
         .summary = "an unpacked folder back into an archive",
         .details = kPackDetails,
         .minPositional = 2,
         .maxPositional = 2,
         .run = runPack},
    };
}

// Checking files as the game reads them.
std::vector<Command> checking() {
    return {
        {.name = "diff",
         .synopsis = "diff A.tpa B.tpa [--json]",
         .summary = "which sounds two archives do not share or hold differently",
         .details = kDiffDetails,
         .flagNames = {"json"},
         .minPositional = 2,
         .maxPositional = 2,
         .run = runDiff},
        {.name = "verify",
         .synopsis = "verify FILE... [--json]",
         .summary = "reads .tpa and .cau files as the game does; exit 1 on an error",
         .details = kVerifyDetails,
         .flagNames = {"json"},
         .minPositional = 1,
         .maxPositional = kNoLimit,
         .run = runVerify},
    };
}

}  // namespace

const std::vector<Command>& commands() {
    static const std::vector<Command> rows = [] {
        std::vector<Command> all;
        for (auto group : {readingArchives, converting, changingArchives, building, checking})
            for (Command& c : group()) all.push_back(std::move(c));
        return all;
    }();
    return rows;
}

}  // namespace sonkrate::cli
