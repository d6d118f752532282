// The name database and the identifier logs: lookups in a hostile database
// (its names shown as UTF-8), a record appended to it, and a hostile log
// turned into its list file.
// Input: the database, then the log.
#include <algorithm>

#include "fuzz/fuzz_support.h"
#include "ids/id_log.h"
#include "ids/sound_id.h"
#include "ids/sound_id_database.h"
#include "io/byte_order.h"
#include "io/game_text.h"
#include "io/unicode_text.h"

using namespace sonkrate;

SONKRATE_FUZZ_HARNESS(sndids) {
    std::vector<fuzz::Bytes> parts = fuzz::splitParts(data, size, 2);
    std::string db = fuzz::writeScratch("SndIds.dat", parts[0]);
    const std::string raw(parts[0].begin(), parts[0].end());
    fuzz::check(io::utf16FromUtf8(io::shownText(raw)).has_value(), "the database's bytes do not show as UTF-8");
    ids::SoundId probe = parts[0].size() >= 4 ? io::getU32(parts[0].data()) : 0;
    for (ids::SoundId id : {probe, ids::computeSoundId("missing")}) {
        ids::SoundNameLookup found = ids::lookupSoundName(db, id);
        fuzz::check(found.key.size() == 8, "a lookup key is not 8 digits");
        if (!found.found) fuzz::check(found.name == "unknown", "a name not found is not \"unknown\"");
        fuzz::check(io::utf16FromUtf8(io::shownText(found.name)).has_value(), "a name does not show as UTF-8");
    }
    if (ids::appendSoundIdRecord(db, "Fuzz Name")) {
        bool clean = std::find(parts[0].begin(), parts[0].end(), '"') == parts[0].end() &&
                     (parts[0].empty() || parts[0].back() == '\n');
        ids::SoundNameLookup appended = ids::lookupSoundName(db, ids::computeSoundId("fuzz name"));
        if (clean) fuzz::check(appended.found, "a record appended to a database is not found");
    }
    std::string log = fuzz::writeScratch("tpa_logs.log", parts[1]);
    (void)ids::appendLogLine(log, ids::ingameIdLogLine("appended name"));
    ids::IdListResult list = ids::convertIdLog(log);
    if (list.outcome) {
        fuzz::check(fuzz::exists(list.listPath), "a converted log left no list file");
        fuzz::check(!fuzz::exists(log), "a converted log was kept");
    }
}
