#include "ids/sound_name_index.h"

#include <algorithm>
#include <string_view>

#include "ids/sound_id_database.h"
#include "io/file.h"
#include "io/paths.h"

namespace sonkrate::ids {

namespace {

// A database up to this size is indexed once; a bigger one is searched per lookup.
constexpr std::uint64_t kMaxIndexedDatabase = 16u << 20;
// Mirrors the line length the single lookup keeps.
constexpr std::size_t kMaxNameLine = 4096;

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

}  // namespace

void SoundNameIndex::load(const std::string& dbPath) {
    dbPath_ = dbPath;
    if (dbPath.empty()) return;
    io::File db;
    if (!db.open(dbPath, io::FileMode::Read)) return;
    const std::uint64_t size = db.size();
    if (size > kMaxIndexedDatabase) {
        perEntry_ = true;
        return;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    if (size > 0 && !db.readExact(text.data(), text.size())) return;
    index(text);
}

std::string SoundNameIndex::lookup(SoundId id) const {
    if (perEntry_) return lookupSoundName(dbPath_, id).name;
    auto found = names_.find(formatSoundId(id));
    return found == names_.end() ? "unknown" : found->second;
}

std::vector<std::string> SoundNameIndex::names() const {
    std::vector<std::string> all;
    for (const auto& [key, name] : names_)
        if (name != "unknown") all.push_back(name);
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

// The file read as tokens between quotation marks; the first token equal to
// an identifier wins and the rest of its line gives the name.
void SoundNameIndex::index(const std::string& s) {
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t delimiter = s.find('"', pos);
        const bool hasDelimiter = delimiter != std::string::npos;
        if (!hasDelimiter) delimiter = s.size();
        if (delimiter - pos == 8) {
            std::string key = io::toLower(std::string_view(s).substr(pos, 8));
            if (std::all_of(key.begin(), key.end(), isHexDigit) && names_.find(key) == names_.end())
                names_.emplace(key, nameAfter(s, hasDelimiter ? delimiter + 1 : s.size()));
        }
        pos = hasDelimiter ? delimiter + 1 : s.size();
    }
}

// The rest of the line from at: blank, quote, name, quote.
std::string SoundNameIndex::nameAfter(const std::string& s, std::size_t at) {
    if (at >= s.size()) return "unknown";
    std::size_t lineEnd = s.find('\n', at);
    if (lineEnd == std::string::npos) lineEnd = s.size();
    std::string rest = s.substr(at, std::min(lineEnd - at, kMaxNameLine));
    if (!rest.empty() && rest.back() == '\r') rest.pop_back();
    if (rest.size() < 3) return "unknown";
    std::string name = rest.substr(2, rest.size() - 3);
    return name.empty() ? "unknown" : name;
}

}  // namespace sonkrate::ids
