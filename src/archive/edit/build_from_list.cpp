#include "archive/edit/build_from_list.h"

#include <algorithm>

#include "archive/edit/built_archive_plan.h"
#include "archive/edit/create_archive.h"
#include "archive/edit/default_sound.h"
#include "audio/cau/missing_sound.h"
#include "ids/id_log.h"
#include "ids/sound_id.h"
#include "io/file.h"
#include "io/file_system.h"
#include "io/paths.h"

namespace sonkrate::archive {

namespace {

// A listed file that cannot be opened is replaced by the missing sound when
// its path has at least this many characters; shorter lines are not paths.
constexpr std::size_t kMinMissingPath = 7;

bool canOpen(const std::string& path) {
    if (path.empty()) return false;
    if (io::isFolder(path)) return false;
    io::File file;
    return file.open(path, io::FileMode::Read).ok;
}

// The missing sound, made and inspected the first time a listing needs it.
struct Replacement {
    std::string path;
    bool ready = false;
    audio::CauFileFacts facts;

    io::Outcome prepare() {
        if (ready) return io::success();
        bool written = false;
        if (io::Outcome made = audio::writeMissingCauIfAbsent(path, written); !made) return made;
        if (io::Outcome inspected = audio::inspectCauFile(path, facts); !inspected) return inspected;
        ready = true;
        return io::success();
    }
};

// The images of the listings in order, each its own file or the missing
// sound; names of the built listings go to built.
io::Outcome planListings(const std::vector<ListedSound>& listings, Replacement& replacement,
                         std::vector<PlannedImage>& images, std::vector<std::string>& built, ListBuildResult& result) {
    for (const ListedSound& listing : listings) {
        PlannedImage image;
        image.soundId = ids::computeSoundId(io::toLower(listing.name));
        bool replaced = false;
        if (canOpen(listing.path)) {
            image.path = listing.path;
            if (io::Outcome inspected = audio::inspectCauFile(listing.path, image.facts); !inspected) {
                // A file that is no sound image is replaced like a missing one,
                // so that the archive still holds the name.
                result.problems.push_back(inspected.reason);
                replaced = true;
            }
        } else if (listing.path.size() >= kMinMissingPath) {
            replaced = true;
        } else {
            continue;  // the terminator, or a line too short to be a path
        }
        if (replaced) {
            if (io::Outcome ready = replacement.prepare(); !ready) return ready;
            image.path = replacement.path;
            image.facts = replacement.facts;
            result.missingNames.push_back(listing.name);
        }
        images.push_back(std::move(image));
        built.push_back(listing.name);
    }
    return io::success();
}

// The build log of the names built, turned into the identifier list, and
// the line of the missing-sounds report.
void writeLogs(const std::string& targetPath, const std::vector<std::string>& built, ListBuildResult& result) {
    const std::string buildLog = buildLogPathFor(targetPath);
    (void)io::removeFile(buildLog);  // a log left by a build that did not finish
    std::string lines;
    for (const std::string& name : built) lines += ids::ingameIdLogLine(name);
    if (io::Outcome logged = ids::appendLogLine(buildLog, lines); !logged) result.problems.push_back(logged.reason);
    ids::IdListResult idList = ids::convertIdLog(buildLog);
    result.idListPath = idList.listPath;
    if (!idList.outcome) {
        result.problems.push_back(idList.outcome.reason);
        (void)io::removeFile(buildLog);  // made only for the list
    }

    if (result.missingNames.empty()) return;
    std::string text = kMissingReportStart;
    for (const std::string& name : result.missingNames) text += " " + name;
    result.missingReportPath = missingReportPathFor(buildLog);
    if (io::Outcome reported = ids::appendLogLine(result.missingReportPath, text + "\r\n"); !reported)
        result.problems.push_back(reported.reason);
}

}  // namespace

std::string missingReportPathFor(const std::string& buildLogPath) {
    return io::siblingPath(buildLogPath, io::stripFromFirstDot(io::fileNameOf(buildLogPath)) + "_missing.txt");
}

ListBuildResult buildArchiveFromList(const std::vector<ListedSound>& listings, const std::string& targetPath,
                                     const std::string& missingCauPath, std::size_t progressTotal,
                                     const io::ItemProgressCallback& progress) {
    ListBuildResult result;
    Replacement replacement;
    replacement.path = missingCauPath;
    std::vector<PlannedImage> images;
    std::vector<std::string> built;
    auto fail = [&](const std::string& reason) {
        result.outcome = io::failure("Cannot build " + targetPath + ": " + reason + " " + targetPath +
                                     " was left as it was.");
        result.missingNames.clear();
        return result;
    };
    if (io::Outcome planned = planListings(listings, replacement, images, built, result); !planned)
        return fail(planned.reason);

    const std::vector<std::uint8_t> defaultImage = defaultSoundImage();
    const ArchivePlan plan = planBuiltArchive(images, defaultImage);
    const std::uint64_t total = std::max<std::uint64_t>(progressTotal, built.size());
    ArchiveWriteOptions options;
    // The first piece is the default sound; each later one a listing.
    options.piecesProgress = [&](std::uint64_t done, std::uint64_t) {
        if (done > 1) io::reportItemProgress(progress, done - 1, total, built[done - 2]);
    };
    if (io::Outcome written = writeArchive(targetPath, plan, options); !written) return fail(written.reason);
    result.archiveWritten = true;
    result.appended = built.size();
    writeLogs(targetPath, built, result);
    result.outcome = io::success();
    return result;
}

}  // namespace sonkrate::archive
