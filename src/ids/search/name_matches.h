// The identifiers sought while names are searched for, and the names that
// matched them: every distinct name of an identifier, how it was come by and
// where it was first seen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ids/sound_id.h"

namespace sonkrate::ids {

// How a name was come by, in the order of preference.
enum class NameHow { Found, Varied, Guessed };

struct NameMatch {
    SoundId id = 0;
    std::string name;      // as hashed: ASCII letters lower-cased
    NameHow how = NameHow::Found;
    std::string path;      // found: the file it stands in
    std::uint64_t offset = 0;  // found: the byte offset of its first byte there
};

// A set of identifiers with a membership test cheap enough to run on every
// candidate of a harvest: a bit filter on the low 16 bits, then a sorted table.
class SoughtIds {
public:
    SoughtIds() = default;
    explicit SoughtIds(std::vector<SoundId> ids);
    bool contains(SoundId id) const { return mayContain(id) && containsSlow(id); }
    // The filter alone: false only for identifiers that are not sought.
    bool mayContain(SoundId id) const { return filter_[(id & 0xFFFFu) >> 6] >> (id & 63u) & 1u; }
    const std::vector<SoundId>& ids() const { return sorted_; }
    std::size_t size() const { return sorted_.size(); }

private:
    bool containsSlow(SoundId id) const;
    std::vector<std::uint64_t> filter_ = std::vector<std::uint64_t>(1024, 0);
    std::vector<SoundId> sorted_;
};

class NameMatches {
public:
    // At most this many distinct names are kept per identifier.
    static constexpr std::size_t kMaxNamesPerId = 32;

    // Keeps the match unless its name is already known for its identifier
    // (then the earlier place stays). True when it was new.
    bool add(NameMatch match);
    bool has(SoundId id, std::string_view name) const;
    const std::map<SoundId, std::vector<NameMatch>>& byId() const { return byId_; }
    // Distinct (identifier, name) pairs kept.
    std::size_t count() const { return count_; }

private:
    std::map<SoundId, std::vector<NameMatch>> byId_;
    std::size_t count_ = 0;
};

}  // namespace sonkrate::ids
