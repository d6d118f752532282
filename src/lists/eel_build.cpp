#include "lists/eel_build.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <system_error>

#include "audio/missing_sound.h"
#include "ids/id_log.h"
#include "io/file.h"
#include "io/line_reader.h"
#include "io/paths.h"
#include "lists/eel_format.h"

namespace sonkrate::lists {

namespace fs = std::filesystem;

namespace {

// A listed file that cannot be opened is replaced by the missing sound when
// its path has at least this many characters; shorter lines are not paths.
constexpr std::size_t kMinMissingPath = 7;

struct Record {
    std::string name;
    std::string path;
};

// One record: the two lines before a name, the name and the path. Lines the
// file no longer holds read as empty, so the end of the file ends the build.
void readRecord(io::LineReader& lines, Record& record) {
    std::string skipped;
    lines.readLine(skipped);
    lines.readLine(skipped);
    if (!lines.readLine(record.name)) record.name.clear();
    if (!lines.readLine(record.path)) record.path.clear();
}

bool canOpen(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    if (fs::is_directory(path, ec)) return false;
    io::File file;
    return file.open(path, io::FileMode::Read).ok;
}

// A name for the archive being built, beside the target and hidden.
std::string buildingPathFor(const std::string& targetPath) {
    std::random_device random;
    std::string folder = io::folderOf(targetPath);
    std::string name = io::fileNameOf(targetPath);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = io::joinPath(folder, "." + name + ".building-" + std::to_string(random()));
        std::error_code ec;
        if (!fs::exists(candidate, ec) && !ec) return candidate;
    }
    return io::joinPath(folder, "." + name + ".building");
}

}  // namespace

std::string missingReportPathFor(const std::string& buildLogPath) {
    return io::siblingPath(buildLogPath, io::stripFromFirstDot(io::fileNameOf(buildLogPath)) + "_missing.txt");
}

EelBuildResult buildArchiveFromEel(const EelList& list, const std::string& targetPath,
                                   const std::string& missingCauPath, const EelBuildSteps& steps,
                                   const io::ItemProgressCallback& progress) {
    EelBuildResult result;
    if (list.size < 2) {
        result.refused = true;
        result.outcome = io::failure("The sound list " + list.workPath +
                                     " holds no sounds to build: a build skips its first listing.");
        return result;
    }
    io::LineReader lines;
    if (!(result.outcome = lines.open(list.workPath))) return result;

    const std::string building = buildingPathFor(targetPath);
    if (io::Outcome created = steps.createArchive(building); !created) {
        std::error_code ec;
        fs::remove(building, ec);
        result.outcome = io::failure("Cannot build " + targetPath + ": " + created.reason);
        return result;
    }
    const std::string buildLog = steps.buildLogPathFor(targetPath);
    std::error_code ec;
    fs::remove(buildLog, ec);  // a log left by a build that did not finish

    auto abort = [&](const std::string& reason) {
        lines.close();
        std::error_code ignored;
        fs::remove(building, ignored);
        fs::remove(buildLog, ignored);
        result.outcome = io::failure(reason + " " + targetPath + " was left as it was.");
        result.missingNames.clear();
        result.appended = 0;
        return result;
    };

    bool missingReady = false;
    auto appendReplacement = [&](const std::string& name) -> io::Outcome {
        if (!missingReady) {
            bool written = false;
            if (io::Outcome ready = audio::writeMissingCauIfAbsent(missingCauPath, written); !ready) return ready;
            missingReady = true;
        }
        std::string warning;
        io::Outcome appended = steps.appendSound(building, name, missingCauPath, buildLog, warning);
        if (!warning.empty()) result.problems.push_back(warning);
        return appended;
    };

    const std::uint64_t total = list.size - 1;
    std::uint64_t done = 0;
    Record record;
    readRecord(lines, record);  // the first listing, the placeholder, is not built
    while (record.name.size() >= kMinListingName) {
        readRecord(lines, record);
        if (canOpen(record.path)) {
            std::string warning;
            io::Outcome appended = steps.appendSound(building, record.name, record.path, buildLog, warning);
            if (!warning.empty()) result.problems.push_back(warning);
            if (!appended) {
                // A file the archive refuses (not a sound image, say) is replaced
                // like a missing one, so that the archive still holds the name.
                result.problems.push_back(appended.reason);
                if (io::Outcome replaced = appendReplacement(record.name); !replaced)
                    return abort("Cannot build " + targetPath + ": " + replaced.reason);
                result.missingNames.push_back(record.name);
            }
        } else if (record.path.size() >= kMinMissingPath) {
            if (io::Outcome replaced = appendReplacement(record.name); !replaced)
                return abort("Cannot build " + targetPath + ": " + replaced.reason);
            result.missingNames.push_back(record.name);
        } else {
            continue;  // the terminator, or a line too short to be a path
        }
        ++result.appended;
        ++done;
        io::reportItemProgress(progress, done, std::max(total, done), record.name);
    }
    if (lines.failed()) return abort("Cannot read the sound list " + list.workPath + ".");
    lines.close();

    fs::rename(building, targetPath, ec);
    if (ec) return abort("Cannot put the new archive in place of " + targetPath + ": " + ec.message() + ".");
    result.archiveWritten = true;

    ids::IdListResult idList = ids::convertIdLog(buildLog);
    result.idListPath = idList.listPath;
    if (!idList.outcome) result.problems.push_back(idList.outcome.reason);

    if (!result.missingNames.empty()) {
        std::string text = kMissingReportStart;
        for (const std::string& name : result.missingNames) text += " " + name;
        result.missingReportPath = missingReportPathFor(buildLog);
        if (io::Outcome reported = ids::appendLogLine(result.missingReportPath, text + "\r\n"); !reported)
            result.problems.push_back(reported.reason);
    }
    result.outcome = io::success();
    return result;
}

}  // namespace sonkrate::lists
