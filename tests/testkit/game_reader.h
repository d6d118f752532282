// A second opinion on the archives the tests write: reads a .tpa the way the
// game's own loader and player read it, independently of src/archive, and
// lists everything the game would refuse or play wrong.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <source_location>
#include <string>
#include <vector>

#include "testkit/testkit.h"

namespace testkit {

// One sentence per problem; empty when the game loads the archive and plays
// every sound in full.
std::vector<std::string> gameArchiveProblems(const Bytes& archive);
std::vector<std::string> gameArchiveProblems(const std::string& path);

// The same for a lone .cau image, as the game would read it once put in an
// archive with its own header as the table's copy.
std::vector<std::string> gameCauProblems(const Bytes& image);

// A sound's mix as the game takes it from its record: attenuation in dB per
// metre (auxValue) and master volume in dB (reserved).
struct GameLevels {
    float attenuation = 0;
    float volume = 0;
};
// The levels of every identifier of the table the game reads (for an
// identifier used twice, the last record's, as the release build keeps).
std::map<std::uint32_t, GameLevels> gameSoundLevels(const Bytes& archive);

::testing::AssertionResult gameReads(const std::string& archivePath);
::testing::AssertionResult gameReadsCau(const std::string& cauPath);

// Adds a test failure, at the caller's line, listing every problem the game
// would have with the archive at archivePath.
void expectGameReads(const std::string& archivePath,
                     std::source_location where = std::source_location::current());

}  // namespace testkit
