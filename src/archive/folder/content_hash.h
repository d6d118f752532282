// The hash by which pack tells the files of an unpacked archive that changed
// from those left as unpack wrote them: 64-bit xxHash (seed 0), fed in pieces
// as the bytes stream past, written "xxh64:" and 16 lower-case hex digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "io/outcome.h"

namespace sonkrate::archive {

inline constexpr char kContentHashPrefix[] = "xxh64:";

class ContentHash {
public:
    void update(const void* data, std::size_t size);
    std::uint64_t digest() const;
    // "xxh64:" + 16 hex digits.
    std::string text() const;

private:
    std::uint64_t lanes_[4] = {};
    std::uint8_t pending_[32] = {};
    std::size_t pendingSize_ = 0;
    std::uint64_t total_ = 0;
    bool started_ = false;
};

// The hash text of the whole file at path, read in fixed blocks; a link, a
// FIFO or a device at path is refused.
io::Outcome hashFile(const std::string& path, std::string& hash);

}  // namespace sonkrate::archive
