// A second opinion on the archives the tests write: reads a .tpa the way the
// game's own loader and player read it, independently of src/archive, and
// lists everything the game would refuse or play wrong.
#pragma once

#include <gtest/gtest.h>

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

::testing::AssertionResult gameReads(const std::string& archivePath);
::testing::AssertionResult gameReadsCau(const std::string& cauPath);

// Adds a test failure, at the caller's line, listing every problem the game
// would have with the archive at archivePath.
void expectGameReads(const std::string& archivePath,
                     std::source_location where = std::source_location::current());

}  // namespace testkit
