// sonkrate-cli id and lookup: sound identifiers of names, and names of identifiers.
#include <cstdio>

#include "cli/cli.h"
#include "cli/commands.h"
#include "ids/sound_id.h"
#include "ids/sound_id_database.h"
#include "io/game_text.h"

namespace sonkrate::cli {

int runId(const Arguments& args) {
    for (const std::string& name : args.positional)
        print(stdout, "%s %s\n", ids::formatSoundId(ids::computeSoundId(io::gameText(name))).c_str(), name.c_str());
    return kExitOk;
}

int runLookup(const Arguments& args) {
    std::optional<ids::SoundId> id = ids::parseSoundId(args.positional[0]);
    if (!id) return usageError("lookup", "ID must be up to 8 hexadecimal digits");
    std::optional<std::string> db = args.option("db");
    if (!db) return usageError("lookup", "--db SNDIDS names the name database");
    print(stdout, "%s\n", io::shownText(ids::lookupSoundName(*db, *id).name).c_str());
    return kExitOk;
}

const char* const kIdDetails =
    "One line per name: the identifier in 8 lower-case hex digits, a blank, the name.\n"
    "The identifier is the CRC-32 of the lower-cased name.";

const char* const kLookupDetails =
    "Prints the name that the database SNDIDS stores for the identifier ID\n"
    "(8 hex digits, either case), or \"unknown\".";

}  // namespace sonkrate::cli
