// The name database: a text file of lines "<8 hex digits>" "<name>" that maps
// identifiers back to sound names. It is only ever appended to and read.
#pragma once

#include <string>
#include <string_view>

#include "ids/sound_id.h"
#include "io/outcome.h"

namespace sonkrate::ids {

// Appends one CR LF line holding the identifier of the lower-cased name and
// that name, creating the database when it does not exist.
io::Outcome appendSoundIdRecord(const std::string& dbPath, std::string_view name);

struct SoundNameLookup {
    std::string displayName;  // " " + the rest of the matching line, or " unknown"
    std::string name;         // the name inside its quotation marks, or "unknown"
    std::string key;          // the identifier in 8 upper-case hex digits
    bool found = false;       // false when name is "unknown"
};

// Looks the identifier up in the database. The file is read as tokens
// separated by '"'; the first token equal to the identifier (either digit
// case) wins and the rest of its line gives the name. A missing or
// unreadable database gives "unknown".
SoundNameLookup lookupSoundName(const std::string& dbPath, SoundId id);

}  // namespace sonkrate::ids
