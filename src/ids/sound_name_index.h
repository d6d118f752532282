// The names of a name database read once and indexed, for commands that look
// up every entry of an archive: the same answers as lookupSoundName gives,
// without reading the file once per entry.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "ids/sound_id.h"

namespace sonkrate::ids {

class SoundNameIndex {
public:
    // Reads the database at dbPath (an empty path or a missing file: every
    // name is "unknown"). A very large database is searched per lookup.
    void load(const std::string& dbPath);
    // The name stored for id, or "unknown".
    std::string lookup(SoundId id) const;
    // Every name indexed, sorted, without repeats (none for a database
    // searched per lookup).
    std::vector<std::string> names() const;

private:
    void index(const std::string& text);
    static std::string nameAfter(const std::string& text, std::size_t at);

    std::string dbPath_;
    bool perEntry_ = false;
    std::unordered_map<std::string, std::string> names_;
};

}  // namespace sonkrate::ids
