// The name harvester on a file of any bytes: the same names at the same
// offsets whether the file is fed whole, in small pieces or read from disk,
// and every name found hashes to its identifier and stands where it is said to.
// Input: the file; its first byte also chooses the size of the pieces.
#include <map>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "ids/search/name_harvest.h"
#include "ids/sound_id.h"

using namespace sonkrate;

namespace {

using Found = std::map<std::pair<ids::SoundId, std::string>, std::uint64_t>;

Found flatten(const ids::NameMatches& matches) {
    Found found;
    for (const auto& [id, list] : matches.byId())
        for (const ids::NameMatch& m : list) found[{id, m.name}] = m.offset;
    return found;
}

Found scanInPieces(const std::uint8_t* data, std::size_t size, const ids::SoughtIds& sought, std::size_t piece) {
    ids::NameMatches matches;
    ids::NameScanner scanner(sought, matches);
    scanner.begin("input");
    for (std::size_t at = 0; at < size; at += piece) scanner.feed(data + at, std::min(piece, size - at));
    scanner.finish();
    return flatten(matches);
}

// The name stands at offset, one byte per character or as UTF-16LE.
bool standsAt(const std::uint8_t* data, std::size_t size, const std::string& name, std::uint64_t offset) {
    auto lower = [](std::uint8_t b) { return static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b); };
    for (std::size_t stride : {1u, 2u}) {
        if (offset + (name.size() - 1) * stride + (stride - 1) >= size) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            same = lower(data[offset + i * stride]) == name[i];
            if (stride == 2) same = same && data[offset + i * 2 + 1] == 0;
        }
        if (same) return true;
    }
    return false;
}

}  // namespace

SONKRATE_FUZZ_HARNESS(names_harvest) {
    // Sought: the identifiers of short pieces of the input itself, so that
    // matches happen, and two fixed ones.
    std::vector<ids::SoundId> sought = {ids::computeSoundId("missing"), ids::computeSoundId("amb-pv-b01")};
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (std::size_t at = 0; at + 2 <= size && sought.size() < 200; at += 3)
        for (std::size_t n = 2; n <= 12 && at + n <= size; n += 5) sought.push_back(ids::computeSoundId(text.substr(at, n)));
    const ids::SoughtIds set(sought);

    const Found whole = scanInPieces(data, size, set, size == 0 ? 1 : size);
    const std::size_t piece = size == 0 ? 1 : 1 + data[0] % 17;
    fuzz::check(scanInPieces(data, size, set, piece) == whole, "pieces of another size found other names");
    for (const auto& [key, offset] : whole) {
        fuzz::check(ids::computeSoundId(key.second) == key.first, "a name found does not hash to its identifier");
        fuzz::check(key.second.size() >= 2 && key.second.size() <= 128, "a name found is too short or too long");
        fuzz::check(standsAt(data, size, key.second, offset), "a name found does not stand at its offset");
    }
    const std::string path = fuzz::writeScratch("game.bin", data, size);
    ids::NameMatches fromFile;
    ids::HarvestResult r = ids::harvestNames({path}, set, fromFile);
    fuzz::check(r.bytesRead == size && r.filesRead == 1, "the file was not read once, whole");
    fuzz::check(flatten(fromFile) == whole, "the file on disk gave other names than its bytes");
}
