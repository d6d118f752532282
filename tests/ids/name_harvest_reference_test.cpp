// The harvest's fast paths (bit masks of 64 bytes, hashes of windows of
// 16, 32 and 64 bytes, the filter of the sought identifiers, the read
// buffers and the pieces fed) against a plain reading of which names a file
// offers, written here with strings alone: random and text-like bytes,
// runs across the edges of blocks and buffers, runs of 127 to 129 bytes,
// capitals and bytes above 0x7F.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ids/search/name_harvest.h"
#include "ids/sound_id.h"
#include "io/file.h"
#include "testkit/testkit.h"

using namespace sonkrate::ids;

namespace {

bool runByte(unsigned char c) { return c == '\t' || (c >= 0x20 && c != 0x7F); }

std::string lowered(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

// The parts of text between the bytes of cuts, the empty ones too.
std::vector<std::string> splitAt(const std::string& text, const std::string& cuts) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (cuts.find(c) != std::string::npos) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

// A piece, trimmed of blanks, the file name of the trimmed piece and that
// name without its extension.
void pieceNames(const std::string& piece, std::set<std::string>& names) {
    names.insert(piece);
    const std::size_t first = piece.find_first_not_of(" \t");
    if (first == std::string::npos) return;
    const std::string trimmed = piece.substr(first, piece.find_last_not_of(" \t") + 1 - first);
    names.insert(trimmed);
    const std::size_t slash = trimmed.find_last_of("/\\");
    const std::string file = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    names.insert(file);
    const std::size_t dot = file.rfind('.');
    if (dot != std::string::npos && dot > 0) names.insert(file.substr(0, dot));
}

// Every name a file of bytes without zeros offers (lower-cased), read plainly.
std::set<std::string> plainNames(const std::string& bytes) {
    std::set<std::string> all;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (!runByte(static_cast<unsigned char>(bytes[at]))) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < bytes.size() && runByte(static_cast<unsigned char>(bytes[end]))) ++end;
        const std::string run = bytes.substr(at, end - at);
        pieceNames(run, all);
        for (const char* cuts : {"\"", "'", "=,;:\t()[]{}<>\"'"})
            for (const std::string& piece : splitAt(run, cuts)) pieceNames(piece, all);
        at = end;
    }
    std::set<std::string> names;
    for (const std::string& n : all)
        if (n.size() >= 2 && n.size() <= 128) names.insert(lowered(n));
    return names;
}

// Bytes without zeros (no UTF-16 text): noise, words, paths, script lines,
// runs of 127 to 129 bytes, some ending at the read buffers' edges, and runs
// (some with one byte to cut at) ending at, before or after the 64-byte
// blocks' edges.
std::string mixedBytes(std::mt19937& random) {
    const std::size_t edge = sonkrate::io::kCopyBufferSize;
    const std::string word = "abcXYZ019-_.\xE9\xC9";
    const std::string cutting = " \t=,;:()[]{}<>\"'/\\.";
    std::string bytes;
    auto text = [&](std::size_t length) {
        std::string t;
        for (std::size_t i = 0; i < length; ++i)
            t += random() % 5 == 0 ? cutting[random() % cutting.size()] : word[random() % word.size()];
        return t;
    };
    auto breakByte = [&] { return static_cast<char>(random() % 2 ? 1 + random() % 31 : 0x7F); };
    while (bytes.size() < 3 * edge) {
        const std::size_t kind = random() % 6;
        if (kind == 0) {  // noise
            for (int i = 0; i < 200; ++i) bytes += static_cast<char>(1 + random() % 255);
        } else if (kind == 1) {  // a line of a script
            bytes += "Sound" + std::to_string(random() % 50) + " = \"Amb\\Wind-" + std::to_string(random() % 9) +
                     ".WAV\"; Volume=" + std::to_string(random() % 9) + "\r\n";
        } else if (kind == 2) {  // a long run, ending at a buffer's edge when one is near
            const std::size_t length = 127 + random() % 3;
            const std::size_t next = (bytes.size() / edge + 1) * edge;
            const std::size_t gap = next - bytes.size();
            if (gap > length + 1 && gap < 400) bytes += text(gap - length - 1) + breakByte();
            bytes += text(length) + breakByte();
        } else if (kind == 3) {  // a run across a block's edge, or ending at, before or after one
            std::string run = text(random() % 2 ? 63 + random() % 3 : 2 + random() % 70);
            if (random() % 2) {  // one byte to cut at
                for (char& c : run) c = word[random() % word.size()];
                run[random() % run.size()] = cutting[random() % cutting.size()];
            }
            const std::size_t pad = (64 - (bytes.size() + run.size()) % 64) % 64 + random() % 3;
            bytes += std::string(pad, '\x02') + run + breakByte();
        } else {  // short text
            bytes += text(1 + random() % 40) + breakByte();
        }
    }
    return bytes;
}

