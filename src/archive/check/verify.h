// Checking a .tpa archive or a .cau sound the way the game reads it: every
// fact that makes the game refuse the file or play a sound wrong is an
// error, every other inconsistency a warning. Files are streamed; every
// offset is checked against the file's real size before it is read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/outcome.h"

namespace sonkrate::archive {

enum class Severity { Error, Warning };

struct Finding {
    std::string file;
    std::optional<std::uint32_t> index;    // the table record; none for the file as a whole
    std::optional<std::uint32_t> soundId;  // the record's identifier
    Severity severity = Severity::Error;
    std::string code;     // short and stable, e.g. "decoded-size"
    std::string message;  // one sentence of facts
};

struct VerifyReport {
    // Fails only when the file cannot be opened or read; damage is a finding.
    io::Outcome outcome;
    std::vector<Finding> findings;
    bool truncated = false;  // more findings than kMaxFindings; the rest dropped

    std::size_t count(Severity severity) const;
};

// A hostile file cannot make the list grow without bound.
inline constexpr std::size_t kMaxFindings = 10000;

// "error" or "warning".
const char* severityText(Severity severity);

// Reads path as a .cau when its name ends in .cau (in any case) or, with
// another ending, when it starts with "WBOR"; as a .tpa otherwise.
VerifyReport verifyFile(const std::string& path);
VerifyReport verifyArchive(const std::string& path);
VerifyReport verifyCau(const std::string& path);

}  // namespace sonkrate::archive
