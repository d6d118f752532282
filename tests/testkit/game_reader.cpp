#include "testkit/game_reader.h"

#include <bit>
#include <map>
#include <sstream>

namespace testkit {
namespace {

struct Problems {
    std::vector<std::string> list;
    void add(const std::string& where, const std::string& what) { list.push_back(where + what); }
};

// The 36-byte sound header as the player reads it.
struct Sound {
    std::uint32_t formatTag, dataOffset, blockAlign, dataSize, decodedSize, rate, captionOffset;
    std::uint8_t bits, channels, compression;
};

Sound soundAt(const Bytes& b, std::size_t at) {
    return {u32(b, at + 4),  u32(b, at + 8),  u32(b, at + 12), u32(b, at + 16), u32(b, at + 20),
            u32(b, at + 24), u32(b, at + 32), b[at + 28],      b[at + 29],      b[at + 30]};
}

// The play buffer is decodedSize bytes in the sound's own width: PCM plays
// its data as it stands, IMA ADPCM as 16-bit PCM.
struct BufferBounds {
    std::uint64_t least;  // less cuts the sound short
    std::uint64_t most;   // more plays past the sound and stretches its play time
};

BufferBounds bufferBounds(const Sound& s) {
    if (s.compression == 0) return {s.dataSize, s.dataSize};
    const std::uint64_t blocks = (std::uint64_t{s.dataSize} + s.blockAlign - 1) / s.blockAlign;
    const std::uint64_t perBlock = 1 + (std::uint64_t{s.blockAlign} - 4 * s.channels) * 2 / s.channels;
    const std::uint64_t frameBytes = 2ull * s.channels;
    // Every block decoded in full, and a block's frames more for the game's
    // own converter, which counted a padded last block.
    return {(blocks == 0 ? 0 : blocks - 1) * perBlock * frameBytes, (blocks + 1) * perBlock * frameBytes};
}

void checkCaption(const Bytes& b, std::uint64_t at, const std::string& where, Problems& out) {
    if (at + 8 > b.size()) return out.add(where, "caption block past the end of the file");
    const std::uint64_t end = at + 4 + u32(b, at);
    if (end > b.size()) return out.add(where, "caption block length past the end of the file");
    const std::uint32_t sections = u32(b, at + 4);
    std::uint64_t p = at + 8;
    if (p > end) return out.add(where, "caption block too short for its line count");
    for (std::uint32_t i = 0; i < sections; ++i) {
        if (p + 4 > end) return out.add(where, "caption section " + std::to_string(i) + " has no display time");
        p += 4;
        while (p < end && b[p] != 0) ++p;
        if (p == end) return out.add(where, "caption section " + std::to_string(i) + " has no terminating zero");
        ++p;
    }
}

void checkSound(const Bytes& b, const Sound& s, std::uint64_t image, const std::string& where, Problems& out) {
    bool playable = true;
    auto refuse = [&](const std::string& what) { out.add(where, what), playable = false; };
    if (s.bits != 8 && s.bits != 16) refuse("bitsPerSample " + std::to_string(s.bits));
    if (s.channels != 1 && s.channels != 2) refuse("channels " + std::to_string(s.channels));
    if (s.compression > 1) refuse("compression " + std::to_string(s.compression));
    if (s.compression == 1 && s.bits != 16) refuse("IMA ADPCM of " + std::to_string(s.bits) + " bits");
    if (s.compression == 1 && s.blockAlign <= 4u * s.channels) refuse("blockAlign " + std::to_string(s.blockAlign));
    if (s.formatTag > 110) out.add(where, "formatTag " + std::to_string(s.formatTag));
    if (image + s.dataOffset + s.dataSize > b.size()) out.add(where, "sound data past the end of the file");
    const BufferBounds bounds = playable ? bufferBounds(s) : BufferBounds{0, UINT64_MAX};
    if (s.decodedSize < bounds.least)
        out.add(where, "decodedSize " + std::to_string(s.decodedSize) + " cuts the sound short (at least " +
                           std::to_string(bounds.least) + " bytes play)");
    if (s.decodedSize > bounds.most)
        out.add(where, "decodedSize " + std::to_string(s.decodedSize) + " plays past the sound (at most " +
                           std::to_string(bounds.most) + " bytes play)");
    if (s.captionOffset != 0 && s.formatTag >= 110) checkCaption(b, image + s.captionOffset, where, out);
}

void checkRecord(const Bytes& b, std::size_t r, const std::string& where, Problems& out) {
    const std::uint32_t imageOffset = u32(b, r + 4);
    if (imageOffset >= b.size()) out.add(where, "imageOffset " + std::to_string(imageOffset) + " outside the file");
    const float attenuation = std::bit_cast<float>(u32(b, r + 12));
    const float volume = std::bit_cast<float>(u32(b, r + 16));
    if (!(attenuation >= 0.0f)) out.add(where, "attenuation below 0 or not a number");
    if (!(volume <= 0.0f)) out.add(where, "master volume above 0 or not a number");
    if (text(b, r + 20, 4) != "WBOR") out.add(where, "header copy magic is not WBOR");
    else if (imageOffset < b.size()) checkSound(b, soundAt(b, r + 20), imageOffset, where, out);
}

}  // namespace

std::vector<std::string> gameArchiveProblems(const Bytes& b) {
    Problems out;
    if (b.size() < 24) return {"shorter than the 24-byte header"};
    if (u32(b, 0) != 0x150) out.add("", "layoutTag " + std::to_string(u32(b, 0)) + " is not 0x150");
    const std::uint64_t table = u32(b, 8), entries = u32(b, 20);
    if (table + 56 * entries > b.size()) {
        out.add("", "the table of " + std::to_string(entries) + " records runs past the end of the file");
        return out.list;
    }
    const std::uint32_t collisions = u32(b, 12);
    if (collisions != 0 && std::uint64_t{u32(b, 16)} + 152ull * collisions > b.size())
        out.add("", "the collision table runs past the end of the file");
    std::map<std::uint32_t, std::uint64_t> seen;
    for (std::uint64_t i = 0; i < entries; ++i) {
        const std::size_t r = static_cast<std::size_t>(table + 56 * i);
        std::ostringstream where;
        where << "entry " << i << " (id " << std::hex << u32(b, r) << "): ";
        checkRecord(b, r, where.str(), out);
        auto [earlier, fresh] = seen.emplace(u32(b, r), i);
        if (!fresh) out.add(where.str(), "identifier already used by entry " + std::to_string(earlier->second));
    }
    return out.list;
}

std::map<std::uint32_t, GameLevels> gameSoundLevels(const Bytes& b) {
    std::map<std::uint32_t, GameLevels> levels;
    if (b.size() < 24) return levels;
    const std::uint64_t table = u32(b, 8), entries = u32(b, 20);
    for (std::uint64_t i = 0; i < entries && table + 56 * (i + 1) <= b.size(); ++i) {
        const std::size_t r = static_cast<std::size_t>(table + 56 * i);
        levels[u32(b, r)] = {std::bit_cast<float>(u32(b, r + 12)), std::bit_cast<float>(u32(b, r + 16))};
    }
    return levels;
}

std::vector<std::string> gameArchiveProblems(const std::string& path) {
    if (!fileExists(path)) return {"no file " + path};
    return gameArchiveProblems(readFile(path));
}

std::vector<std::string> gameCauProblems(const Bytes& image) {
    Problems out;
    if (image.size() < 36) return {"shorter than the 36-byte header"};
    if (text(image, 0, 4) != "WBOR") out.add("", "magic is not WBOR");
    checkSound(image, soundAt(image, 0), 0, "", out);
    return out.list;
}

namespace {

::testing::AssertionResult verdict(const std::string& path, const std::vector<std::string>& problems) {
    if (problems.empty()) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << "the game would not read " << path << " right:";
    for (const std::string& p : problems) failure << "\n  " << p;
    return failure;
}

}  // namespace

::testing::AssertionResult gameReads(const std::string& archivePath) {
    return verdict(archivePath, gameArchiveProblems(archivePath));
}

::testing::AssertionResult gameReadsCau(const std::string& cauPath) {
    if (!fileExists(cauPath)) return verdict(cauPath, {"no such file"});
    return verdict(cauPath, gameCauProblems(readFile(cauPath)));
}

void expectGameReads(const std::string& archivePath, std::source_location where) {
    ::testing::AssertionResult result = gameReads(archivePath);
    if (!result) ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line())) << result.message();
}

}  // namespace testkit
