#include "ids/sound_id_database.h"

#include "io/file.h"
#include "io/line_reader.h"
#include "io/paths.h"

namespace sonkrate::ids {

namespace {

// Names are short; a longer line is kept only this far.
constexpr std::size_t kMaxNameLine = 4096;

SoundNameLookup unknownName(const std::string& key) {
    return {" unknown", "unknown", io::toUpper(key), false};
}

}  // namespace

io::Outcome appendSoundIdRecord(const std::string& dbPath, std::string_view name) {
    std::string lower = io::toLower(name);
    std::string line = "\"" + formatSoundId(computeSoundId(lower)) + "\" \"" + lower + "\"\r\n";
    return io::appendWhole(dbPath, line);
}

SoundNameLookup lookupSoundName(const std::string& dbPath, SoundId id) {
    const std::string key = formatSoundId(id);
    io::LineReader db;
    if (!db.open(dbPath)) return unknownName(key);

    // Tokens are whatever lies between two quotation marks, across lines, so
    // a name that happens to equal the key matches as well. Tokens longer
    // than the key cannot match and are not kept beyond one extra byte.
    std::string token;
    while (db.readUntil('"', token, key.size() + 1)) {
        if (io::toLower(token) != key) continue;
        std::string rest;
        if (!db.readLine(rest, kMaxNameLine)) rest.clear();
        // A well-formed rest is: blank, quote, name, quote.
        if (rest.size() < 3) return unknownName(key);
        std::string name = rest.substr(2, rest.size() - 3);
        if (name.empty()) return unknownName(key);
        return {" " + rest, name, io::toUpper(key), true};
    }
    return unknownName(key);
}

}  // namespace sonkrate::ids
