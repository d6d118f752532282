// --captions FILE.srt of wav2cau, add and replace: the SubRip file read into
// the caption block the game reads, and the choice between it and --caption.
#pragma once

#include <string>

#include "cli/cli.h"
#include "io/outcome.h"

namespace sonkrate::cli {

// The caption block for the SubRip file at path, its texts in the game's code
// page; a failure names the file and, for a bad cue, its number and line.
io::Outcome captionBlockFromSubRip(const std::string& path, std::string& block);

// The caption block the command's --caption TEXT or --captions FILE.srt asks
// for ("" for neither). Returns kExitOk, or the exit code of the error it
// reported (both given is a usage error).
int captionBlockOf(const Arguments& args, const std::string& commandName, std::string& block);

}  // namespace sonkrate::cli
