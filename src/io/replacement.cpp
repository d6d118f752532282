#include "io/replacement.h"

#include <atomic>
#include <filesystem>
#include <system_error>

#include "io/paths.h"

#if defined(_WIN32)
#include <process.h>
#define SONKRATE_PID _getpid()
#else
#include <unistd.h>
#define SONKRATE_PID getpid()
#endif

namespace sonkrate::io {

namespace fs = std::filesystem;

ReplacementFile::~ReplacementFile() { discard(); }

Outcome ReplacementFile::begin(const std::string& target) {
    discard();
    static std::atomic<unsigned> counter{0};
    target_ = target;
    std::string folder = folderOf(target);
    std::string name = fileNameOf(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = joinPath(folder, "." + name + ".part-" + std::to_string(SONKRATE_PID) +
                                                     "-" + std::to_string(counter++));
        std::error_code ec;
        if (fs::exists(candidate, ec)) continue;
        Outcome opened = file_.open(candidate, FileMode::Write);
        if (!opened) return failure("Cannot write into the folder of " + target + ": " +
                                    opened.reason);
        temporary_ = candidate;
        active_ = true;
        return success();
    }
    return failure("Cannot create a temporary file beside " + target);
}

Outcome ReplacementFile::commit(bool syncToDisk) {
    if (!active_) return failure("Nothing was written for " + target_);
    Outcome done = syncToDisk ? file_.sync() : success();
    if (done) done = file_.close();
    if (!done) {
        discard();
        return done;
    }
    std::error_code ec;
    fs::rename(temporary_, target_, ec);
    if (ec) {
        std::string reason = "Cannot replace " + target_ + ": " + ec.message();
        discard();
        return failure(reason);
    }
    active_ = false;
    return success();
}

void ReplacementFile::discard() {
    if (!active_) return;
    file_.close();
    std::error_code ec;
    fs::remove(temporary_, ec);
    active_ = false;
}

}  // namespace sonkrate::io
