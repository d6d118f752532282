// Progress of a loop over files or list items: the items done, the total and
// the item being worked on. Loops never print; the front end shows this.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace sonkrate::io {

using ItemProgressCallback =
    std::function<void(std::uint64_t done, std::uint64_t total, const std::string& current)>;

// Calls progress when one was given.
inline void reportItemProgress(const ItemProgressCallback& progress, std::uint64_t done, std::uint64_t total,
                               const std::string& current) {
    if (progress) progress(done, total, current);
}

}  // namespace sonkrate::io