std::map<std::string, std::uint64_t> byName(const NameMatches& matches) {
    std::map<std::string, std::uint64_t> found;
    for (const auto& [id, list] : matches.byId())
        for (const NameMatch& m : list) found[m.name] = m.offset;
    return found;
}

}  // namespace

TEST(NameHarvestReference, FindsWhatAPlainReadingOffersAtPlacesThatHoldTheName) {
    std::mt19937 random(31);
    const std::string bytes = mixedBytes(random);
    const std::set<std::string> offered = plainNames(bytes);
    ASSERT_GT(offered.size(), 20000u);
    // One name in four sought, with identifiers the filter passes but that no name has.
    std::vector<SoundId> ids;
    for (const std::string& name : offered)
        if (random() % 4 == 0) ids.push_back(computeSoundId(name)), ids.push_back(computeSoundId(name) ^ 0x40000u);
    for (const char* name : {"amb\\wind-3.wav", "wind-3", "wind-3.wav", "volume"}) ids.push_back(computeSoundId(name));
    const SoughtIds sought(ids);
    std::set<std::string> expected;
    for (const std::string& name : offered)
        if (sought.contains(computeSoundId(name))) expected.insert(name);

    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("mixed.bin"), testkit::Bytes(bytes.begin(), bytes.end()));
    NameMatches matches;
    harvestNames({dir.file("mixed.bin")}, sought, matches);
    const std::map<std::string, std::uint64_t> found = byName(matches);
    std::set<std::string> names;
    for (const auto& [name, offset] : found) {
        names.insert(name);
        ASSERT_LE(offset + name.size(), bytes.size()) << name;
        EXPECT_EQ(lowered(bytes.substr(offset, name.size())), name) << "at " << offset;
    }
    std::vector<std::string> missing, extra;
    std::set_difference(expected.begin(), expected.end(), names.begin(), names.end(), std::back_inserter(missing));
    std::set_difference(names.begin(), names.end(), expected.begin(), expected.end(), std::back_inserter(extra));
    EXPECT_TRUE(missing.empty()) << missing.size() << " not found, the first: \"" << missing.front() << "\"";
    EXPECT_TRUE(extra.empty()) << extra.size() << " found but not offered, the first: \"" << extra.front() << "\"";
    EXPECT_TRUE(names.count("wind-3") && names.count("wind-3.wav") && names.count("volume"));

    // Fed in pieces of other sizes, the same names at the same places.
    for (std::size_t piece : {1u, 63u, 64u, 65u, 1000u, 100000u}) {
        NameMatches pieces;
        NameScanner scanner(sought, pieces);
        scanner.begin("mixed.bin");
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        for (std::size_t at = 0; at < bytes.size(); at += piece) scanner.feed(data + at, std::min(piece, bytes.size() - at));
        scanner.finish();
        EXPECT_TRUE(byName(pieces) == found) << "pieces of " << piece;
    }
}
