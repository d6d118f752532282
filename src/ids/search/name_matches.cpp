#include "ids/search/name_matches.h"

#include <algorithm>

namespace sonkrate::ids {

SoughtIds::SoughtIds(std::vector<SoundId> ids) : sorted_(std::move(ids)) {
    std::sort(sorted_.begin(), sorted_.end());
    sorted_.erase(std::unique(sorted_.begin(), sorted_.end()), sorted_.end());
    for (SoundId id : sorted_) filter_[(id & 0xFFFFu) >> 6] |= std::uint64_t{1} << (id & 63u);
}

bool SoughtIds::containsSlow(SoundId id) const { return std::binary_search(sorted_.begin(), sorted_.end(), id); }

bool NameMatches::add(NameMatch match) {
    std::vector<NameMatch>& names = byId_[match.id];
    for (const NameMatch& m : names)
        if (m.name == match.name) return false;
    if (names.size() >= kMaxNamesPerId) return false;
    names.push_back(std::move(match));
    ++count_;
    return true;
}

bool NameMatches::has(SoundId id, std::string_view name) const {
    auto it = byId_.find(id);
    if (it == byId_.end()) return false;
    return std::any_of(it->second.begin(), it->second.end(), [&](const NameMatch& m) { return m.name == name; });
}

}  // namespace sonkrate::ids
