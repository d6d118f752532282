#include "archive/folder/content_hash.h"

#include <bit>
#include <cstring>
#include <vector>

#include "io/file.h"

namespace sonkrate::archive {

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

std::uint64_t rotl(std::uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

// Little-endian words, read as one load where the machine is little-endian.
std::uint64_t read64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}

std::uint32_t read32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

std::uint64_t round(std::uint64_t acc, std::uint64_t input) {
    acc += input * kPrime2;
    return rotl(acc, 31) * kPrime1;
}

std::uint64_t mergeRound(std::uint64_t acc, std::uint64_t lane) {
    acc ^= round(0, lane);
    return acc * kPrime1 + kPrime4;
}

void stripe(std::uint64_t* lanes, const std::uint8_t* p) {
    for (int i = 0; i < 4; ++i) lanes[i] = round(lanes[i], read64(p + 8 * i));
}

}  // namespace

void ContentHash::update(const void* data, std::size_t size) {
    if (!started_) {
        lanes_[0] = kPrime1 + kPrime2;
        lanes_[1] = kPrime2;
        lanes_[2] = 0;
        lanes_[3] = 0 - kPrime1;
        started_ = true;
    }
    const auto* p = static_cast<const std::uint8_t*>(data);
    total_ += size;
    if (pendingSize_ > 0) {
        const std::size_t take = std::min(size, sizeof pending_ - pendingSize_);
        std::memcpy(pending_ + pendingSize_, p, take);
        pendingSize_ += take;
        p += take;
        size -= take;
        if (pendingSize_ < sizeof pending_) return;
        stripe(lanes_, pending_);
        pendingSize_ = 0;
    }
    for (; size >= 32; p += 32, size -= 32) stripe(lanes_, p);
    std::memcpy(pending_, p, size);
    pendingSize_ = size;
}

std::uint64_t ContentHash::digest() const {
    std::uint64_t h;
    if (total_ >= 32) {
        h = rotl(lanes_[0], 1) + rotl(lanes_[1], 7) + rotl(lanes_[2], 12) + rotl(lanes_[3], 18);
        for (std::uint64_t lane : lanes_) h = mergeRound(h, lane);
    } else {
        h = kPrime5;
    }
    h += total_;
    const std::uint8_t* p = pending_;
    std::size_t left = pendingSize_;
    for (; left >= 8; p += 8, left -= 8) h = rotl(h ^ round(0, read64(p)), 27) * kPrime1 + kPrime4;
    if (left >= 4) {
        h = rotl(h ^ (std::uint64_t{read32(p)} * kPrime1), 23) * kPrime2 + kPrime3;
        p += 4;
        left -= 4;
    }
    for (; left > 0; ++p, --left) h = rotl(h ^ (*p * kPrime5), 11) * kPrime1;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    h ^= h >> 32;
    return h;
}

std::string ContentHash::text() const {
    static const char digits[] = "0123456789abcdef";
    std::string out = kContentHashPrefix;
    const std::uint64_t h = digest();
    for (int shift = 60; shift >= 0; shift -= 4) out += digits[(h >> shift) & 0xF];
    return out;
}

io::Outcome hashFile(const std::string& path, std::string& hash) {
    io::File in;
    if (io::Outcome opened = in.open(path, io::FileMode::ReadNoLink); !opened) return opened;
    std::vector<std::uint8_t> buffer(io::kCopyBufferSize);
    ContentHash h;
    for (;;) {
        const std::size_t n = in.readSome(buffer.data(), buffer.size());
        if (n == 0) break;
        h.update(buffer.data(), n);
    }
    if (in.failed()) return io::failure(io::systemError("Cannot read", path));
    hash = h.text();
    return io::success();
}

}  // namespace sonkrate::archive
