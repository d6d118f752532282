// Every file below a list of paths, folders searched recursively. Links to
// folders are not followed, so a link back up the tree cannot loop; links to
// files are read as the files they name. Only regular files are passed on:
// inside a folder anything else is left out, and a FIFO or a device given
// itself is a problem.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sonkrate::io {

struct WalkedFile {
    std::string path;
    std::uint64_t size = 0;
};

// Calls onFile for every file (a path given that is a file is itself one),
// and onProblem with a sentence naming the path for each path or folder that
// cannot be read; the walk goes on past it. onFile returning false stops it.
void walkFiles(const std::vector<std::string>& paths, const std::function<bool(const WalkedFile&)>& onFile,
               const std::function<void(const std::string&)>& onProblem);

}  // namespace sonkrate::io
