#include "io/replacement.h"

#include <atomic>
#include <cctype>
#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>

#include "io/file_system.h"
#include "io/paths.h"
#include "io/unicode_text.h"

namespace sonkrate::io {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMarker = ".part-";

bool allDigits(std::string_view text) {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// The first replacement into a folder clears what killed processes left there;
// later ones skip the listing, so that writing many files stays cheap.
void sweepOnce(const std::string& folder) {
    static std::mutex guard;
    static std::set<std::string> swept;
    {
        std::lock_guard<std::mutex> lock(guard);
        if (!swept.insert(folder).second) return;
    }
    removeStaleTemporaries(folder);
}

}  // namespace

bool isReplacementTemporary(const std::string& name, long* pid) {
    if (name.size() < 2 || name[0] != '.') return false;
    std::size_t marker = name.rfind(kMarker);
    if (marker == std::string::npos || marker < 2) return false;
    std::string_view rest = std::string_view(name).substr(marker + kMarker.size());
    std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos) return false;
    std::string_view pidText = rest.substr(0, dash);
    if (!allDigits(pidText) || !allDigits(rest.substr(dash + 1))) return false;
    if (pid) *pid = std::stol(std::string(pidText));
    return true;
}

int removeStaleTemporaries(const std::string& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : nativePath(folder), ec);
    int removed = 0;
    const long self = currentProcessId();
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        std::string name = utf8Path(it->path().filename());
        long pid = 0;
        if (!isReplacementTemporary(name, &pid) || pid == self || processRunning(pid)) continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        if (removeFile(joinPath(folder, name))) ++removed;
    }
    return removed;
}

std::string temporaryPathBeside(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = folderOf(target);
    const std::string stem = "." + fileNameOf(target) + std::string(kMarker) + std::to_string(currentProcessId()) + "-";
    sweepOnce(folder);
    std::string candidate;
    do {
        candidate = joinPath(folder, stem + std::to_string(counter++));
    } while (pathExists(candidate));
    return candidate;
}

ReplacementFile::~ReplacementFile() { discard(); }

Outcome ReplacementFile::begin(const std::string& target) {
    discard();
    target_ = target;
    std::string candidate = temporaryPathBeside(target);
    Outcome opened = file_.open(candidate, FileMode::Write);
    if (!opened) return failure("Cannot write into the folder of " + target + ": " + opened.reason);
    temporary_ = std::move(candidate);
    active_ = true;
    return success();
}

Outcome ReplacementFile::commit(Durability durability) {
    if (!active_) return failure("Nothing was written for " + target_);
    Outcome done = durability == Durability::Durable ? file_.sync() : success();
    if (done) done = file_.close();
    if (done) done = durability == Durability::Durable ? renameDurably(temporary_, target_)
                                                       : renameFile(temporary_, target_);
    if (!done) {
        discard();
        return done;
    }
    active_ = false;
    return success();
}

void ReplacementFile::discard() {
    if (!active_) return;
    (void)file_.close();
    (void)removeFile(temporary_);
    active_ = false;
}

}  // namespace sonkrate::io
