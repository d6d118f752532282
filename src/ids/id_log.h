// The logs of sound names written while sounds are added or archives built,
// and their conversion into identifier list files.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "io/outcome.h"

namespace sonkrate::ids {

// " Ingame_ID (string sample): " + name + CR LF: the line of the add log and
// of the build log of a list build.
std::string ingameIdLogLine(std::string_view name);
// "INGAME SAMPLE: " + name + CR LF: the line of the log of a folder build.
std::string ingameSampleLogLine(std::string_view name);

// Appends line (already ending in CR LF) to the log, creating it if needed.
io::Outcome appendLogLine(const std::string& logPath, std::string_view line);

// The list file of a log: the log's path with the four characters from the
// last "." of its file name removed, + "_list.txt".
std::string idListPathFor(const std::string& logPath);

struct IdListResult {
    io::Outcome outcome;
    std::string listPath;
    std::size_t soundCount = 0;  // lines written to the list file
};

// Writes the list file of the log, one line per log line:
// "<8 upper-case hex digits>" "<upper-cased name>" CR LF, stopping at the first
// line without a ':'. The log is deleted once the list file is complete; a log
// that cannot be opened gives an empty list file. When the list file cannot
// be written the log is kept and the outcome says why.
IdListResult convertIdLog(const std::string& logPath);

}  // namespace sonkrate::ids
