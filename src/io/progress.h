// How a long operation tells its caller how far it has come: a callback that
// receives the items (or bytes) done and the total. Operations never print;
// the front end decides what to show.
#pragma once

#include <cstdint>
#include <functional>

namespace sonkrate::io {

using ProgressCallback = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Calls progress when one was given.
inline void reportProgress(const ProgressCallback& progress, std::uint64_t done, std::uint64_t total) {
    if (progress) progress(done, total);
}

}  // namespace sonkrate::io
